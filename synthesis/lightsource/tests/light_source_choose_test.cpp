// The light source as a test object on the Object page: choosing it, loading a source file
// (its size, comment and rays, and the refusals), its rasters through the system once per
// wavelength, its ideal image in files of its own, and in the synthesis folder: "Color"
// shows it, "Real" is refused with a message.
#include "synthesis/lightsource/light_source_choose_dlg.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "imaging/rasters/raster_records.h"
#include "optics/model/model_globals.h"
#include "synthesis/folder/energy_page.h"
#include "synthesis/folder/folder_page_adapters.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/lightsource/diffraction_blur.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_setup_folder.h"
#include "synthesis/lightsource/tests/source_test_support.h"
#include "synthesis/objects/tests/object_page_fixture.h"

namespace {

using object_page_test::ObjectPage;

// A solid source: one object "lamp" of two triangles over y 0 .. 3, z 0 .. 4 mm, facing
// the system, written as a *.srl file.
std::string WriteLamp(const std::string &path, const char *comment = "lamp of 3 by 4") {
  TLightSource source = source_test::SolidSource("lamp", 2);
  source.Comment = comment;
  const double a[3] = {0.0, 0.0, 0.0}, b[3] = {0.0, 3.0, 0.0}, c[3] = {0.0, 0.0, 4.0}, d[3] = {0.0, 3.0, 4.0};
  source.Triangles.data[0].SetVertices(a, b, c);
  source.Triangles.data[1].SetVertices(b, d, c);
  EXPECT_EQ(source.WriteFile(path), 1);
  return path;
}

class LightSourceObject : public ObjectPage {
 protected:
  // The triplet with its object 1 m before it (surfaces moved, image refocused).
  void OpenAtOneMetre() {
    OpenOn("cooke_triplet.os", true);
    ASSERT_EQ(PlaceObjectAndFocus(system, 1.0), 1);
    page->ShowObjectSize();
  }
  TLightSourceChooseDlg &Source() { return *page->LightSource(); }
  std::string Text(int id) {
    char text[300] = "";
    GetDlgItemText(Source().GetHandle(), id, text, sizeof text);
    return text;
  }
};

TEST_F(LightSourceObject, ChoosingItShowsItsDialogAndTurnsThePsfTabOff) {
  OpenOn("cooke_triplet.os", true);
  Choose(kObjectLightSource);
  EXPECT_EQ(page->currentType, kObjectLightSource);
  ASSERT_NE(page->LightSource(), nullptr);
  EXPECT_EQ(page->CurrentObject(), page->LightSource());
  EXPECT_TRUE(Source().IsWindowVisible());
  EXPECT_EQ(Source().name, kLightSourceObjectName);
  EXPECT_EQ(folder->psfPage->IsPageEnabled(), 0);
  // A new page shows N x N rays.
  EXPECT_EQ(Text(kSourceRaysEdit), "4096");
  Choose(kObjectRadialMira);
  EXPECT_FALSE(Source().IsWindowVisible());
  EXPECT_EQ(folder->psfPage->IsPageEnabled(), 1);
}

TEST_F(LightSourceObject, ALoadedSourceGivesItsSizeCommentRaysAndTheObjectSize) {
  OpenOn("cooke_triplet.os", true);
  Choose(kObjectLightSource);
  const std::string lamp = WriteLamp(Scratch("lamp.srl"));
  ASSERT_EQ(Source().LoadSource(lamp), 1);
  // The transverse box of 3 by 4 mm: its diagonal, 5 mm, is the source's size; it reaches
  // 4 mm from the axis, so the field about the axis is 8.8 mm, 0.0088 m in object space.
  EXPECT_EQ(Source().size, 5.0);
  EXPECT_EQ(Text(kSourceSizeEdit), "5");
  EXPECT_EQ(Text(kSourceFileBox), lamp);
  EXPECT_EQ(Text(kSourceCommentText), "lamp of 3 by 4");
  EXPECT_EQ(Source().rays, 64 * 64);
  EXPECT_EQ(image.ObjectSize, 0.0088);
  EXPECT_EQ(Shown(kObjectSizeEdit), 0.0088);
  EXPECT_EQ(Source().state, kNothingComputed);
  // The type list offers nothing: touching it only beeps.
  const std::size_t beeps = Boxes().beeps.size();
  Source().SendMessage(WM_COMMAND, kSourceTypeList, 0);
  EXPECT_EQ(Boxes().beeps.size(), beeps + 1);
}

TEST_F(LightSourceObject, FilesThatHoldNoUsableSourceAreRefusedAndTheLoadedOneStays) {
  OpenOn("cooke_triplet.os", true);
  Choose(kObjectLightSource);
  ASSERT_EQ(Source().LoadSource(WriteLamp(Scratch("lamp.srl"))), 1);
  const TLightSource *kept = Source().Source();
  std::size_t boxes = Boxes().boxes.size();
  // Not there.
  EXPECT_EQ(Source().LoadSource(Scratch("none.srl")), 0);
  ASSERT_EQ(Boxes().boxes.size(), ++boxes);
  EXPECT_NE(Boxes().boxes.back().text.find("cannot be read"), std::string::npos);
  // Zones that emit nothing.
  TLightSource dark;
  dark.SourceType = kZoneSource;
  dark.Zones.Allocate(1, 1);
  dark.Zones.data[0].Az = 2.0;
  dark.Zones.data[0].Ay = 2.0;
  ASSERT_EQ(dark.WriteFile(Scratch("dark.srl")), 1);
  EXPECT_EQ(Source().LoadSource(Scratch("dark.srl")), 0);
  ASSERT_EQ(Boxes().boxes.size(), ++boxes);
  EXPECT_NE(Boxes().boxes.back().text.find("has nothing that emits"), std::string::npos);
  // Cut short: the reader says it is damaged.
  std::ofstream(Scratch("short.srl"), std::ios::binary) << std::string(12, '\0');
  EXPECT_EQ(Source().LoadSource(Scratch("short.srl")), 0);
  ASSERT_EQ(Boxes().boxes.size(), ++boxes);
  EXPECT_NE(Boxes().boxes.back().text.find("damaged"), std::string::npos);
  EXPECT_EQ(Source().Source(), kept);
  EXPECT_EQ(Source().SourceFile(), Scratch("lamp.srl"));
}

TEST_F(LightSourceObject, TheRastersAreTheImagesThroughTheSystemOnePerWavelength) {
  OpenAtOneMetre();
  Choose(kObjectLightSource);
  // Without a source there is nothing to compute.
  EXPECT_EQ(Source().Calculate(), 0);
  ASSERT_EQ(Source().LoadSource(WriteLamp(Scratch("lamp.srl"))), 1);
  SetDlgItemText(Source().GetHandle(), kSourceRaysEdit, "300");
  ASSERT_EQ(Source().Calculate(), 1);
  EXPECT_EQ(Source().rays, 300);
  EXPECT_EQ(Source().state, kRastersWritten);
  ASSERT_EQ(RecordCount(Source().rasterFiles), 3);
  ASSERT_EQ(RecordCount(Source().frameFiles), 3);
  for (int k = 0; k < 3; ++k) {
    const TFileData &record = Source().rasterFiles.data[k];
    EXPECT_EQ(record.fileName, TempDir() + "/obj" + std::to_string(k) + ".img");
    EXPECT_EQ(Source().frameFiles.data[k].fileName, record.fileName + ".spc");
    EXPECT_EQ(record.wavelength, static_cast<float>(system.info.Spectrum.data[k].lambda));
    EXPECT_TRUE(std::filesystem::exists(record.fileName));
    // The image of the lamp: some light, centred within a few cells.
    Mem<float> raster;
    TFileData reader(record);
    ASSERT_EQ(reader.Read(raster), 1);
    double sum = 0.0;
    for (int i = 0; i < raster.cols * raster.rows; ++i) sum += raster.data[i];
    EXPECT_GT(sum, 0.0);
  }
  // Current: a second Calculate writes nothing.
  std::filesystem::remove(Source().rasterFiles.data[0].fileName);
  EXPECT_EQ(Source().Calculate(), 1);
  EXPECT_FALSE(std::filesystem::exists(Source().rasterFiles.data[0].fileName));
  // Another ray count computes anew.
  SetDlgItemText(Source().GetHandle(), kSourceRaysEdit, "200");
  ASSERT_EQ(Source().Calculate(), 1);
  EXPECT_TRUE(std::filesystem::exists(Source().rasterFiles.data[0].fileName));
  // The ideal image goes to files of its own and leaves the rasters as they are.
  const auto written = std::filesystem::last_write_time(Source().rasterFiles.data[1].fileName);
  Source().ShowColorImage();
  ASSERT_EQ(RecordCount(Source().IdealFiles()), 3);
  EXPECT_EQ(Source().IdealFiles().data[0].fileName, TempDir() + "/ideal0.img");
  EXPECT_EQ(Source().rasterFiles.data[0].fileName, TempDir() + "/obj0.img");
  EXPECT_EQ(std::filesystem::last_write_time(Source().rasterFiles.data[1].fileName), written);
  EXPECT_EQ(Source().state, kRastersWritten);
  ASSERT_NE(image.picture, nullptr);
}

TEST_F(LightSourceObject, AComponentThatCannotBeWrittenIsToldAndOnlyTheWrittenOnesAreListed) {
  OpenAtOneMetre();
  Choose(kObjectLightSource);
  ASSERT_EQ(Source().LoadSource(WriteLamp(Scratch("lamp.srl"))), 1);
  SetDlgItemText(Source().GetHandle(), kSourceRaysEdit, "200");
  // A directory where the second wavelength's raster goes: it cannot be written.
  const std::string blocked = TempDir() + "/obj1.img";
  std::filesystem::remove_all(blocked);
  ASSERT_TRUE(std::filesystem::create_directory(blocked));
  const std::size_t boxes = Boxes().boxes.size();
  EXPECT_EQ(Source().Calculate(), 0);
  std::filesystem::remove_all(blocked);
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().text, "The raster file \"" + blocked + "\" cannot be written.");
  // The object is not computed, and its tables hold the first wavelength's files alone.
  EXPECT_EQ(Source().state, kNothingComputed);
  ASSERT_EQ(RecordCount(Source().rasterFiles), 1);
  EXPECT_EQ(Source().rasterFiles.data[0].fileName, TempDir() + "/obj0.img");
  ASSERT_EQ(RecordCount(Source().frameFiles), 1);
  EXPECT_EQ(Source().frameFiles.data[0].fileName, TempDir() + "/obj0.img.spc");
  // With the way clear the next Calculate computes every wavelength.
  EXPECT_EQ(Source().Calculate(), 1);
  EXPECT_EQ(Source().state, kRastersWritten);
  EXPECT_EQ(RecordCount(Source().rasterFiles), 3);
  EXPECT_EQ(Boxes().boxes.size(), boxes + 1);
}

