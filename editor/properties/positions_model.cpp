#include "editor/properties/positions_model.h"

#include <cmath>

#include "document/elements/edit_surface.h"
#include "document/system/system_image.h"
#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"

namespace {

constexpr const char *kCaptions[kPositionsColumnCount] = {"Vertex x",     "Vertex y",     "Vertex z",
                                                          "Tilt x, deg",  "Tilt y, deg",  "Tilt z, deg",
                                                          "Decentre y",   "Decentre z"};
constexpr double kDegree = kPi / 180.0;
// Offsets and angles (radians) the file does not write: what is left of a turn there and
// back shows as 0.
constexpr double kNoOffset = 1e-10;
// A tilt beyond a full turn is taken for a typing error.
constexpr double kLargestTilt = 360.0;

bool IsTilt(int column) { return column >= kTiltXColumn && column <= kTiltZColumn; }
bool IsDecentre(int column) { return column == kDecentreYColumn || column == kDecentreZColumn; }

std::string Shown(double value, double scale = 1.0) {
  return FormatPropertyNumber(std::fabs(value) > kNoOffset ? value / scale : 0.0);
}

double Coordinate(const DPOINT3 &p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.y : p.z); }
void SetCoordinate(DPOINT3 &p, int axis, double value) { (axis == 0 ? p.x : (axis == 1 ? p.y : p.z)) = value; }

// The element whose place the configurations keep by this surface (its first), when the
// system has more than one configuration; null otherwise.
const TOpticalElement *ConfiguredElement(const TSystemImage &system, const TSurface *surface) {
  if (system.ConfigurationCount() <= 1) return nullptr;
  for (int e = 0; e < system.ElementCount(); ++e)
    if (system.elements.data[e].FirstSurface() == surface) return &system.elements.data[e];
  return nullptr;
}

}  // namespace

std::vector<std::string> TPositionsModel::ColumnCaptions() const {
  return std::vector<std::string>(std::begin(kCaptions), std::end(kCaptions));
}

std::vector<int> TPositionsModel::ColumnWidths() const { return {10, 10, 10, 9, 9, 9, 10, 10, 4}; }

std::vector<std::string> TPositionsModel::RowCaptions(const TOpticalSystem &system) const {
  return SurfaceRowCaptions(system);
}

std::string TPositionsModel::CellText(const TOpticalSystem &system, int row, int column) const {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr || column < 0 || column >= kPositionsColumnCount) return std::string();
  if (column <= kVertexZColumn) return Shown(surface->general.vertex[column]);
  if (IsTilt(column)) return Shown(surface->general.angles[column - kTiltXColumn], kDegree);
  if (row == 0) return std::string();
  const DPOINT3 offset = system.GetSurfacePosition(row, row - 1, kRelativeFrame);
  return Shown(Coordinate(offset, column == kDecentreYColumn ? 1 : 2));
}

bool TPositionsModel::CellEditable(const TOpticalSystem &system, int row, int column) const {
  if (system.Surface(row) == nullptr || column < 0 || column >= kPositionsColumnCount) return false;
  return !IsDecentre(column) || row > 0;
}

TPropertyEdit TPositionsModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  if (!CellEditable(system, row, column)) return RefuseReadOnly(system, row);
  std::string caption = kCaptions[column];
  if (IsTilt(column)) caption = caption.substr(0, caption.find(','));
  double value = 0.0;
  TPropertyEdit refusal;
  const std::string label = OfSurface(caption, row);
  if (!ReadCellNumber(label, text, value, refusal)) return refusal;
  const double largest = IsTilt(column) ? kLargestTilt : kLargestLength;
  if (std::fabs(value) > largest)
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": " + caption + " " + FormatPropertyNumber(value) +
                                  " is beyond " + FormatPropertyNumber(largest) + ".");
  const TOpticalElement *element = IsTilt(column) ? nullptr : ConfiguredElement(system, system.Surface(row));
  return EditSurfaceInPlace(system, row, label, false, [&](TSurface &surface) {
    const DPOINT3 before(surface.general.vertex[0], surface.general.vertex[1], surface.general.vertex[2]);
    if (column <= kVertexZColumn) {
      surface.general.vertex[column] = value;
    } else if (IsTilt(column)) {
      double angles[3] = {surface.general.angles[0], surface.general.angles[1], surface.general.angles[2]};
      angles[column - kTiltXColumn] = value * kDegree;
      surface.SetAngles(angles[0], angles[1], angles[2]);
    } else {
      DPOINT3 offset = system.GetSurfacePosition(row, row - 1, kRelativeFrame);
      SetCoordinate(offset, column == kDecentreYColumn ? 1 : 2, value);
      system.SetSurfacePosition(row, row - 1, offset, kRelativeFrame);
    }
    // The configuration shown keeps where its elements stand: the first surface of one
    // takes the element along, so its shape stays as in the other configurations.
    if (element != nullptr) {
      const double shift[3] = {surface.general.vertex[0] - before.x, surface.general.vertex[1] - before.y,
                               surface.general.vertex[2] - before.z};
      for (int k = 1; k < element->SurfaceCount(); ++k)
        for (int axis = 0; axis < 3; ++axis) element->surfaces.data[k]->general.vertex[axis] += shift[axis];
    }
    return std::string();
  });
}

std::string TPositionsModel::Legend() const {
  return "Global vertex and tilts of each surface; the decentre is the vertex's offset across the previous "
         "surface's axis. An edit moves or turns that surface alone; with several configurations an element's "
         "first surface takes its element along, in the configuration shown.";
}
