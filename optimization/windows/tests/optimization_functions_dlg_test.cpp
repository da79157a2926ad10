// The merit-function editor over the achromat with three configurations, offscreen: what
// its cells show (arc minutes, fractional weights), what Ok, Cancel and the page turns
// store, numbers that do not read, and Save and Load through the file dialog.

#include "optimization/windows/optimization_functions_dlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "optimization/binding/tests/run_test_support.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "optics/systemfile/system_file_format.h"
#include "optimization/windows/functions_tables.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

// A bound table's cell text, read and written as the user sees it.
class TCells {
 public:
  explicit TCells(TWinDirectTable *table) : table_(table) {}
  std::string GetCell(int column, int row) const { return table_->Grid()->Cells().GetItem(column, row).text; }
  void SetCell(int column, int row, const char *text) { table_->Grid()->Cells().GetItem(column, row).text = text; }

 private:
  TWinDirectTable *table_;
};

class FunctionsDlg : public EvaluationTest {
 protected:
  void SetUp() override {
    EvaluationTest::SetUp();
    test_kit::EnsureApplication();
    Load(system, "achromat.os");
    system.name = Scratch("achromat.os");
    configured = std::make_unique<TConfigurationSnapshots>(system, 3);
    set.Rebuild(configured.get());
    set.Read(Scratch("none.fun"));  // the defaults of a missing file
    set.Record(0, 0)->Unit = 1;
    set.Record(0, 1)->Ybeam = 0.5;
    set.Record(0, 0)->Focus.data[0].Weight = 0.5;
    set.SetConfigurations();
    dlg = new TOptimizationFunctionsDlg(nullptr, &set);
    ASSERT_TRUE(dlg->Create());
    beams = std::make_unique<TCells>(dlg->BeamsTable());
    table = std::make_unique<TCells>(dlg->FunctionsTable());
  }
  void TearDown() override {
    if (dlg->IsWindow()) dlg->Destroy();
    delete dlg;
    EvaluationTest::TearDown();
  }
  void Command(int id) { dlg->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

  TOpticalSystem system;
  std::unique_ptr<TConfigurationSnapshots> configured;
  TOptimizationFunctions set;
  TOptimizationFunctionsDlg *dlg = nullptr;
  std::unique_ptr<TCells> beams;
  std::unique_ptr<TCells> table;
};

}  // namespace

TEST_F(FunctionsDlg, HalfADegreeShowsAsThirtyMinutesAndAFractionalWeightAsItIs) {
  EXPECT_EQ(dlg->GetWindowText(), "Optimization functions. Configuration 1/3.");
  EXPECT_EQ(beams->GetCell(0, 1), "30");
  EXPECT_EQ(beams->GetCell(2, 1), "1");
  EXPECT_EQ(beams->GetCell(0, 3), "");  // an empty row shows no zeros
  EXPECT_EQ(table->GetCell(1, 0), "0.5");
  EXPECT_FALSE(dlg->ChildWithId(kPreviousId)->IsWindowEnabled());
  EXPECT_FALSE(dlg->ChildWithId(kUnitMillimetresId)->IsWindowEnabled());  // object at infinity
  Command(kUnitDegreesId);
  EXPECT_EQ(beams->GetCell(0, 1), "0.5");
  table->SetCell(1, 0, "0.25");
  Command(IDOK);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.25);
  EXPECT_EQ(set.Record(0, 0)->Unit, 0);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
}

TEST_F(FunctionsDlg, CancelKeepsWhatThePageTurnsStored) {
  table->SetCell(0, 0, "80");
  Command(kNextId);
  EXPECT_EQ(dlg->GetWindowText(), "Optimization functions. Configuration 2/3.");
  table->SetCell(0, 0, "90");
  Command(IDCANCEL);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Target, 80.0);
  EXPECT_NE(set.Record(1, 0)->Focus.data[0].Target, 90.0);
}

TEST_F(FunctionsDlg, TextThatIsNoNumberIsRefusedByNameAndNothingIsStoredUntilMended) {
  table->SetCell(1, 0, "half");
  beams->SetCell(0, 1, "12abc");
  Command(IDOK);
  // The dialog stays, with the first refused cell named and current.
  EXPECT_TRUE(dlg->IsWindow());
  ASSERT_EQ(Boxes().boxes.size(), 1U);
  EXPECT_EQ(Boxes().boxes[0].text, "Y beam in row 2: \"12abc\" is not a number.");
  EXPECT_EQ(dlg->BeamsTable()->Grid()->CurrentRow(), 1);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.5);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
  // Nor does a page turn go on.
  Command(kNextId);
  EXPECT_EQ(dlg->GetWindowText(), "Optimization functions. Configuration 1/3.");
  beams->SetCell(0, 1, "45");
  Command(kNextId);
  ASSERT_EQ(Boxes().boxes.size(), 3U);
  EXPECT_EQ(Boxes().boxes[2].text, "Weight in row Foc.length: \"half\" is not a number.");
  // A field is named by its label.
  table->SetCell(1, 0, "0,25");
  dlg->SetDlgItemText(kRaysPerBeamId, "nan");
  Command(IDOK);
  ASSERT_EQ(Boxes().boxes.size(), 4U);
  EXPECT_EQ(Boxes().boxes[3].text, "Rays number in each beam: \"nan\" is not a number.");
  dlg->SetDlgItemText(kRaysPerBeamId, "5");
  Command(IDOK);
  EXPECT_EQ(Boxes().boxes.size(), 4U);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.25);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.75);  // 45 arc minutes
  EXPECT_EQ(set.Record(0, 0)->NrayInBeam, 5);
}

