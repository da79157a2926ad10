// The quick decenter and tilt tables: opened and closed by their commands, forgotten when
// the user closes them, and putting typed values on the selected elements.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "editor/commands/editor_commands.h"
#include "editor/dialogs/number_field.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/properties/positions_model.h"
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
  TQuickPositionTableDlg *table = editor.EditTools().positionTable;
  ASSERT_NE(table, nullptr);
  EXPECT_NE(table->GetHandle(), nullptr);
  EXPECT_TRUE(table->IsWindowVisible());
  EXPECT_TRUE(editor.EditTools().ButtonDown(CM_DECENTER));
  EXPECT_TRUE(Checked(Menu(), CM_DECENTER));

  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  EXPECT_EQ(editor.EditTools().positionTable, nullptr);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_DECENTER));
  EXPECT_FALSE(Checked(Menu(), CM_DECENTER));
}

TEST_F(QuickTablesTest, ATableTheUserClosesIsForgottenAndOpensAgain) {
  TOpticalEditor &editor = Open(triplet_);
  for (UINT command : {CM_DECENTER, CM_TILT}) {
    editor.SendMessage(WM_COMMAND, command);
    TQuickTableDlg *table = command == CM_DECENTER
                                ? static_cast<TQuickTableDlg *>(editor.EditTools().positionTable)
                                : static_cast<TQuickTableDlg *>(editor.EditTools().inclinationTable);
    ASSERT_NE(table, nullptr);
    // The table's own Close button.
    table->SendMessage(WM_COMMAND, IDCANCEL);
    if (command == CM_DECENTER) {
      EXPECT_EQ(editor.EditTools().positionTable, nullptr);
    } else {
      EXPECT_EQ(editor.EditTools().inclinationTable, nullptr);
    }
    EXPECT_FALSE(editor.EditTools().ButtonDown(command));
    EXPECT_FALSE(Checked(Menu(), command));
    // The next command opens a new table rather than closing the gone one; refreshes in
    // between touch nothing of the old one.
    editor.RefreshAll();
    editor.SendMessage(WM_COMMAND, command);
    const bool open = command == CM_DECENTER ? editor.EditTools().positionTable != nullptr
                                             : editor.EditTools().inclinationTable != nullptr;
    EXPECT_TRUE(open) << command;
    EXPECT_TRUE(editor.EditTools().ButtonDown(command));
  }
  // Both stay open while the editor goes.
}

TEST_F(QuickTablesTest, TheCanvasTellsAnOpenTableItsPendingShiftAndForgetsAClosedOne) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  ASSERT_GE(MarkFirstLens(system), 0);
  TEditGraph &canvas = *editor.Canvas();
  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  editor.SendMessage(WM_COMMAND, CM_TILT);
  TQuickPositionTableDlg *position = editor.EditTools().positionTable;
  ASSERT_NE(position, nullptr);
  ASSERT_NE(editor.EditTools().inclinationTable, nullptr);
  // A drag of the move tool 2 mm along the axis.
  editor.SetMouseMode(kMoveMouseMode);
  const POINT from = canvas.WorldToDevice(0.0, 0.0);
  const POINT to = canvas.WorldToDevice(2.0, 0.0);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  double dx = 0.0;
  const std::string shown = position->PendingText();
  ASSERT_NE(shown.find(';'), std::string::npos);
  ASSERT_TRUE(ParseNumberField(shown.substr(0, shown.find(';')), dx));
  // Within a pixel of the 2 mm dragged.
  EXPECT_NEAR(dx, 2.0, 1.0 / canvas.ScaleX() + 1e-9);
  canvas.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));

  // Both tables closed by the user; the next drags tell nobody (the sanitizers would see a
  // table that is gone).
  position->SendMessage(WM_COMMAND, IDCANCEL);
  editor.EditTools().inclinationTable->SendMessage(WM_COMMAND, IDCANCEL);
  editor.SendMessage(WM_COMMAND, CM_DECENTER);  // deletes the closed ones, opens a new one
  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  canvas.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  EXPECT_EQ(editor.EditTools().positionTable, nullptr);
  EXPECT_EQ(editor.EditTools().inclinationTable, nullptr);
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
  TQuickPositionTableDlg *table = editor.EditTools().positionTable;
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
  for (int i : {first, last})
    EXPECT_APPROX(system.Surface(i)->general.vertex[1], 1.5, kPlaceTolerance);
  EXPECT_APPROX(system.Surface(first)->general.vertex[0], frontX, kPlaceTolerance);
  EXPECT_APPROX(system.Surface(last)->general.vertex[0], backX, kPlaceTolerance);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Decenter element (ctrl-Z)");

  table->SetPendingShift(0.25, -2.0);
  EXPECT_EQ(table->PendingText(), "0.25; -2");
  // Alignment tells the table that nothing is pending any more.
  editor.SendMessage(WM_COMMAND, CM_ALIGNMENT);
  EXPECT_EQ(table->PendingText(), "0; 0");
}

