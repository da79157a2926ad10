// The editor's edit commands as a user meets them: a rubber band selects a lens of the
// Cooke triplet, Delete removes it, Undo and Redo walk the ring, and the close asks about
// saving.

#include <QImage>

#include "editor/commands/editor_commands.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/insert/tests/insert_test_support.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "optics/model/model_globals.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/drawing/dc.h"
#include "platform/core/scripted_dialogs.h"

#include "editor/canvas/tests/canvas_pixels.h"

namespace {

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

// The first element with two surfaces: a lens.
int FirstLens(const TSystemImage &system) {
  for (int e = 0; e < system.ElementCount(); ++e)
    if (system.elements.data[e].SurfaceCount() == 2) return e;
  return -1;
}

// A point on the upper part of the element's first surface, in device pixels.
POINT OnFrontFace(TEditGraph &canvas, const TOpticalElement &element) {
  DPOINT profile[kProfilePoints];
  const int n = SurfaceProfilePoints(*element.FirstSurface(), profile, kProfilePoints);
  const DPOINT &p = profile[n / 4];
  return canvas.WorldToDevice(p.x, p.y);
}

// Drags the select tool's rubber band round the upper half of the element.
void BandAround(TEditGraph &canvas, const TOpticalElement &element) {
  const TWorldBox &box = element.extent;
  constexpr double kMarginMm = 0.3;
  const POINT from = canvas.WorldToDevice(box.x1 - kMarginMm, box.y2 + kMarginMm);
  const POINT to = canvas.WorldToDevice(box.x2 + kMarginMm, 0.5 * box.y2);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
  canvas.SendMessage(WM_LBUTTONUP, 0, At(to));
}

using EditCommandsTest = EditorShellTest;

TEST_F(EditCommandsTest, BandDeleteUndoRedoAndCloseWithoutSaving) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  TEditGraph &canvas = *editor.Canvas();
  const int elements = system.ElementCount();
  const int surfaces = system.SurfaceCount();
  const int lens = FirstLens(system);
  ASSERT_GE(lens, 0);
  const POINT front = OnFrontFace(canvas, system.elements.data[lens]);
  EXPECT_TRUE(NearColor(canvas, front, TEditGraph::kOutlineColor));

  editor.SendMessage(WM_COMMAND, CM_SELECT);
  EXPECT_EQ(editor.Tools().mouseMode, kSelectMouseMode);
  EXPECT_EQ(editor.Tools().tool, CM_SELECT);
  EXPECT_TRUE(canvas.GetSelectMode());
  EXPECT_NE(GetMenuState(Menu(), CM_SELECT, MF_BYCOMMAND) & MF_CHECKED, 0u);
  BandAround(canvas, system.elements.data[lens]);
  ASSERT_EQ(system.hasSelection, 1);
  for (int e = 0; e < system.ElementCount(); ++e)
    EXPECT_EQ(system.elements.data[e].mark, e == lens ? 1 : 0) << e;
  // The selection is drawn yellow.
  EXPECT_TRUE(NearColor(canvas, front, TEditGraph::kSelectedColor));
  editor.UpdateMenus();
  EXPECT_FALSE(Grey(CM_DELETE));

  // The Del key.
  constexpr UINT kDeleteKey = 0x2E;
  test_kit::PostKey(editor, kDeleteKey);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == elements - 1; }));
  EXPECT_EQ(system.SurfaceCount(), surfaces - 2);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
  EXPECT_EQ(ItemText(CM_REDO), "Can't Redo");
  // Delete leaves the select tool: the mouse pans again.
  EXPECT_EQ(editor.Tools().mouseMode, kPanMouseMode);
  EXPECT_EQ(editor.Tools().tool, 0);
  EXPECT_FALSE(canvas.GetSelectMode());

  // Ctrl+Z through the editor's accelerators.
  test_kit::PostKeyWith(editor, 'Z', MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == elements; }));
  EXPECT_EQ(system.SurfaceCount(), surfaces);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  EXPECT_EQ(ItemText(CM_REDO), "Redo Delete element (ctrl-Y)");

  editor.SendMessage(WM_COMMAND, CM_REDO);
  EXPECT_EQ(system.ElementCount(), elements - 1);
  EXPECT_EQ(ItemText(CM_REDO), "Can't Redo");
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");

  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "Save Optical System?");
  EXPECT_EQ(ReadText(triplet_), ReadText(ExamplePath("cooke_triplet.os")));
}

