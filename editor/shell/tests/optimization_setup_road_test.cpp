// The optimization setup (variables and merit pages, each of its configuration) goes with the
// system through every command of the program's command table and their Undo and Redo, with
// the optimization panel shown and hidden: the system file and the parameter file written
// after Undo are byte for byte those before the command, after Redo those after it.

#include <QTimer>

#include <fstream>
#include <iterator>
#include <set>

#include "editor/optimize/optimization_panel.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"

namespace {

using OptimizationSetupRoadTest = EditorShellTest;

std::string Bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TOptimizationPanel *ShowPanel(TOpticalEditor &editor, bool shown) {
  if (PropertiesFolder() == nullptr) editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  if (PropertiesFolder()->OptimizationPanelShown() != shown) PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
  return PropertiesFolder()->OptimizationPanel();
}

// Ends any modal window the command opened as its Cancel does, else a wait for a click (a
// placement: New element, Paste).
void CancelModals(TOpticalEditor &editor) {
  TWindow *window = WindowFromHandle(GetFocus());
  while (window != nullptr && !window->IsModal()) window = window->GetParentO();
  if (window != nullptr) window->EndModal(IDCANCEL);
  else if (editor.Queue().BusyCount() > 0) editor.Queue().Leave(1);
}

}  // namespace

TEST_F(OptimizationSetupRoadTest, EveryCommandsUndoAndRedoBringBackTheSystemAndItsSetup) {
  // Three configurations (the second moves the first element 1 mm up, the third the last
  // one 2 mm along the axis), each with a variable and a merit page of its own.
  const std::string path = ScratchExample("fold_mirror.os", "Fold.os"), par = Scratch("Systems/Fold.par");
  TOpticalEditor &editor = Open(path);
  TSystemImage &system = editor.System();
  for (int c = 1; c < 3; ++c) {
    answers_->QueueAnswer(IDYES);
    editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
    TOptimizationPanel *panel = ShowPanel(editor, false);
    ASSERT_EQ(panel, nullptr);
    TOpticalElement &moved = system.elements.data[c == 1 ? 0 : system.ElementCount() - 1];
    const DPOINT3 at = moved.referencePoint;
    moved.MoveTo(at.x + (c == 2 ? 2 : 0), at.y + (c == 1 ? 1 : 0), at.z);
    system.StoreConfiguration(-1);
  }
  ASSERT_EQ(system.ConfigurationCount(), 3);
  TOptimizationPanel &panel = *ShowPanel(editor, true);
  for (int c = 0; c < 3; ++c) {
    panel.functions.Record(c, 0)->Focus.data[0].Target = 50 + c;
    TParameterDescription variable;
    variable.Set(c, 1, "R", 20 + c, 30 + c);
    panel.parameters.Add(variable);
  }
  ShowPanel(editor, false);
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);

  const std::string systemFile = Bytes(path), setupFile = Bytes(par);
  ASSERT_NE(setupFile.find("Left=22"), std::string::npos);

  // The table's commands, the palettes' buttons, Undo and Redo; Exit ends the program, and
  // the animations run until they are stopped.
  std::set<int> commands(std::begin(kEnabledCommands), std::end(kEnabledCommands));
  for (const auto &palette : {std::vector<int>(std::begin(kToolsPaletteButtons), std::end(kToolsPaletteButtons)),
                              std::vector<int>(std::begin(kZoomPaletteButtons), std::end(kZoomPaletteButtons)),
                              std::vector<int>(std::begin(kConfigurationPaletteButtons), std::end(kConfigurationPaletteButtons))})
    commands.insert(palette.begin(), palette.end());
  for (int ends : {CM_EXIT, CM_BEAM_ANIMATION, CM_LENS_ANIMATION, CM_PAUSE_ANIMATION}) commands.erase(ends);
  QTimer modals;
  QObject::connect(&modals, &QTimer::timeout, [&editor] { CancelModals(editor); });
  modals.start(20);
  TScriptedFileDialog files;
  std::set<int> stepped;
  const std::string probe = Scratch("probe.os");
  for (const bool shown : {true, false}) {
    for (const int command : commands) {
      SCOPED_TRACE(std::to_string(command) + (shown ? " panel shown" : " panel hidden"));
      system.SetUnsavedChanges(0);
      ShowPanel(editor, false);
      std::ofstream(path, std::ios::binary) << systemFile;
      std::ofstream(par, std::ios::binary) << setupFile;
      ASSERT_TRUE(TFileCommands::IsLoaded(editor.Files().LoadSystem(path, kNameFromFileName)));
      editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
      ASSERT_EQ(system.currentConfiguration, 1);
      ShowPanel(editor, shown);
      system.elements.data[0].mark = 1;
      system.hasSelection = 1;
      // The files the system and the panel write now.
      auto written = [&] {
        EXPECT_EQ(system.Save(probe), 1);
        if (shown) ShowPanel(editor, false), ShowPanel(editor, true);
        return Bytes(probe) + "\n--- parameter file ---\n" + Bytes(par);
      };
      int back = CM_UNDO, again = CM_REDO;
      if (command == CM_UNDO || command == CM_REDO) {
        answers_->QueueAnswer(IDYES);
        editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
        if (command == CM_REDO) editor.SendMessage(WM_COMMAND, CM_UNDO);
        if (command == CM_UNDO) std::swap(back, again);
      }
      const std::string before = written();
      const int index = system.options.undoIndex;
      answers_.reset();
      answers_ = std::make_unique<TRecordingMessageBoxProvider>();
      for (int i = 0; i < 4; ++i) answers_->QueueAnswer(IDYES);
      editor.SendMessage(WM_COMMAND, command);
      ASSERT_NE(editor.GetHandle(), nullptr);
      if (system.options.undoIndex == index) continue;
      stepped.insert(command);
      const std::string after = written();
      // Deleting 2/3 takes its variable and page; those of 3 come onto 2.
      if (command == CM_DELETE_CONFIGURATION) {
        EXPECT_TRUE(after.find("Left=21") == std::string::npos && after.find("Config=1; Surf=1; Left=22") != std::string::npos &&
                    after.find("[Functions 1]\nFocus_R=52") != std::string::npos);
      }
      editor.SendMessage(WM_COMMAND, back);
      EXPECT_EQ(written(), before);
      editor.SendMessage(WM_COMMAND, again);
      // A turned system reads its field unit back from its snapshot as the turn set it,
      // apart from the one it keeps in memory: its setup is compared alone.
      const std::string redone = written();
      if (command == CM_TURN_SYSTEM)
        EXPECT_EQ(redone.substr(redone.find("--- parameter")), after.substr(after.find("--- parameter")));
      else
        EXPECT_EQ(redone, after);
    }
  }
  for (int command : {CM_INSERT_CONFIGURATION, CM_ADD_CONFIGURATION, CM_DELETE_CONFIGURATION, CM_UNDO, CM_REDO,
                      CM_DELETE, CM_CUT, CM_TURN_SYSTEM})
    EXPECT_TRUE(stepped.count(command) != 0) << command;
}

