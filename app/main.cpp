// The program's entry point: the application object with the Qt providers, its main
// window and the message loop.

#include "platform/gui/windows/application.h"

int main(int argc, char *argv[]) {
  TApplication application("Optical Workbench", argc, argv);
  application.InstallQtProviders();
  return application.Run();
}