// Right after a band selects a lens, with no menu opened meanwhile, every shortcut the Edit
// and Tools menus show acts as its item: Ctrl+Ins copies, Del deletes, Ctrl-A opens the
// animation file.
TEST_F(EditCommandsTest, EveryShortcutTheMenusShowActsRightAfterASelection) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  TEditGraph &canvas = *editor.Canvas();
  const int elements = system.ElementCount();
  const int lens = FirstLens(system);
  ASSERT_GE(lens, 0);
  DeleteEditClipboard();
  const auto band = [&] {
    editor.SendMessage(WM_COMMAND, CM_SELECT);
    BandAround(canvas, system.elements.data[lens]);
    ASSERT_EQ(system.hasSelection, 1);
  };
  band();
  test_kit::PostKeyWith(editor, VK_INSERT, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return EditClipboard() != nullptr; }));
  EXPECT_GE(EditClipboard()->SurfaceCount(), 2);  // the lens's two faces at least
  band();
  test_kit::PostKey(editor, VK_DELETE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == elements - 1; }));

  EXPECT_TRUE(OpensTheAnimationEditor([&] { test_kit::PostKeyWith(editor, 'A', MK_CONTROL); }));
  DeleteEditClipboard();
}

TEST_F(EditCommandsTest, UndoAtTheOpeningAndRedoAtTheNewestBeep) {
  TOpticalEditor &editor = Open(triplet_);
  const std::size_t beeps = answers_->beeps.size();
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
  editor.SendMessage(WM_COMMAND, CM_REDO);
  EXPECT_EQ(answers_->beeps.size(), beeps + 2);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  // An undo ends with the refresh of every view: the model's pending message shows.
  TSystemImage &system = editor.System();
  system.Surface(1)->general.R *= 2.0;
  system.Update();
  system.SaveUndo("Change");
  AppendPendingMessage("Chief ray in beam 1 does not pass!");
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.GetStatusBar()->GetText(), "Chief ray in beam 1 does not pass!");
}

TEST_F(EditCommandsTest, SelectTwiceReturnsToPanningAndDeleteOnAnEmptySystemBeeps) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  EXPECT_EQ(editor.Tools().mouseMode, kPanMouseMode);
  EXPECT_EQ(editor.Tools().tool, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_SELECT));
  EXPECT_EQ(GetMenuState(Menu(), CM_SELECT, MF_BYCOMMAND) & MF_CHECKED, 0u);

  editor.System().Clear();
  const std::size_t beeps = answers_->beeps.size();
  editor.Edit().CmDelete();
  editor.Edit().CmSelect();
  EXPECT_EQ(answers_->beeps.size(), beeps + 2);
  EXPECT_EQ(editor.Tools().mouseMode, kPanMouseMode);
}

TEST_F(EditCommandsTest, CopyKeepsTheRingAndCutAddsAStep) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int lens = FirstLens(system);
  ASSERT_GE(lens, 0);
  const int elements = system.ElementCount();
  system.elements.data[lens].mark = 1;
  system.hasSelection = 1;
  const int index = system.options.undoIndex;

  editor.Edit().CmCopy();
  ASSERT_NE(EditClipboard(), nullptr);
  TSystemImage *first = EditClipboard();
  EXPECT_EQ(EditClipboard()->ElementCount(), 1);
  EXPECT_EQ(system.ElementCount(), elements);
  EXPECT_EQ(system.options.undoIndex, index);
  EXPECT_EQ(system.hasSelection, 0);

  system.hasSelection = 1;
  editor.Edit().CmCut();
  EXPECT_NE(EditClipboard(), first);  // replaced whole
  EXPECT_EQ(EditClipboard()->ElementCount(), 1);
  EXPECT_EQ(system.ElementCount(), elements - 1);
  EXPECT_EQ(system.options.undoIndex, index + 1);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Cut element (ctrl-Z)");

  // Cut with nothing selected empties the clipboard's elements and still is a step.
  editor.Edit().CmCut();
  EXPECT_EQ(EditClipboard()->SurfaceCount(), 0);
  EXPECT_EQ(system.ElementCount(), elements - 1);
  EXPECT_EQ(system.options.undoIndex, index + 2);
  DeleteEditClipboard();
}

TEST_F(EditCommandsTest, TheClipboardOutlivesTheCanvasItWasCutOn) {
  {
    TOpticalEditor &editor = Open(triplet_);
    TSystemImage &system = editor.System();
    const int lens = FirstLens(system);
    ASSERT_GE(lens, 0);
    system.elements.data[lens].mark = 1;
    system.hasSelection = 1;
    editor.Edit().CmCopy();
    editor.Destroy();
    delete editor_;
    editor_ = nullptr;
  }
  // The clipboard is regrouped for a paste after the window it came from is gone: it must
  // not reach for that window's canvas.
  TSystemImage *clipboard = EditClipboard();
  ASSERT_NE(clipboard, nullptr);
  clipboard->RebuildElements(nullptr);
  EXPECT_EQ(clipboard->ElementCount(), 1);
  DeleteEditClipboard();
}

}  // namespace

