// The light-source set-up folder with its five pages and tables: what the tables give the
// source and what they refuse, opening *.srl and DXF files (and what is refused), saving by
// the file's kind, the caption, the objects' temperatures set at once, the preview, and the
// folder opened by the Settings page's "Generation".
#include "synthesis/lightsource/light_source_setup_folder.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "imaging/rasters/tests/raster_test_support.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_setup_pages.h"
#include "synthesis/lightsource/light_source_tables.h"
#include "synthesis/lightsource/tests/dxf_samples.h"
#include "toolkit/plot3d/paint3d.h"
#include "toolkit/tables/table2.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A zone source with a value of every list, some with more digits than the cells show.
TLightSource Zoned() {
  TLightSource source;
  source.SourceType = kZoneSource;
  source.Comment = "two zones";
  source.Zones.Allocate(2, 1);
  source.Zones.data[0] = TLightSourceZone{-1.0, 2.123456789, 3.0, 1.0, 0.0};
  source.Zones.data[1] = TLightSourceZone{0.0, 1.0, 1.5, 2.5, 0.0};
  source.LocLimits.Allocate(2, 1);
  source.LocLimits.data[0] = TLimitLoc{1, -0.5, 0.5};
  source.LocLimits.data[1] = TLimitLoc{1, -1.0, 1.0 / 3.0};
  source.Screens.Allocate(1, 1);
  source.Screens.data[0] = TLimitDir{4.0, 0.7, 0.0};
  source.Spectrum.Allocate(2, 1);
  source.Spectrum.data[0] = TSpectralInfo{0.5, 1.0};
  source.Spectrum.data[1] = TSpectralInfo{0.6, 0.25};
  return source;
}

class LightSourceSetup : public SynthesisTest {
 protected:
  void SetUp() override {
    SynthesisTest::SetUp();
    test_kit::EnsureApplication();
  }
  void TearDown() override {
    if (folder_ != nullptr && folder_->GetHandle() != nullptr) folder_->Destroy(IDCANCEL);
    folder_.reset();
    SynthesisTest::TearDown();
  }
  TLightSourceSetupFolder &Open(const std::string &sourceFile = std::string()) {
    folder_ = std::make_unique<TLightSourceSetupFolder>(nullptr, Scratch("lens.os"), sourceFile);
    EXPECT_TRUE(folder_->Create());
    folder_->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return *folder_;
  }
  static void Cell(TWinDirectTable &table, int column, int row, const char *text) {
    table.Grid()->Cells().GetItem(column, row).text = text;
  }
  static std::string CellText(TWinDirectTable &table, int column, int row) {
    return table.Grid()->Cells().GetItem(column, row).text;
  }
  void ChooseKind(int index) {
    TLightSourceSetupTypeDlg &page = *folder_->TypePage();
    auto &list = *dynamic_cast<TComboBox *>(page.ChildWithId(kSourceKindList));
    list.SetSelIndex(index);
    page.SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kSourceKindList),
                     reinterpret_cast<LPARAM>(list.GetHandle()));
  }
  std::string LastBox() const { return boxes.boxes.empty() ? std::string() : boxes.boxes.back().text; }

  std::unique_ptr<TLightSourceSetupFolder> folder_;
  TScriptedFileDialog files_;
};

TEST_F(LightSourceSetup, ANewFolderIsSolidWithItsFiveTabsAndTheTypeOpensTheLimitTab) {
  TLightSourceSetupFolder &folder = Open();
  EXPECT_EQ(folder.GetWindowText(), "Light Source");
  ASSERT_EQ(folder.PageCount(), 5);
  const char *titles[] = {" Type ", " Limit ", " Screen ", " Wavelength", " Comment "};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(folder.Entry(i)->title, titles[i]);
  EXPECT_EQ(folder.Source().SourceType, kSolidSource);
  // Solid: neither the Limit nor the Screen tab; the objects' table shows.
  EXPECT_EQ(folder.Entry(1)->enabled, 0);
  EXPECT_EQ(folder.Entry(2)->enabled, 0);
  EXPECT_TRUE(folder.TypePage()->ObjectTable()->IsWindowVisible());
  EXPECT_FALSE(folder.TypePage()->ZonesTable()->IsWindowVisible());
  // A new source has no objects: the table shows its headers and no row that would look
  // like one, and reading it gives the source none.
  TWinTableEdit &objectCells = *folder.TypePage()->ObjectTable()->Grid();
  EXPECT_EQ(objectCells.Rows(), 0);
  EXPECT_EQ(objectCells.Columns(), 2);
  ASSERT_EQ(folder.ReadAll(), 1);
  EXPECT_EQ(folder.Source().ObjectNames.Cells(), 0);
  EXPECT_EQ(folder.Source().ObjectTemperatures.Cells(), 0);
  ChooseKind(0);
  EXPECT_EQ(folder.Entry(1)->enabled, 1);
  EXPECT_EQ(folder.Entry(2)->enabled, 0);
  EXPECT_EQ(folder.Entry(3)->enabled, 1);
  EXPECT_TRUE(folder.TypePage()->ZonesTable()->IsWindowVisible());
  EXPECT_FALSE(folder.TypePage()->ObjectTable()->IsWindowVisible());
}

