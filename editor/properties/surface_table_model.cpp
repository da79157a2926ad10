#include "editor/properties/surface_table_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "document/system/system_image.h"
#include "editor/properties/grid_page_model.h"
#include "optics/interaction/surface_trace.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/model/optical_system.h"
#include "optics/model/spectral_info.h"
#include "optics/systemfile/system_materials.h"

namespace {

constexpr const char *kColumnCaptions[kSurfaceColumnCount] = {"Radius", "Thickness", "Glass", "Semi-height",
                                                              "Conic"};
// The glass names that are no catalog's: air, and the mirror.
constexpr const char *kMirrorName = "refl";

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string SurfaceName(int row) { return "Surface " + std::to_string(row + 1); }

// The shapes whose radius and conic term are the general block's own: the conic term
// belongs to them alone.
bool IsQuadric(int type) { return type == kSurfacePlane || type == kSurfaceSphere || type == kSurfaceAspheric2; }
// The conic term is typed here for the quadrics and the cylinder (its curved section's conic).
bool HoldsConicCell(int type) { return IsQuadric(type) || type == kSurfaceCylinder; }
// Toroids keep their radii among their coefficients, which their own page edits.
bool RadiusEditable(int type) { return type != kSurfaceTor && type != kSurfaceTorRing; }

// How far from the axis the surface's outer bound reaches.
double BoundReach(const TGeneralParameters &g) {
  double reach = g.semiHeightExt;
  if (g.boundTypeExt == kBoundEllipse) reach = std::max(g.semiHeightExt, g.semiWidthExt);
  if (g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle)
    reach = std::hypot(g.semiHeightExt, g.semiWidthExt);
  return reach + std::hypot(g.boundPosYExt, g.boundPosXExt);
}

// The quadric (1 - Ex) x^2 - 2 R x + h^2 = 0 meets the height h only while
// R^2 >= (1 - Ex) h^2: a sphere (Ex = 0) reaches at most |R| from its axis, an ellipsoid
// less, a paraboloid or hyperboloid (Ex >= 1) every height.
bool ReachesHeight(double R, double Ex, double h) { return R == 0.0 || R * R >= (1.0 - Ex) * h * h; }

std::string HeightMessage(int row, double R, double h) {
  return SurfaceName(row) + ": with the radius " + FormatPropertyNumber(R) +
         " the surface does not reach the semi-height " + FormatPropertyNumber(h) +
         ". Make the radius larger or the semi-height smaller.";
}

// The surface type after a change of radius or conic term, as a system file gives it.
int QuadricType(double R, double Ex) {
  if (Ex != 0.0) return kSurfaceAspheric2;
  return R == 0.0 ? kSurfacePlane : kSurfaceSphere;
}

// The preparation names a medium given by its index after that index ("1.000000 " for
// air), so air is an empty name or the index 1.
bool IsAirName(const std::string &glass) {
  double index = 0.0;
  return TrimProperty(glass).empty() || (ParsePropertyNumber(glass, index) && index == 1.0);
}

bool IsGlassBehind(const TGeneralParameters &g) { return g.materialKind == 0 && !IsAirName(g.glass); }

TPropertyEdit EditRadius(TSystemImage &system, int row, const std::string &text) {
  TSurface &surface = *system.Surface(row);
  const std::string lower = Lower(TrimProperty(text));
  double R = 0.0;
  if (lower != "flat" && lower != "inf" && lower != "infinity" && !ParsePropertyNumber(text, R))
    return TPropertyEdit::Refused(NotANumberMessage("Radius of " + Lower(SurfaceName(row)), text));
  if (std::fabs(R) > kLargestLength)
    return TPropertyEdit::Refused(SurfaceName(row) + ": a radius of " + FormatPropertyNumber(R) +
                                  " is too large; 0 makes the surface flat.");
  const TGeneralParameters &g = surface.general;
  if (IsQuadric(g.type) && !ReachesHeight(R, g.Ex, BoundReach(g)))
    return TPropertyEdit::Refused(HeightMessage(row, R, BoundReach(g)));
  return EditSurfaceInPlace(system, row, "Radius of surface " + std::to_string(row + 1), false, [R](TSurface &s) {
    s.SetRadius(R);
    if (IsQuadric(s.general.type)) s.general.type = QuadricType(R, s.general.Ex);
    return std::string();
  });
}

// Moves surface i + 1 so that it lies `thickness` from surface i, and every later surface
// with it, so the rest of the system keeps its shape.
void SetThickness(TSystemImage &system, int i, double thickness) {
  const TSurface &from = *system.Surface(i);
  const DPOINT3 a = system.GetSurfacePosition(i, i, kGlobalFrame);
  const DPOINT3 b = system.GetSurfacePosition(i + 1, i + 1, kGlobalFrame);
  const DPOINT3 relative = system.GetSurfacePosition(i + 1, i, kRelativeFrame);
  const DPOINT3 step(b.x - a.x, b.y - a.y, b.z - a.z);
  const double length = std::sqrt(step.x * step.x + step.y * step.y + step.z * step.z);
  DPOINT3 target;
  if (from.tilted != 0 && length > 0.0) {
    // Behind a tilted surface (a fold mirror) the next one lies along the beam, not along
    // the tilted axis: it moves along the line that joins the two vertices.
    const double sense = relative.x < 0.0 ? -1.0 : 1.0;
    const double along = thickness * sense / length;
    target = DPOINT3(a.x + step.x * along, a.y + step.y * along, a.z + step.z * along);
  } else {
    system.SetSurfacePosition(i + 1, i, DPOINT3(thickness, relative.y, relative.z), kRelativeFrame);
    target = system.GetSurfacePosition(i + 1, i + 1, kGlobalFrame);
    system.SetSurfacePosition(i + 1, i + 1, b, kGlobalFrame);
  }
  const DPOINT3 shift(target.x - b.x, target.y - b.y, target.z - b.z);
  system.ShiftSurfaces(i + 1, system.SurfaceCount() - 1, shift, kGlobalFrame);
}

// The height at which surfaces i and i + 1 cross within both of their apertures, or a
// negative value when they do not (or when they are not coaxial quadrics, whose sags the
// check knows). Sampled across the smaller semi-height, the crossing refined by halving.
double CrossingHeight(const TOpticalSystem &system, int i, double thickness) {
  const TSurface &a = *system.Surface(i);
  const TSurface &b = *system.Surface(i + 1);
  if (a.tilted != 0 || b.tilted != 0 || !IsQuadric(a.general.type) || !IsQuadric(b.general.type)) return -1.0;
  const DPOINT3 relative = system.GetSurfacePosition(i + 1, i, kRelativeFrame);
  if (relative.y != 0.0 || relative.z != 0.0) return -1.0;
  const double reach = std::fmin(BoundReach(a.general), BoundReach(b.general));
  // The axial distance from surface i to surface i + 1 at height h.
  auto gap = [&](double h) {
    return thickness + ConicSag(b.general.R, b.general.Ex, h) - ConicSag(a.general.R, a.general.Ex, h);
  };
  constexpr int kSamples = 200;
  constexpr int kHalvings = 40;
  if (gap(0.0) < 0.0) return 0.0;
  double below = 0.0;
  for (int k = 1; k <= kSamples; ++k) {
    const double h = reach * k / kSamples;
    if (!ReachesHeight(a.general.R, a.general.Ex, h) || !ReachesHeight(b.general.R, b.general.Ex, h)) break;
    if (gap(h) >= 0.0) {
      below = h;
      continue;
    }
    double above = h;
    for (int n = 0; n < kHalvings; ++n) {
      const double middle = 0.5 * (below + above);
      (gap(middle) >= 0.0 ? below : above) = middle;
    }
    return above;
  }
  return -1.0;
}

TPropertyEdit EditThickness(TSystemImage &system, int row, const std::string &text) {
  double thickness = 0.0;
  if (!ParsePropertyNumber(text, thickness))
    return TPropertyEdit::Refused(NotANumberMessage("Thickness of " + Lower(SurfaceName(row)), text));
  if (std::fabs(thickness) > kLargestLength)
    return TPropertyEdit::Refused(SurfaceName(row) + ": a thickness of " + FormatPropertyNumber(thickness) +
                                  " is too large.");
  const TGeneralParameters &g = system.Surface(row)->general;
  if (thickness == 0.0 && IsGlassBehind(g))
    return TPropertyEdit::Refused(SurfaceName(row) + ": the glass " + g.glass +
                                  " behind it cannot be 0 thick. Give the lens a thickness, or make the "
                                  "medium behind the surface air.");
  SetThickness(system, row, thickness);
  TPropertyEdit edit = CommitPropertyEdit(system, "Thickness of surface " + std::to_string(row + 1), false);
  // The value is the user's to keep (the element may be built that way on purpose), but
  // surfaces that pass through each other are said so, with where.
  const double crossing = edit.accepted ? CrossingHeight(system, row, thickness) : -1.0;
  if (crossing >= 0.0) {
    const std::string warning = "Surfaces " + std::to_string(row + 1) + " and " + std::to_string(row + 2) +
                                " cross at a height of " + FormatPropertyNumber(crossing, 4) + ". The thickness " +
                                FormatPropertyNumber(thickness) + " is kept.";
    edit.message = edit.message.empty() ? warning : warning + "\n\n" + edit.message;
  }
  return edit;
}

// A glass cell that holds a refractive index itself.
bool IsIndexNumber(const std::string &text) {
  double value = 0.0;
  return ParsePropertyNumber(text, value);
}

TPropertyEdit EditGlass(TSystemImage &system, int row, const std::string &text) {
  TSurface &surface = *system.Surface(row);
  std::string name = Lower(TrimProperty(text));
  if (name == "air") name.clear();
  if (name == "mirror") name = kMirrorName;
  // A catalog glass typed without its catalog: the one catalog that holds it completes the
  // name as files store it; several are named for the user to choose.
  // A name whose last '_' parts no catalog off ("zinc_selenide") is such a glass, too.
  double shortest = 0.0, longest = 0.0;
  if (!name.empty() && name != kMirrorName && !IsIndexNumber(name) &&
      (GlassCatalogName(name).empty() || !GlassWavelengthRange(name, shortest, longest))) {
    const std::vector<std::string> catalogs = CatalogsHoldingGlass(name);
    if (catalogs.size() == 1) name += "_" + catalogs.front();
    if (catalogs.size() > 1) {
      std::string list;
      for (const std::string &catalog : catalogs) list += (list.empty() ? "" : ", ") + name + "_" + catalog;
      return TPropertyEdit::Refused(SurfaceName(row) + ": the glass \"" + TrimProperty(text) +
                                    "\" is in several catalogs: " + list + ". Type it with its catalog.");
    }
  }
  const TGeneralParameters kept = surface.general;
  surface.general.glass = name;
  surface.general.materialKind = name == kMirrorName ? 1 : 0;
  if (IsGlassBehind(surface.general)) {
    const TOpticalSystemInformation &info = system.info;
    if (SurfaceParseGlass(surface, info.LambdaW, info.Temperature, info.Pressure) == 0) {
      surface.general = kept;
      if (GlassWavelengthRange(name, shortest, longest))
        return TPropertyEdit::Refused(SurfaceName(row) + ": the glass " + name + " gives indices from " +
                                      FormatPropertyNumber(shortest) + " to " + FormatPropertyNumber(longest) +
                                      " µm only; the system works at " + FormatPropertyNumber(info.LambdaW) + " µm.");
      return TPropertyEdit::Refused(SurfaceName(row) + ": the glass \"" + TrimProperty(text) +
                                    "\" is in none of the glass catalogs. Leave the cell empty for air, or "
                                    "type refl for a mirror.");
    }
    if (std::fabs(SurfaceThickness(system, row)) == 0.0 && row + 1 < system.SurfaceCount()) {
      surface.general = kept;
      return TPropertyEdit::Refused(SurfaceName(row) + ": the next surface lies on this one, so the glass " + name +
                                    " would be 0 thick. Give the lens a thickness first.");
    }
  }
  TPropertyEdit edit = CommitPropertyEdit(system, "Glass of surface " + std::to_string(row + 1), true);
  // A glass whose data end before a wavelength of the system is taken, and said (the
  // system is not traced until a glass or a wavelength is changed), by the surface's name.
  if (edit.accepted && !edit.message.empty() && !system.GlassRangeFault().empty()) {
    edit.message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(edit.message[0])));
    edit.message = SurfaceName(row) + ": " + edit.message;
  }
  return edit;
}

