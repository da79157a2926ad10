// Keys typed into the program's other windows stay there: with a lens of the triplet
// selected, each editing key pressed in a field of the properties folder, the PSF and MTF
// window, the image-synthesis folder or the Tilt table (or in the aberrations window, which
// has no field) leaves the system, its undo ring, its selection and the system's folder as
// they were, and changes the field's text as the same key changes a plain text field's.

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/psf/show_psf.h"
#include "editor/animation/animation_file_editor.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/edit/editor_tools.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "imaging/pictures/picture_windows.h"
#include "platform/gui/controls/control_constants.h"
#include "synthesis/folder/energy_page.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
// Long enough for a posted key and whatever command it might start to be done with.
constexpr int kSettleMs = 40;
// What the clipboard holds when Ctrl-V or Shift+Ins is pressed.
constexpr const char *kClipboardText = "7";
// What the user types into the cleared field before the key ("12", Home: the caret at the start).
constexpr const char *kTypedText = "12";

struct TKey {
  const char *name;
  UINT key;
  UINT modifiers;
};
// Shift+Ins last: a Paste that leaked would wait for the user to place the element.
const TKey kKeys[] = {
    {"Del", VK_DELETE, 0},        {"Backspace", VK_BACK, 0},           {"Ctrl-Z", 'Z', MK_CONTROL},
    {"Ctrl-Y", 'Y', MK_CONTROL},  {"Ctrl-A", 'A', MK_CONTROL},         {"Ctrl-C", 'C', MK_CONTROL},
    {"Ctrl-V", 'V', MK_CONTROL},  {"Ctrl+Ins", VK_INSERT, MK_CONTROL}, {"Shift+Del", VK_DELETE, MK_SHIFT},
    {"Shift+Ins", VK_INSERT, MK_SHIFT},
};

// How the key finds the window: a field with typing before the caret, a table cell merely
// selected (its text selected whole), or a window with no field.
enum class TStart { kTyped, kSelected, kNoField };

// The field's text and selection, as "text [start, end)".
std::string StateOf(TEdit &field) {
  int start = 0, end = 0;
  field.GetSelection(start, end);
  return field.GetWindowText() + " [" + std::to_string(start) + ", " + std::to_string(end) + ")";
}

// A plain field in a window of its own, with no accelerators anywhere above it.
class TPlainFieldWindow : public TWindow {
 public:
  TPlainFieldWindow() : TWindow(nullptr) {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 900;
    Attr.Y = 600;
    Attr.W = 200;
    Attr.H = 60;
    field = new TEdit(this, 1, "", 10, 10, 150, 22);
  }
  TEdit *field;
};

// A window as the test meets it: the field to type into (null for a window without one).
struct TTarget {
  TWindow *window = nullptr;
  TEdit *field = nullptr;
};

struct TWindowCase {
  const char *name;
  TStart start;
  std::function<TTarget(TOpticalEditor &)> open;
};

TEdit *DialogField(TWindow *dialog, int id) {
  return dialog != nullptr ? dynamic_cast<TEdit *>(WindowFromHandle(::GetDlgItem(dialog->GetHandle(), id))) : nullptr;
}

TTarget TableCell(TPropertiesTable *table, int column, int row) {
  if (table == nullptr) return {};
  table->Grid()->SetCurrentCell(column, row);
  return {table, table->Grid()->Editor()};
}

TSystemPropertiesFolder *PropertiesOpen(TOpticalEditor &editor) {
  if (PropertiesFolder() == nullptr) editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  return PropertiesFolder();
}

TTarget SurfacesCell(TOpticalEditor &editor) {
  TSystemPropertiesFolder *folder = PropertiesOpen(editor);
  if (folder == nullptr) return {};
  folder->SelectPage(kSurfacesPage);
  // The thickness after the fourth surface, well inside the lenses.
  return TableCell(folder->SurfacesPage()->Table(), kThicknessColumn, 4);
}

TTarget SynthesisField(TOpticalEditor &editor, bool energy) {
  if (TShowPSFFolder *psf = editor.Launchers().PsfWindow()) psf->SendMessage(WM_COMMAND, IDCANCEL, 0);
  if (editor.Launchers().SynthesisWindow() == nullptr) editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  if (folder == nullptr) return {};
  TWindow *page = energy ? static_cast<TWindow *>(folder->EnergyPage())
                         : (folder->ObjectPage() != nullptr ? folder->ObjectPage()->PageWindow() : nullptr);
  if (page == nullptr) return {};
  folder->SelectPageByDialog(page);
  return {folder, DialogField(page, energy ? static_cast<int>(kEnergyWidth) : static_cast<int>(kObjectSizeEdit))};
}