TEST_F(LightSourceSetup, EmptyRowsAreLeftOutAndSizelessZonesAndEqualLimitsAreRefused) {
  TLightSourceSetupFolder &folder = Open();
  ChooseKind(0);
  TLightSourceZonesTable &zones = *folder.TypePage()->ZonesTable();
  // Rows 1 and 3 filled, row 2 empty: two zones, none of them without size.
  Cell(zones, 0, 0, "0");
  Cell(zones, 1, 0, "4");
  Cell(zones, 2, 0, "2");
  Cell(zones, 3, 0, "1");
  Cell(zones, 0, 2, "1");
  Cell(zones, 1, 2, "2");
  Cell(zones, 2, 2, "1");
  Cell(zones, 3, 2, "3");
  ASSERT_EQ(folder.ReadAll(), 1);
  ASSERT_EQ(folder.Source().Zones.cols, 2);
  EXPECT_EQ(folder.Source().Zones.data[1].Bright, 3.0);
  EXPECT_EQ(folder.Source().SourceType, kZoneSource);
  // A zone with a brightness but no length would divide by nothing: refused, the source
  // keeps its two zones.
  Cell(zones, 3, 1, "5");
  EXPECT_EQ(folder.ReadAll(), 0);
  EXPECT_EQ(LastBox(), "Zone 2 has no size: its Az and Ay must be above 0.");
  EXPECT_EQ(folder.Source().Zones.cols, 2);
  Cell(zones, 3, 1, "");
  // A limit of equal bounds is refused, not made inactive behind the user's back.
  TLightSourceLimitTable &limits = *folder.LimitPage()->Table();
  Cell(limits, 0, 1, "5");
  Cell(limits, 1, 1, "5");
  EXPECT_EQ(folder.ReadAll(), 0);
  EXPECT_EQ(LastBox(), "The limit Y: its maximum must exceed its minimum.");
  // Y from 1 to 3: two limits, the first (Z) empty and inactive.
  Cell(limits, 0, 1, "1");
  Cell(limits, 1, 1, "3");
  ASSERT_EQ(folder.ReadAll(), 1);
  ASSERT_EQ(folder.Source().LocLimits.cols, 2);
  EXPECT_EQ(folder.Source().LocLimits.data[0].Active, 0);
  EXPECT_EQ(folder.Source().LocLimits.data[1].Active, 1);
  EXPECT_EQ(folder.Source().LocLimits.data[1].Max, 3.0);
  // The shown source clears rows after its last entry.
  folder.Source().Zones.Resize(1, 1);
  folder.ShowAll();
  EXPECT_EQ(CellText(zones, 3, 2), "");
}

TEST_F(LightSourceSetup, ScreensWavelengthsAndTheCommentGoInAsTheyMayBeUsed) {
  TLightSourceSetupFolder &folder = Open();
  TLightSourceScreenTable &screens = *folder.ScreenPage()->Table();
  Cell(screens, 0, 1, "3");
  Cell(screens, 1, 1, "-1");
  EXPECT_EQ(folder.ReadAll(), 0);
  EXPECT_EQ(LastBox(), "The radius of screen 2 can not be negative.");
  Cell(screens, 1, 1, "1.5");
  TLightSourceWaveLenghtTable &spectrum = *folder.WaveLenghtPage()->Table();
  Cell(spectrum, 0, 0, "0.7");
  Cell(spectrum, 1, 0, "1");
  Cell(spectrum, 0, 1, "0");
  Cell(spectrum, 1, 1, "2");
  EXPECT_EQ(folder.ReadAll(), 0);
  EXPECT_EQ(LastBox(), "Wavelength 2 must be above 0.");
  Cell(spectrum, 0, 1, "0.45");
  // Text that is no number is refused by the table itself.
  Cell(spectrum, 1, 3, "nan");
  EXPECT_EQ(folder.ReadAll(), 0);
  Cell(spectrum, 1, 3, "");
  // At most the 255 characters the file holds.
  SetDlgItemText(folder.CommentPage()->GetHandle(), kSourceCommentEdit, std::string(300, 'c').c_str());
  ASSERT_EQ(folder.ReadAll(), 1);
  ASSERT_EQ(folder.Source().Screens.cols, 1);
  EXPECT_EQ(folder.Source().Screens.data[0].H, 1.5);
  // Sorted by wavelength, as the source reads its table.
  ASSERT_EQ(folder.Source().Spectrum.cols, 2);
  EXPECT_EQ(folder.Source().Spectrum.data[0].lambda, 0.45);
  EXPECT_EQ(folder.Source().Spectrum.data[1].weight, 1.0);
  EXPECT_EQ(folder.Source().Comment, std::string(255, 'c'));
}