TPropertyEdit EditSemiHeight(TSystemImage &system, int row, const std::string &text) {
  double h = 0.0;
  if (!ParsePropertyNumber(text, h))
    return TPropertyEdit::Refused(NotANumberMessage("Semi-height of " + Lower(SurfaceName(row)), text));
  TGeneralParameters &g = system.Surface(row)->general;
  if (!(h > 0.0) || h > kLargestLength)
    return TPropertyEdit::Refused(SurfaceName(row) + ": the semi-height must be greater than 0 and at most " +
                                  FormatPropertyNumber(kLargestLength) + ".");
  if (g.semiHeightInt > 0.0 && h <= g.semiHeightInt)
    return TPropertyEdit::Refused(SurfaceName(row) + ": the semi-height must be larger than that of the "
                                  "central obscuration, " + FormatPropertyNumber(g.semiHeightInt) + ".");
  TGeneralParameters changed = g;
  changed.semiHeightExt = h;
  // A round or square bound is as wide as it is high.
  if (g.boundTypeExt == kBoundRound || g.boundTypeExt == kBoundSquare) changed.semiWidthExt = h;
  if (IsQuadric(g.type) && !ReachesHeight(g.R, g.Ex, BoundReach(changed)))
    return TPropertyEdit::Refused(HeightMessage(row, g.R, BoundReach(changed)));
  return EditSurfaceInPlace(system, row, "Semi-height of surface " + std::to_string(row + 1), false,
                            [&changed](TSurface &s) {
                              s.general.semiHeightExt = changed.semiHeightExt;
                              s.general.semiWidthExt = changed.semiWidthExt;
                              return std::string();
                            });
}

