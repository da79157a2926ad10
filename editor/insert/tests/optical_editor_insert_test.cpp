// Paste, New Single Surface and New Element scripted through the message pump: clicks on
// the canvas pick the element to follow and the new element's place, Escape cancels, the
// element folder takes a focal length, and the undo ring records exactly one step.

#include <cmath>

#include "document/elements/element_grouping.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/edit/editor_tools.h"
#include "editor/insert/element_folder.h"
#include "editor/insert/placement.h"
#include "editor/insert/tests/insert_test_support.h"
#include "foundation/testing/approx.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/bars/gadgets.h"
#include "toolkit/palettes/tool_bar_wnd.h"

#include "editor/insert/tests/traced_focal.h"

namespace {

using namespace insert_test;

constexpr double kFocalShare = 0.01;

class InsertCommandsTest : public InsertShellTest {
 protected:
  TOpticalEditor &OpenTriplet() {
    TOpticalEditor &editor = Open(triplet_);
    EXPECT_TRUE(test_kit::RunUntil([&] { return editor.System().ElementCount() == 3; }, kWaitMs));
    return editor;
  }
  std::string Snapshot(const std::string &name) {
    const std::string path = Scratch(name);
    EXPECT_EQ(editor_->System().Save(path), 1);
    return ReadText(path);
  }
  // Picks the last element, then presses `ahead` mm behind its last surface.
  void ScriptPlacement(double ahead) {
    TOpticalEditor &editor = *editor_;
    TSystemImage &system = editor.System();
    const int e = system.ElementCount() - 1;
    double x = 0.0;
    double y = 0.0;
    ElementPoint(system, e, x, y);
    placeX_ = x + ahead;
    When([&editor] { return editor.Insertion().NewSingleSurfaceDown() || editor.Insertion().NewElementDown(); },
         [&editor, x, y] { ClickWorld(editor, x, y); });
    When([&editor] { return editor.Canvas()->GetSelectMode() && editor.System().hasSelection; },
         [this, &editor] { ClickWorld(editor, placeX_, 0.0); });
  }
  void Command(int id) { editor_->PostMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // New Element pressed, and pressed again while its placement waits: true once it is up.
  bool NewElementPressedTwice() {
    TOpticalEditor &editor = *editor_;
    bool again = false;
    When([&editor] { return editor.Insertion().NewElementDown(); }, [this, &again] {
      again = true;
      Command(CM_NEW_ELEMENT);
    });
    Command(CM_NEW_ELEMENT);
    return test_kit::RunUntil([&] { return again && !editor.Insertion().NewElementDown(); }, kWaitMs);
  }
  int HelpBoxes() const {
    int count = 0;
    for (const auto &box : answers_->boxes) count += box.caption == "Help" ? 1 : 0;
    return count;
  }
  double placeX_ = 0.0;
};

TEST_F(InsertCommandsTest, NewSingleSurfaceFollowsTheLastElementWithItsRadiusAndAFanSizedAperture) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  const int undo = system.options.undoIndex;
  ScriptPlacement(6.0);
  Command(CM_NEW_SINGLE_SURFACE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.SurfaceCount() == n + 1 && !editor.Insertion().NewSingleSurfaceDown(); },
                                 kWaitMs));
  EXPECT_EQ(HelpBoxes(), 1);
  // Right after the last element's last surface, before the image surface.
  const TSurface *added = system.Surface(n - 1);
  EXPECT_EQ(added->general.R, system.Surface(n - 2)->general.R);
  EXPECT_TRUE(IsAirGlass(added->general.glass));
  // Where the click fell, sized as the placement sizes a surface put there by itself.
  TSystemImage expected;
  ASSERT_EQ(expected.Load(triplet_, 2), 1);
  expected.Update();
  TInsertedElementInfo info;
  ASSERT_EQ(PlaceSurface(expected, n - 2, added->general.vertex[0], added->general.vertex[1], 1, info), n - 1);
  EXPECT_NEAR(added->general.vertex[0], placeX_, 0.5);
  EXPECT_GT(added->general.semiHeightExt, 0.0);
  EXPECT_APPROX(added->general.semiHeightExt, expected.Surface(n - 1)->general.semiHeightExt, 1e-9);
  EXPECT_EQ(system.options.undoIndex, undo + 1);
  EXPECT_EQ(system.UndoMenuText(), "Undo Insert single surface (ctrl-Z)");
  // The new surface is the selection, ready for the next one.
  EXPECT_EQ(system.hasSelection, 1);
  EXPECT_EQ(system.elements.data[system.selectedElement].FirstSurface(), added);
}

