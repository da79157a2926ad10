// The program's entry point: the application object (with the shared palette) and the Qt
// providers, its main window and the message loop.

#include "toolkit/startup/toolkit_application.h"

int main(int argc, char *argv[]) {
  TToolkitApplication application("Optical Workbench", argc, argv);
  application.InstallQtProviders();
  return application.Run();
}
