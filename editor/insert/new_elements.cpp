#include "editor/insert/new_elements.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "editor/insert/element_insertion.h"
#include "editor/insert/placement.h"
#include "editor/insert/prism_of_minimum_deviation.h"
#include "foundation/numerics/pi.h"

namespace {

constexpr double kDegrees = kPi / 180.0;
// A curved surface is bounded a little inside the height where its profile turns back.
constexpr double kReachShare = 0.95;
constexpr double kLargestTiltDegrees = 89.0;

// The placed surface, while nothing has been put in its place yet.
TEditSurface *PlacedSurface(TSystemImage &system, const TInsertedElementInfo &info, std::string &error) {
  TEditSurface *placed = system.EditSurface(info.placedSurface);
  if (placed == nullptr || info.insertedCount != 0) error = "No place was chosen for the element";
  return info.insertedCount == 0 ? placed : nullptr;
}

// The semi-height the placement's fan found (stretched for a tilted surface), kept inside
// the height a quadric of radius r and conic term ex reaches: (1 - ex) h^2 < r^2.
double FittedSemiHeight(const TInsertedElementInfo &info, const TSurface &placed, double r, double ex,
                        double stretch = 1.0) {
  double semi = stretch * (info.apertureDiameter > 0.0 ? 0.5 * info.apertureDiameter : placed.general.semiHeightExt);
  const double k = 1.0 - ex;
  if (r != 0.0 && k > 0.0) semi = std::min(semi, kReachShare * std::fabs(r) / std::sqrt(k));
  return semi;
}

bool Finite(double value, const char *name, std::string &error) {
  if (std::isfinite(value)) return true;
  error = std::string("The ") + name + " must be a number";
  return false;
}

}  // namespace

int InsertSingleSurface(TSystemImage &system, TInsertedElementInfo &info, double radius,
                        const std::string &glass, std::string &error) {
  TEditSurface *placed = PlacedSurface(system, info, error);
  if (placed == nullptr || !Finite(radius, "radius", error)) return 0;
  const int k = info.placedSurface;
  if (glass == "refl") {
    error = "A mirror is made on the Mirror page";
    return 0;
  }
  const std::string medium = IsAirGlass(glass) ? std::string() : glass;
  if (!medium.empty() && !(RelativeIndexBehind(system, k, medium, error) > 0.0)) return 0;
  placed = system.EditSurface(k);
  TGeneralParameters g = placed->GetGeneralParameters();
  g.type = radius != 0.0 ? kSurfaceSphere : kSurfacePlane;
  g.Ex = 0.0;
  g.glass = medium;
  g.semiHeightExt = FittedSemiHeight(info, *placed, radius, 0.0);
  g.semiWidthExt = g.semiHeightExt;
  TElementReach reach;
  AddFaceReach(info, FaceOf(g, radius), reach);
  error = PlacementRoom(system, info, reach);
  if (!error.empty()) return 0;
  placed->SetGeneralParameters(&g);
  placed->SetRadius(radius);
  KeepImagePlaneBehind(system, info, k);
  return EndInsertion(system, info, k, k);
}

double MirrorRadiusForFocus(double focal) {
  // A concave mirror met by light along +x has its centre in front: R = -2 f.
  return -2.0 * focal;
}

