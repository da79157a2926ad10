// Whole-system operations: turning round, copying through the system file, fitted
// semi-heights, the largest raster value and the density image.

#include "optics/whole/whole_system.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/model/color_image_service.h"
#include "optics/model/file_data.h"
#include "optics/psf/tests/psf_test_support.h"

namespace {

// Field angles of a chief ray reversed through the same stop: solver precision.
constexpr double kFieldTolerance = 1e-6;
// Semi-heights are kept as floats.
constexpr double kFloatTolerance = 1e-6;

class WholeSystemTest : public PsfTest {
 protected:
  // Object plane, three plane apertures 10 mm apart in air (the middle one of the given
  // semi-height) and the image plane: the system any stop can be put in.
  static void AddPlaneApertures(TOpticalSystem &system, double middleSemiHeight) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, 10.0, 0.0, "", 10.0);
    AddAt(system, 20.0, 0.0, "", middleSemiHeight);
    AddAt(system, 30.0, 0.0, "", 10.0);
    AddAt(system, 40.0, 0.0, "", 20.0);
    system.info.AutoSetPupilParameters = 0;
  }

  // The biconvex singlet (R 50 / -50, 5 thick, n 1.5168) focused at 47.5362 behind it, stop
  // on its front face, fields 0 and 5 degrees.
  static void BuildSinglet(TOpticalSystem &system) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, 10.0, 50.0, "1.5168", 12.5);
    AddAt(system, 15.0, -50.0, "", 12.5);
    AddAt(system, 15.0 + 47.5362, 0.0, "", 20.0);
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = 2;
    system.info.Dentr = 10.0;
    SetFields(system, {0.0, 5.0});
    system.Prepare(0.55, 1, 0);
  }

  static void SetFields(TOpticalSystem &system, std::initializer_list<double> fields) {
    ASSERT_TRUE(system.info.AlfaM.Allocate(static_cast<int>(fields.size()), 1));
    int i = 0;
    for (double f : fields) system.info.AlfaM.data[i++] = f;
  }

  // Plane surfaces 10 apart; the rays of an axial beam cross all of them at the pupil
  // radius.
  static void BuildPlanes(TOpticalSystem &system, double pupilRadius) {
    for (int i = 0; i < 4; ++i) AddAt(system, 10.0 * i, 0.0, "", 20.0);
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = 2;
    system.info.Dentr = 2.0 * pupilRadius;
    SetFields(system, {0.0});
    system.Prepare(0.55, 1, 0);
  }
};

TEST_F(WholeSystemTest, TurningTwiceGivesBackTheSystem) {
  TOpticalSystem system;
  BuildSinglet(system);
  const TOpticalSystem original(system);

  system.TurnSystem();
  EXPECT_EQ(system.info.TurnSystem, 1);
  EXPECT_EQ(system.info.ObjectFinite, 1);
  EXPECT_EQ(system.info.ImageFinite, 0);
  EXPECT_EQ(system.info.Naper, 3);
  EXPECT_EQ(system.info.Unit, 2);  // the new field values are heights
  // The old image plane comes first; the glass now lies behind the old rear face.
  EXPECT_EQ(system.Surface(0)->general.vertex[0], 62.5362);
  EXPECT_EQ(system.Surface(1)->general.R, -50.0);
  EXPECT_EQ(system.Surface(1)->general.glass, original.Surface(1)->general.glass);
  EXPECT_EQ(system.Surface(2)->general.glass, original.Surface(0)->general.glass);
  ASSERT_EQ(system.info.AlfaM.cols, 2);
  EXPECT_EQ(system.info.AlfaM.data[0], 0.0);
  // f' = 49.2 mm: the 5 degree image lies about f' tan(5 deg) = 4.3 from the axis.
  EXPECT_NEAR(std::fabs(system.info.AlfaM.data[1]), 4.3, 0.2);

  system.Prepare(0.55, 1, 0);
  system.TurnSystem();
  EXPECT_EQ(system.info.TurnSystem, 0);
  EXPECT_EQ(system.info.ObjectFinite, 0);
  EXPECT_EQ(system.info.ImageFinite, 1);
  EXPECT_EQ(system.info.Naper, 2);
  EXPECT_EQ(system.info.Unit, 0);
  ASSERT_EQ(system.SurfaceCount(), original.SurfaceCount());
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TGeneralParameters &now = system.Surface(i)->general;
    const TGeneralParameters &then = original.Surface(i)->general;
    EXPECT_EQ(now.R, then.R) << "surface " << i;
    EXPECT_EQ(now.vertex[0], then.vertex[0]) << "surface " << i;
    EXPECT_EQ(now.glass, then.glass) << "surface " << i;
    EXPECT_EQ(now.semiHeightExt, then.semiHeightExt) << "surface " << i;
  }
  // The field list is recomputed: the same chief rays, reversed twice.
  ASSERT_EQ(system.info.AlfaM.cols, 2);
  EXPECT_APPROX(std::fabs(system.info.AlfaM.data[1]), 5.0, kFieldTolerance);
}