// The canvas's own keys obey the same greying as the menu and the accelerators: with nothing
// selected Delete is greyed, and the Del key on the canvas takes no empty undo step.
TEST_F(EditCommandsTest, TheCanvasDelKeyDoesNothingWhileDeleteIsGreyed) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  TEditGraph &canvas = *editor.Canvas();
  const int elements = system.ElementCount();
  const int lens = FirstLens(system);
  ASSERT_GE(lens, 0);
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  ASSERT_TRUE(canvas.GetSelectMode());
  editor.UpdateMenus();
  ASSERT_TRUE(Grey(CM_DELETE));
  constexpr UINT kDeleteKey = 0x2E;
  canvas.SendMessage(WM_KEYDOWN, kDeleteKey, 0);
  test_kit::RunFor(50);
  EXPECT_EQ(system.ElementCount(), elements);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");

  // With the lens marked the same key deletes it.
  BandAround(canvas, system.elements.data[lens]);
  ASSERT_EQ(system.hasSelection, 1);
  editor.UpdateMenus();
  ASSERT_FALSE(Grey(CM_DELETE));
  canvas.SendMessage(WM_KEYDOWN, kDeleteKey, 0);
  test_kit::RunFor(50);
  EXPECT_EQ(system.ElementCount(), elements - 1);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
}

// The tick on Edit > Select shows the mode, as the palette's arrow does: Delete, Copy and
// Open leave the select tool and take both off, so that one Edit > Select takes the user
// back to selecting; Undo keeps the tool, its arrow and its tick.
TEST_F(EditCommandsTest, EditSelectsTickFollowsTheModeAfterEveryCommandThatLeavesIt) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  TEditGraph &canvas = *editor.Canvas();
  TScriptedFileDialog files;
  const auto ticked = [this] { return (GetMenuState(Menu(), CM_SELECT, MF_BYCOMMAND) & MF_CHECKED) != 0; };
  const auto clickLens = [&] {
    const int lens = FirstLens(system);
    ASSERT_GE(lens, 0);
    const POINT at = OnFrontFace(canvas, system.elements.data[lens]);
    canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    canvas.SendMessage(WM_LBUTTONUP, 0, At(at));
    ASSERT_EQ(system.hasSelection, 1);
  };
  // The mode, the palette's arrow and the menu's tick.
  const auto expectSelecting = [&](bool on) {
    EXPECT_EQ(editor.Tools().mouseMode, on ? kSelectMouseMode : kPanMouseMode);
    EXPECT_EQ(editor.EditTools().ButtonDown(CM_SELECT), on);
    EXPECT_EQ(ticked(), on);
  };
  struct Case {
    UINT command;
    bool leaves;
  };
  for (const Case c : {Case{CM_DELETE, true}, Case{CM_COPY, true}, Case{CM_UNDO, false}, Case{CM_OPEN_SYSTEM, true}}) {
    SCOPED_TRACE(c.command);
    if (c.command == CM_UNDO) {
      // A step to take back.
      system.elements.data[FirstLens(system)].mark = 1;
      system.hasSelection = 1;
      editor.SendMessage(WM_COMMAND, CM_DELETE);
      ASSERT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
    }
    if (c.command == CM_OPEN_SYSTEM) {
      answers_->QueueAnswer(IDNO);
      files.Choose({triplet_});
    }
    editor.SendMessage(WM_COMMAND, CM_SELECT);
    ASSERT_TRUE(ticked());
    clickLens();
    editor.SendMessage(WM_COMMAND, c.command);
    expectSelecting(!c.leaves);
    // One Edit > Select selects again.
    if (c.leaves) editor.SendMessage(WM_COMMAND, CM_SELECT);
    expectSelecting(true);
    clickLens();
    editor.SendMessage(WM_COMMAND, CM_SELECT);
    ASSERT_FALSE(ticked());
  }
  // A surface placed while selecting is the selection: Delete ends selecting alike, though
  // the placement, not Select, was the last tool.
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  clickLens();
  const int n = system.SurfaceCount();
  // Behind the selected front lens, before the next one.
  const double behind = system.elements.data[FirstLens(system)].LastSurface()->general.vertex[0] + 1.0;
  insert_test::When([&] { return editor.Insertion().NewSingleSurfaceDown(); },
                    [&editor, behind] { insert_test::ClickWorld(editor, behind, 0.0); });
  editor.PostMessage(WM_COMMAND, CM_NEW_SINGLE_SURFACE, 0);
  ASSERT_TRUE(test_kit::RunUntil(
      [&] { return !editor.Insertion().NewSingleSurfaceDown() && system.SurfaceCount() == n + 1; }, 8000));
  editor.SendMessage(WM_COMMAND, CM_DELETE);
  EXPECT_EQ(system.SurfaceCount(), n);
  expectSelecting(false);
}
