// The component library through the editor: the selected element added under a name, the
// editor closed, another system opened, the element taken and placed into it.

#include "editor/edit/edit_clipboard.h"
#include "editor/insert/element_folder.h"
#include "editor/insert/tests/insert_test_support.h"
#include "editor/library/library_elements.h"
#include "foundation/testing/approx.h"

namespace {

using namespace insert_test;

using LibraryElementsTest = InsertShellTest;

TEST_F(LibraryElementsTest, AnElementAddedFromOneSystemIsTakenIntoAnother) {
  DeleteEditClipboard();
  TOpticalEditor *editor = &Open(triplet_);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor->System().ElementCount() == 3; }, kWaitMs));
  // The middle lens selected, as a click on it selects it.
  double x = 0.0;
  double y = 0.0;
  ElementPoint(editor->System(), 1, x, y);
  editor->Canvas()->SelectAt(editor->Canvas()->WorldToDevice(x, y));
  ASSERT_EQ(editor->System().selectedElement, 1);
  const double r1 = editor->System().Surface(3)->general.R;
  const double r2 = editor->System().Surface(4)->general.R;
  const std::string glass = editor->System().Surface(3)->general.glass;
  When([] { return FocusedDialog<TLibraryElements>() != nullptr; }, [] {
    TLibraryElements *dialog = FocusedDialog<TLibraryElements>();
    dialog->SetDlgItemText(kElementNameId, "Middle flint");
    dialog->PostMessage(WM_COMMAND, kAddElementId, 0);
    dialog->PostMessage(WM_COMMAND, IDCANCEL, 0);
  });
  editor->PostMessage(WM_COMMAND, CM_COMPONENT_LIBRARY, 0);
  ASSERT_TRUE(test_kit::RunUntil([] { return std::filesystem::exists(DefaultLibraryPath()); }, kWaitMs));
  test_kit::RunFor(100);
  EXPECT_EQ(EditClipboard(), nullptr);

  // Closed, and another system opened.
  editor->Destroy();
  delete editor;
  editor_ = nullptr;
  const std::string singlet = Scratch("Systems/singlet.os");
  std::filesystem::copy_file(ExamplePath("singlet.os"), singlet);
  editor = &Open(singlet);
  TSystemImage &system = editor->System();
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == 1; }, kWaitMs));
  const int n = system.SurfaceCount();
  double sx = 0.0;
  double sy = 0.0;
  ElementPoint(system, 0, sx, sy);
  const double place = sx + 10.0;
  When([] { return FocusedDialog<TLibraryElements>() != nullptr; }, [] {
    TLibraryElements *dialog = FocusedDialog<TLibraryElements>();
    EXPECT_EQ(dialog->Library().Names(), std::vector<std::string>{"Middle flint"});
    dialog->PostMessage(WM_COMMAND, kTakeElementId, 0);
  });
  When([editor] { return editor->Insertion().NewElementDown(); }, [editor, sx, sy] { ClickWorld(*editor, sx, sy); });
  When([editor] { return editor->Insertion().NewElementDown() && editor->Canvas()->GetSelectMode() && editor->System().hasSelection; },
       [editor, place] { ClickWorld(*editor, place, 0.0); });
  When([] { return FocusedDialog<TElementFolder>() != nullptr; },
       [] { FocusedDialog<TElementFolder>()->PostMessage(WM_COMMAND, IDOK, 0); });
  editor->PostMessage(WM_COMMAND, CM_COMPONENT_LIBRARY, 0);
  test_kit::RunFor(100);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.SurfaceCount() == n + 2 && !editor->Insertion().NewElementDown(); },
                                 kWaitMs));
  // The flint lens stands where the click fell, behind the singlet.
  const TSurface *front = system.Surface(n - 1);
  EXPECT_EQ(front->general.R, r1);
  EXPECT_EQ(system.Surface(n)->general.R, r2);
  EXPECT_EQ(front->general.glass, glass);
  EXPECT_NEAR(front->general.vertex[0], place, 0.5);
  EXPECT_EQ(system.UndoMenuText(), "Undo Paste element (ctrl-Z)");
}

}  // namespace