// Apply untouched after the selection moved on without the table (another lens marked, or
// the system opened again): nothing moves to the values of what the table showed before.
TEST_F(QuickTablesTest, ValuesShownOfAnotherElementOrSystemAreNeverApplied) {
  for (const bool reopen : {false, true}) {
    TOpticalEditor &editor = Open(triplet_);
    TSystemImage &system = editor.System();
    const int lens = MarkFirstLens(system);
    ASSERT_GE(lens, 0);
    for (UINT command : {CM_DECENTER, CM_TILT}) editor.SendMessage(WM_COMMAND, command);
    if (reopen) {
      ASSERT_TRUE(TFileCommands::IsLoaded(editor.Files().LoadSystem(triplet_, kNameFromFileName)));
    }
    int other = lens + 1;
    while (other < system.ElementCount() && system.elements.data[other].SurfaceCount() != 2) ++other;
    ASSERT_LT(other, system.ElementCount());
    for (int e = 0; e < system.ElementCount(); ++e) system.elements.data[e].mark = e == other;
    system.selectedElement = other;
    const DPOINT3 before = system.elements.data[other].referencePoint;
    const std::size_t boxes = answers_->boxes.size();
    editor.EditTools().positionTable->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
    editor.EditTools().inclinationTable->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
    EXPECT_EQ(system.elements.data[other].referencePoint.x, before.x) << reopen;
    EXPECT_EQ(answers_->boxes.size(), boxes + 2) << reopen;
    char shown[16] = {};
    editor.EditTools().positionTable->GetDlgItemText(TQuickTableDlg::kElement, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), std::to_string(other + 1)) << reopen;
    DropEditor();
  }
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
  TQuickInclinationTableDlg *table = editor.EditTools().inclinationTable;
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

// A lens tilted about x, y or both before it is turned: the tilt typed is the direction of
// its axis in the drawing's plane (its own frame turned rigidly about z), the table shows what
// was typed, and the same value applied again changes nothing.
TEST_F(QuickTablesTest, TheInclinationTableSetsTheAxisOfALensTiltedOutOfThePlane) {
  const auto axis = [](const DPOINT3 &a) {  // Rx(ax) Ry(-ay) Rz(az) applied to the x axis
    return DPOINT3(std::cos(a.y) * std::cos(a.z), std::cos(a.x) * std::sin(a.z) - std::sin(a.x) * std::sin(a.y) * std::cos(a.z),
                   std::sin(a.x) * std::sin(a.z) + std::cos(a.x) * std::sin(a.y) * std::cos(a.z));
  };
  for (const DPOINT3 &tilt : {DPOINT3(0.0, 10.0, 0.0), DPOINT3(7.0, 0.0, 5.0), DPOINT3(3.0, 4.0, -20.0)}) {
    SCOPED_TRACE(testing::Message() << tilt.x << ", " << tilt.y << ", " << tilt.z);
    TOpticalEditor &editor = Open(triplet_);
    TSystemImage &system = editor.System();
    const int lens = MarkFirstLens(system);
    ASSERT_GE(lens, 0);
    const int first = system.IndexOfSurface(system.elements.data[lens].FirstSurface());
    for (int i : {first, first + 1})
      system.Surface(i)->SetAngles(tilt.x * kRadiansPerDegree, tilt.y * kRadiansPerDegree, tilt.z * kRadiansPerDegree);
    const double across = axis(system.GetSurfaceAngles(first, first, kGlobalFrame)).z;
    editor.SendMessage(WM_COMMAND, CM_TILT);
    TQuickInclinationTableDlg *table = editor.EditTools().inclinationTable;
    ASSERT_NE(table, nullptr);
    for (int again = 0; again < 2; ++again) {
      table->SetDlgItemText(TQuickInclinationTableDlg::kAngle, "30");
      table->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
      const DPOINT3 now = axis(system.GetSurfaceAngles(first, first, kGlobalFrame));
      EXPECT_APPROX(std::atan2(now.y, now.x), 30.0 * kRadiansPerDegree, kAngleTolerance) << again;
      EXPECT_APPROX(now.z, across, kAngleTolerance) << again;
      char text[64] = {};
      table->GetDlgItemText(TQuickInclinationTableDlg::kAngle, text, sizeof text);
      EXPECT_APPROX(std::atof(text), 30.0, 1e-6) << again;
    }
    DropEditor();
  }
}

