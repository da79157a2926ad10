// The program's entry point: the application object with the Qt providers, its main
// window and the message loop.

#include "platform/gui/windows/application.h"
#include "synthesis/color/density_color_image.h"

int main(int argc, char *argv[]) {
  TApplication application("Optical Workbench", argc, argv);
  application.InstallQtProviders();
  // The optical model shows densities through the synthesis colour image.
  InstallColorImageFactory();
  return application.Run();
}