TEST_F(WholeSystemTest, StopOnSurfaceTwoOfFiveBecomesFour) {
  TOpticalSystem system;
  AddPlaneApertures(system, 10.0);
  system.info.Naper = 2;
  system.info.Dentr = 4.0;
  system.Prepare(0.55, 1, 0);
  system.TurnSystem();
  EXPECT_EQ(system.info.Naper, 4);
  // No stop given stays no stop, whatever stop the chief-ray solve finds.
  system.info.Naper = 0;
  system.info.AutoSetPupilParameters = 1;
  system.TurnSystem();
  EXPECT_EQ(system.info.Naper, 0);
}

TEST_F(WholeSystemTest, TurningKeepsAPupilTakenFromTheStopAndTurnsAGivenOne) {
  // Plane apertures in air image the stop (surface 2, radius 2) at magnification 1: both
  // pupils are the stop itself, 4 across, whichever way the light runs.
  TOpticalSystem system;
  AddPlaneApertures(system, 2.0);
  system.info.Naper = 3;
  system.info.Dentr = 0.0;
  system.Prepare(0.55, 1, 0);
  system.TurnSystem();
  EXPECT_EQ(system.info.Dentr, 0.0);
  EXPECT_EQ(system.info.Naper, 3);
  system.Prepare(0.55, 1, 0);
  EXPECT_APPROX(system.info.entrancePupilDiameter, 4.0, kFloatTolerance);
  // A given diameter of 3 gives an exit pupil of 3: the turned system enters by it.
  system.info.Dentr = 3.0;
  system.Prepare(0.55, 1, 0);
  system.TurnSystem();
  EXPECT_APPROX(system.info.Dentr, 3.0, kFloatTolerance);
}

TEST_F(WholeSystemTest, BehindATurnedMirrorLiesTheMediumInFrontOfIt) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "1.5", 10.0);      // into a glass block
  AddAt(system, 20.0, -100.0, "refl", 10.0);  // a mirror inside the block
  AddAt(system, 15.0, 0.0, "", 10.0);         // image inside the block
  system.info.AutoSetPupilParameters = 0;
  system.info.Naper = 3;
  system.info.Dentr = 4.0;
  system.Prepare(0.55, 1, 0);
  const std::string block = system.Surface(1)->general.glass;
  const std::string air = system.Surface(0)->general.glass;
  system.TurnSystem();
  // The old image surface now starts the system inside the block: the medium that lay
  // between it and the mirror is the one in front of the mirror.
  EXPECT_EQ(system.Surface(0)->general.glass, block);
  EXPECT_EQ(system.Surface(1)->general.materialKind, 1);
  EXPECT_EQ(system.Surface(2)->general.glass, air);
  EXPECT_EQ(system.Surface(3)->general.glass, air);
  EXPECT_EQ(system.info.Naper, 2);
}

