#pragma once
// The program's start: the directories every part reads (the program's own, the per-user
// temporary one, the glass directory), the system named on the command line, and the
// application object that makes the editor its main window.

#include <string>

#include "toolkit/startup/toolkit_application.h"

// The glass catalogs' directory beside the program.
constexpr const char *kGlassDirectoryName = "cglass";

// Fixes the program directory (the running program's, else the directory argv0 names) and the temporary directory; answers the program directory.
std::string FixStartupDirectories(const char *argv0);

// The system to open first: the first argument exactly as given (a path's case is part of
// its name here), or empty.
std::string CommandLineSystem(int argc, char **argv);

// The glass directory: "cglass" in the program directory.
std::string GlassDirectory();

class TMainApp : public TToolkitApplication {
 public:
  TMainApp(const char *appName, int &argc, char **argv);
  void InitMainWindow() override;
  // Shows the start-up picture of the program directory, with its pauses unless the fast
  // start file is there.
  static void ShowSplash();

 private:
  std::string commandLine_;
};
