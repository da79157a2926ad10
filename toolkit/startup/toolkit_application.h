#pragma once
// TToolkitApplication: the program object of the workbench's windows. Beyond TApplication
// it holds what the toolkit shares program-wide for as long as the program runs: the
// shared palette of colour ramps and standard colours (o_palette.h), created when the
// application object starts and deleted when it ends.

#include "platform/gui/windows/application.h"

class TToolkitApplication : public TApplication {
 public:
  TToolkitApplication(const char *appName, int &argc, char **argv);
  ~TToolkitApplication() override;
  TToolkitApplication(const TToolkitApplication &) = delete;
  TToolkitApplication &operator=(const TToolkitApplication &) = delete;

 private:
  bool ownsSharedPalette = false;  // a palette made before this object stays its maker's
};