TEST_F(LightSourceObject, AnImageWithoutPixelSizeIsToldWithWhatToDo) {
  OpenAtOneMetre();
  Choose(kObjectLightSource);
  ASSERT_EQ(Source().LoadSource(WriteLamp(Scratch("lamp.srl"))), 1);
  SetDlgItemText(Source().GetHandle(), kSourceRaysEdit, "200");
  image.pixelSize = 0.0;
  const std::size_t boxes = Boxes().boxes.size();
  EXPECT_EQ(Source().Calculate(), 0);
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_NE(Boxes().boxes.back().text.find("pixel size is 0"), std::string::npos) << Boxes().boxes.back().text;
  EXPECT_NE(Boxes().boxes.back().text.find("Enter the object's size"), std::string::npos);
  EXPECT_EQ(Source().state, kNothingComputed);
  // Its picture says so too rather than opening nothing.
  image.picture = nullptr;
  Source().ShowColorImage();
  EXPECT_EQ(Boxes().boxes.size(), boxes + 2);
  EXPECT_EQ(image.picture, nullptr);
  // With a pixel size the same source computes.
  image.pixelSize = 0.01;
  EXPECT_EQ(Source().Calculate(), 1);
  EXPECT_EQ(Boxes().boxes.size(), boxes + 2);
}

