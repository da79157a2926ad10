#include "editor/properties/lens_array_model.h"

#include <cmath>

#include "document/system/system_image.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/optical_system.h"

namespace {

constexpr const char *kCaptions[kLensArrayColumnCount] = {
    "Surface", "Packing", "Period 1", "Period 2", "Width 1", "Width 2", "Cells y", "Cells z",
    "Lenslet", "Lenslet a0", "Lenslet a1", "Lenslet a2", "Depth"};
constexpr int kShownLensletCoefficients = 3;
// The file reads at most this many lenslet coefficients.
constexpr int kMostLensletCoefficients = 100;
// Limits of this kind are (x, radius, degrees); others (x, y, z).
constexpr int kPolarLimits = 1;

// The surface and zone of a row, counted through every surface's zones.
bool ZoneOfRow(const TOpticalSystem &system, int row, int &surface, int &zone) {
  if (row < 0) return false;
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const int count = system.Surface(i)->zones.Cells();
    if (row < count) {
      surface = i;
      zone = row;
      return true;
    }
    row -= count;
  }
  return false;
}

// The cells across a rectangular zone within y, z limits are counted; other zones have none.
bool Counted(const TRasterZone &z) {
  return z.Packing == kPackingRectangle && z.LimitType != kPolarLimits && z.LimitUpper.Cells() >= 3 &&
         z.LimitLower.Cells() >= 3 && z.PackCoef.Cells() >= 2;
}

double Coefficient(const Mem<double> &list, int k) { return k < list.Cells() ? list.data[k] : 0.0; }

// The zone list without zone k, or with a default zone at its end (k < 0).
void ChangeZones(Mem<TRasterZone> &zones, int k) {
  const int count = zones.Cells();
  const int kept = k < 0 ? count + 1 : count - 1;
  Mem<TRasterZone> changed;
  if (kept > 0 && !changed.Allocate(kept, 1)) return;
  for (int i = 0, j = 0; i < count; ++i)
    if (i != k) changed.data[j++] = zones.data[i];
  zones.Swap(changed);
}

// The bases a lens array stands on.
bool CarriesLensArray(const TSurface &surface) {
  const int type = surface.general.type;
  return type == kSurfacePlane || type == kSurfaceSphere || type == kSurfaceAspheric2 || type == kSurfaceCylinder;
}

TPropertyEdit EditZoneSurface(TSystemImage &system, const std::string &text, int s, int k) {
  const bool newRow = k < 0;
  if (!newRow) {
    if (TrimProperty(text).empty())
      return EditSurfaceInPlace(system, s, OfSurface("Remove zone", s), false,
                                [k](TSurface &surface) {
                                  ChangeZones(surface.zones, k);
                                  return std::string();
                                });
    int same = 0;
    if (ParsePropertyInteger(text, same) && same == s + 1) return TPropertyEdit{true, std::string()};
    return TPropertyEdit::Refused(OfSurface("Zone " + std::to_string(k + 1), s) +
                                  " stays on its surface: empty the cell to remove it, and add a zone to the "
                                  "other surface in the last row.");
  }
  int target = 0;
  TPropertyEdit refusal;
  if (!ReadCellInteger("Surface of the new zone", text, target, refusal)) return refusal;
  if (target < 1 || target > system.SurfaceCount())
    return TPropertyEdit::Refused("There is no surface " + std::to_string(target) + ".");
  const TSurface &surface = *system.Surface(target - 1);
  if (!CarriesLensArray(surface))
    return TPropertyEdit::Refused(SurfaceLabel(target - 1) + ": a lens array stands only on a plane, sphere, "
                                  "conic or cylinder.");
  if (surface.hoe != nullptr)
    return TPropertyEdit::Refused(SurfaceLabel(target - 1) + ": a holographic surface cannot carry a lens array.");
  return EditSurfaceInPlace(system, target - 1, OfSurface("New zone", target - 1), false,
                            [](TSurface &added) {
                              ChangeZones(added.zones, -1);
                              return std::string();
                            });
}

// Sets element k of the list, growing it with zeros.
void SetCoefficient(Mem<double> &list, int k, double value) {
  const int count = list.Cells();
  if (k >= count) {
    Mem<double> grown;
    if (!grown.Allocate(k + 1, 1)) return;
    for (int i = 0; i <= k; ++i) grown.data[i] = i < count ? list.data[i] : 0.0;
    list = grown;
  }
  list.data[k] = value;
}

}  // namespace

std::vector<std::string> TLensArrayModel::ColumnCaptions() const {
  return std::vector<std::string>(std::begin(kCaptions), std::end(kCaptions));
}

std::vector<int> TLensArrayModel::ColumnWidths() const {
  return {7, 10, 8, 8, 8, 8, 7, 7, 16, 9, 9, 9, 8, 5};
}

std::vector<std::string> TLensArrayModel::RowCaptions(const TOpticalSystem &system) const {
  std::vector<std::string> captions;
  for (int i = 0; i < system.SurfaceCount(); ++i)
    for (int z = 0; z < system.Surface(i)->zones.Cells(); ++z)
      captions.push_back(std::to_string(i + 1) + "." + std::to_string(z + 1));
  captions.emplace_back("new");
  return captions;
}

