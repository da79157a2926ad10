#include "editor/properties/aspherics_model.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "document/system/system_image.h"
#include "optics/model/optical_system.h"

namespace {

// The file keeps at most this many shape coefficients.
constexpr int kMostCoefficients = 200;
// A torus keeps its two radii and its third term.
constexpr int kTorusCoefficients = 3;
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

// The shape every polynomial type shares: the conic of curvature c and conic constant k,
// x = c r^2 / (1 + sqrt(1 - (1 + k) c^2 r^2)), plus terms[n] r^(2n + 4) (r^4, r^6, ...).
struct TEvenShape {
  double c = 0.0;
  double k = 0.0;
  std::vector<double> terms;
};

// The coefficient of u^n in 1 - sqrt(1 - u) (n >= 1): 1/2, 1/8, 1/16, 5/128, ..., each
// the one before times (2n - 3) / (2n). The conic's sag is the sum over n of
// (1 + k)^(n - 1) c^(2n - 1) r^(2n) times it.
double SqrtSeries(int n) {
  double a = 0.5;
  for (int m = 2; m <= n; ++m) a *= (2.0 * m - 3.0) / (2.0 * m);
  return a;
}

// The conic's r^(2n) coefficient.
double ConicTerm(const TEvenShape &shape, int n) {
  return SqrtSeries(n) * std::pow(1.0 + shape.k, n - 1) * std::pow(shape.c, 2 * n - 1);
}

// The terms the conic's series is written with at least, when a polynomial type takes it.
constexpr int kLeastSeriesTerms = 3;

TEvenShape EvenShapeOf(const TSurface &surface) {
  const TGeneralParameters &g = surface.general;
  const std::vector<double> a(surface.AsCoef.data, surface.AsCoef.data + surface.AsCoef.Cells());
  TEvenShape shape;
  shape.c = g.R != 0.0 ? 1.0 / g.R : 0.0;
  if (g.type == kSurfaceAspheric2) shape.k = -g.Ex;
  if ((g.type == kSurfaceAsphericStandard || g.type == kSurfaceFresnel) && !a.empty()) {
    shape.c = a[0];
    shape.k = a.size() > 1 ? a[1] : 0.0;
    shape.terms.assign(a.begin() + std::min<std::size_t>(2, a.size()), a.end());
  }
  if (g.type == kSurfaceAsphericHigh2 && !a.empty()) {
    // x = a0 r^2 + a1 r^4 + ...: a sphere of c = 2 a0 and what it leaves of each term.
    shape.c = 2.0 * a[0];
    for (std::size_t n = 1; n < a.size(); ++n)
      shape.terms.push_back(a[n] - ConicTerm(shape, static_cast<int>(n) + 1));
  }
  while (!shape.terms.empty() && shape.terms.back() == 0.0) shape.terms.pop_back();
  return shape;
}

// "r^4, r^6" for the terms of a shape that are not 0.
std::string TermNames(const std::vector<double> &terms) {
  std::string names;
  for (std::size_t n = 0; n < terms.size(); ++n)
    if (terms[n] != 0.0) names += (names.empty() ? "r^" : ", r^") + std::to_string(2 * n + 4);
  return names;
}

// The coefficients that give the new type the shape the surface has now: every term the
// new type can hold is carried over; `dropped` names what it cannot hold (empty: nothing).
std::vector<double> CarriedCoefficients(const TSurface &surface, int type, std::string &dropped) {
  dropped.clear();
  const TGeneralParameters &g = surface.general;
  if (g.type == type) return std::vector<double>(surface.AsCoef.data, surface.AsCoef.data + surface.AsCoef.Cells());
  const TEvenShape shape = EvenShapeOf(surface);
  const double R = shape.c != 0.0 ? 1.0 / shape.c : 0.0;
  const bool holdsTerms = type == kSurfaceAsphericHigh2 || type == kSurfaceAsphericStandard || type == kSurfaceFresnel;
  const bool holdsConic = holdsTerms || type == kSurfaceAspheric2 || type == kSurfaceAsphericHigh1;
  const std::string termNames = TermNames(shape.terms);
  std::string lost;
  if (!holdsTerms && !termNames.empty()) lost = termNames + " terms";
  if (!holdsConic && shape.k != 0.0) lost = "conic constant" + (lost.empty() ? "" : " or " + lost);
  if (!lost.empty())
    dropped = "the type \"" + std::string(SurfaceTypeName(type)) + "\" holds no " + lost + ": dropped";
  switch (type) {
    case kSurfacePlane: return {0.0};
    case kSurfaceSphere:
    case kSurfaceCylinder: return {R};
    case kSurfaceAspheric2: return {R, -shape.k};
    case kSurfaceAsphericHigh1: return {-2.0 * R, 1.0 + shape.k};
    case kSurfaceAsphericHigh2: {
      // x = sum over n of (conic term n + terms[n - 2]) r^(2n).
      const int count = std::max(kLeastSeriesTerms, static_cast<int>(shape.terms.size()) + 1);
      std::vector<double> values;
      for (int n = 1; n <= count; ++n)
        values.push_back(ConicTerm(shape, n) + (n >= 2 && n - 2 < static_cast<int>(shape.terms.size())
                                                    ? shape.terms[static_cast<std::size_t>(n - 2)]
                                                    : 0.0));
      return values;
    }
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel: {
      std::vector<double> values{shape.c, shape.k};
      values.insert(values.end(), shape.terms.begin(), shape.terms.end());
      return values;
    }
    case kSurfaceTor:
    case kSurfaceTorRing: return {R, R, 0.0};
    default: return {R};
  }
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
  std::string dropped;
  TPropertyEdit edit = EditSurfaceInPlace(system, row, OfSurface("Type", row), false, [&](TSurface &s) {
    const std::vector<double> values = CarriedCoefficients(s, type, dropped);
    s.SetAsphericCoefficients(type, values.data(), static_cast<int>(values.size()));
    if (type == kSurfaceFresnel && s.general.FrenelHeight == 0.0) s.general.FrenelHeight = kFirstFacetHeight;
    return std::string();
  });
  if (edit.accepted && !dropped.empty()) {
    const std::string notice = SurfaceLabel(row) + ": " + dropped + " (Undo brings them back).";
    edit.message = edit.message.empty() ? notice : notice + "\n\n" + edit.message;
  }
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