TEST_F(WholeSystemTest, FieldsWhoseChiefRayFailsAreDropped) {
  // A small ball lens 20 behind the stop: the 60 degree chief ray passes 34.6 from the axis
  // there and misses it; the 1 degree one meets the image plane 30 tan(1 deg) off the axis.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "", 5.0);
  AddAt(system, 30.0, 2.0, "", 2.0);
  AddAt(system, 40.0, 0.0, "", 20.0);
  system.info.AutoSetPupilParameters = 0;
  system.info.Naper = 2;
  system.info.Dentr = 1.0;
  SetFields(system, {60.0, 1.0, 60.0});
  system.Prepare(0.55, 1, 0);
  system.TurnSystem();
  ASSERT_EQ(system.info.AlfaM.cols * system.info.AlfaM.rows, 1);
  EXPECT_APPROX(std::fabs(system.info.AlfaM.data[0]),
                30.0 * std::tan(1.0 * 3.14159265358979 / 180.0), 1e-9);

  // With no field left one value 0 stays.
  system.TurnSystem();
  SetFields(system, {60.0});
  system.TurnSystem();
  ASSERT_EQ(system.info.AlfaM.cols * system.info.AlfaM.rows, 1);
  EXPECT_EQ(system.info.AlfaM.data[0], 0.0);
}

TEST_F(WholeSystemTest, DuplicateCopiesEverySettingAndLeavesNoFile) {
  TOpticalSystem source;
  BuildSinglet(source);
  source.info.Nd = 128;
  source.info.Temperature = 25.0;
  source.info.LambdaW = 0.55;
  source.info.MonochromeSystem = 0;
  ASSERT_TRUE(source.info.Spectrum.Allocate(2, 1));
  source.info.Spectrum.data[0] = {0.5, 1.0};
  source.info.Spectrum.data[1] = {0.6, 0.25};
  source.Surface(1)->general.boundTypeExt = kBoundEllipse;
  source.Surface(1)->general.semiWidthExt = 11.0;
  source.Surface(2)->general.Ex = -0.5;
  source.Surface(2)->general.type = kSurfaceAspheric2;

  TOpticalSystem copy;
  ASSERT_EQ(copy.Duplicate(source), 1);
  EXPECT_EQ(TempFileCount(), 0);
  ASSERT_EQ(copy.SurfaceCount(), source.SurfaceCount());
  for (int i = 0; i < source.SurfaceCount(); ++i) {
    const TGeneralParameters &a = copy.Surface(i)->general;
    const TGeneralParameters &b = source.Surface(i)->general;
    EXPECT_EQ(a.type, b.type) << i;
    EXPECT_EQ(a.R, b.R) << i;
    EXPECT_EQ(a.Ex, b.Ex) << i;
    EXPECT_EQ(a.glass, b.glass) << i;
    EXPECT_EQ(a.semiHeightExt, b.semiHeightExt) << i;
    EXPECT_EQ(a.semiWidthExt, b.semiWidthExt) << i;
    EXPECT_EQ(a.boundTypeExt, b.boundTypeExt) << i;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a.vertex[k], b.vertex[k]) << i;
  }
  EXPECT_EQ(copy.info.Nd, 128);
  EXPECT_EQ(copy.info.Temperature, 25.0);
  EXPECT_EQ(copy.info.LambdaW, 0.55);
  EXPECT_EQ(copy.info.MonochromeSystem, 0);
  ASSERT_EQ(copy.info.Spectrum.cols, 2);
  EXPECT_EQ(copy.info.Spectrum.data[1].lambda, 0.6);
  EXPECT_EQ(copy.info.Spectrum.data[1].weight, 0.25);
  ASSERT_EQ(copy.info.AlfaM.cols, 2);
  EXPECT_EQ(copy.info.AlfaM.data[1], 5.0);
  EXPECT_EQ(copy.info.Naper, 2);
  EXPECT_EQ(copy.info.Dentr, 10.0);
}