std::string TLensArrayModel::CellText(const TOpticalSystem &system, int row, int column) const {
  int s = 0, k = 0;
  if (!ZoneOfRow(system, row, s, k)) return std::string();
  const TRasterZone &z = system.Surface(s)->zones.data[k];
  switch (column) {
    case kZoneSurfaceColumn: return std::to_string(s + 1);
    case kPackingColumn: return LensPackingName(z.Packing);
    case kPeriod1Column:
    case kPeriod2Column:
    case kWidth1Column:
    case kWidth2Column: return FormatPropertyNumber(Coefficient(z.PackCoef, column - kPeriod1Column));
    case kCellsYColumn:
    case kCellsZColumn: {
      if (!Counted(z)) return std::string();
      const int axis = column == kCellsYColumn ? 1 : 2;
      const double period = z.PackCoef.data[axis - 1];
      if (period == 0.0) return std::string();
      return FormatPropertyNumber((z.LimitUpper.data[axis] - z.LimitLower.data[axis]) / period);
    }
    case kLensletColumn: return MicroTypeName(z.MicroType);
    case kLensletDepthColumn: return FormatPropertyNumber(z.HMikroLens);
    default:
      if (column >= kFirstLensletCoefColumn && column < kFirstLensletCoefColumn + kShownLensletCoefficients)
        return FormatPropertyNumber(Coefficient(z.MicroCoef, column - kFirstLensletCoefColumn));
      return std::string();
  }
}

bool TLensArrayModel::CellEditable(const TOpticalSystem &system, int row, int column) const {
  int s = 0, k = 0;
  if (column == kZoneSurfaceColumn) return row >= 0 && row <= static_cast<int>(RowCaptions(system).size()) - 1;
  if (!ZoneOfRow(system, row, s, k) || column < 0 || column >= kLensArrayColumnCount) return false;
  if (column == kCellsYColumn || column == kCellsZColumn) return Counted(system.Surface(s)->zones.data[k]);
  return true;
}

TPropertyEdit TLensArrayModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  int s = 0, k = 0;
  if (!CellEditable(system, row, column)) return TPropertyEdit::Refused("This value cannot be changed here.");
  if (!ZoneOfRow(system, row, s, k)) {
    if (column != kZoneSurfaceColumn) return TPropertyEdit::Refused("Type the surface of the new zone first.");
    k = -1;
  }
  if (column == kZoneSurfaceColumn) return EditZoneSurface(system, text, s, k);
  const std::string zoneName = OfSurface("Zone " + std::to_string(k + 1), s);
  int code = -1;
  double value = 0.0;
  if (column == kPackingColumn || column == kLensletColumn) {
    code = column == kPackingColumn ? ParseCodeOrName(text, kPackingCount, LensPackingName)
                                    : ParseCodeOrName(text, kMicroTypeCount, MicroTypeName);
    if (code < 0)
      return TPropertyEdit::Refused(zoneName + ": \"" + TrimProperty(text) + "\" is no " +
                                    (column == kPackingColumn ? "packing" : "lenslet type") +
                                    ". Type its name or number.");
  } else {
    TPropertyEdit refusal;
    if (!ReadCellNumber(std::string(kCaptions[column]) + " of " + LowerProperty(zoneName), text, value, refusal))
      return refusal;
    if (std::fabs(value) > kLargestLength)
      return TPropertyEdit::Refused(zoneName + ": " + FormatPropertyNumber(value) + " is too large.");
    if ((column == kCellsYColumn || column == kCellsZColumn) && !(value > 0.0))
      return TPropertyEdit::Refused(zoneName + ": the number of cells must be greater than 0.");
    if (column >= kWidth1Column && column <= kWidth2Column && value < 0.0)
      return TPropertyEdit::Refused(zoneName + ": a lenslet's width cannot be negative.");
  }
  const std::string label = OfSurface("Lens array", s);
  return EditSurfaceInPlace(system, s, label, false, [&](TSurface &surface) {
    TRasterZone &z = surface.zones.data[k];
    switch (column) {
      case kPackingColumn: z.Packing = code; break;
      case kLensletColumn: z.MicroType = code; break;
      case kLensletDepthColumn: z.HMikroLens = value; break;
      case kCellsYColumn:
      case kCellsZColumn: {
        // The zone keeps its middle and grows or shrinks to the cells asked for.
        const int axis = column == kCellsYColumn ? 1 : 2;
        const double middle = 0.5 * (z.LimitUpper.data[axis] + z.LimitLower.data[axis]);
        const double half = 0.5 * value * std::fabs(z.PackCoef.data[axis - 1]);
        z.LimitUpper.data[axis] = middle + half;
        z.LimitLower.data[axis] = middle - half;
        break;
      }
      default:
        if (column >= kFirstLensletCoefColumn) {
          const int index = column - kFirstLensletCoefColumn;
          if (index >= kMostLensletCoefficients) return std::string("Too many lenslet coefficients.");
          SetCoefficient(z.MicroCoef, index, value);
          z.TrimCoefficients();
        } else {
          SetCoefficient(z.PackCoef, column - kPeriod1Column, value);
        }
        break;
    }
    // The lattice's own check: periods that give no cell are refused.
    const double centre[3] = {0.0, 0.0, 0.0};
    double candidates[kMaxCandidateCells][3];
    int count = 0;
    if (!FindCandidateCells(surface, k, centre, candidates, count))
      return zoneName + ": with these periods the lattice has no cells (a period is 0, negative or too small).";
    return std::string();
  });
}

std::string TLensArrayModel::Legend() const {
  return "A surface number in the last row adds a zone there; emptying it removes the zone. Periods along the "
         "zone's two coordinates (Hexagon: the second is the row stretch; radial packings: degrees); widths: the "
         "lenslets' clear size; cells: across a rectangular zone.";
}
