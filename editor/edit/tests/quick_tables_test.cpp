// The quick decenter and tilt tables: opened and closed by their commands, forgotten when
// the user closes them, and putting typed values on the selected elements.

#include <cmath>

#include "editor/commands/editor_commands.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"

namespace {

constexpr double kPlaceTolerance = 1e-9;
// Angles set through rotations of the frames.
constexpr double kAngleTolerance = 1e-9;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

bool Checked(HMENU menu, UINT command) {
  return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

int MarkFirstLens(TSystemImage &system) {
  for (int e = 0; e < system.ElementCount(); ++e) {
    if (system.elements.data[e].SurfaceCount() != 2) continue;
    system.elements.data[e].mark = 1;
    system.selectedElement = e;
    system.hasSelection = 1;
    return e;
  }
  return -1;
}

using QuickTablesTest = EditorShellTest;

TEST_F(QuickTablesTest, DecenterTwiceOpensThenClosesItsTable) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  TQuickPositionTableDlg *table = editor.Tools().positionTable;
  ASSERT_NE(table, nullptr);
  EXPECT_NE(table->GetHandle(), nullptr);
  EXPECT_TRUE(table->IsWindowVisible());
  EXPECT_TRUE(editor.Tools().ButtonDown(CM_DECENTER));
  EXPECT_TRUE(Checked(Menu(), CM_DECENTER));

  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  EXPECT_EQ(editor.Tools().positionTable, nullptr);
  EXPECT_FALSE(editor.Tools().ButtonDown(CM_DECENTER));
  EXPECT_FALSE(Checked(Menu(), CM_DECENTER));
}

TEST_F(QuickTablesTest, ATableTheUserClosesIsForgottenAndOpensAgain) {
  TOpticalEditor &editor = Open(triplet_);
  for (UINT command : {CM_DECENTER, CM_TILT}) {
    editor.SendMessage(WM_COMMAND, command);
    TQuickTableDlg *table = command == CM_DECENTER
                                ? static_cast<TQuickTableDlg *>(editor.Tools().positionTable)
                                : static_cast<TQuickTableDlg *>(editor.Tools().inclinationTable);
    ASSERT_NE(table, nullptr);
    // The table's own Close button.
    table->SendMessage(WM_COMMAND, IDCANCEL);
    if (command == CM_DECENTER) {
      EXPECT_EQ(editor.Tools().positionTable, nullptr);
    } else {
      EXPECT_EQ(editor.Tools().inclinationTable, nullptr);
    }
    EXPECT_FALSE(editor.Tools().ButtonDown(command));
    EXPECT_FALSE(Checked(Menu(), command));
    // The next command opens a new table rather than closing the gone one; refreshes in
    // between touch nothing of the old one.
    editor.RefreshAll();
    editor.SendMessage(WM_COMMAND, command);
    const bool open = command == CM_DECENTER ? editor.Tools().positionTable != nullptr
                                             : editor.Tools().inclinationTable != nullptr;
    EXPECT_TRUE(open) << command;
    EXPECT_TRUE(editor.Tools().ButtonDown(command));
  }
  // Both stay open while the editor goes.
}

TEST_F(QuickTablesTest, ThePositionTableMovesTheMarkedElement) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int lens = MarkFirstLens(system);
  ASSERT_GE(lens, 0);
  const int first = system.IndexOfSurface(system.elements.data[lens].FirstSurface());
  const int last = system.IndexOfSurface(system.elements.data[lens].LastSurface());
  const double frontX = system.Surface(first)->general.vertex[0];
  const double backX = system.Surface(last)->general.vertex[0];
  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  TQuickPositionTableDlg *table = editor.Tools().positionTable;
  ASSERT_NE(table, nullptr);
  char text[64] = {};
  table->GetDlgItemText(TQuickPositionTableDlg::kY, text, sizeof text);
  EXPECT_STREQ(text, "0");

  // A value that is not a number is refused with a message, and nothing moves.
  table->SetDlgItemText(TQuickPositionTableDlg::kY, "1.5x");
  table->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_NE(answers_->boxes.back().text.find("Wrong value of Y"), std::string::npos);
  EXPECT_APPROX(system.Surface(first)->general.vertex[1], 0.0, kPlaceTolerance);

  table->SetDlgItemText(TQuickPositionTableDlg::kY, "1.5");
  table->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
  for (int i : {first, last}) EXPECT_APPROX(system.Surface(i)->general.vertex[1], 1.5, kPlaceTolerance);
  EXPECT_APPROX(system.Surface(first)->general.vertex[0], frontX, kPlaceTolerance);
  EXPECT_APPROX(system.Surface(last)->general.vertex[0], backX, kPlaceTolerance);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Decenter element (ctrl-Z)");

  table->SetPendingShift(0.25, -2.0);
  EXPECT_EQ(table->PendingText(), "0.25; -2");
  // Alignment tells the table that nothing is pending any more.
  editor.SendMessage(WM_COMMAND, CM_ALIGNMENT);
  EXPECT_EQ(table->PendingText(), "0; 0");
}

TEST_F(QuickTablesTest, TheInclinationTableTurnsTheMarkedElementAboutItsFirstVertex) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int lens = MarkFirstLens(system);
  ASSERT_GE(lens, 0);
  const int first = system.IndexOfSurface(system.elements.data[lens].FirstSurface());
  const int last = system.IndexOfSurface(system.elements.data[lens].LastSurface());
  const double *front = system.Surface(first)->general.vertex;
  const double thickness = system.Surface(last)->general.vertex[0] - front[0];
  const double frontX = front[0];
  editor.SendMessage(WM_COMMAND, CM_TILT);
  TQuickInclinationTableDlg *table = editor.Tools().inclinationTable;
  ASSERT_NE(table, nullptr);
  table->SetDlgItemText(TQuickInclinationTableDlg::kAngle, "2");
  table->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
  const double turn = 2.0 * kRadiansPerDegree;
  for (int i : {first, last})
    EXPECT_APPROX(system.GetSurfaceAngles(i, i, kGlobalFrame).z, turn, kAngleTolerance) << i;
  // The back vertex swings about the front one by the same angle.
  const double *back = system.Surface(last)->general.vertex;
  EXPECT_APPROX(system.Surface(first)->general.vertex[0], frontX, kPlaceTolerance);
  EXPECT_APPROX(back[0] - frontX, thickness * std::cos(turn), kPlaceTolerance);
  EXPECT_APPROX(std::fabs(back[1]), thickness * std::sin(turn), kPlaceTolerance);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Tilt element (ctrl-Z)");
}

}  // namespace