TPropertyEdit EditConic(TSystemImage &system, int row, const std::string &text) {
  double Ex = 0.0;
  if (!ParsePropertyNumber(text, Ex))
    return TPropertyEdit::Refused(NotANumberMessage("Conic term of " + Lower(SurfaceName(row)), text));
  if (std::fabs(Ex) > kLargestLength)
    return TPropertyEdit::Refused(SurfaceName(row) + ": a conic term of " + FormatPropertyNumber(Ex) +
                                  " is too large.");
  const TGeneralParameters &g = system.Surface(row)->general;
  // A cylinder's conic shapes its one curved section only: the trace judges it.
  if (IsQuadric(g.type) && !ReachesHeight(g.R, Ex, BoundReach(g)))
    return TPropertyEdit::Refused(HeightMessage(row, g.R, BoundReach(g)));
  return EditSurfaceInPlace(system, row, "Conic of surface " + std::to_string(row + 1), false, [Ex](TSurface &s) {
    s.general.Ex = Ex;
    if (IsQuadric(s.general.type)) s.general.type = QuadricType(s.general.R, Ex);
    return std::string();
  });
}

}  // namespace

const char *SurfaceColumnCaption(int column) {
  return column >= 0 && column < kSurfaceColumnCount ? kColumnCaptions[column] : "";
}