int InsertMirror(TSystemImage &system, TInsertedElementInfo &info, const TMirrorShape &shape,
                 std::string &error) {
  TEditSurface *placed = PlacedSurface(system, info, error);
  if (placed == nullptr || !Finite(shape.radius, "radius", error) || !Finite(shape.conic, "conic term", error) ||
      !Finite(shape.tiltDegrees, "tilt", error))
    return 0;
  if (std::fabs(shape.tiltDegrees) > kLargestTiltDegrees) {
    error = "The tilt must lie between -89 and 89 degrees";
    return 0;
  }
  const int k = info.placedSurface;
  const double tilt = shape.tiltDegrees * kDegrees;
  TGeneralParameters g = placed->GetGeneralParameters();
  g.Ex = shape.radius != 0.0 ? shape.conic : 0.0;
  // A conic is the quadric type, which the system file keeps with its conic term.
  g.type = shape.radius == 0.0 ? kSurfacePlane : g.Ex != 0.0 ? kSurfaceAspheric2 : kSurfaceSphere;
  g.glass = "refl";
  g.materialKind = 1;
  // A tilted mirror meets the beam along a longer chord.
  g.semiHeightExt = FittedSemiHeight(info, *placed, shape.radius, g.Ex, 1.0 / std::cos(tilt));
  g.semiWidthExt = g.semiHeightExt;
  g.angles[2] += tilt;
  // The beam along the placed direction leaves reflected in the mirror's normal.
  const double dx = std::cos(info.tilt);
  const double dy = std::sin(info.tilt);
  const double nx = std::cos(g.angles[2]);
  const double ny = std::sin(g.angles[2]);
  const double along = dx * nx + dy * ny;
  TElementReach reach;
  reach.turn = std::atan2(dy - 2.0 * along * ny, dx - 2.0 * along * nx) - info.tilt;
  AddFaceReach(info, FaceOf(g, shape.radius), reach);
  error = PlacementRoom(system, info, reach);
  if (!error.empty()) return 0;
  placed->SetGeneralParameters(&g);
  placed->SetRadius(shape.radius);
  TurnFollowingSurfaces(system, info, k, reach.turn);
  return EndInsertion(system, info, k, k);
}

int InsertPrism(TSystemImage &system, TInsertedElementInfo &info, double apexDegrees,
                const std::string &glass, double face, std::string &error) {
  TEditSurface *placed = PlacedSurface(system, info, error);
  if (placed == nullptr) return 0;
  const int k = info.placedSurface;
  if (IsAirGlass(glass) || glass == "refl") {
    error = "Choose the glass of the prism";
    return 0;
  }
  const std::string medium = placed->general.glass;
  const double relativeIndex = RelativeIndexBehind(system, k, glass, error);
  if (!(relativeIndex > 0.0)) return 0;
  placed = system.EditSurface(k);
  const TPrismFaces prism =
      PrismAtMinimumDeviation(info.tilt, relativeIndex, apexDegrees * kDegrees, face, info.position);
  if (!prism.error.empty()) {
    error = prism.error;
    return 0;
  }
  TGeneralParameters g = placed->GetGeneralParameters();
  g.type = kSurfacePlane;
  g.Ex = 0.0;
  g.boundTypeExt = kBoundSquare;
  g.semiHeightExt = 0.5 * face;
  g.semiWidthExt = 0.5 * face;
  g.glass = glass;
  g.vertex[0] = prism.entrance.x;
  g.vertex[1] = prism.entrance.y;
  g.angles[2] = prism.entranceTilt;
  TGeneralParameters out = g;
  out.glass = medium;
  out.vertex[0] = prism.exit.x;
  out.vertex[1] = prism.exit.y;
  out.angles[2] = prism.exitTilt;
  TElementReach reach;
  reach.turn = -prism.deviation;
  AddFaceReach(info, FaceOf(g, 0.0), reach);
  AddFaceReach(info, FaceOf(out, 0.0), reach);
  error = PlacementRoom(system, info, reach);
  if (!error.empty()) return 0;
  TEditSurface *exit = new (std::nothrow) TEditSurface(*placed);
  if (exit == nullptr) {
    error = "Not enough memory";
    return 0;
  }
  placed->SetGeneralParameters(&g);
  placed->SetRadius(0.0);
  exit->SetGeneralParameters(&out);
  exit->SetRadius(0.0);
  const int stored = k + 1 >= system.SurfaceCount() ? system.AddSurface(exit) : system.InsertSurface(exit, k + 1);
  if (!stored) {
    delete exit;
    error = "Not enough memory";
    return 0;
  }
  system.FollowStopSurface(k + 1, 1);
  TurnFollowingSurfaces(system, info, k + 1, -prism.deviation);
  return EndInsertion(system, info, k, k + 1);
}
