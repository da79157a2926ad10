#include "editor/properties/aspherics_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "document/system/system_image.h"
#include "editor/properties/surface_type_conversion.h"
#include "optics/model/optical_system.h"

namespace {

// The file keeps at most this many shape coefficients.
constexpr int kMostCoefficients = 200;
// A torus keeps its two radii and its third term.
constexpr int kTorusCoefficients = 3;
// A rim that moves less than this (mm) is the rounding of a carried shape, not a change.
constexpr double kRimNoise = 1e-9;
// The tori's points are found by an iteration that stops at steps below 1e-6 mm, and on a
// ring radius of 0 (a conic written as a ring torus) its function is a square, met only
// linearly: their rims are known to some 1e-6 mm.
constexpr double kTorusRimNoise = 2e-6;
// Facets of this height are given to a surface made Fresnel without one of its own.
constexpr double kFirstFacetHeight = 1.0;

bool IsPolynomial(int type) {
  return type == kSurfaceAsphericHigh1 || type == kSurfaceAsphericHigh2 || type == kSurfaceAsphericStandard ||
         type == kSurfaceFresnel;
}
bool IsTorus(int type) { return type == kSurfaceTor || type == kSurfaceTorRing; }

// How many coefficient cells of the type may be typed into.
int EditableCoefficients(int type) {
  if (IsPolynomial(type)) return kShownCoefficients;
  return IsTorus(type) ? kTorusCoefficients : 0;
}

TPropertyEdit EditType(TSystemImage &system, int row, const std::string &text) {
  const int type = ParseSurfaceType(text);
  if (type < 0)
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": \"" + TrimProperty(text) +
                                  "\" names no surface type. Type a number from 0 to " +
                                  std::to_string(kSurfaceTypeCount - 1) + " or a type's name.");
  const TSurface &surface = *system.Surface(row);
  if (type == surface.general.type) return TPropertyEdit{true, std::string()};
  if (surface.HasRasterZones() != 0 && type != kSurfacePlane && type != kSurfaceSphere &&
      type != kSurfaceAspheric2 && type != kSurfaceCylinder)
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": a lens array stands only on a plane, sphere, conic or "
                                  "cylinder. Remove the array first.");
  TTypeConversion conversion;
  const std::string typeName = "the type \"" + std::string(SurfaceTypeName(type)) + "\"";
  // The surface as prepared before the change; the prepared one after it is compared.
  const TSurface before(surface);
  TPropertyEdit edit = EditSurfaceInPlace(system, row, OfSurface("Type", row), false, [&](TSurface &s) {
    conversion = ConvertSurfaceType(s, type);
    const std::vector<double> &values = conversion.coefficients;
    s.SetAsphericCoefficients(type, values.data(), static_cast<int>(values.size()));
    if (type == kSurfaceFresnel && s.general.FrenelHeight == 0.0) s.general.FrenelHeight = kFirstFacetHeight;
    const std::string where = UntracedHeightText(s);
    if (where.empty()) return std::string();
    return SurfaceLabel(row) + ": written as " + typeName + " the surface would not be met by the trace " + where +
           " inside its bound; it stays as it was" + (conversion.lost.empty() ? "" : " (with its " + conversion.lost + ")") +
           ".";
  });
  if (!edit.accepted || system.Surface(row) == nullptr) return edit;
  const double rimShift = RimShift(before, *system.Surface(row));
  std::string notice;
  char shift[96] = "";
  if (!std::isfinite(rimShift))
    std::snprintf(shift, sizeof shift, "; the new shape does not reach the rim");
  else if (rimShift > (IsTorus(before.general.type) || IsTorus(type) ? kTorusRimNoise : kRimNoise))
    std::snprintf(shift, sizeof shift, "; the rim moves by %.3g mm", rimShift);
  if (!conversion.lost.empty())
    notice = SurfaceLabel(row) + ": " + typeName + " holds no " + conversion.lost + ": dropped" + shift +
             " (Undo brings them back).";
  else if (*shift != '\0')
    notice = SurfaceLabel(row) + ": " + typeName + " approximates the shape" + shift +
             " (Undo brings the old shape back).";
  if (!notice.empty()) edit.message = edit.message.empty() ? notice : notice + "\n\n" + edit.message;
  return edit;
}

TPropertyEdit EditFacetHeight(TSystemImage &system, int row, const std::string &text) {
  double h = 0.0;
  TPropertyEdit refusal;
  const std::string what = OfSurface("Facet height", row);
  if (!ReadCellNumber(what, text, h, refusal)) return refusal;
  // The trace finds no facets on a Fresnel surface of height 0.
  if (h == 0.0 || std::fabs(h) > kLargestLength)
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": a Fresnel surface needs a facet height other than 0 "
                                  "and at most " + FormatPropertyNumber(kLargestLength) + ".");
  return EditSurfaceInPlace(system, row, what, false, [h](TSurface &s) {
    s.general.FrenelHeight = h;
    return std::string();
  });
}

