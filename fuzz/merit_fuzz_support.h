#pragma once
// The system the merit-function and parameter file harnesses read against: four surfaces,
// two field values, two wavelengths, two configurations. Built once; message boxes are
// counted, not shown.

#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/quiet_boxes.h"
#include "optics/model/optical_system.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "platform/core/message_box.h"

inline TConfiguredSystem &FuzzConfigurations() {
  static TQuietBoxes boxes;
  static TOpticalSystem system;
  static TConfigurationSnapshots *configurations = [] {
    SetMessageBoxProvider(&boxes);
    for (double x : {0.0, 10.0, 15.0, 60.0}) {
      TSurface *s = system.AddSurface(new TSurface(x, 0.0, 0.0));
      s->general.semiHeightExt = s->general.semiWidthExt = 10.0;
    }
    system.info.AlfaM.Allocate(2, 1);
    system.info.AlfaM.data[1] = 3.0;
    system.info.Spectrum.Allocate(2, 1);
    system.info.Nray = 5;
    auto *made = new TConfigurationSnapshots(system, 2);
    made->SetVertexX(1, 3, 70.0);
    return made;
  }();
  return *configurations;
}

// Equal, NaN equal to NaN.
inline bool SameNumber(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}