// Every command that turns or moves the fold mirror's lens, with one, two and three
// configurations (the lens k along the axis in configuration k + 1; the base shown with two,
// the third with three): the others keep every place but the lens's shared shape, the one
// shown keeps the mirror and the image, and the tilt typed on the Positions page (both faces
// turned, the back vertex typed where the tilt puts it) gives the same places.
TEST_F(QuickTablesTest, CommandsThatMoveAnElementLeaveTheOtherConfigurationsInPlace) {
  enum TRoad { kTiltTable, kDecenterTable, kAlignment, kDrag, kTypedTilt, kTypedPlaces };
  const double turn = 2.0 * kRadiansPerDegree;
  const std::string fold = ScratchExample("fold_mirror.os", "Fold.os");
  for (const TRoad road : {kTiltTable, kDecenterTable, kAlignment, kDrag, kTypedTilt, kTypedPlaces}) {
    for (int count = 1; count <= 3; ++count) {
      SCOPED_TRACE(testing::Message() << "road " << road << ", " << count << " configurations");
      TSystemImage &system = Open(fold).System();
      if (road == kAlignment) system.Surface(2)->general.vertex[1] = 0.5;  // back face off the axis
      for (int k = 1; k < count; ++k) {
        system.InsertConfiguration(k - 1);
        TOpticalElement &lens = system.elements.data[MarkFirstLens(system)];
        lens.MoveTo(lens.referencePoint.x + k, lens.referencePoint.y, lens.referencePoint.z);
        system.SaveUndo("Configuration");
      }
      const int shown = count == 3 ? 2 : 0;
      const auto places = [&] {
        std::vector<std::vector<DPOINT3>> all(count);
        for (int k = 0; k < count; ++k) {
          system.SelectConfiguration(k);
          for (int i = 0; i < system.SurfaceCount(); ++i) all[k].push_back(system.GetSurfacePosition(i, i, kGlobalFrame));
        }
        system.SelectConfiguration(shown);
        return all;
      };
      const std::vector<std::vector<DPOINT3>> before = places();
      ASSERT_EQ(system.IndexOfSurface(system.elements.data[MarkFirstLens(system)].FirstSurface()), 1);
      system.selectedSurface = -1;
      const double thickness = before[shown][2].x - before[shown][1].x;
      TPositionsModel positions;
      TQuickTableDlg *table = nullptr;
      if (road == kTiltTable || road == kDecenterTable) {
        editor_->SendMessage(WM_COMMAND, road == kTiltTable ? CM_TILT : CM_DECENTER);
        table = road == kTiltTable ? static_cast<TQuickTableDlg *>(editor_->EditTools().inclinationTable)
                                   : editor_->EditTools().positionTable;
        table->SetDlgItemText(road == kTiltTable ? TQuickInclinationTableDlg::kAngle : TQuickPositionTableDlg::kY,
                              road == kTiltTable ? "2" : "1");
        table->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
      } else if (road == kAlignment) {
        editor_->SendMessage(WM_COMMAND, CM_ALIGNMENT);
      } else if (road == kDrag) {  // what the canvas does at the end of a drag
        ASSERT_EQ(system.MoveMarkedElements(0.0, 1.0), 1);
        system.SaveUndo("Move element");
      } else {
        for (int row : {1, 2}) ASSERT_TRUE(positions.EditCell(system, row, kTiltZColumn, "2").accepted);
        char x[32], y[32];
        std::snprintf(x, sizeof x, "%.17g", before[shown][1].x + thickness * std::cos(turn));
        std::snprintf(y, sizeof y, "%.17g", before[shown][1].y + thickness * std::sin(turn));
        if (road == kTypedPlaces) {
          ASSERT_TRUE(positions.EditCell(system, 2, kVertexXColumn, x).accepted &&
                      positions.EditCell(system, 2, kVertexYColumn, y).accepted);
        }
      }
      const std::vector<std::vector<DPOINT3>> after = places();
      const bool frontStays = road == kTiltTable || road == kTypedTilt || road == kTypedPlaces;
      for (int k = 0; k < count; ++k) {
        for (std::size_t i = 0; i < after[k].size(); ++i) {
          if (i == 2 || (i == 1 && k == shown && !frontStays)) continue;  // the lens's own moves
          EXPECT_APPROX(after[k][i].x, before[k][i].x, kPlaceTolerance) << "configuration " << k + 1 << ", surface " << i;
          EXPECT_APPROX(after[k][i].y, before[k][i].y, kPlaceTolerance) << "configuration " << k + 1 << ", surface " << i;
        }
        if (road == kTiltTable || road == kTypedPlaces) {
          EXPECT_APPROX(after[k][2].x - after[k][1].x, thickness * std::cos(turn), kPlaceTolerance) << k + 1;
          EXPECT_APPROX(after[k][2].y - after[k][1].y, thickness * std::sin(turn), kPlaceTolerance) << k + 1;
        }
      }
      DropEditor();
    }
  }
}

}  // namespace