TEST_F(WholeSystemTest, EveryKindOfCopySavesTheOriginalsFileByteForByte) {
  // Lenses, mirrors, a prism, a lens array, a light pipe, aspherics; with a pupil taken
  // from the stop, settings no example sets and a temperature that expands the geometry.
  for (const char *example :
       {"achromat.os", "cooke_triplet.os", "double_gauss.os", "fold_mirror.os",
        "germanium_ir_lens.os", "infrared_scanner.os", "lens_array.os", "light_pipe.os",
        "parabolic_mirror.os", "prism.os", "singlet.os", "spherical_mirror.os"}) {
    SCOPED_TRACE(example);
    TOpticalSystem original;
    ASSERT_EQ(original.ReadFile(ExamplePath(example), kNameFromFile), 1);
    original.info.Nray = 9;
    original.info.DrawAllRays = 1;
    original.info.Dentr = 0.0;
    original.info.Temperature = 31.5;
    original.info.Nd = 128;
    ASSERT_GE(original.Prepare(0.0, 1, 0), 0);
    // Each written afresh: a rewrite keeps the sections of the file it replaces in place.
    const std::string first = Scratch("original.os");
    std::remove(first.c_str());
    ASSERT_EQ(original.WriteFile(first.c_str()), 1);
    const std::string text = ReadText(first);

    TOpticalSystem constructed(original);
    TOpticalSystem assigned;
    assigned = original;
    TOpticalSystem duplicated;
    ASSERT_EQ(duplicated.Duplicate(original), 1);
    for (TOpticalSystem *copy : {&constructed, &assigned, &duplicated}) {
      // A copy prepared and solved again is still the same system.
      ASSERT_GE(copy->Prepare(0.0, 1, 0), 0);
      const std::string path = Scratch("copy.os");
      std::remove(path.c_str());
      ASSERT_EQ(copy->WriteFile(path.c_str()), 1);
      EXPECT_EQ(ReadText(path), text);
    }
  }
}

TEST_F(WholeSystemTest, DuplicateIntoAnUnwritableDirectoryFailsAndKeepsTheTarget) {
  TOpticalSystem source;
  BuildSinglet(source);
  TOpticalSystem target;
  BuildPlanes(target, 2.0);
  SetTempDir(Scratch("missing/deeper"));
  EXPECT_EQ(target.Duplicate(source), 0);
  EXPECT_EQ(target.SurfaceCount(), 4);
  EXPECT_EQ(target.Surface(1)->general.R, 0.0);
}

TEST_F(WholeSystemTest, FittedSemiHeightsRoundUpToTheNextHalfHundredth) {
  TOpticalSystem system;
  BuildPlanes(system, 3.2149);
  ASSERT_APPROX(system.info.entrancePupilDiameter, 6.4298, 1e-12);
  system.FitSemiHeights(1, 2, 21);
  EXPECT_APPROX(system.Surface(1)->general.semiHeightExt, 3.215, kFloatTolerance);
  EXPECT_APPROX(system.Surface(2)->general.semiHeightExt, 3.215, kFloatTolerance);
  EXPECT_EQ(system.Surface(0)->general.semiHeightExt, 20.0);
  EXPECT_EQ(system.Surface(3)->general.semiHeightExt, 20.0);

  TOpticalSystem wider;
  BuildPlanes(wider, 3.2151);
  // A last surface past the list means the last one; a count of 0 means 21 rays.
  wider.FitSemiHeights(1, 99, 0);
  EXPECT_APPROX(wider.Surface(1)->general.semiHeightExt, 3.225, kFloatTolerance);
  EXPECT_APPROX(wider.Surface(3)->general.semiHeightExt, 3.225, kFloatTolerance);
}