double SurfaceThickness(const TOpticalSystem &system, int i) {
  if (i < 0 || i + 1 >= system.SurfaceCount() || system.Surface(i) == nullptr || system.Surface(i + 1) == nullptr)
    return 0.0;
  const DPOINT3 relative = system.GetSurfacePosition(i + 1, i, kRelativeFrame);
  if (system.Surface(i)->tilted == 0) return relative.x;
  const DPOINT3 a = system.GetSurfacePosition(i, i, kGlobalFrame);
  const DPOINT3 b = system.GetSurfacePosition(i + 1, i + 1, kGlobalFrame);
  const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
  return relative.x < 0.0 ? -length : length;
}

std::string SurfaceCellText(const TOpticalSystem &system, int row, int column) {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr) return std::string();
  const TGeneralParameters &g = surface->general;
  switch (column) {
    case kRadiusColumn: return FormatPropertyNumber(g.R);
    case kThicknessColumn:
      return row + 1 < system.SurfaceCount() ? FormatPropertyNumber(SurfaceThickness(system, row)) : std::string();
    case kGlassColumn:
      if (g.materialKind == 1) return kMirrorName;
      return IsAirName(g.glass) ? std::string() : TrimProperty(g.glass);
    case kSemiHeightColumn: return FormatPropertyNumber(g.semiHeightExt);
    case kConicColumn: return HoldsConicCell(g.type) ? FormatPropertyNumber(g.Ex) : std::string();
    default: return std::string();
  }
}

bool SurfaceCellEditable(const TOpticalSystem &system, int row, int column) {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr) return false;
  switch (column) {
    case kRadiusColumn: return RadiusEditable(surface->general.type);
    case kThicknessColumn: return row + 1 < system.SurfaceCount();
    case kGlassColumn:
    case kSemiHeightColumn: return true;
    case kConicColumn: return HoldsConicCell(surface->general.type);
    default: return false;
  }
}

TPropertyEdit EditSurfaceCell(TSystemImage &system, int row, int column, const std::string &text) {
  if (!SurfaceCellEditable(system, row, column))
    return TPropertyEdit::Refused(row >= 0 && row < system.SurfaceCount()
                                      ? SurfaceName(row) + ": this value cannot be changed here."
                                      : "There is no surface " + std::to_string(row + 1) + ".");
  switch (column) {
    case kRadiusColumn: return EditRadius(system, row, text);
    case kThicknessColumn: return EditThickness(system, row, text);
    case kGlassColumn: return EditGlass(system, row, text);
    case kSemiHeightColumn: return EditSemiHeight(system, row, text);
    case kConicColumn: return EditConic(system, row, text);
    default: return TPropertyEdit::Refused("There is no such column.");
  }
}