TEST_F(InsertCommandsTest, EscapeCancelsTheWaitAndLeavesTheSystemAsItWas) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const std::string before = Snapshot("before.os");
  const int n = system.SurfaceCount();
  bool escaped = false;
  When([&editor] { return editor.Insertion().NewSingleSurfaceDown(); }, [&editor, &escaped] {
    escaped = true;
    test_kit::PostKey(*editor.Canvas(), VK_ESCAPE);
  });
  Command(CM_NEW_SINGLE_SURFACE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return escaped && !editor.Insertion().NewSingleSurfaceDown(); }, kWaitMs));
  EXPECT_EQ(HelpBoxes(), 1);
  EXPECT_EQ(system.SurfaceCount(), n);
  EXPECT_EQ(Snapshot("after.os"), before);
  EXPECT_EQ(editor.Canvas()->MouseMode(), 0);
  // The same toggle pressed again while the placement waits cancels it as well.
  ASSERT_TRUE(NewElementPressedTwice());
  EXPECT_EQ(HelpBoxes(), 2);
  EXPECT_EQ(Snapshot("after2.os"), before);
}

TEST_F(InsertCommandsTest, ClosingTheWindowWhileAPlacementWaitsLeavesNoUndoSnapshotBehind) {
  TOpticalEditor &editor = OpenTriplet();
  bool closed = false;
  When([&editor] { return editor.Insertion().NewSingleSurfaceDown(); }, [&editor, &closed] {
    closed = true;
    editor.PostMessage(WM_CLOSE, 0, 0);
  });
  Command(CM_NEW_SINGLE_SURFACE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return closed && editor.GetHandle() == nullptr; }, kWaitMs));
  test_kit::RunFor(50);
  // The next start would offer to restore a session from any snapshot left here.
  Mem<STRING> left;
  EXPECT_EQ(ListUndoFiles(TempDir(), left), 0);
}

TEST_F(InsertCommandsTest, PasteWithAnEmptyClipboardDoesNothing) {
  TOpticalEditor &editor = OpenTriplet();
  DeleteEditClipboard();
  const std::string before = Snapshot("before.os");
  const int undo = editor.System().options.undoIndex;
  Command(CM_PASTE);
  test_kit::RunFor(150);
  EXPECT_FALSE(editor.Insertion().NewElementDown());
  EXPECT_EQ(editor.System().options.undoIndex, undo);
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(Snapshot("after.os"), before);
  // The menu keeps the item grey while there is nothing to paste (the menu follows the
  // clipboard when the program next updates it).
  EXPECT_TRUE(test_kit::RunUntil([&] { return Grey(CM_PASTE); }));
}

TEST_F(InsertCommandsTest, NewElementInsertsALensOfTheAskedFocalLengthAsOneUndoStep) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  const int undo = system.options.undoIndex;
  const std::string before = Snapshot("before.os");
  ScriptPlacement(8.0);
  When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [] {
    TElementFolder *folder = FocusedDialog<TElementFolder>();
    folder->LensPage()->SetDlgItemText(kFocalLengthId, "60");
    folder->LensPage()->SetDlgItemText(kLensGlassId, "N-BK7_schott");
    folder->LensPage()->SetDlgItemText(kLensThicknessId, "4");
    folder->PostMessage(WM_COMMAND, IDOK, 0);
  });
  Command(CM_NEW_ELEMENT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !editor.Insertion().NewElementDown() && system.SurfaceCount() == n + 2; },
                                 kWaitMs));
  // The lens's two surfaces stand after the last element.
  EXPECT_EQ(system.Surface(n - 1)->general.glass, "N-BK7_schott");
  EXPECT_NEAR(TracedFocal(system, n - 1), 60.0, 60.0 * kFocalShare);
  EXPECT_EQ(system.options.undoIndex, undo + 1);
  EXPECT_EQ(system.UndoMenuText(), "Undo Insert element (ctrl-Z)");
  editor.Files().CmUndo();
  EXPECT_EQ(system.SurfaceCount(), n);
  EXPECT_EQ(Snapshot("undone.os"), before);
}

