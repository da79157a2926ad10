// The program's entry point: the application object (with the shared palette, the program
// and temporary directories and the editor as its main window), the Qt providers and the
// message loop.

#include "editor/animation/avi_step_movie.h"
#include "editor/shell/editor_startup.h"
#include "imaging/color/density_color_image.h"
#include "imaging/pictures/picture_windows.h"

int main(int argc, char *argv[]) {
  TMainApp application("Korvex", argc, argv);
  application.InstallQtProviders();
  // The optical model shows densities through the synthesis colour image.
  InstallColorImageFactory();
  // The synthesis shows its pictures and plots in the windows of its own window library.
  InstallSynthesisWindows();
  // The editor's step movies are written as AVI files.
  InstallAviStepMovies();
  return application.Run();
}
