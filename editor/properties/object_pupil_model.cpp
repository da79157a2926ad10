#include "editor/properties/object_pupil_model.h"

#include "document/system/system_image.h"
#include "optics/model/optical_system.h"

namespace {

constexpr const char *kCaptions[kObjectPupilLineCount] = {
    "Object", "Image", "Stop and pupil", "Index of the surrounding medium", "Rays per fan", "Light-pipe walls"};
// The two words of each switch: its 0 and its 1.
struct TSwitchWords {
  const char *off, *on;
};
constexpr TSwitchWords kWords[kObjectPupilLineCount] = {
    {"at infinity", "finite"}, {"at infinity", "finite"}, {"given", "automatic"}, {"", ""}, {"", ""}, {"off", "on"}};
// A fan needs a ray on each rim and one through the middle; more than this only slows the
// drawing.
constexpr int kFewestRays = 3;
constexpr int kMostRays = 1001;
// The glasses' indices lie below this; a larger medium index is a typing error.
constexpr double kLargestIndex = 5.0;

// The switch of a line (one of the four).
int TOpticalSystemInformation::*Switch(int line) {
  switch (line) {
    case kObjectLine: return &TOpticalSystemInformation::ObjectFinite;
    case kImageLine: return &TOpticalSystemInformation::ImageFinite;
    case kAutoPupilLine: return &TOpticalSystemInformation::AutoSetPupilParameters;
    default: return &TOpticalSystemInformation::EnablePipe;
  }
}

}  // namespace

std::vector<std::string> TObjectPupilModel::ColumnCaptions() const { return {"Value"}; }

std::vector<int> TObjectPupilModel::ColumnWidths() const { return {14, 30}; }

std::vector<std::string> TObjectPupilModel::RowCaptions(const TOpticalSystem &) const {
  return std::vector<std::string>(std::begin(kCaptions), std::end(kCaptions));
}

std::string TObjectPupilModel::CellText(const TOpticalSystem &system, int row, int column) const {
  if (column != 0 || row < 0 || row >= kObjectPupilLineCount) return std::string();
  const TOpticalSystemInformation &info = system.info;
  if (row == kSurroundingIndexLine) return FormatPropertyNumber(info.N1);
  if (row == kRaysPerFanLine) return std::to_string(info.Nray);
  return info.*Switch(row) != 0 ? kWords[row].on : kWords[row].off;
}

bool TObjectPupilModel::CellEditable(const TOpticalSystem &, int row, int column) const {
  return column == 0 && row >= 0 && row < kObjectPupilLineCount;
}

TPropertyEdit TObjectPupilModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  if (!CellEditable(system, row, column)) return TPropertyEdit::Refused("There is no such value.");
  TOpticalSystemInformation &info = system.info;
  TPropertyEdit refusal;
  if (row == kSurroundingIndexLine) {
    double n = 0.0;
    if (!ReadCellNumber(kCaptions[row], text, n, refusal)) return refusal;
    if (!(n > 0.0) || n > kLargestIndex)
      return TPropertyEdit::Refused("The index of the surrounding medium must be greater than 0 and at most " +
                                    FormatPropertyNumber(kLargestIndex) + ".");
    info.N1 = n;
    return CommitPropertyEdit(system, kCaptions[row], false);
  }
  if (row == kRaysPerFanLine) {
    int rays = 0;
    if (!ReadCellInteger(kCaptions[row], text, rays, refusal)) return refusal;
    if (rays < kFewestRays || rays > kMostRays)
      return TPropertyEdit::Refused("A fan holds from " + std::to_string(kFewestRays) + " to " +
                                    std::to_string(kMostRays) + " rays.");
    info.Nray = rays;
    return CommitPropertyEdit(system, kCaptions[row], false);
  }
  const std::string typed = LowerProperty(text);
  const std::string off = kWords[row].off, on = kWords[row].on;
  int value = -1;
  if (typed == off || typed == "0" || (row != kPipeWallsLine && typed == "infinite") || typed == "no") value = 0;
  if (typed == on || typed == "1" || typed == "yes") value = 1;
  if (value < 0)
    return TPropertyEdit::Refused(std::string(kCaptions[row]) + ": type " + on + " or " + off + ".");
  int &field = info.*Switch(row);
  if (field == value) return TPropertyEdit{true, std::string()};
  field = value;
  return CommitPropertyEdit(system, kCaptions[row], false);
}

std::string TObjectPupilModel::Legend() const {
  return "A finite object takes object heights as its field points, one at infinity field angles. Automatic: the "
         "stop and the entrance pupil are found from the system. Light-pipe walls join a glass to the surface "
         "before it.";
}