TEST_F(InsertCommandsTest, WhileThePlacementWaitsItsCursorShowsAndSelectIsOff) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  TToolBarWnd *palette = editor.EditTools().PaletteOf(CM_SELECT);
  ASSERT_NE(palette, nullptr);
  const auto selectEnabled = [palette] { return palette->GetToolBox()->GadgetWithId(CM_SELECT)->GetEnabled(); };
  const int e = system.ElementCount() - 1;
  double x = 0.0;
  double y = 0.0;
  ElementPoint(system, e, x, y);
  bool offWhilePicking = false;
  bool cursorWhilePlacing = false;
  bool offWhilePlacing = false;
  When([&editor] { return editor.Insertion().NewSingleSurfaceDown(); }, [&, x, y] {
    offWhilePicking = !selectEnabled();
    ClickWorld(editor, x, y);
  });
  // The placement shows its cursor once its loop has seen the pick, which may be a poll after
  // the pick itself: the second press waits for the cursor (up to kWaitMs), so a placement that
  // never shows it fails the road below.
  const auto placing = [&editor] {
    return GetWindowCursor(editor.Canvas()->GetHandle()) == LoadCursor(nullptr, "SingleSurface_Cur");
  };
  When([&editor, placing] { return editor.Canvas()->GetSelectMode() && editor.System().hasSelection && placing(); },
       [&, x] {
    cursorWhilePlacing = placing();
    offWhilePlacing = !selectEnabled();
    ClickWorld(editor, x + 6.0, 0.0);
  });
  Command(CM_NEW_SINGLE_SURFACE);
  ASSERT_TRUE(test_kit::RunUntil(
      [&] { return system.SurfaceCount() == n + 1 && !editor.Insertion().NewSingleSurfaceDown(); }, kWaitMs));
  EXPECT_TRUE(offWhilePicking);
  EXPECT_TRUE(cursorWhilePlacing);
  EXPECT_TRUE(offWhilePlacing);
  // Done: the arrow and the Select button are back.
  EXPECT_EQ(GetWindowCursor(editor.Canvas()->GetHandle()), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_TRUE(selectEnabled());
}

TEST_F(InsertCommandsTest, AFocalLengthThatIsNoNumberIsRefusedNamingItsField) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  ScriptPlacement(8.0);
  bool stayedOpen = false;
  When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [this, &stayedOpen] {
    TElementFolder *folder = FocusedDialog<TElementFolder>();
    folder->LensPage()->SetDlgItemText(kFocalLengthId, "6O");
    folder->SendMessage(WM_COMMAND, IDOK, 0);
    // Refused: the folder stays, with the message naming the field.
    stayedOpen = folder->IsWindow() && !answers_->boxes.empty();
    folder->PostMessage(WM_COMMAND, IDCANCEL, 0);
  });
  Command(CM_NEW_ELEMENT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return stayedOpen && !editor.Insertion().NewElementDown(); }, kWaitMs));
  EXPECT_EQ(answers_->boxes.back().text, "Focal length, mm: \"6O\" is not a number.");
  EXPECT_EQ(system.SurfaceCount(), n);
}

TEST_F(InsertCommandsTest, ACancelledFolderTakesThePlacedSurfaceAwayWithoutAnUndoStep) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  const int undo = system.options.undoIndex;
  const std::string before = Snapshot("before.os");
  ScriptPlacement(8.0);
  bool cancelled = false;
  When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [&system, &cancelled] {
    // The placed surface stands there while the folder is open.
    cancelled = system.SurfaceCount() == 9;
    FocusedDialog<TElementFolder>()->PostMessage(WM_COMMAND, IDCANCEL, 0);
  });
  Command(CM_NEW_ELEMENT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return cancelled && !editor.Insertion().NewElementDown(); }, kWaitMs));
  EXPECT_EQ(Snapshot("after.os"), before);
  EXPECT_EQ(system.options.undoIndex, undo);
  // The selection went with the placed surface: the next placement asks for the element to
  // follow again, and waits for it.
  const int help = HelpBoxes();
  ASSERT_TRUE(NewElementPressedTwice());
  EXPECT_EQ(HelpBoxes(), help + 1);
}

}  // namespace

