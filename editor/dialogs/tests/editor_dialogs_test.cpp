// The editor's small dialogs: number fields, the scale dialog and the preferences.

#include <QTimer>

#include <fstream>
#include <functional>
#include <iterator>

#include "editor/commands/editor_commands.h"
#include "editor/canvas/scale_caption.h"
#include "editor/dialogs/number_field.h"
#include "editor/dialogs/preferences_folder.h"
#include "editor/dialogs/scale_system_dlg.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"

namespace {

constexpr double kScaleTolerance = 1e-12;
constexpr int kWaitMs = test_kit::kPatienceMs;
// A radius read back from a snapshot written with every digit.
constexpr double kRadiusTolerance = 1e-12;

TEST(NumberField, WritesAPointAndReadsBackWhatItWrote) {
  EXPECT_EQ(NumberFieldText(12.5), "12.5");
  EXPECT_EQ(NumberFieldText(-3.0), "-3");
  EXPECT_EQ(NumberFieldText(-0.0000001), "0");
  EXPECT_EQ(NumberFieldText(0.1234567), "0.123457");
  double value = 0.0;
  ASSERT_TRUE(ParseNumberField(" 1.25 ", value));
  EXPECT_EQ(value, 1.25);
  ASSERT_TRUE(ParseNumberField("-2,5", value));  // a decimal comma as typed in some places
  EXPECT_EQ(value, -2.5);
  ASSERT_TRUE(ParseNumberField("+1e-3", value));
  EXPECT_EQ(value, 0.001);
  for (const char *bad : {"", "  ", "1.5x", "x", "1 2", "inf", "nan", "1e999", "--1"})
    EXPECT_FALSE(ParseNumberField(bad, value)) << bad;
}

TEST(ScaleSystem, ScaleOfAViewAndTheViewOfAScale) {
  // 96 pixels an inch: a pixel is 25.4 / 96 mm on the screen. A view 254 mm wide on 960
  // pixels puts 0.264583 mm of the system on a pixel: 1 : 1.
  const TViewWindow view{-127.0, 127.0, -10.0, 10.0};
  EXPECT_APPROX(ViewScale(view, 960, 400), 1.0, kScaleTolerance);
  // Taller than wide for the plot: the height decides (40 mm on 40 pixels).
  const TViewWindow tall{0.0, 1.0, 0.0, 40.0};
  EXPECT_APPROX(ViewScale(tall, 100, 40), 1.0 / (25.4 / 96.0), kScaleTolerance);
  EXPECT_EQ(ViewScale(TViewWindow{1.0, 1.0, 0.0, 1.0}, 100, 40), 0.0);
  EXPECT_EQ(ViewScale(view, 0, 40), 0.0);
  // 1 : 10 on 960 x 480 pixels about the centre (5, -2): 2540 mm by 1270 mm.
  const TViewWindow scaled = ScaledViewWindow(TViewWindow{0.0, 10.0, -4.0, 0.0}, 10.0, 960, 480);
  EXPECT_APPROX(scaled.xFrom, 5.0 - 1270.0, kScaleTolerance);
  EXPECT_APPROX(scaled.xTo, 5.0 + 1270.0, kScaleTolerance);
  EXPECT_APPROX(scaled.yFrom, -2.0 - 635.0, kScaleTolerance);
  EXPECT_APPROX(scaled.yTo, -2.0 + 635.0, kScaleTolerance);
  EXPECT_APPROX(ViewScale(scaled, 960, 480), 10.0, kScaleTolerance);
}

// Runs the modal dialog with the script run once its loop runs.
int ExecuteWith(TDialog &dialog, const std::function<void()> &script) {
  QTimer::singleShot(0, [&dialog, script]() {
    test_kit::RunUntil([&] { return dialog.IsModal() && dialog.IsWindowVisible(); }, kWaitMs);
    script();
  });
  return dialog.Execute();
}

using EditorDialogsTest = EditorShellTest;

TEST_F(EditorDialogsTest, TheScaleDialogSetsTheCanvasScale) {
  TOpticalEditor &editor = Open(triplet_);
  TScaleSystemDlg dialog(&editor);
  char shown[64] = {};
  std::string refusal;
  const int result = ExecuteWith(dialog, [&] {
    dialog.GetDlgItemText(TScaleSystemDlg::kScale, shown, sizeof shown);
    // Refused first (no number, then out of range), then taken.
    dialog.SetDlgItemText(TScaleSystemDlg::kScale, "1e400");
    dialog.SendMessage(WM_COMMAND, IDOK);
    refusal = answers_->boxes.empty() ? "" : answers_->boxes.back().text;
    dialog.SetDlgItemText(TScaleSystemDlg::kScale, "-4");
    dialog.SendMessage(WM_COMMAND, IDOK);
    dialog.SetDlgItemText(TScaleSystemDlg::kScale, "2");
    dialog.SendMessage(WM_COMMAND, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  double before = 0.0;
  ASSERT_TRUE(ParseNumberField(shown, before));
  EXPECT_GT(before, 0.0);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(refusal, "Scale  1: \"1e400\" is out of range.");
  EXPECT_EQ(answers_->boxes.back().text, "Wrong scale: \"-4\"");
  const RECT plot = editor.Canvas()->GetPlotRect();
  EXPECT_APPROX(ViewScale(editor.System().viewWindow, plot.right - plot.left, plot.bottom - plot.top),
                2.0, kScaleTolerance);
}

// The caption and the Scale dialog give one scale, the one the screen shows: a scale typed
// in the dialog is the caption's figure, and the dialog opened again reads it back.
TEST_F(EditorDialogsTest, TheCaptionAndTheScaleDialogGiveTheSameScale) {
  TOpticalEditor &editor = Open(triplet_);
  for (const double typed : {1.0, 0.5, 2.5, 40.0}) {
    TScaleSystemDlg dialog(&editor);
    ASSERT_EQ(ExecuteWith(dialog,
                          [&] {
                            dialog.SetDlgItemText(TScaleSystemDlg::kScale, NumberFieldText(typed).c_str());
                            dialog.SendMessage(WM_COMMAND, IDOK);
                          }),
              IDOK);
    editor.Canvas()->Redraw();
    const std::string caption = editor.UpdateCaption();
    EXPECT_EQ(FormatScaleCaption(*editor.Canvas()), FormatScaleRatio(typed)) << typed;
    EXPECT_NE(caption.find(FormatScaleRatio(typed)), std::string::npos) << typed << ": " << caption;
    TScaleSystemDlg again(&editor);
    char shown[64] = {};
    ExecuteWith(again, [&] {
      again.GetDlgItemText(TScaleSystemDlg::kScale, shown, sizeof shown);
      again.SendMessage(WM_COMMAND, IDCANCEL);
    });
    double read = 0.0;
    ASSERT_TRUE(ParseNumberField(shown, read)) << shown;
    EXPECT_APPROX(read, typed, kScaleTolerance * typed) << typed;
  }
}

// View > Actual size fits the system to the canvas, as the help says it does: after a
// zoom out and after a scale typed in the Scale box it comes back to the same fitted view.
TEST_F(EditorDialogsTest, ActualSizeFitsTheSystemAsTheHelpSays) {
  std::ifstream page(SourceRoot() + "/resources/help/pages/views.html");
  const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  const std::size_t row = html.find("<tr><td>Actual size</td>");
  ASSERT_NE(row, std::string::npos);
  const std::string says = html.substr(row, html.find("</tr>", row) - row);
  EXPECT_NE(says.find("fits the whole system to the canvas"), std::string::npos) << says;
  EXPECT_EQ(says.find("draws the system at 1:1"), std::string::npos) << says;

  TOpticalEditor &editor = Open(triplet_);
  TSystemImage fitted;
  ASSERT_EQ(fitted.Load(triplet_, 2), 1);
  fitted.Update();
  fitted.RebuildElements(nullptr);
  fitted.ComputeExtent();
  for (const UINT before : {static_cast<UINT>(CM_ZOOM_OUT), static_cast<UINT>(CM_ACTUAL_SIZE)}) {
    editor.SendMessage(WM_COMMAND, before);
    editor.System().viewWindow = ScaledViewWindow(editor.System().viewWindow, 1.0, 100, 100);
    editor.SendMessage(WM_COMMAND, CM_ACTUAL_SIZE);
    const TViewWindow &view = editor.System().viewWindow;
    EXPECT_APPROX(view.xFrom, fitted.viewWindow.xFrom, kScaleTolerance) << before;
    EXPECT_APPROX(view.xTo, fitted.viewWindow.xTo, kScaleTolerance) << before;
    EXPECT_APPROX(view.yFrom, fitted.viewWindow.yFrom, kScaleTolerance) << before;
    EXPECT_APPROX(view.yTo, fitted.viewWindow.yTo, kScaleTolerance) << before;
  }
}

TEST_F(EditorDialogsTest, ANewUndoDepthKeepsTheNextEditUndoable) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  TPreferencesFolder folder(&editor, &system, 0);
  std::string refusal;
  const int result = ExecuteWith(folder, [&] {
    folder.SetDlgItemText(TPreferencesFolder::kUndoSteps, "four");
    folder.SendMessage(WM_COMMAND, IDOK);  // refused: no number
    refusal = answers_->boxes.empty() ? "" : answers_->boxes.back().text;
    folder.SetDlgItemText(TPreferencesFolder::kUndoSteps, "1");
    folder.SendMessage(WM_COMMAND, IDOK);  // refused: below two
    folder.SetDlgItemText(TPreferencesFolder::kUndoSteps, "4");
    folder.CheckDlgButton(TPreferencesFolder::kRealBeams, BST_CHECKED);
    folder.SendMessage(WM_COMMAND, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(refusal, "Undo steps: \"four\" is not a number.");
  EXPECT_NE(answers_->boxes.back().text.find("from 2 to 100"), std::string::npos);
  EXPECT_EQ(system.options.RingSize(), 4);
  EXPECT_EQ(system.options.ShowCourseBeam, 1);

  // The edit after the change can be undone: the ring holds the state before it.
  const double radius = system.Surface(1)->general.R;
  system.Surface(1)->general.R = 2.0 * radius;
  system.Update();
  system.SaveUndo("Change");
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_APPROX(system.Surface(1)->general.R, radius, kRadiusTolerance);
}

// The editor's shortcuts stand aside while a dialog of the program is open: Undo, Redo,
// the movie frame and Delete typed into the dialog's field leave the system, its selection
// and its undo ring as they were, and Ctrl-Z takes back the field's own typing.
TEST_F(EditorDialogsTest, ShortcutsTypedIntoADialogActOnTheDialogAlone) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  for (int step = 0; step < 2; ++step) {  // a deletion to undo, then a selection to delete
    system.elements.data[0].mark = 1;
    system.hasSelection = 1;
    if (step == 0) editor.SendMessage(WM_COMMAND, CM_DELETE);
  }
  const int surfaces = system.SurfaceCount();
  const int undoIndex = system.options.undoIndex;
  ASSERT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
  TScaleSystemDlg dialog(&editor);
  std::string undone;
  ExecuteWith(dialog, [&] {
    TWindow &field = *WindowFromHandle(dialog.GetDlgItem(TScaleSystemDlg::kScale));
    dialog.SetDlgItemText(TScaleSystemDlg::kScale, "2");
    field.SetFocus();
    test_kit::PostKey(field, VK_END);
    test_kit::PostText(field, "5");
    test_kit::PostKeyWith(field, 'Z', MK_CONTROL);
    test_kit::RunFor(30);
    undone = field.GetWindowText();
    for (UINT key : {UINT('Y'), UINT('S')}) test_kit::PostKeyWith(field, key, MK_CONTROL);
    test_kit::PostKey(field, VK_DELETE);
    test_kit::RunFor(50);
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(undone, "2");
  EXPECT_EQ(system.SurfaceCount(), surfaces);
  EXPECT_EQ(system.options.undoIndex, undoIndex);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
  EXPECT_EQ(system.hasSelection, 1);
}

}  // namespace