TEST_F(LightSourceSetup, ALightSourceFileOpensOnThePagesAndSavesBackToTheSameBytes) {
  const std::string path = Scratch("Lamps/Zoned.srl");
  std::filesystem::create_directories(Scratch("Lamps"));
  ASSERT_EQ(Zoned().WriteFile(path), 1);
  const std::string written = Slurp(path);
  // Read at set-up from the test object's file.
  TLightSourceSetupFolder &folder = Open(path);
  EXPECT_EQ(folder.FileName(), path);
  // The caption shows the name in lower case; the name keeps its own.
  std::string lower = path;
  for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(folder.GetWindowText(), "Light Source - " + lower);
  EXPECT_EQ(CellText(*folder.TypePage()->ZonesTable(), 1, 0), "2.12346");
  EXPECT_EQ(folder.Source().Comment, "two zones");
  std::filesystem::remove(path);
  folder.SendMessage(WM_COMMAND, kSetupSave, 0);
  EXPECT_TRUE(files_.asked.empty());  // a light-source file is written where it is
  EXPECT_EQ(Slurp(path), written);
}

TEST_F(LightSourceSetup, FilesTheSetUpCannotShowAreRefusedAndTheSourceStays) {
  TLightSourceSetupFolder &folder = Open();
  ASSERT_EQ(Zoned().WriteFile(Scratch("zoned.srl")), 1);
  ASSERT_EQ(folder.OpenFile(Scratch("zoned.srl")), 1);
  const std::size_t before = boxes.boxes.size();
  // Neither kind.
  std::ofstream(Scratch("notes.txt")) << "not a source";
  EXPECT_EQ(folder.OpenFile(Scratch("notes.txt")), 0);
  EXPECT_NE(LastBox().find("is neither a light-source file"), std::string::npos);
  // Not there.
  EXPECT_EQ(folder.OpenFile(Scratch("gone.srl")), 0);
  EXPECT_NE(LastBox().find("cannot be read"), std::string::npos);
  // More zones than the table has rows: refused rather than cut.
  TLightSource many = Zoned();
  many.Zones.Resize(25, 1);
  for (int k = 0; k < 25; ++k) many.Zones.data[k] = TLightSourceZone{0.0, 1.0, 1.0, 1.0, 0.0};
  ASSERT_EQ(many.WriteFile(Scratch("many.srl")), 1);
  EXPECT_EQ(folder.OpenFile(Scratch("many.srl")), 0);
  EXPECT_EQ(LastBox(), "The light source of \"" + Scratch("many.srl") + "\" holds 25 zones; the set-up shows at most 20.");
  EXPECT_EQ(boxes.boxes.size(), before + 3);
  EXPECT_EQ(folder.FileName(), Scratch("zoned.srl"));
  EXPECT_EQ(folder.Source().Zones.cols, 2);
  // A cancelled Open keeps the source and its name.
  files_.Cancel();
  folder.SendMessage(WM_COMMAND, kSetupOpen, 0);
  EXPECT_EQ(folder.FileName(), Scratch("zoned.srl"));
}