namespace {

using namespace insert_test;

// The front lens selected with Edit > Select stays the preceding element when the library
// takes an element (no Help box): a click behind the third lens, which would cross the
// negative lens, is refused naming the negative gap; a click where the taken lens's rear
// face would pass it is refused when the element is built, naming the gap and the room it
// needs; the system and its undo ring untouched. A click with room between the lenses
// places it.
TEST_F(LibraryElementsTest, ATakenElementThatWouldCrossTheNextLensIsRefusedNamingTheGap) {
  DeleteEditClipboard();
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == 3; }, kWaitMs));
  const int n = system.SurfaceCount();
  const auto v = [&system](int k) { return system.Surface(k)->general.vertex[0]; };
  const double thick = v(2) - v(1);
  const struct {
    double place;
    const char *told;  // "" when placed
  } cases[] = {{v(6) + 3.0, "behind surface 4"}, {v(3) - 2.0, "gap between surfaces 3 and 4"}, {v(2) + 1.0, ""}};
  bool first = true;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.place);
    // A folder given up leaves the select tool on.
    if (!editor.EditTools().ButtonDown(CM_SELECT)) editor.SendMessage(WM_COMMAND, CM_SELECT);
    double x = 0.0, y = 0.0;
    ElementPoint(system, 0, x, y);
    ClickWorld(editor, x, y);
    ASSERT_TRUE(test_kit::RunUntil([&] { return system.hasSelection == 1 && system.selectedElement == 0; }, kWaitMs));
    const std::string undo = system.UndoMenuText();
    answers_->boxes.clear();
    When([] { return FocusedDialog<TLibraryElements>() != nullptr; }, [first] {
      TLibraryElements *dialog = FocusedDialog<TLibraryElements>();
      if (first) {
        dialog->SetDlgItemText(kElementNameId, "Front crown");
        dialog->PostMessage(WM_COMMAND, kAddElementId, 0);
      }
      dialog->PostMessage(WM_COMMAND, kTakeElementId, 0);
    });
    When([&editor] { return editor.Insertion().NewElementDown(); },
         [&editor, c] { ClickWorld(editor, c.place, 0.0); });
    When([] { return FocusedDialog<TElementFolder>() != nullptr; },
         [] { FocusedDialog<TElementFolder>()->PostMessage(WM_COMMAND, IDOK, 0); });
    // A refused element leaves the folder open: it is given up.
    When([this] { return FocusedDialog<TElementFolder>() != nullptr && !answers_->boxes.empty(); },
         [] { FocusedDialog<TElementFolder>()->PostMessage(WM_COMMAND, IDCANCEL, 0); });
    editor.PostMessage(WM_COMMAND, CM_COMPONENT_LIBRARY, 0);
    const bool placed = *c.told == '\0';
    ASSERT_TRUE(test_kit::RunUntil([&] {
      return !editor.Insertion().NewElementDown() && (placed ? system.SurfaceCount() == n + 2 : !answers_->boxes.empty());
    }, kWaitMs));
    first = false;
    for (const auto &box : answers_->boxes) EXPECT_NE(box.caption, "Help");
    if (placed) {
      EXPECT_NEAR(system.Surface(3)->general.vertex[0], c.place, 0.5);
      EXPECT_NEAR(system.Surface(4)->general.vertex[0], c.place + thick, 0.5);
      EXPECT_EQ(system.UndoMenuText(), "Undo Paste element (ctrl-Z)");
      continue;
    }
    const std::string &text = answers_->boxes.back().text;
    EXPECT_NE(text.find(c.told), std::string::npos) << text;
    EXPECT_EQ(system.SurfaceCount(), n);
    EXPECT_EQ(system.UndoMenuText(), undo);
  }
}

// With the second configuration shown, Take is greyed as New Element is, and a Take sent
// all the same is refused: nothing is placed, no configuration's image plane moves.
TEST_F(LibraryElementsTest, TakeIsGreyedAndRefusedInAConfigurationOtherThanTheFirst) {
  DeleteEditClipboard();
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == 3; }, kWaitMs));
  system.hasSelection = 1, system.selectedElement = 0, system.elements.data[0].mark = 1;
  system.InsertConfiguration(0);
  ASSERT_EQ(system.currentConfiguration, 1);
  const int n = system.SurfaceCount();
  const DPOINT3 image = system.configurations.data[0].image;
  bool greyed = false;
  When([] { return FocusedDialog<TLibraryElements>() != nullptr; }, [&greyed] {
    TLibraryElements *dialog = FocusedDialog<TLibraryElements>();
    dialog->SetDlgItemText(kElementNameId, "Front crown");
    dialog->PostMessage(WM_COMMAND, kAddElementId, 0);
    greyed = !dialog->ChildWithId(kTakeElementId)->IsWindowEnabled();
    dialog->PostMessage(WM_COMMAND, kTakeElementId, 0);
    dialog->PostMessage(WM_COMMAND, IDCANCEL, 0);
  });
  editor.PostMessage(WM_COMMAND, CM_COMPONENT_LIBRARY, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !answers_->boxes.empty() && FocusedDialog<TLibraryElements>() == nullptr; }, kWaitMs));
  EXPECT_TRUE(greyed);
  EXPECT_NE(answers_->boxes.back().text.find("configuration 1"), std::string::npos) << answers_->boxes.back().text;
  EXPECT_FALSE(editor.Insertion().NewElementDown());
  EXPECT_EQ(system.SurfaceCount(), n);
  EXPECT_EQ(system.configurations.data[0].image.x, image.x);
}

}  // namespace
