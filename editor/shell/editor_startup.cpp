#include "editor/shell/editor_startup.h"

#include <cstdlib>

#include "editor/shell/editor_menu.h"
#include "editor/shell/optical_editor.h"
#include "editor/shell/splash_window.h"
#include "optics/model/model_globals.h"
#include "platform/core/paths.h"
#include "toolkit/pump/delay.h"

std::string FixStartupDirectories(const char *argv0) {
  // The running program's own directory; the argument's only when that is unknown.
  std::string directory = ProgramDirectory();
  if (directory.empty() && argv0 != nullptr) directory = ProgramDirectoryFromArgument(argv0, std::getenv("PATH"));
  SetProgramDir(directory);
  SetupTemporaryDirectory();
  return directory;
}

std::string CommandLineSystem(int argc, char **argv) {
  if (argc > 1 && argv != nullptr && argv[1] != nullptr) return argv[1];
  return std::string();
}

std::string GlassDirectory() { return JoinPath(ProgramDir(), kGlassDirectoryName); }

TMainApp::TMainApp(const char *appName, int &argc, char **argv)
    : TToolkitApplication(appName, argc, argv), commandLine_(CommandLineSystem(argc, argv)) {
  FixStartupDirectories(argc > 0 ? argv[0] : nullptr);
  RegisterEditorResources();
  ShowSplash();
}

void TMainApp::ShowSplash() { RunSplash(ProgramDir(), &TDelay::Wait); }

void TMainApp::InitMainWindow() { SetMainWindow(new TOpticalEditor(nullptr, commandLine_)); }