TEST_F(LightSourceSetup, ADxfMeshImportsShowsInThreeDAndSavesAsALightSourceThatReadsBackEqual) {
  // The mesh lies in a folder whose name holds "srl": it is still no light-source file.
  std::filesystem::create_directories(Scratch("srl meshes"));
  const std::string dxf = Scratch("srl meshes/two.dxf");
  std::ofstream(dxf, std::ios::binary) << kTwoTriangles;
  TLightSourceSetupFolder &folder = Open();
  files_.Choose({dxf});
  folder.SendMessage(WM_COMMAND, kSetupOpen, 0);
  ASSERT_EQ(folder.FileName(), dxf);
  EXPECT_EQ(folder.Source().SourceType, kSolidSource);
  ASSERT_EQ(folder.Source().Triangles.cols, 2);
  // Every layer in table order, at 273 K: HOT, the first, is object 0 and holds a face.
  TLightSourceObjectTable &objects = *folder.TypePage()->ObjectTable();
  EXPECT_EQ(objects.Grid()->Rows(), 2);
  EXPECT_EQ(CellText(objects, 0, 0), "HOT");
  EXPECT_EQ(CellText(objects, 0, 1), "COLD");
  EXPECT_EQ(objects.RowHeader()->Caption(0), "0");
  EXPECT_EQ(objects.RowHeader()->Caption(1), "1");
  // "3D View" shows the mesh beside the page.
  folder.TypePage()->SendMessage(WM_COMMAND, kSourceView3D, 0);
  bool preview = false;
  for (TWindow *child : folder.TypePage()->GetChildren())
    if (dynamic_cast<TPaint3D *>(child) != nullptr && child->GetWindowText() == "Light Source") preview = true;
  EXPECT_TRUE(preview);
  // Save: the DXF is not written over; the name is asked for.
  Cell(objects, 1, 0, "1500");
  files_.Choose({Scratch("mesh.srl")});
  folder.SendMessage(WM_COMMAND, kSetupSave, 0);
  EXPECT_EQ(files_.asked.size(), 2u);
  EXPECT_EQ(Slurp(dxf), kTwoTriangles);
  EXPECT_EQ(folder.FileName(), Scratch("mesh.srl"));
  TLightSource back;
  ASSERT_EQ(back.ReadFile(Scratch("mesh.srl")), 1);
  EXPECT_EQ(back.SourceType, kSolidSource);
  ASSERT_EQ(back.Triangles.cols, 2);
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(back.Triangles.data[k].A.data[i], folder.Source().Triangles.data[k].A.data[i]);
      EXPECT_EQ(back.Triangles.data[k].C.data[i], folder.Source().Triangles.data[k].C.data[i]);
    }
  ASSERT_EQ(back.ObjectNames.cols, 2);
  EXPECT_EQ(back.ObjectNames.data[1], "COLD");
  EXPECT_EQ(back.ObjectTemperatures.data[0], 1500.0f);
  EXPECT_EQ(back.ObjectTemperatures.data[1], 273.0f);
}

TEST_F(LightSourceSetup, SetForAllObjectsGivesEveryObjectTheCurrentTemperature) {
  TLightSource three;
  three.SourceType = kSolidSource;
  three.ObjectNames.Allocate(3, 1);
  three.ObjectTemperatures.Allocate(3, 1);
  const char *names[] = {"base", "wire", "glass"};
  for (int i = 0; i < 3; ++i) {
    three.ObjectNames.data[i] = names[i];
    three.ObjectTemperatures.data[i] = 100.0f * (i + 1);
  }
  three.Triangles.Allocate(1, 1);
  const double a[3] = {0, 0, 0}, b[3] = {0, 1, 0}, c[3] = {0, 0, 1};
  three.Triangles.data[0].SetVertices(a, b, c);
  three.Triangles.data[0].Object = 1;  // object 0 holds no face
  ASSERT_EQ(three.WriteFile(Scratch("three.srl")), 1);
  TLightSourceSetupFolder &folder = Open(Scratch("three.srl"));
  TLightSourceObjectTable &objects = *folder.TypePage()->ObjectTable();
  ASSERT_EQ(objects.Grid()->Rows(), 2);
  ASSERT_EQ(objects.Grid()->SetCurrentCell(1, 0), 1);
  Cell(objects, 1, 0, "3000");
  folder.TypePage()->SendMessage(WM_COMMAND, kCmSetForAllObjects, 0);
  EXPECT_EQ(CellText(objects, 1, 1), "3000");
  ASSERT_EQ(folder.ReadAll(), 1);
  // Object 0, without faces, is not listed and keeps its temperature.
  EXPECT_EQ(folder.Source().ObjectTemperatures.data[0], 100.0f);
  EXPECT_EQ(folder.Source().ObjectTemperatures.data[1], 3000.0f);
  EXPECT_EQ(folder.Source().ObjectTemperatures.data[2], 3000.0f);
}

}  // namespace