// The folder with the program's own pages, on the triplet with its object 1 m away.
class LightSourceInFolder : public TFolderTestBase {
 protected:
  void SetUp() override {
    previousObject_ = SetObjectPageMaker(&MakeObjectParentPage);
    previousDetector_ = SetDetectorPageMaker(&MakeTestDetectorPage);
    TFolderTestBase::SetUp();
    system_.info.ObjectFinite = 1;
    ASSERT_EQ(PlaceObjectAndFocus(system_, 1.0), 1);
  }
  void TearDown() override {
    TFolderTestBase::TearDown();
    SetObjectPageMaker(previousObject_);
    SetDetectorPageMaker(previousDetector_);
  }
  TTestObjectParent &ObjectPage() { return *dynamic_cast<TTestObjectParent *>(folder_->ObjectPage()->PageWindow()); }

  TObjectPageMaker previousObject_ = nullptr;
  TDetectorPageMaker previousDetector_ = nullptr;
};

TEST_F(LightSourceInFolder, ColorShowsTheSourcesImageAndRealIsRefused) {
  TTestObjectFolder &folder = OpenFolder();
  ASSERT_EQ(ObjectPage().SelectType(kObjectLightSource), 1);
  TLightSourceChooseDlg &source = *ObjectPage().LightSource();
  ASSERT_EQ(source.LoadSource(WriteLamp(Scratch("lamp.srl"))), 1);
  SetDlgItemText(source.GetHandle(), kSourceRaysEdit, "2000");
  // The triplet's blur at full aperture carries part of the light past the field that
  // holds the lamp's sharp image (the 8.8 mm about the axis that hold the lamp, up to 4 mm
  // off it, times the magnification): the field the source chose follows the traced image
  // without a question.
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(folder.state, kRastersWritten);
  EXPECT_EQ(source.state, kSpectraWritten);
  ASSERT_NE(GetTestImage()->picture, nullptr);
  EXPECT_GT(GetTestImage()->fieldSize, 1.05 * 8.8 * std::fabs(system_.info.magnification));
  EXPECT_LT(source.LostShare(), 0.05);
  // "Real" would make a black picture of it: it says so instead.
  GetTestImage()->realImage = 1;
  folder.state = kNothingComputed;
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_NE(answers_->boxes[0].text.find("Isoplanar"), std::string::npos);
  EXPECT_EQ(folder.state, kNothingComputed);
}

