#pragma once
// Shared set-up of the main window's tests: the Qt application and shared palette, the
// shipped catalogs beside a program directory of the test's own, a settings directory and a
// temporary directory of its own, scripted message boxes, and the Cooke triplet copied under
// a name in mixed case.

#include <QTimer>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <cctype>
#include <memory>
#include <string>

#include "editor/animation/animation_file_editor.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/optical_editor.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"

class EditorShellTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    test_kit::EnsureApplication();
    if (SharedPalette == nullptr) {
      CreateSharedPalette();
      ownsPalette_ = true;
    }
    previousProgram_ = ProgramDir();
    previousTemp_ = TempDir();
    const char *config = std::getenv("XDG_CONFIG_HOME");
    previousConfig_ = config != nullptr ? config : "";
    hadConfig_ = config != nullptr;
    std::filesystem::create_directories(Scratch("program"));
    std::filesystem::create_directories(Scratch("tmp"));
    std::filesystem::create_directories(Scratch("config"));
    std::filesystem::copy(SourceRoot() + "/resources/cglass", Scratch("program/cglass"));
    SetProgramDir(Scratch("program"));
    SetTempDir(Scratch("tmp"));
    ::setenv("XDG_CONFIG_HOME", Scratch("config").c_str(), 1);
    std::filesystem::create_directories(Scratch("Systems"));
    triplet_ = ScratchExample("cooke_triplet.os", "Cooke_Triplet.os");
    answers_ = std::make_unique<TRecordingMessageBoxProvider>();
  }
  // The program's help beside it, as the program is shipped.
  void InstallHelp() {
    std::filesystem::copy(SourceRoot() + "/resources/help", ProgramDir(), std::filesystem::copy_options::recursive);
  }
  void DropEditor() {
    if (editor_ == nullptr) return;
    if (editor_->GetHandle() != nullptr) editor_->Destroy();
    delete editor_;
    editor_ = nullptr;
  }

  void TearDown() override {
    DropEditor();
    answers_.reset();
    if (hadConfig_) {
      ::setenv("XDG_CONFIG_HOME", previousConfig_.c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    SetTempDir(previousTemp_);
    SetProgramDir(previousProgram_);
    if (ownsPalette_) DestroySharedPalette();
    SystemTest::TearDown();
  }

  // A copy of the example system `example` under the scratch "Systems" folder as `name`.
  std::string ScratchExample(const std::string &example, const std::string &name) const {
    const std::string path = Scratch("Systems/" + name);
    std::filesystem::copy_file(ExamplePath(example), path);
    return path;
  }
  // Opens the aberrations, spot diagram and PSF and MTF windows; false unless all three came.
  static bool OpenAnalysisWindows(TOpticalEditor &editor) {
    editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
    editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
    editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
    return editor.Launchers().AberrationsWindow() != nullptr && editor.Launchers().SpotWindow() != nullptr &&
           editor.Launchers().PsfWindow() != nullptr;
  }
  // Closes the editor answering No to keeping the changes: every window goes with it.
  void CloseDiscardingChanges(TOpticalEditor &editor) {
    answers_->QueueAnswer(IDNO);
    editor.SendMessage(WM_CLOSE);
    EXPECT_EQ(editor.GetHandle(), nullptr);
    EXPECT_EQ(PropertiesFolder(), nullptr);
    EXPECT_EQ(editor.Launchers().AberrationsWindow(), nullptr);
    EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
    EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  }

  // The editor, created on the given system (an editor opened before goes first).
  TOpticalEditor &Open(const std::string &commandLine) {
    DropEditor();
    editor_ = new TOpticalEditor(nullptr, commandLine);
    EXPECT_TRUE(editor_->Create());
    return *editor_;
  }
  // Runs `press` (a key posted to a window of the editor) and answers whether the animation
  // file's editor opened over the editor; it is closed as its Exit closes it.
  bool OpensTheAnimationEditor(const std::function<void()> &press) {
    constexpr int kWaitMs = test_kit::kPatienceMs;
    auto opened = std::make_shared<bool>(false);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [opened, editor = editor_] {
      if (CloseAnimationFileEditor(*editor)) *opened = true;
    });
    poll.start(10);
    press();
    test_kit::RunUntil([&] { return *opened; }, kWaitMs);
    return *opened;
  }
  HMENU Menu() const { return GetMenu(editor_->GetHandle()); }
  std::string ItemText(UINT command) const {
    char text[256] = {};
    GetMenuString(Menu(), command, text, sizeof text, MF_BYCOMMAND);
    return text;
  }
  // Whether the caption is "Korvex - " + name + middle + " (1:<scale>)" + end, with a scale
  // figure.
  static bool CaptionIs(const std::string &caption, const std::string &name,
                        const std::string &middle = "", const std::string &end = "") {
    const std::string head = "Korvex - " + name + middle;
    if (caption.compare(0, head.size(), head) != 0) return false;
    if (caption.size() < end.size() || caption.compare(caption.size() - end.size(), end.size(), end) != 0)
      return false;
    const std::string scale = caption.substr(head.size(), caption.size() - head.size() - end.size());
    // " (1:" digits "." digits ")"
    const std::string open = " (1:";
    if (scale.size() < open.size() + 4 || scale.compare(0, open.size(), open) != 0 || scale.back() != ')')
      return false;
    const std::string figure = scale.substr(open.size(), scale.size() - open.size() - 1);
    const std::size_t point = figure.find('.');
    if (point == std::string::npos || point == 0 || point + 1 == figure.size()) return false;
    for (std::size_t i = 0; i < figure.size(); ++i)
      if (i != point && std::isdigit(static_cast<unsigned char>(figure[i])) == 0) return false;
    return true;
  }
  bool Grey(UINT command) const {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
  }

  TOpticalEditor *editor_ = nullptr;
  std::unique_ptr<TRecordingMessageBoxProvider> answers_;
  std::string triplet_;

 private:
  bool ownsPalette_ = false;
  bool hadConfig_ = false;
  std::string previousProgram_;
  std::string previousTemp_;
  std::string previousConfig_;
};