namespace {

using namespace insert_test;

class PasteRoadTest : public InsertShellTest {
 protected:
  // The triplet with its first lens selected, as a click on it selects it, and copied.
  TOpticalEditor &OpenWithTheFirstLensCopied() {
    TOpticalEditor &editor = Open(triplet_);
    TSystemImage &system = editor.System();
    EXPECT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == 3; }, kWaitMs));
    double x = 0.0;
    double y = 0.0;
    ElementPoint(system, 0, x, y);
    editor.Canvas()->SelectAt(editor.Canvas()->WorldToDevice(x, y));
    EXPECT_EQ(system.selectedElement, 0);
    editor.Edit().CmCopy();
    EXPECT_NE(EditClipboard(), nullptr);
    return editor;
  }
};

TEST_F(PasteRoadTest, ACopiedElementIsPastedWhereTheUserClicksAsOneUndoStep) {
  TOpticalEditor &editor = OpenWithTheFirstLensCopied();
  TSystemImage &system = editor.System();
  ASSERT_NE(EditClipboard(), nullptr);
  const int n = system.SurfaceCount();
  const double r1 = system.Surface(1)->general.R;
  const double r2 = system.Surface(2)->general.R;
  const int undo = system.options.undoIndex;
  // Pasted behind the last element.
  double lastX = 0.0;
  double lastY = 0.0;
  ElementPoint(system, 2, lastX, lastY);
  const double place = lastX + 12.0;
  When([&editor] { return editor.Insertion().NewElementDown(); }, [&editor, lastX, lastY] { ClickWorld(editor, lastX, lastY); });
  When([&editor] { return editor.Canvas()->GetSelectMode() && editor.System().hasSelection; },
       [&editor, place] { ClickWorld(editor, place, 0.0); });
  When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [] {
    TElementFolder *folder = FocusedDialog<TElementFolder>();
    // The folder opens on its paste page.
    EXPECT_EQ(folder->CurrentPage(), folder->IndexOfPage(folder->PastePage()));
    folder->PostMessage(WM_COMMAND, IDOK, 0);
  });
  editor.PostMessage(WM_COMMAND, CM_PASTE, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.SurfaceCount() == n + 2 && !editor.Insertion().NewElementDown(); },
                                 kWaitMs));
  EXPECT_EQ(system.Surface(n - 1)->general.R, r1);
  EXPECT_EQ(system.Surface(n)->general.R, r2);
  EXPECT_NEAR(system.Surface(n - 1)->general.vertex[0], place, 0.5);
  EXPECT_EQ(system.options.undoIndex, undo + 1);
  EXPECT_EQ(system.UndoMenuText(), "Undo Paste element (ctrl-Z)");
}

// A selection belongs to its system: its band ends when Open replaces the system, and when
// a Redo takes away the element it marked, so the next placement asks for its element.
TEST_F(InsertCommandsTest, ASelectionEndsWithTheSystemOrTheElementItMarked) {
  TOpticalEditor &editor = OpenTriplet();
  TSystemImage &system = editor.System();
  TEditGraph &canvas = *editor.Canvas();
  const auto band = [&](int e) {
    double x = 0.0;
    double y = 0.0;
    ElementPoint(system, e, x, y);
    const POINT at = canvas.WorldToDevice(x, y);
    canvas.SelectAt(at);
    canvas.SetSelection(at.x - 20, at.y - 20, at.x + 20, at.y + 20);
    ASSERT_TRUE(canvas.GetSelectMode() && system.hasSelection);
  };
  band(0);
  TScriptedFileDialog files;
  files.Choose({ScratchExample("double_gauss.os", "Double_Gauss.os")});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_FALSE(canvas.GetSelectMode());
  EXPECT_EQ(system.hasSelection, 0);
  // The first lens deleted and the step undone; the last lens banded; Redo deletes the first.
  system.elements.data[0].mark = 1;
  system.hasSelection = 1;
  editor.SendMessage(WM_COMMAND, CM_DELETE);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  band(system.ElementCount() - 1);
  editor.SendMessage(WM_COMMAND, CM_REDO);
  EXPECT_FALSE(canvas.GetSelectMode());
  EXPECT_EQ(system.hasSelection, 0);
}

