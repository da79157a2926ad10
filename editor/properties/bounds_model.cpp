#include "editor/properties/bounds_model.h"

#include <cmath>

#include "document/system/system_image.h"
#include "optics/model/optical_system.h"

namespace {

constexpr const char *kCaptions[kBoundsColumnCount] = {
    "Bound",       "Semi-height", "Semi-width", "Centre y",   "Centre z",
    "Obscuration", "Semi-height", "Semi-width", "Centre y",   "Centre z"};
constexpr const char *kBoundNames[] = {"round", "square", "ellipse", "rectangle"};
constexpr int kBoundCount = 4;

bool IsInner(int column) { return column >= kInnerTypeColumn; }
// The column's place within its bound's five.
int Part(int column) { return IsInner(column) ? column - kInnerTypeColumn : column; }

// The bound's fields: outer or inner.
struct TBoundFields {
  int *type;
  double *height, *width, *centreY, *centreZ;
};
TBoundFields Fields(TGeneralParameters &g, bool inner) {
  if (inner) return {&g.boundTypeInt, &g.semiHeightInt, &g.semiWidthInt, &g.boundPosYInt, &g.boundPosXInt};
  return {&g.boundTypeExt, &g.semiHeightExt, &g.semiWidthExt, &g.boundPosYExt, &g.boundPosXExt};
}

// A round or square bound is as wide as it is high.
bool HasOwnWidth(int type) { return type == kBoundEllipse || type == kBoundRectangle; }

std::string BoundName(bool inner) { return inner ? "obscuration" : "bound"; }

// The rules a bound's sizes keep: an outer bound of positive size beyond its obscuration,
// an obscuration of no negative size.
std::string CheckSizes(const TGeneralParameters &g, int row) {
  if (!(g.semiHeightExt > 0.0) || !(g.semiWidthExt > 0.0))
    return SurfaceLabel(row) + ": the bound's sizes must be greater than 0.";
  if (g.semiHeightInt < 0.0 || g.semiWidthInt < 0.0)
    return SurfaceLabel(row) + ": the obscuration's sizes must be 0 or more.";
  const double innerWidth = HasOwnWidth(g.boundTypeInt) ? g.semiWidthInt : g.semiHeightInt;
  const double outerWidth = HasOwnWidth(g.boundTypeExt) ? g.semiWidthExt : g.semiHeightExt;
  if (g.semiHeightInt > 0.0 && (g.semiHeightInt >= g.semiHeightExt || innerWidth >= outerWidth))
    return SurfaceLabel(row) + ": the obscuration must be smaller than the bound (semi-height " +
           FormatPropertyNumber(g.semiHeightExt) + ", semi-width " + FormatPropertyNumber(g.semiWidthExt) + ").";
  return std::string();
}

}  // namespace

const char *BoundTypeText(int type) { return type >= 0 && type < kBoundCount ? kBoundNames[type] : ""; }

int ParseBoundType(const std::string &text) { return ParseCodeOrName(text, kBoundCount, BoundTypeText); }

std::vector<std::string> TBoundsModel::ColumnCaptions() const {
  return std::vector<std::string>(std::begin(kCaptions), std::end(kCaptions));
}

std::vector<int> TBoundsModel::ColumnWidths() const { return {9, 9, 9, 8, 8, 10, 9, 9, 8, 8, 4}; }

std::vector<std::string> TBoundsModel::RowCaptions(const TOpticalSystem &system) const {
  return SurfaceRowCaptions(system);
}

