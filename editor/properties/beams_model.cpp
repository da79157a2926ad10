#include "editor/properties/beams_model.h"

#include <cctype>
#include <cmath>

#include "document/system/system_image.h"

namespace {

constexpr const char *kApertureCaptions[kApertureLineCount] = {"Entrance pupil, mm", "Aperture stop surface",
                                                               "Working wavelength, um"};
constexpr const char *kAuto = "auto";
constexpr const char *kFromStop = "from stop";
// A field angle reaches the side of the object hemisphere at 90 degrees.
constexpr double kLargestFieldAngle = 90.0;

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return TrimProperty(text);
}

bool WavelengthInRange(double lambda) { return lambda >= kShortestWavelength && lambda <= kLongestWavelength; }

std::string WavelengthRangeMessage() {
  return "A wavelength must lie between " + FormatPropertyNumber(kShortestWavelength) + " and " +
         FormatPropertyNumber(kLongestWavelength) + " micrometres.";
}

// Removes entry k of a one-row list.
template <class T>
void RemoveEntry(Mem<T> &list, int k, int count) {
  Mem<T> kept;
  if (!kept.Allocate(count - 1, 1)) return;
  for (int i = 0, j = 0; i < count; ++i)
    if (i != k) kept.data[j++] = list.data[i];
  list = kept;
}

template <class T>
bool AppendEntry(Mem<T> &list, int count, const T &value) {
  Mem<T> grown;
  if (!grown.Allocate(count + 1, 1)) return false;
  for (int i = 0; i < count; ++i) grown.data[i] = list.data[i];
  grown.data[count] = value;
  list = grown;
  return true;
}

}  // namespace

const char *ApertureCaption(int line) {
  return line >= 0 && line < kApertureLineCount ? kApertureCaptions[line] : "";
}

std::string ApertureText(const TSystemImage &system, int line) {
  const TOpticalSystemInformation &info = system.info;
  switch (line) {
    case kPupilDiameterLine:
      if (info.AutoSetPupilParameters != 0) return kAuto;
      return info.Dentr > 0.0 ? FormatPropertyNumber(info.Dentr) : kFromStop;
    case kStopLine:
      if (info.AutoSetPupilParameters != 0 || info.Naper <= 0) return kAuto;
      return std::to_string(info.Naper);
    case kWorkingWavelengthApertureLine: return FormatPropertyNumber(info.LambdaW);
    default: return std::string();
  }
}

TPropertyEdit EditAperture(TSystemImage &system, int line, const std::string &text) {
  TOpticalSystemInformation &info = system.info;
  const std::string word = Lower(text);
  switch (line) {
    case kPupilDiameterLine: {
      double diameter = 0.0;
      if (word != kAuto && word != kFromStop && !ParsePropertyNumber(text, diameter))
        return TPropertyEdit::Refused(NotANumberMessage("Entrance pupil", text));
      if (diameter < 0.0 || diameter > kLargestLength)
        return TPropertyEdit::Refused("The entrance pupil diameter must be positive, or 0 to take it from the stop.");
      // The stop the system found so far stays the stop: only the diameter is the user's.
      if (info.AutoSetPupilParameters != 0 && info.stopIndex >= 0) info.Naper = info.stopIndex + 1;
      info.AutoSetPupilParameters = 0;
      info.Dentr = diameter;
      return CommitPropertyEdit(system, "Entrance pupil", false);
    }
    case kStopLine: {
      int stop = 0;
      if (word != kAuto && !ParsePropertyInteger(text, stop))
        return TPropertyEdit::Refused("Aperture stop: \"" + TrimProperty(text) + "\" is not a surface number.");
      const int last = system.SurfaceCount() - 1;
      if (stop < 0 || stop > last)
        return TPropertyEdit::Refused("The aperture stop must be a surface from 1 to " + std::to_string(last) +
                                      ", or 0 to let the system find it.");
      if (info.AutoSetPupilParameters != 0) info.Dentr = 0.0;
      info.AutoSetPupilParameters = 0;
      info.Naper = stop;
      return CommitPropertyEdit(system, "Aperture stop", false);
    }
    case kWorkingWavelengthApertureLine: {
      double lambda = 0.0;
      if (!ParsePropertyNumber(text, lambda))
        return TPropertyEdit::Refused(NotANumberMessage("Working wavelength", text));
      if (!WavelengthInRange(lambda)) return TPropertyEdit::Refused(WavelengthRangeMessage());
      info.LambdaW = lambda;
      return CommitPropertyEdit(system, "Working wavelength", false);
    }
    default: return TPropertyEdit::Refused("There is no such value.");
  }
}