TEST_F(LightSourceInFolder, GenerationOpensTheSetUpOnTheTestObjectsSourceModally) {
  TTestObjectFolder &folder = OpenFolder();
  ASSERT_EQ(ObjectPage().SelectType(kObjectLightSource), 1);
  const std::string lamp = WriteLamp(Scratch("lamp.srl"));
  ASSERT_EQ(ObjectPage().LightSource()->LoadSource(lamp), 1);
  TTestObjectSettings &settings = *folder.SettingsPage();
  EXPECT_TRUE(IsWindowEnabled(settings.GetDlgItem(kSettingsGeneration)));
  bool seen = false;
  std::string opened, caption;
  QTimer::singleShot(0, [&]() {
    auto modal = [&]() -> TLightSourceSetupFolder * {
      for (TWindow *child : settings.GetChildren())
        if (auto *setup = dynamic_cast<TLightSourceSetupFolder *>(child); setup != nullptr && setup->IsModal())
          return setup;
      return nullptr;
    };
    test_kit::RunUntil([&] { return modal() != nullptr; });
    if (TLightSourceSetupFolder *setup = modal()) {
      seen = true;
      opened = setup->FileName();
      caption = setup->GetWindowText();
      setup->PostMessage(WM_COMMAND, kSetupCancel, 0);
    }
  });
  settings.SendMessage(WM_COMMAND, kSettingsGeneration, 0);
  EXPECT_TRUE(seen);
  EXPECT_EQ(opened, lamp);
  EXPECT_EQ(caption.rfind("Light Source - ", 0), 0u);
  // Cancel saved nothing and left the test object's source alone.
  EXPECT_EQ(ObjectPage().LightSource()->SourceFile(), lamp);
}

// The synthesis of a light source in the folder, on systems of the test's own: square
// sources traced through them, the results read from the folder's own rasters.
class LightSourceSynthesis : public LightSourceInFolder {
 protected:
  // An example with its text changed (each pair: the text, what it becomes), read as the
  // edited system; with `metres` its object is put that far before it, refocused when
  // `focus`.
  void UseSystem(const char *example, std::initializer_list<std::pair<const char *, const char *>> changes,
                 double metres, bool focus) {
    std::string text = ReadText(ExamplePath(example));
    for (const auto &[from, to] : changes) {
      const std::size_t at = text.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      text.replace(at, std::string(from).size(), to);
    }
    WriteText(Scratch("system.os"), text);
    ASSERT_EQ(system_.ReadFile(Scratch("system.os"), 0), 1);
    if (metres > 0.0) {
      system_.info.ObjectFinite = 1;
      ASSERT_EQ(focus ? PlaceObjectAndFocus(system_, metres) : PlaceObjectAt(system_, metres), 1);
    }
    system_.Prepare(0.0, 1, 0);
  }
  // The folder opened on the system with a square source y0..y1 x z0..z1 (mm) of `rays`
  // rays chosen, and "Color" pressed.
  void SynthesizeSource(double y0, double y1, double z0, double z1, const char *rays) {
    SynthesizeSource(source_test::Rectangle(y0, y1, z0, z1), rays);
  }
  // With `typedShare` that share of the field the source chose is typed back: a field of
  // the user's.
  void SynthesizeSource(const TLightSource &square, const char *rays, double typedShare = 0.0) {
    OpenFolder();
    EXPECT_EQ(ObjectPage().SelectType(kObjectLightSource), 1);
    TLightSourceChooseDlg &source = *ObjectPage().LightSource();
    EXPECT_EQ(square.WriteFile(Scratch("square.srl")), 1);
    EXPECT_EQ(source.LoadSource(Scratch("square.srl")), 1);
    if (typedShare > 0.0)
      SetDlgItemText(ObjectPage().GetHandle(), kObjectSizeEdit,
                     std::to_string(typedShare * GetTestImage()->ObjectSize).c_str());
    SetDlgItemText(source.GetHandle(), kSourceRaysEdit, rays);
    folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  }
  // The folder's result k: its light (the cells' sum times the cell area) and its centroid
  // in y (up the rows) and z, in the image's unit.
  struct TResult {
    double light = 0.0, y = 0.0, z = 0.0;
  };
  TResult Result(int k) {
    TResult result;
    Mem<float> raster;
    EXPECT_GT(RecordCount(folder_->rasterFiles), k);
    if (RecordCount(folder_->rasterFiles) <= k || folder_->rasterFiles.data[k].Read(raster) != 1) return result;
    const double p = GetTestImage()->pixelSize;
    const int n = raster.cols;
    double sum = 0.0;
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const double v = raster.data[r * n + c];
        sum += v;
        result.y += v * (n / 2 - r) * p;
        result.z += v * (c - n / 2) * p;
      }
    result.light = sum * p * p;
    if (sum != 0.0) {
      result.y /= sum;
      result.z /= sum;
    }
    return result;
  }
};

// The result's light against the quadrature's passed share: three standard errors of some
// 20000 traced rays, and the diffraction's wrap round the raster's edges.
constexpr double kLightKept = 0.02;