TEST_F(FunctionsDlg, LettersTypedAsARequiredValueAreRefusedNamingTheCell) {
  // Typed into the focal length's Required cell as a user types, then Ok.
  TWinTableEdit &grid = *dlg->FunctionsTable()->Grid();
  grid.SetCurrentCell(0, 0);
  TCellEdit &editor = *grid.Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, test_kit::kPatienceMs));
  const double target = set.Record(0, 0)->Focus.data[0].Target;
  test_kit::PostText(editor, "abc");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "abc"; }, test_kit::kPatienceMs));
  Command(IDOK);
  EXPECT_TRUE(dlg->IsWindow());
  ASSERT_EQ(Boxes().boxes.size(), 1U);
  EXPECT_EQ(Boxes().boxes[0].text, "Required in row Foc.length: \"abc\" is not a number.");
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Target, target);
  EXPECT_EQ(grid.CurrentRow(), 0);
  EXPECT_EQ(grid.CurrentColumn(), 0);
}

TEST_F(FunctionsDlg, TheTablesAreBoundTablesWithoutARowMenuAndTheFieldsShowInBlue) {
  // Bound tables over the template's placeholders, with their captions.
  EXPECT_EQ(dlg->BeamsTable()->ColumnHeader()->Caption(0), " Y beam ");
  EXPECT_EQ(dlg->BeamsTable()->RowHeader()->Caption(9), "10");
  EXPECT_EQ(dlg->FunctionsTable()->RowHeader()->Caption(7), "Strehl");
  EXPECT_EQ(dlg->FunctionsTable()->Grid()->Columns(), 2);
  EXPECT_EQ(dlg->BeamsTable()->Grid()->Rows(), 10);
  // No row commands: a right click offers nothing.
  TScriptedMenuTracker menus;
  dlg->BeamsTable()->CellContextMenu(0, 0);
  EXPECT_TRUE(menus.walks.empty());
  // The rays field's text is dark blue on white.
  TWindow *rays = dlg->ChildWithId(kRaysPerBeamId);
  ASSERT_NE(rays, nullptr);
  dlg->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return rays->NativeWidget()->isVisible(); }, test_kit::kPatienceMs));
  const QImage pixels = rays->NativeWidget()->grab().toImage();
  // The digit's strokes: dark blue, none of them black.
  int blue = 0;
  int black = 0;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const QRgb p = pixels.pixel(x, y);
      blue += qBlue(p) >= 0x60 && qRed(p) < 0x30 && qGreen(p) < 0x30 ? 1 : 0;
      black += (p & 0xFFFFFF) == 0 ? 1 : 0;
    }
  EXPECT_GT(blue, 5);
  EXPECT_EQ(black, 0);
}

TEST_F(FunctionsDlg, TheFileItSavesLoadsBackEqual) {
  TScriptedFileDialog files;
  const std::string path = Scratch("saved.fun");
  table->SetCell(0, 3, "120.5");
  table->SetCell(1, 3, "0.75");
  // The focus target found from the system holds more digits than its cell shows: a cell
  // left alone is saved with them all.
  const double focus = set.Record(0, 0)->Focus.data[0].Target;
  char shown[32];
  std::snprintf(shown, sizeof shown, "%g", focus);
  ASSERT_NE(std::stod(shown), focus);
  files.Choose({path});
  Command(kSaveId);
  const std::string saved = ReadText(path);
  EXPECT_EQ(saved.find("Focus_R="), saved.find("Focus_R=" + FormatNumber(focus) + ";")) << saved;
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_TRUE(files.asked[0].Save);
  EXPECT_EQ(files.asked[0].FileName, "achromat.fun");
  EXPECT_EQ(files.asked[0].DefaultExt, "fun");
  // Spoil the set, then load the file back through the dialog.
  set.Record(0, 0)->LengthOfSystem.data[0].Weight = 9.0;
  set.Record(0, 1)->Ybeam = 7.0;
  files.Choose({path});
  Command(kLoadId);
  EXPECT_EQ(set.Record(0, 0)->LengthOfSystem.data[0].Target, 120.5);
  EXPECT_EQ(set.Record(0, 0)->LengthOfSystem.data[0].Weight, 0.75);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
  EXPECT_EQ(table->GetCell(1, 3), "0.75");
  EXPECT_EQ(table->GetCell(1, 0), "0.5");
}
