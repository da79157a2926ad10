#include "toolkit/startup/toolkit_application.h"

#include "toolkit/render3d/o_palette.h"

TToolkitApplication::TToolkitApplication(const char *appName, int &argc, char **argv)
    : TApplication(appName, argc, argv) {
  if (SharedPalette == nullptr) {
    CreateSharedPalette();
    ownsSharedPalette = SharedPalette != nullptr;
  }
}

TToolkitApplication::~TToolkitApplication() {
  // The windows that draw with the palette go first.
  SetMainWindow(nullptr);
  if (ownsSharedPalette) DestroySharedPalette();
}