TEST_F(LightSourceSynthesis, TheResultHoldsTheShareTheSystemPassesOnce) {
  // A 10 mm square 10 mm below the axis, 1 m before the triplet stopped down to about f/8
  // and before the singlet stopped to 4 mm within its 20 mm nominal pupil: each result holds
  // the share of the source's emission the system passes, the system's PSF not counted again,
  // times the wavelength's share of the source's spectrum: 1 for a grey source; for a table
  // or a 3000 K blackbody its emission over the mean the system's weights take of it.
  enum TSpectrum { kGrey, kTable, kBlackbody };
  struct TCase {
    const char *example;
    std::initializer_list<std::pair<const char *, const char *>> changes;
    TSpectrum spectrum;
  };
  const TCase cases[] = {
      {"cooke_triplet.os", {{"Dx=4.75041; DextY=16;", "Dx=4.75041; DextY=6; "}}, kGrey},
      {"singlet.os", {{"DextY=25", "DextY=4 "}, {"DextY=25", "DextY=4 "}}, kGrey},
      {"cooke_triplet.os", {{"Dx=4.75041; DextY=16;", "Dx=4.75041; DextY=6; "}}, kTable},
      {"cooke_triplet.os", {{"Dx=4.75041; DextY=16;", "Dx=4.75041; DextY=6; "}}, kBlackbody},
  };
  // The table 0.48 -> 0.1, 0.55 -> 1, 0.65 -> 1 read by hand, and Planck's law.
  const auto emission = [](TSpectrum spectrum, double um) {
    if (spectrum == kTable) return um >= 0.55 ? 1.0 : um <= 0.48 ? 0.1 : 0.1 + 0.9 * (um - 0.48) / 0.07;
    if (spectrum == kBlackbody) return 1.0 / (std::pow(um, 5) * std::expm1(14387.77 / (um * 3000.0)));
    return 1.0;
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(std::string(c.example) + " " + std::to_string(c.spectrum));
    UseSystem(c.example, c.changes, 1.0, true);
    const double passed = source_test::PassedShareOfRectangle(system_, -15.0, -5.0, -5.0, 5.0, 8);
    ASSERT_GT(passed, 0.0);
    TLightSource square = source_test::Rectangle(-15.0, -5.0, -5.0, 5.0);
    if (c.spectrum == kTable) {
      square.Spectrum.Allocate(3, 1);
      square.Spectrum.data[0] = {0.48, 0.1};
      square.Spectrum.data[1] = {0.55, 1.0};
      square.Spectrum.data[2] = {0.65, 1.0};
    }
    if (c.spectrum == kBlackbody) square.ObjectTemperatures.data[0] = 3000.0f;
    SynthesizeSource(square, "20000");
    EXPECT_TRUE(answers_->boxes.empty()) << answers_->boxes.front().text;
    ASSERT_EQ(folder_->state, kRastersWritten);
    EXPECT_EQ(folder_->name, "Total (Light source)");
    const int count = system_.info.WavelengthCount();
    ASSERT_EQ(RecordCount(folder_->rasterFiles), count);
    double weighted = 0.0, weights = 0.0;
    for (int k = 0; k < count; ++k) {
      weighted += system_.info.Spectrum.data[k].weight * emission(c.spectrum, system_.info.Spectrum.data[k].lambda);
      weights += system_.info.Spectrum.data[k].weight;
    }
    for (int k = 0; k < count; ++k) {
      const double share = emission(c.spectrum, system_.info.Spectrum.data[k].lambda) / (weighted / weights);
      EXPECT_APPROX(Result(k).light, passed * share, kLightKept * passed * share) << "component " << k;
    }
    CloseFolder();
  }
}

TEST_F(LightSourceSynthesis, ASourceImagedAtInfinityLandsAtItsAngle) {
  // The equiconvex N-BK7 singlet (R 50 / -50, 5 thick, n_d 1.5168) with its object in its
  // front focal plane: a 1 mm square 2 mm below the axis is seen at atan(2 / f) above it.
  constexpr double kIndex = 1.5168, kRadius = 50.0, kThickness = 5.0;
  const double power = (kIndex - 1.0) * (2.0 / kRadius - (kIndex - 1.0) * kThickness / (kIndex * kRadius * kRadius));
  const double f = 1.0 / power;
  const double frontFocus = f * (1.0 - (kIndex - 1.0) * kThickness / (kIndex * kRadius));
  char distance[32];
  std::snprintf(distance, sizeof distance, "Dx=%.4f;", frontFocus);
  UseSystem("singlet.os",
            {{"ObjectFinite=0", "ObjectFinite=1"}, {"ImageFinite=1", "ImageFinite=0"}, {"Dx=10;", distance},
             {"DextY=25", "DextY=4 "}, {"DextY=25", "DextY=4 "}},
            0.0, false);
  SynthesizeSource(-2.5, -1.5, -0.5, 0.5, "5000");
  EXPECT_TRUE(answers_->boxes.empty()) << answers_->boxes.front().text;
  ASSERT_EQ(folder_->state, kRastersWritten);
  // The field holds the source's reach of 2.5 mm, with a tenth to spare, in mrad, and the
  // blur of its 4 mm pupil (four Airy radii of 0.18 mrad) beside its coma.
  const double field = GetTestImage()->pixelSize * GetTestImage()->pixelCount;
  EXPECT_GT(field, 0.99 * 2.2 * (2.5 * 1000.0 / f + 4.0 * 0.18));
  EXPECT_LT(field, 1.04 * 2.2 * 2.5 * 1000.0 / f);
  // Landed within half a cell of its angle, beside the beams' coma.
  const TResult result = Result(0);
  EXPECT_APPROX(result.y, 1000.0 * std::atan(2.0 / f), 0.3);
  EXPECT_APPROX(result.z, 0.0, 0.3);
}