const TWindowCase kWindows[] = {
    {"Surfaces cell being edited", TStart::kTyped, SurfacesCell},
    {"Surfaces cell selected", TStart::kSelected, SurfacesCell},
    {"General page Temperature", TStart::kTyped,
     [](TOpticalEditor &editor) {
       TSystemPropertiesFolder *folder = PropertiesOpen(editor);
       if (folder == nullptr) return TTarget{};
       folder->SelectPage(kGeneralPage);
       constexpr int kTemperatureRow = 9;
       return TableCell(folder->GeneralPage()->Table(), 0, kTemperatureRow);
     }},
    {"Tilt table", TStart::kTyped,
     [](TOpticalEditor &editor) {
       if (editor.EditTools().inclinationTable == nullptr) editor.SendMessage(WM_COMMAND, CM_TILT);
       TQuickInclinationTableDlg *table = editor.EditTools().inclinationTable;
       return TTarget{table, DialogField(table, TQuickInclinationTableDlg::kAngle)};
     }},
    {"Aberrations window", TStart::kNoField,
     [](TOpticalEditor &editor) {
       if (editor.Launchers().AberrationsWindow() == nullptr) editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
       return TTarget{editor.Launchers().AberrationsWindow(), nullptr};
     }},
    {"PSF and MTF Discrete", TStart::kTyped,
     [](TOpticalEditor &editor) {
       if (editor.Launchers().PsfWindow() == nullptr) editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
       TShowPSFFolder *folder = editor.Launchers().PsfWindow();
       if (folder == nullptr) return TTarget{};
       return TTarget{folder, DialogField(folder->Page(), kPsfDiscreteEdit)};
     }},
    {"Image synthesis Object size", TStart::kTyped, [](TOpticalEditor &editor) { return SynthesisField(editor, false); }},
    {"Image synthesis Energy W", TStart::kTyped, [](TOpticalEditor &editor) { return SynthesisField(editor, true); }},
};

class FieldKeysTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    previousWindows_ = SetSynthesisWindows(&windows_);
  }
  void TearDown() override {
    plain_.reset();
    EditorShellTest::TearDown();
    SetSynthesisWindows(previousWindows_);
  }
  // What a leaked key could have reached: the system, its undo ring, the selection, the folder.
  std::string StateOf(TOpticalEditor &editor, int lens) {
    TSystemImage &system = editor.System();
    std::string state = std::to_string(system.SurfaceCount()) + " surfaces, undo " +
                        std::to_string(system.options.undoIndex) + " " + ItemText(CM_UNDO) + ", selection " +
                        std::to_string(system.hasSelection) + std::to_string(system.elements.data[lens].mark) + ":";
    for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::path(triplet_).parent_path()))
      state += " " + entry.path().filename().string();
    return state;
  }
  // Brings the field to where the key finds it, as the user does.
  static void Prepare(TEdit &field, TStart start) {
    test_kit::RunFor(kSettleMs);  // what the field does on taking the focus comes first
    if (start == TStart::kSelected) field.SetSelection(0, -1);
    if (start == TStart::kTyped) {
      // Cleared without an undo step (a bound field keeps its caret against EM_SETSEL).
      field.SetWindowText("");
      test_kit::PostText(field, kTypedText);
      test_kit::PostKey(field, VK_HOME);
    }
    test_kit::RunFor(kSettleMs);
  }
  // The plain field's text and selection after the same start and key.
  std::string PlainFieldAfter(const std::string &text, TStart start, const TKey &key) {
    plain_->field->SetWindowText(text);
    plain_->field->SendMessage(EM_EMPTYUNDOBUFFER);
    Prepare(*plain_->field, start);
    QGuiApplication::clipboard()->setText(kClipboardText);
    test_kit::PostKeyWith(*plain_->field, key.key, key.modifiers);
    test_kit::RunFor(kSettleMs);
    return ::StateOf(*plain_->field);
  }

  TPictureWindows windows_;
  TSynthesisWindows *previousWindows_ = nullptr;
  std::unique_ptr<TPlainFieldWindow> plain_;
};

TEST_F(FieldKeysTest, EditingKeysInAnotherWindowActOnItsFieldAndNeverOnTheSystem) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  plain_ = std::make_unique<TPlainFieldWindow>();
  ASSERT_TRUE(plain_->Create());
  // The first lens, selected anew at every key (a key that deleted it leaves the next case whole).
  int lens = 0;
  const auto selectLens = [&] {
    for (lens = 0; lens < system.ElementCount(); ++lens) {
      if (system.elements.data[lens].SurfaceCount() != 2) continue;
      system.elements.data[lens].mark = system.hasSelection = 1;
      editor.UpdateMenus();
      return true;
    }
    return false;
  };
  // A command that opened the animation file's editor would wait in its loop: it is shut
  // and counted.
  int animationEditors = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] { animationEditors += CloseAnimationFileEditor(editor) ? 1 : 0; });
  closer.start(kSettleMs / 4);

  for (const TWindowCase &window : kWindows) {
    for (const TKey &key : kKeys) {
      SCOPED_TRACE(std::string(window.name) + ", " + key.name);
      const TTarget target = window.open(editor);
      ASSERT_NE(target.window, nullptr);
      ASSERT_EQ(target.field == nullptr, window.start == TStart::kNoField);
      ASSERT_TRUE(selectLens());
      TWindow &focus = target.field != nullptr ? *target.field : *target.window;
      focus.SetFocus();
      if (!test_kit::RunUntil([&] { return GetFocus() == focus.GetHandle(); }, kWaitMs)) {
        ADD_FAILURE() << "the window never took the focus";
        continue;
      }
      std::string text;
      if (target.field != nullptr) {
        text = target.field->GetWindowText();
        Prepare(*target.field, window.start);
      }
      const std::string before = StateOf(editor, lens);
      const int opened = animationEditors;
      QGuiApplication::clipboard()->setText(kClipboardText);
      test_kit::PostKeyWith(focus, key.key, key.modifiers);
      test_kit::RunFor(kSettleMs);
      EXPECT_EQ(StateOf(editor, lens), before);
      EXPECT_EQ(animationEditors, opened);
      if (target.field == nullptr) continue;
      EXPECT_EQ(::StateOf(*target.field), PlainFieldAfter(text, window.start, key));
      // The typing is dropped before the next key: the cell's or the field's text again.
      if (auto *table = dynamic_cast<TPropertiesTable *>(target.window)) {
        table->Grid()->CancelEditor();
      } else {
        target.field->SetWindowText(text);
      }
    }
  }
}

}  // namespace
