#include "editor/properties/general_info_model.h"

#include <cmath>

#include "document/system/system_image.h"

namespace {

constexpr const char *kCaptions[kGeneralInfoLineCount] = {
    "Focal length, mm",         "Back focal distance, mm", "F-number",
    "Entrance pupil diameter, mm", "Exit pupil diameter, mm", "Magnification",
    "Aperture stop surface",    "Length, first to last surface, mm", "Working wavelength, um",
    "Temperature, deg C",       "Pressure, mm Hg"};
constexpr const char *kNone = "-";
// Glass data are given between these limits; beyond them the index formulas mean nothing.
constexpr double kAbsoluteZero = -273.15;
constexpr double kHighestTemperature = 1000.0;
constexpr double kHighestPressure = 10000.0;

// Computed values to 7 digits: the solve by real rays holds about that many.
constexpr int kComputedDigits = 7;

std::string Number(double value) { return FormatPropertyNumber(value); }
std::string Computed(double value) { return FormatPropertyNumber(value, kComputedDigits); }

// From the first surface behind the object to the last.
double LengthOfSystem(const TSystemImage &system) {
  double length = 0.0;
  for (int k = 2; k < system.SurfaceCount(); ++k) {
    const DPOINT3 a = system.GetSurfacePosition(k - 1, k - 1, kGlobalFrame);
    const DPOINT3 b = system.GetSurfacePosition(k, k, kGlobalFrame);
    length += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
  }
  return length;
}

}  // namespace

std::vector<TGeneralInfoItem> GeneralInfoItems(TSystemImage &system) {
  std::vector<TGeneralInfoItem> items(kGeneralInfoLineCount);
  for (int k = 0; k < kGeneralInfoLineCount; ++k) {
    items[k].caption = kCaptions[k];
    items[k].value = kNone;
  }
  const TOpticalSystemInformation &info = system.info;
  items[kTemperatureLine].value = Number(info.Temperature);
  items[kTemperatureLine].editable = true;
  items[kPressureLine].value = Number(info.Pressure);
  items[kPressureLine].editable = true;
  items[kWorkingWavelengthLine].value = Number(info.LambdaW);
  if (system.SurfaceCount() < 2) return items;
  items[kTrackLengthLine].value = Computed(LengthOfSystem(system));
  // A system whose glasses are missing or whose chief ray fails has no first-order values.
  if (system.materialsMissing != 0 || system.UpdatePupils(0.0, 0.0) < 1) return items;
  // The focal length and back focal distance belong to the lens, whatever its conjugates
  // (a system turned round images a finite object at infinity with the same lens).
  const double focal = info.focalLength;
  const bool focused = focal != 0.0 && std::isfinite(focal);
  if (focused) {
    items[kFocalLengthLine].value = Computed(focal);
    items[kBackFocalDistanceLine].value = Computed(info.backFocalDistance);
  }
  items[kEntrancePupilLine].value = Computed(info.entrancePupilDiameter);
  items[kExitPupilLine].value = Computed(info.exitPupilDiameter);
  // F-number = f / D of the pupil on the side at infinity: the entrance pupil for an object
  // at infinity, the exit pupil for an image there.
  const bool objectAtInfinity = info.ObjectFinite == 0;
  const bool imageAtInfinity = info.ImageFinite == 0;
  const double pupil = objectAtInfinity ? info.entrancePupilDiameter : info.exitPupilDiameter;
  if (focused && objectAtInfinity != imageAtInfinity && pupil > 0.0)
    items[kFNumberLine].value = Computed(std::fabs(focal) / pupil);
  // A lateral magnification needs both conjugates finite: one at infinity has none.
  if (!objectAtInfinity && !imageAtInfinity) items[kMagnificationLine].value = Computed(info.magnification);
  if (info.stopIndex >= 0) items[kStopSurfaceLine].value = std::to_string(info.stopIndex + 1);
  return items;
}

TPropertyEdit EditGeneralInfo(TSystemImage &system, int line, const std::string &text) {
  if (line != kTemperatureLine && line != kPressureLine)
    return TPropertyEdit::Refused("This value follows from the system and cannot be typed in.");
  double value = 0.0;
  if (line == kTemperatureLine) {
    if (!ParsePropertyNumber(text, value)) return TPropertyEdit::Refused(NotANumberMessage("Temperature", text));
    if (!(value > kAbsoluteZero) || value > kHighestTemperature)
      return TPropertyEdit::Refused("The temperature must lie above " + Number(kAbsoluteZero) + " and at most " +
                                    Number(kHighestTemperature) + " degrees C.");
    system.info.Temperature = value;
    return CommitPropertyEdit(system, "Temperature", false);
  }
  if (!ParsePropertyNumber(text, value)) return TPropertyEdit::Refused(NotANumberMessage("Pressure", text));
  if (value < 0.0 || value > kHighestPressure)
    return TPropertyEdit::Refused("The pressure must lie between 0 and " + Number(kHighestPressure) + " mm Hg.");
  system.info.Pressure = value;
  return CommitPropertyEdit(system, "Pressure", false);
}