std::string TBoundsModel::CellText(const TOpticalSystem &system, int row, int column) const {
  TSurface *surface = system.Surface(row);
  if (surface == nullptr || column < 0 || column >= kBoundsColumnCount) return std::string();
  const bool inner = IsInner(column);
  const TBoundFields f = Fields(surface->general, inner);
  // An obscuration of no size shows only its type.
  if (inner && *f.height == 0.0 && Part(column) != kOuterTypeColumn) return std::string();
  switch (Part(column)) {
    case kOuterTypeColumn: return inner && *f.height == 0.0 ? "none" : BoundTypeText(*f.type);
    case kOuterHeightColumn: return FormatPropertyNumber(*f.height);
    // A round or square bound's width is its height, whatever the file kept.
    case kOuterWidthColumn: return FormatPropertyNumber(HasOwnWidth(*f.type) ? *f.width : *f.height);
    case kOuterCentreYColumn: return FormatPropertyNumber(*f.centreY);
    default: return FormatPropertyNumber(*f.centreZ);
  }
}

bool TBoundsModel::CellEditable(const TOpticalSystem &system, int row, int column) const {
  TSurface *surface = system.Surface(row);
  if (surface == nullptr || column < 0 || column >= kBoundsColumnCount) return false;
  const TBoundFields f = Fields(surface->general, IsInner(column));
  if (Part(column) == kOuterWidthColumn) return HasOwnWidth(*f.type) && (!IsInner(column) || *f.height > 0.0);
  // An obscuration is made by its semi-height (or type); its other values follow.
  if (IsInner(column) && *f.height == 0.0)
    return Part(column) == kOuterTypeColumn || Part(column) == kOuterHeightColumn;
  return true;
}

TPropertyEdit TBoundsModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  if (!CellEditable(system, row, column)) return RefuseReadOnly(system, row);
  const bool inner = IsInner(column);
  const int part = Part(column);
  const std::string label = OfSurface(inner ? "Obscuration" : "Bound", row);
  int type = -1;
  double value = 0.0;
  if (part == kOuterTypeColumn) {
    const bool none = inner && TrimProperty(text) == "none";
    type = none ? kBoundRound : ParseBoundType(text);
    if (type < 0)
      return TPropertyEdit::Refused(SurfaceLabel(row) + ": \"" + TrimProperty(text) + "\" is no " +
                                    BoundName(inner) + " type. Type round, square, ellipse or rectangle" +
                                    (inner ? ", or none." : "."));
    if (none) value = -1.0;  // the obscuration goes
  } else {
    const std::string what = OfSurface(std::string(kCaptions[column]) + " of the " + BoundName(inner), row);
    TPropertyEdit refusal;
    if (!ReadCellNumber(what, text, value, refusal)) return refusal;
    if (std::fabs(value) > kLargestLength)
      return TPropertyEdit::Refused(SurfaceLabel(row) + ": " + FormatPropertyNumber(value) + " is too large.");
  }
  return EditSurfaceInPlace(system, row, label, false, [&](TSurface &surface) {
    TGeneralParameters &g = surface.general;
    const TBoundFields f = Fields(g, inner);
    switch (part) {
      case kOuterTypeColumn:
        if (value < 0.0) {
          *f.height = *f.width = *f.centreY = *f.centreZ = 0.0;
          *f.type = kBoundRound;
          break;
        }
        *f.type = type;
        // A new obscuration starts at half the bound.
        if (inner && *f.height == 0.0) *f.height = 0.5 * g.semiHeightExt;
        if (!HasOwnWidth(type)) *f.width = *f.height;
        break;
      case kOuterHeightColumn:
        *f.height = value;
        if (!HasOwnWidth(*f.type)) *f.width = value;
        // An obscuration of no size has no place either.
        if (inner && value == 0.0) *f.width = *f.centreY = *f.centreZ = 0.0;
        break;
      case kOuterWidthColumn: *f.width = value; break;
      case kOuterCentreYColumn: *f.centreY = value; break;
      default: *f.centreZ = value; break;
    }
    return CheckSizes(g, row);
  });
}

std::string TBoundsModel::Legend() const {
  return "Semi-sizes from the bound's centre; the width lies along z. Round and square bounds are as wide as "
         "high. An obscuration of semi-height 0 (or the type none) is none.";
}