TEST(MaxOfFloats, LargestElementOrMinusTenToTheTwentieth) {
  Mem<float> empty;
  EXPECT_EQ(MaxOfFloats(empty), static_cast<double>(-1e20f));
  Mem<float> values(3, 2);
  const float cells[6] = {-3.0f, 7.5f, 2.0f, -1e30f, 7.25f, 0.0f};
  for (int k = 0; k < 6; ++k) values.data[k] = cells[k];
  EXPECT_EQ(MaxOfFloats(values), 7.5);
  for (int k = 0; k < 6; ++k) values.data[k] = -1e25f;
  // Every element is below the start value: the start value stands.
  EXPECT_EQ(MaxOfFloats(values), static_cast<double>(-1e20f));
}

// A colour image that records what the model asked of it.
struct ImageLog {
  int created = 0;
  int destroyed = 0;
  int components = 0;
  int built = 0;
  int shownWidth = 0, shownHeight = 0, shownX = 0, shownY = 0;
  std::string componentFile;
  HWND raised = nullptr;
};
ImageLog gLog;
HWND const kWindow = reinterpret_cast<HWND>(0x1234);

class RecordingImage final : public TColorImageService {
 public:
  RecordingImage() { ++gLog.created; }
  ~RecordingImage() override { ++gLog.destroyed; }
  void WriteComponents(TFileData &record, int mode) override {
    if (mode == 0) ++gLog.components;
    gLog.componentFile = record.fileName;
  }
  void BuildFromComponents(int mode) override { gLog.built += mode; }
  HWND ShowInWindow(HWND, int x, int y, int width, int height, int, int) override {
    gLog.shownX = x;
    gLog.shownY = y;
    gLog.shownWidth = width;
    gLog.shownHeight = height;
    return kWindow;
  }
};
TColorImageService *MakeRecordingImage() { return new RecordingImage(); }
void Raise(HWND window) { gLog.raised = window; }

TEST_F(WholeSystemTest, DensityImageWritesItsRasterAndShowsItOnTop) {
  gLog = ImageLog();
  const TColorImageFactory previousFactory = SetColorImageFactory(MakeRecordingImage);
  const TTopmostRaiser previousRaiser = SetTopmostRaiser(Raise);
  Mem<float> raster(3, 2);
  for (int k = 0; k < 6; ++k) raster.data[k] = 0.5f * k;
  ASSERT_EQ(ShowDensityImage(raster), 1);
  ASSERT_EQ(ShowDensityImage(raster), 1);
  EXPECT_EQ(gLog.created, 2);
  EXPECT_EQ(gLog.destroyed, 1);  // the first image went when the second came
  EXPECT_EQ(gLog.components, 2);
  EXPECT_EQ(gLog.built, 2);
  EXPECT_EQ(gLog.shownX, 50);
  EXPECT_EQ(gLog.shownY, 50);
  EXPECT_EQ(gLog.shownWidth, 3);
  EXPECT_EQ(gLog.shownHeight, 2);
  EXPECT_EQ(gLog.raised, kWindow);
  EXPECT_EQ(gLog.componentFile, Scratch("~~dens.bak"));

  TFileData reader;
  reader.fileName = Scratch("~~dens.bak");
  Mem<float> back;
  ASSERT_EQ(reader.Read(back), 1);
  EXPECT_EQ(reader.width, 3);
  EXPECT_EQ(reader.height, 2);
  EXPECT_EQ(reader.wavelength, 0.55f);
  EXPECT_EQ(reader.weight, 1.0f);
  ASSERT_EQ(back.cols * back.rows, 6);
  EXPECT_EQ(back.data[5], 2.5f);

  ReleaseDensityImage();
  EXPECT_EQ(gLog.destroyed, 2);
  SetColorImageFactory(previousFactory);
  SetTopmostRaiser(previousRaiser);
  // Without a colour image the raster file is still written.
  EXPECT_EQ(ShowDensityImage(raster), 1);
}

}  // namespace
