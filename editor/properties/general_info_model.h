#pragma once
// The general information of the edited system without its window: its first-order values
// (focal length, back focal distance, F-number, pupils, magnification), its stop, length and
// working wavelength, each read-only, and the temperature and pressure at which the
// glasses' indices are taken, which the user may change.

#include <string>
#include <vector>

#include "editor/properties/property_edit.h"

class TSystemImage;

enum TGeneralInfoLine : int {
  kFocalLengthLine = 0,
  kBackFocalDistanceLine,
  kFNumberLine,
  kEntrancePupilLine,
  kExitPupilLine,
  kMagnificationLine,
  kStopSurfaceLine,
  kTrackLengthLine,
  kWorkingWavelengthLine,
  kTemperatureLine,
  kPressureLine,
  kGeneralInfoLineCount,
};

struct TGeneralInfoItem {
  std::string caption;
  std::string value;  // "-" when the system gives none
  bool editable = false;
};

// The lines in TGeneralInfoLine's order, computed values to 7 significant digits. The first-order values are solved on the axis
// first when the system changed since they were last solved.
std::vector<TGeneralInfoItem> GeneralInfoItems(TSystemImage &system);

// Temperature (above absolute zero, at most 1000 degrees C) or pressure (0 to 10000 mm Hg);
// the other lines refuse edits.
TPropertyEdit EditGeneralInfo(TSystemImage &system, int line, const std::string &text);