TEST_F(LightSourceSynthesis, ATinySourcesFieldHoldsTheAiryPatternOfThePupilItsRaysFill) {
  // A 0.01 mm square on the axis 1 m before the singlet whose faces are stopped to 3 mm:
  // image-side NA 1.5 / 51.7 = 0.029, the first dark ring 0.61 lambda / NA = 12.4 um out,
  // whatever the nominal pupil and whether the system's PSF takes diffraction. The field
  // the source chose becomes 2.2 x (its image's reach + four such radii); the picture is the
  // Airy pattern, bright in its middle and dark at its corners.
  constexpr double kAiryRadius = 0.61 * 0.5875618e-3 / (1.5 / 51.7);
  // The NA's paraxial estimate and the rays' reach.
  constexpr double kFieldTolerance = 0.05;
  const char *variants[][2] = {{"Dentr=20", "Dentr=3 "}, {"Dentr=20", "Dentr=20"}, {"Difrac=1", "Difrac=0"}};
  for (const auto &[from, to] : variants) {
    SCOPED_TRACE(to);
    UseSystem("singlet.os", {{"DextY=25", "DextY=3 "}, {"DextY=25", "DextY=3 "}, {from, to}}, 1.0, true);
    SynthesizeSource(-0.005, 0.005, -0.005, 0.005, "20000");
    EXPECT_TRUE(answers_->boxes.empty()) << answers_->boxes.front().text;
    ASSERT_EQ(folder_->state, kRastersWritten);
    const double field = GetTestImage()->pixelSize * GetTestImage()->pixelCount;
    EXPECT_APPROX(field, 2.2 * 4.0 * kAiryRadius, kFieldTolerance * field);
    Mem<float> raster;
    ASSERT_EQ(folder_->rasterFiles.data[0].Read(raster), 1);
    const int n = raster.cols;
    EXPECT_GT(raster.data[n / 2 * n + n / 2], 100.0f * std::fabs(raster.data[0]));
    // The Energy page tells what the picture lacks of the light the system passes: what the
    // pattern carries past the field's square of half-side a, 1 - (4 / pi) times the
    // integral over t from 0 to pi / 4 of E(pi c a / cos t), E(v) = 1 - J0(v)^2 - J1(v)^2
    // being the light within the radius v / (pi c).
    constexpr double kOutsideTolerance = 0.002;  // the pattern on the cells, the square's half-cell offset
    const double cutoff = ObjectPage().LightSource()->BlurCutoffs().at(0);
    double within = 0.0;
    for (int i = 0; i < 1000; ++i) {
      const double v = kPi * cutoff * 0.5 * field / std::cos((i + 0.5) * kPi / 4000.0);
      within += (1.0 - std::pow(std::cyl_bessel_j(0.0, v), 2) - std::pow(std::cyl_bessel_j(1.0, v), 2)) / 1000.0;
    }
    char told[32] = {};
    GetDlgItemText(folder_->EnergyPage()->GetHandle(), kEnergyOutside, told, sizeof told);
    EXPECT_APPROX(std::strtod(told, nullptr) / 100.0, 1.0 - within, kOutsideTolerance);
    // Beside it, the share of the pattern's light beyond the reach the blur was taken to.
    GetDlgItemText(folder_->EnergyPage()->GetHandle(), kEnergyBlurLeftOut, told, sizeof told);
    const int reach = BlurReach(GetTestImage()->pixelCount, GetTestImage()->pixelSize, cutoff);
    EXPECT_APPROX(std::strtod(told, nullptr) / 100.0, BlurLeftOut(reach, GetTestImage()->pixelSize, cutoff), 5e-5);
    if (to == std::string("Difrac=0")) {
      // Brought to 0.2 m and refocused (the image 65.1 mm behind the lens, NA 1.5 / 65.1,
      // magnification 65.1 / 201.7), the next picture's field follows.
      ASSERT_EQ(PlaceObjectAndFocus(system_, 0.2), 1);
      folder_->ResetCalculated();
      folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
      const double near = 2.2 * (0.005 * 65.1 / 201.7 + 4.0 * 0.61 * 0.5875618e-3 / (1.5 / 65.1));
      EXPECT_APPROX(GetTestImage()->pixelSize * GetTestImage()->pixelCount, near, kFieldTolerance * near);
      // The field kept in image space and the image plane moved 2 mm (an edit of the
      // system, no new field): the source is traced again, its blur disc of some 0.05 mm
      // dimming the middle.
      ASSERT_EQ(folder_->rasterFiles.data[0].Read(raster), 1);
      const float sharp = raster.data[n / 2 * n + n / 2];
      CheckRadioButton(ObjectPage().GetHandle(), kObjectSpaceRadio, kImageSpaceRadio, kImageSpaceRadio);
      ObjectPage().CmSpace();
      const int image = system_.SurfaceCount() - 1;
      system_.ShiftSurfaces(image, image, DPOINT3(2.0, 0.0, 0.0), 1);
      system_.Update();
      folder_->ResetCalculated();
      folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
      ASSERT_EQ(folder_->rasterFiles.data[0].Read(raster), 1);
      EXPECT_LT(raster.data[n / 2 * n + n / 2], 0.5f * sharp);
    }
    CloseFolder();
  }
}

