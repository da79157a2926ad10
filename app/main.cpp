// The program's entry point: the application object (with the shared palette) and the Qt
// providers, its main window and the message loop.

#include "synthesis/color/density_color_image.h"
#include "synthesis/pictures/picture_windows.h"
#include "toolkit/startup/toolkit_application.h"

int main(int argc, char *argv[]) {
  TToolkitApplication application("Optical Workbench", argc, argv);
  application.InstallQtProviders();
  // The optical model shows densities through the synthesis colour image.
  InstallColorImageFactory();
  // The synthesis shows its pictures and plots in the windows of its own window library.
  InstallSynthesisWindows();
  return application.Run();
}