// A Paste or a new single surface ended before anything was placed is no undo step: the
// Redo waiting stays.
TEST_F(PasteRoadTest, APlacementThatPlacesNothingRecordsNoStep) {
  TOpticalEditor &editor = OpenWithTheFirstLensCopied();
  TSystemImage &system = editor.System();
  system.elements.data[0].mark = 1;
  system.hasSelection = 1;
  editor.SendMessage(WM_COMMAND, CM_DELETE);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  const std::string undo = system.UndoMenuText();
  ASSERT_EQ(system.RedoMenuText(), "Redo Delete element (ctrl-Y)");
  const auto placing = [&] { return editor.Insertion().NewElementDown() || editor.Insertion().NewSingleSurfaceDown(); };
  for (UINT command : {CM_PASTE, CM_NEW_SINGLE_SURFACE}) {
    bool escaped = false;
    When(placing, [&editor, &escaped] {
      escaped = true;
      test_kit::PostKey(*editor.Canvas(), VK_ESCAPE);
    });
    editor.PostMessage(WM_COMMAND, command, 0);
    ASSERT_TRUE(test_kit::RunUntil([&] { return escaped && !placing(); }, kWaitMs)) << command;
    EXPECT_EQ(system.UndoMenuText(), undo) << command;
    EXPECT_EQ(system.RedoMenuText(), "Redo Delete element (ctrl-Y)") << command;
  }
}

TEST_F(PasteRoadTest, WithoutASelectionAPressBesideEveryElementIsToldAndAClickOnOneGoesOn) {
  TOpticalEditor &editor = OpenWithTheFirstLensCopied();
  TSystemImage &system = editor.System();
  ASSERT_NE(EditClipboard(), nullptr);
  const int n = system.SurfaceCount();
  // Nothing selected when Paste starts.
  editor.Canvas()->SetSelectMode(false);
  system.ClearSelection();
  double lastX = 0.0;
  double lastY = 0.0;
  ElementPoint(system, 2, lastX, lastY);
  const double place = lastX + 12.0;
  std::string missedText;
  std::size_t beepsAfterMiss = 0;
  bool stillWaiting = false;
  // A press in the corner of the view meets nothing: a beep and a word in the status bar,
  // and the placement still waits for its element.
  const TViewWindow &view = system.viewWindow;
  const double emptyX = view.xFrom + 0.05 * (view.xTo - view.xFrom);
  const double emptyY = view.yFrom + 0.05 * (view.yTo - view.yFrom);
  answers_->beeps.clear();
  When([&editor] { return editor.Insertion().NewElementDown(); },
       [&editor, emptyX, emptyY] { ClickWorld(editor, emptyX, emptyY); });
  When([&] { return !answers_->beeps.empty(); }, [&] {
    missedText = editor.StatusBar()->GetText();
    beepsAfterMiss = answers_->beeps.size();
    stillWaiting = editor.Insertion().NewElementDown() && !editor.Canvas()->GetSelectMode();
    ClickWorld(editor, lastX, lastY);
  });
  // The pick bands the element before the placement asks for the place in the status bar:
  // the script waits for that word itself.
  const std::string placeWord = "outside the selected element's frame";
  const auto shown = [&editor] { return editor.StatusBar()->GetText(); };
  std::string placeText;
  When([&] { return editor.Canvas()->GetSelectMode() && editor.System().hasSelection && shown().find(placeWord) != std::string::npos; },
       [&editor, &placeText, shown, place] {
         placeText = shown();
         ClickWorld(editor, place, 0.0);
       }, "the status bar to ask for the place");
  When([] { return FocusedDialog<TElementFolder>() != nullptr; },
       [] { FocusedDialog<TElementFolder>()->PostMessage(WM_COMMAND, IDOK, 0); });
  editor.PostMessage(WM_COMMAND, CM_PASTE, 0);
  const bool pasted = test_kit::RunUntil(
      [&] { return system.SurfaceCount() == n + 2 && !editor.Insertion().NewElementDown(); }, kWaitMs);
  // A placement left waiting is ended as Escape ends it, so that a failure cannot hang.
  if (!pasted) {
    editor.Queue().Leave(1);
    test_kit::RunUntil([&] { return !editor.Insertion().NewElementDown(); }, kWaitMs);
  }
  ASSERT_TRUE(pasted);
  // The prompt came first, as a help box.
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes[0].caption, "Help");
  EXPECT_EQ(beepsAfterMiss, 1u);
  EXPECT_TRUE(stillWaiting);
  EXPECT_EQ(missedText.rfind("Select the preceding element first", 0), 0u) << missedText;
  EXPECT_NE(placeText.find(placeWord), std::string::npos) << "the status bar read: " << shown();
  EXPECT_NEAR(system.Surface(n - 1)->general.vertex[0], place, 0.5);
}

}  // namespace