TEST_F(LightSourceSynthesis, ADefocusedSourcesLightIsKeptOrItsLossTold) {
  // The triplet at full aperture left at its focus for infinity with the object 1 m away:
  // the blurred image of a 10 mm square 10 mm below the axis spreads past the field that
  // holds its sharp image, typed as the user's. Taken up, the field holds the light the
  // system passes; declined, the share told is the share the picture lacks.
  // A 2 mm square on the axis before the singlet stopped to 3 mm, in a field typed at about
  // half its image (0.06 of 0.1 mm): declined, the Energy page tells what the Airy pattern
  // leaves outside the field of the uniform square image, the light it brings in from the
  // image beyond the field counted: 1 - the integral over the pupil's band of the image's
  // and the field's transforms times the transfer function, over the image's light.
  struct TCase {
    const char *example;
    std::initializer_list<std::pair<const char *, const char *>> changes;
    double y0, y1, z0, z1, typedShare;
    int answer;
  };
  const TCase cases[] = {
      {"cooke_triplet.os", {}, -15, -5, -5, 5, 0.999, IDYES},
      {"cooke_triplet.os", {}, -15, -5, -5, 5, 0.999, IDNO},
      // Its wavelengths weighed unequally: the share told averages them as the picture does.
      {"cooke_triplet.os", {{"Weight=1,1,1", "Weight=3,1,0.5"}}, -15, -5, -5, 5, 0.999, IDNO},
      {"singlet.os", {{"DextY=25", "DextY=3 "}, {"DextY=25", "DextY=3 "}, {"Dentr=20", "Dentr=3 "}}, -1, 1, -1, 1, 0.41,
       IDNO}};
  for (const TCase &c : cases) {
    const int answer = c.answer;
    SCOPED_TRACE(std::string(c.example) + std::to_string(answer));
    UseSystem(c.example, c.changes, 1.0, c.y0 == -1);
    const double passed = source_test::PassedShareOfRectangle(system_, c.y0, c.y1, c.z0, c.z1, 8);
    answers_->boxes.clear();
    answers_->QueueAnswer(answer);
    SynthesizeSource(source_test::Rectangle(c.y0, c.y1, c.z0, c.z1), "20000", c.typedShare);
    ASSERT_EQ(answers_->boxes.size(), 1u);
    const std::string &text = answers_->boxes[0].text;
    ASSERT_EQ(folder_->state, kRastersWritten);
    const double light = Result(0).light;
    if (answer == IDYES) {
      EXPECT_APPROX(light, passed, kLightKept * passed);
    } else {
      const std::size_t at = text.find(" % of the light");
      ASSERT_NE(at, std::string::npos) << text;
      const std::size_t from = text.rfind(' ', at - 1) + 1;
      const double told = std::strtod(text.substr(from, at - from).c_str(), nullptr) / 100.0;
      EXPECT_GT(told, 0.05);
      EXPECT_APPROX(told, 1.0 - light / passed, kLightKept);
      // The Energy page: the wavelengths' pictures and the light passed, each weighed by its
      // weight times the steps to its neighbours, as the mean picture is.
      const TSpectralInfo *line = system_.info.Spectrum.data;
      double held = 0.0, whole = 0.0;
      for (int k = 0, count = system_.info.WavelengthCount(); k < count && count > 1; ++k) {
        const double weight = line[k].weight * (line[std::min(k + 1, count - 1)].lambda - line[std::max(k - 1, 0)].lambda);
        held += weight * Result(k).light;
        whole += weight * passed;
      }
      char shown[32] = {};
      GetDlgItemText(folder_->EnergyPage()->GetHandle(), kEnergyOutside, shown, sizeof shown);
      if (whole > 0.0) {
        EXPECT_APPROX(std::strtod(shown, nullptr) / 100.0, 1.0 - held / whole, kLightKept);
      }
    }
    if (c.y0 == -1) {
      // The squares' transforms at (fx, fy), sin(2 pi h fx) sin(2 pi h fy) / (pi^2 fx fy),
      // summed over a quarter of the band in polar cells; some 46000 passed rays.
      constexpr double kOutsideTolerance = 0.008;
      ASSERT_EQ(system_.FirstOrderParaxial(), 1);
      const double b = std::fabs(system_.info.magnification);
      const double s = 0.5 * GetTestImage()->pixelSize * GetTestImage()->pixelCount;
      const double cutoff = ObjectPage().LightSource()->BlurCutoffs().at(0);
      const auto side = [](double h, double f) { return std::sin(2.0 * kPi * h * f) / (kPi * f); };
      double within = 0.0;
      for (int i = 0; i < 400; ++i)
        for (int j = 0; j < 200; ++j) {
          const double f = cutoff * (i + 0.5) / 400, t = 0.5 * kPi * (j + 0.5) / 200, u = f / cutoff;
          const double mtf = 2.0 / kPi * (std::acos(u) - u * std::sqrt(1.0 - u * u));
          const double fy = f * std::cos(t), fz = f * std::sin(t);
          within += side(b, fy) * side(b, fz) * side(s, fy) * side(s, fz) * mtf * f * cutoff / 400 * kPi / 400;
        }
      char told[32] = {};
      GetDlgItemText(folder_->EnergyPage()->GetHandle(), kEnergyOutside, told, sizeof told);
      EXPECT_APPROX(std::strtod(told, nullptr) / 100.0, 1.0 - within / (b * b), kOutsideTolerance);
    }
    CloseFolder();
  }
}