// Save As writes the whole setup under the new name, and asks before replacing another
// system's parameter file there: No leaves every file and the name as they were.
TEST_F(OptimizationSetupRoadTest, SaveAsTakesTheWholeSetupAndAsksBeforeReplacingAnother) {
  const std::string b = Scratch("Systems/B.os"), c = Scratch("Systems/C.os"), cPar = Scratch("Systems/C.par");
  const std::string other = "[Common]\nNumPar=1\n\n[Parameters]\n{ Config=0; Surf=3; Left=1; Right=2; Type=\"R\" }\n";
  struct Row {
    bool shown, otherThere;
    int answer;
  };
  for (const Row row : {Row{true, false, IDYES}, Row{false, false, IDYES}, Row{true, true, IDNO}, Row{false, true, IDYES},
                        Row{true, true, IDYES}}) {
    SCOPED_TRACE(std::to_string(row.shown) + std::to_string(row.otherThere) + std::to_string(row.answer));
    DropEditor();
    for (const std::string &gone : {b, c, cPar}) std::filesystem::remove(gone);
    std::filesystem::copy_file(ExamplePath("double_gauss.os"), b);
    std::ofstream(Scratch("Systems/B.par")) << "[Common]\nNumPar=2\n\n[Parameters]\n{ Config=0; Surf=1; Left=20; Right=30; "
                                               "Type=\"R\" }\n{ Config=0; Surf=2; Left=-30; Right=-20; Type=\"R\" }\n";
    if (row.otherThere) std::ofstream(cPar) << other;
    TOpticalEditor &editor = Open(b);
    if (row.shown) {
      ASSERT_EQ(ShowPanel(editor, true)->parameters.Count(), 2);
    }
    TScriptedFileDialog files;
    files.Choose({c});
    answers_.reset();
    answers_ = std::make_unique<TRecordingMessageBoxProvider>();
    answers_->QueueAnswer(row.answer);
    editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
    EXPECT_EQ(answers_->boxes.size(), row.otherThere ? 1u : 0u) << (answers_->boxes.empty() ? "" : answers_->boxes[0].text);
    if (row.answer == IDNO) {
      EXPECT_EQ(Bytes(cPar), other);
      EXPECT_EQ(editor.System().name, b);
      continue;
    }
    EXPECT_EQ(editor.System().name, c);
    ShowPanel(editor, false);
    EXPECT_EQ(ShowPanel(editor, true)->parameters.Count(), 2);
    EXPECT_TRUE(Bytes(cPar).find("Surf=2; Left=-30") != std::string::npos && Bytes(cPar).find("Surf=3") == std::string::npos);
  }
}