const char *FieldCaption(const TSystemImage &system) {
  return system.info.ObjectFinite != 0 ? "Object height, mm" : "Field angle, deg";
}

std::string FieldText(const TSystemImage &system, int row) {
  if (row < 0 || row >= system.info.BeamCount()) return std::string();
  return FormatPropertyNumber(system.info.AlfaM.data[row]);
}

TPropertyEdit EditField(TSystemImage &system, int row, const std::string &text) {
  const int count = system.info.BeamCount();
  if (row < 0 || row > count) return TPropertyEdit::Refused("There is no such field point.");
  Mem<double> &fields = system.info.AlfaM;
  if (TrimProperty(text).empty()) {
    if (row == count) return TPropertyEdit{};  // the empty row stays empty: nothing to do
    if (count <= 1) return TPropertyEdit::Refused("The system needs at least one field point.");
    RemoveEntry(fields, row, count);
    return CommitPropertyEdit(system, "Delete field point", false);
  }
  double value = 0.0;
  if (!ParsePropertyNumber(text, value)) return TPropertyEdit::Refused(NotANumberMessage("Field point", text));
  if (system.info.ObjectFinite == 0 && !(std::fabs(value) < kLargestFieldAngle))
    return TPropertyEdit::Refused("A field angle must lie between -90 and 90 degrees.");
  if (std::fabs(value) > kLargestLength) return TPropertyEdit::Refused("An object height of that size is too large.");
  if (row == count) {
    if (!AppendEntry(fields, count, value)) return TPropertyEdit::Refused("Not enough memory");
    return CommitPropertyEdit(system, "Add field point", false);
  }
  fields.data[row] = value;
  return CommitPropertyEdit(system, "Field point", false);
}

std::string SpectrumText(const TSystemImage &system, int row, int column) {
  if (row < 0 || row >= system.info.WavelengthCount()) return std::string();
  const TSpectralInfo &entry = system.info.Spectrum.data[row];
  return FormatPropertyNumber(column == kWavelengthColumn ? entry.lambda : entry.weight);
}

TPropertyEdit EditSpectrum(TSystemImage &system, int row, int column, const std::string &text) {
  const int count = system.info.WavelengthCount();
  if (row < 0 || row > count || column < 0 || column >= kSpectrumColumnCount)
    return TPropertyEdit::Refused("There is no such wavelength.");
  Mem<TSpectralInfo> &spectrum = system.info.Spectrum;
  const bool empty = TrimProperty(text).empty();
  if (row == count) {
    if (empty) return TPropertyEdit{};
    if (column == kWeightColumn) return TPropertyEdit::Refused("Type the new wavelength first, then its weight.");
  }
  if (empty && column == kWavelengthColumn) {
    if (count <= 1) return TPropertyEdit::Refused("The system needs at least one wavelength.");
    RemoveEntry(spectrum, row, count);
    system.info.MonochromeSystem = count - 1 == 1 ? 1 : 0;
    return CommitPropertyEdit(system, "Delete wavelength", false);
  }
  double value = 0.0;
  const char *what = column == kWavelengthColumn ? "Wavelength" : "Weight";
  if (!ParsePropertyNumber(text, value)) return TPropertyEdit::Refused(NotANumberMessage(what, text));
  if (column == kWavelengthColumn) {
    if (!WavelengthInRange(value)) return TPropertyEdit::Refused(WavelengthRangeMessage());
  } else if (value < 0.0 || value > kLargestLength) {
    return TPropertyEdit::Refused("A weight must be 0 or more.");
  }
  if (row == count) {
    TSpectralInfo entry;
    entry.lambda = value;
    entry.weight = 1.0;
    if (!AppendEntry(spectrum, count, entry)) return TPropertyEdit::Refused("Not enough memory");
    system.info.MonochromeSystem = 0;
    return CommitPropertyEdit(system, "Add wavelength", false);
  }
  if (column == kWavelengthColumn)
    spectrum.data[row].lambda = value;
  else
    spectrum.data[row].weight = value;
  return CommitPropertyEdit(system, column == kWavelengthColumn ? "Wavelength" : "Weight", false);
}