TEST_F(LightSourceSynthesis, TheHelpsExampleMakesTheObjectFiniteFirstAndRefocusesByWhatItSays) {
  const std::string help = ReadText(SourceRoot() + "/resources/help/pages/light_source.html");
  const std::size_t example = help.find("<h3>Example</h3>");
  ASSERT_NE(example, std::string::npos);
  // The example makes the triplet's object finite before it chooses Light source, and says
  // by how much to refocus.
  const std::size_t finite = help.find("Object: finite", example);
  const std::size_t chosen = help.find("choose Light source", example);
  ASSERT_NE(chosen, std::string::npos);
  EXPECT_LT(finite, chosen);
  const std::size_t add = help.find("add ", finite);
  ASSERT_NE(add, std::string::npos);
  const double shift = std::strtod(help.c_str() + add + 4, nullptr);
  ASSERT_GT(shift, 0.0);
  // As it comes, the triplet's object lies at infinity: no Light source among the types.
  UseSystem("cooke_triplet.os", {}, 0.0, false);
  OpenFolder();
  EXPECT_EQ(ObjectPage().SelectType(kObjectLightSource), 0);
  CloseFolder();
  // Object finite, as the Object and pupil page sets it; Distance 0.5 on the Object page
  // puts the object 500 mm before the lens.
  system_.info.ObjectFinite = 1;
  system_.Prepare(0.0, 1, 0);
  OpenFolder();
  SetDlgItemText(ObjectPage().GetHandle(), kObjectDistanceEdit, "0.5");
  // Typed and not yet read, it stays through an edit of the system and a new type.
  folder_->ResetCalculated();
  EXPECT_EQ(ObjectPage().SelectType(kObjectLightSource), 1);
  char typed[32] = "";
  ObjectPage().GetDlgItemText(kObjectDistanceEdit, typed, sizeof typed);
  EXPECT_STREQ(typed, "0.5");
  ASSERT_EQ(ObjectPage().ReadObjectSize(), 1);
  EXPECT_APPROX(ObjectDistanceOf(system_), 0.5, 1e-9);
  // The field the page converts the size to is that of the moved system, its magnification
  // that of a real chief ray traced there.
  const double size = GetTestImage()->ObjectSize, field = GetTestImage()->fieldSize;
  TOpticalSystem moved(system_);
  moved.Prepare(0.0, 1, 0);
  EXPECT_APPROX(field, size * 1000.0 * std::fabs(moved.info.magnification), 1e-6 * field);
  // The image plane's move in focusing on the axis is the last thickness the help adds, to
  // its one decimal.
  const int image = system_.SurfaceCount() - 1;
  const double before = system_.GetSurfacePosition(image, 0, 1).x;
  Mem<double> axis(1, 1);
  axis.data[0] = 0.0;
  system_.AutoFocus(&axis, nullptr);
  constexpr double kOneDecimal = 0.05;
  EXPECT_NEAR(system_.GetSurfacePosition(image, 0, 1).x - before, shift, kOneDecimal);
  // And the magnification it gives, to its three decimals.
  const std::size_t rule = help.find("50 / 465 = ", add);
  ASSERT_NE(rule, std::string::npos);
  ASSERT_EQ(system_.FirstOrderParaxial(), 1);
  constexpr double kThreeDecimals = 0.0005;
  EXPECT_NEAR(std::fabs(system_.info.magnification), std::strtod(help.c_str() + rule + 11, nullptr), kThreeDecimals);
}

}  // namespace