TPropertyEdit EditCoefficient(TSystemImage &system, int row, int index, const std::string &text) {
  double value = 0.0;
  TPropertyEdit refusal;
  const std::string what = OfSurface("Coefficient a" + std::to_string(index), row);
  if (!ReadCellNumber(what, text, value, refusal)) return refusal;
  return EditSurfaceInPlace(system, row, what, false, [&](TSurface &s) {
    const int type = s.general.type;
    std::vector<double> values(s.AsCoef.data, s.AsCoef.data + s.AsCoef.Cells());
    if (static_cast<int>(values.size()) <= index) values.resize(static_cast<std::size_t>(index) + 1, 0.0);
    values[static_cast<std::size_t>(index)] = value;
    // Trailing zeros are no terms: the file keeps the list up to its last term.
    while (values.size() > 1 && values.back() == 0.0 && !IsTorus(type)) values.pop_back();
    if (static_cast<int>(values.size()) > kMostCoefficients)
      return SurfaceLabel(row) + ": a surface holds at most " + std::to_string(kMostCoefficients) +
             " coefficients.";
    const double facets = s.general.FrenelHeight;
    s.SetAsphericCoefficients(type, values.data(), static_cast<int>(values.size()));
    s.general.FrenelHeight = facets;
    return std::string();
  });
}

}  // namespace

int ParseSurfaceType(const std::string &text) {
  const std::string typed = LowerProperty(text);
  if (typed.empty()) return -1;
  int code = 0;
  if (ParsePropertyInteger(typed, code)) return code >= 0 && code < kSurfaceTypeCount ? code : -1;
  int found = -1;
  for (int t = 0; t < kSurfaceTypeCount; ++t) {
    const std::string name = LowerProperty(SurfaceTypeName(t));
    if (name == typed) return t;
    if (name.find(typed) != std::string::npos) found = found < 0 ? t : kSurfaceTypeCount;
  }
  return found < kSurfaceTypeCount ? found : -1;
}

std::vector<std::string> TAsphericsModel::ColumnCaptions() const {
  std::vector<std::string> captions{"Type", "Facet height"};
  for (int k = 0; k < kShownCoefficients; ++k) captions.push_back("a" + std::to_string(k));
  return captions;
}

std::vector<int> TAsphericsModel::ColumnWidths() const {
  std::vector<int> widths{24, 9};
  for (int k = 0; k < kShownCoefficients; ++k) widths.push_back(12);
  widths.push_back(4);
  return widths;
}

std::vector<std::string> TAsphericsModel::RowCaptions(const TOpticalSystem &system) const {
  return SurfaceRowCaptions(system);
}

std::string TAsphericsModel::CellText(const TOpticalSystem &system, int row, int column) const {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr) return std::string();
  const int type = surface->general.type;
  if (column == kAsphericTypeColumn) return SurfaceTypeName(type);
  if (column == kFacetHeightColumn)
    return type == kSurfaceFresnel ? FormatPropertyNumber(surface->general.FrenelHeight) : std::string();
  const int index = column - kFirstCoefficientColumn;
  if (index < 0 || index >= kShownCoefficients || index >= surface->AsCoef.Cells() ||
      EditableCoefficients(type) == 0)
    return std::string();
  return FormatPropertyNumber(surface->AsCoef.data[index]);
}

bool TAsphericsModel::CellEditable(const TOpticalSystem &system, int row, int column) const {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr) return false;
  const int type = surface->general.type;
  if (column == kAsphericTypeColumn) return true;
  if (column == kFacetHeightColumn) return type == kSurfaceFresnel;
  const int index = column - kFirstCoefficientColumn;
  return index >= 0 && index < EditableCoefficients(type);
}

TPropertyEdit TAsphericsModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  if (!CellEditable(system, row, column)) return RefuseReadOnly(system, row);
  if (column == kAsphericTypeColumn) return EditType(system, row, text);
  if (column == kFacetHeightColumn) return EditFacetHeight(system, row, text);
  return EditCoefficient(system, row, column - kFirstCoefficientColumn, text);
}

std::string TAsphericsModel::Legend() const {
  return "Standard and Fresnel: a0 = 1/R, a1 conic constant, a2, a3 ... the r^4, r^6 ... terms.  "
         "High power 1: y^2 + z^2 + a0 x + a1 x^2 + ... = 0.  High power 2: x = a0 r^2 + a1 r^4 + ...  "
         "Tor: a0, a1 the radii in the two sections.  Radius and conic term of the other types: Surfaces page.";
}
