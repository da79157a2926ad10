#include "editor/insert/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "foundation/numerics/pi.h"
#include "platform/core/message_box.h"

namespace {

double Field(const TSystemImage &system, int b) {
  return b < system.info.BeamCount() ? system.info.AlfaM.data[b] : 0.0;
}

bool Reached(const Mem<TIntersectionPoint> &hits, int i) {
  const int n = hits.Cells();
  if (i < 0 || i >= n) return false;
  const TIntersectionPoint &hit = hits.data[i];
  return hit.x != kHitListEnd && std::isfinite(hit.x) && std::isfinite(hit.y) &&
         std::isfinite(hit.L) && std::isfinite(hit.M);
}

// The chief ray of the first beam traced with its hits; false when the pupils cannot be
// solved or the system holds missing glasses.
bool TraceChief(TSystemImage &system, Mem<TIntersectionPoint> &hits) {
  const double field = Field(system, 0);
  if (system.SolveChiefRay(field, 0.0) < 1) return false;
  TCurrentRay ray = system.MakeRay(field, 0.0, 0.0, 0.0);
  system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
  return true;
}

// The medium behind the preceding surface: its glass, or behind a mirror the medium the
// light came through.
std::string MediumAfter(const TSystemImage &system, int preceding) {
  for (int i = preceding; i >= 0; --i) {
    const TSurface *s = system.Surface(i);
    if (s == nullptr) return std::string();
    if (!IsMirrorSurface(*s)) return s->general.glass;
  }
  return std::string();
}

TPlacedRay Local(const TSystemImage &system, int i, const TIntersectionPoint &hit) {
  const double point[3] = {hit.x, hit.y, hit.z};
  const double direction[3] = {hit.L, hit.M, hit.N};
  const TIntersectionPoint local = system.ToSurfaceFrame(i, point, direction);
  TPlacedRay ray;
  ray.point = DPOINT3(local.x, local.y, local.z);
  ray.direction = DPOINT3(local.L, local.M, local.N);
  return ray;
}

}  // namespace

double ChiefRayTilt(TSystemImage &system, int preceding) {
  Mem<TIntersectionPoint> hits;
  if (!TraceChief(system, hits) || !Reached(hits, preceding)) return 0.0;
  const TIntersectionPoint &hit = hits.data[preceding];
  if (hit.L == 0.0 && hit.M == 0.0) return 0.0;
  return std::atan2(hit.M, hit.L);
}

void UpdateKeepingPupil(TSystemImage &system, bool regroup) {
  const double keptDiameter = system.info.Dentr;
  const int keptStop = system.info.Naper;
  system.Update();
  if (regroup) system.RebuildElements(nullptr);
  system.info.Dentr = keptDiameter;
  system.info.Naper = keptStop;
}

bool ChiefRayLeaving(TSystemImage &system, int surface, TPlacedRay &ray) {
  UpdateKeepingPupil(system, false);
  // The trace may solve the pupil again: the user's settings stay.
  const double keptDiameter = system.info.Dentr;
  const int keptStop = system.info.Naper;
  Mem<TIntersectionPoint> hits;
  const bool reached = TraceChief(system, hits) && Reached(hits, surface);
  system.info.Dentr = keptDiameter;
  system.info.Naper = keptStop;
  if (!reached) return false;
  const TIntersectionPoint &hit = hits.data[surface];
  ray.point = DPOINT3(hit.x, hit.y, hit.z);
  ray.direction = DPOINT3(hit.L, hit.M, hit.N);
  return true;
}

DPOINT3 PlacedVertex(TSystemImage &system, int preceding, double x, double y) {
  const TSurface *previous = system.Surface(preceding);
  TPlacedRay ray;
  if (previous == nullptr) return DPOINT3(x, y, 0.0);
  if (!ChiefRayLeaving(system, preceding, ray)) {
    ray.point = DPOINT3(previous->general.vertex[0], previous->general.vertex[1], 0.0);
    ray.direction = DPOINT3(1.0, 0.0, 0.0);
  }
  // The foot of the click on the ray's line in the drawing's plane.
  const double length = std::hypot(ray.direction.x, ray.direction.y);
  if (!(length > 0.0)) return DPOINT3(x, y, 0.0);
  const double ux = ray.direction.x / length;
  const double uy = ray.direction.y / length;
  const double t = (x - ray.point.x) * ux + (y - ray.point.y) * uy;
  return DPOINT3(ray.point.x + t * ux, ray.point.y + t * uy, 0.0);
}

namespace {

// The sag of a face at height h: the quadric z = c h^2 / (1 + sqrt(1 - (1 - conic) c^2 h^2)),
// its turning rim where h lies beyond it.
double FaceSag(const TFaceShape &face, double h) {
  const double c = face.radius != 0.0 ? 1.0 / face.radius : 0.0;
  const double root = std::max(0.0, 1.0 - (1.0 - face.conic) * c * c * h * h);
  return c * h * h / (1.0 + std::sqrt(root));
}

TFaceShape NeighbourFace(const TSurface &s) {
  const TGeneralParameters &g = s.general;
  return TFaceShape{g.vertex[0], g.vertex[1], g.angles[2], g.semiHeightExt, g.R, g.Ex};
}

// Whether a face stands square to the placed direction on its line through `vertex`.
bool OnAxis(const TFaceShape &face, const DPOINT3 &vertex, double tilt) {
  const double across = -(face.x - vertex.x) * std::sin(tilt) + (face.y - vertex.y) * std::cos(tilt);
  return std::abs(std::remainder(face.tilt - tilt, 2.0 * kPi)) < 1e-9 && std::abs(across) < 1e-6;
}

// Heights at which two faces on one axis are compared, from the axis to the smaller rim.
constexpr int kRoomHeights = 64;

// The least of first(h) - second(h) over the common semi-height of two faces on one axis,
// with the height where it falls.
void LeastDifference(const TFaceShape &first, double firstAt, const TFaceShape &second, double secondAt,
                     double &least, double &height) {
  const double rim = std::min(first.semi, second.semi);
  least = firstAt - secondAt;
  height = 0.0;
  for (int k = 1; k <= kRoomHeights; ++k) {
    const double h = rim * k / kRoomHeights;
    const double d = firstAt + FaceSag(first, h) - secondAt - FaceSag(second, h);
    if (d < least) {
      least = d;
      height = h;
    }
  }
}

// Widens [front, back] by how far the face's vertex and both rim points stand along the
// placed direction from `vertex`.
void FaceExtent(const TFaceShape &face, const DPOINT3 &vertex, double tilt, double &front, double &back) {
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  const double semi = face.semi;
  const double c = face.radius != 0.0 ? 1.0 / face.radius : 0.0;
  const double sag = 1.0 - (1.0 - face.conic) * c * c * semi * semi >= 0.0 ? FaceSag(face, semi) : 0.0;
  const double nx = std::cos(face.tilt);
  const double ny = std::sin(face.tilt);
  const double points[3][2] = {{face.x, face.y},
                               {face.x + sag * nx - semi * ny, face.y + sag * ny + semi * nx},
                               {face.x + sag * nx + semi * ny, face.y + sag * ny - semi * nx}};
  for (const auto &p : points) {
    const double along = (p[0] - vertex.x) * ux + (p[1] - vertex.y) * uy;
    front = std::min(front, along);
    back = std::max(back, along);
  }
}

}  // namespace

void AddFaceReach(const TInsertedElementInfo &info, double x, double y, double tilt, double semi, double radius,
                  double conic, TElementReach &reach) {
  const TFaceShape face{x, y, tilt, semi, radius, conic};
  FaceExtent(face, info.position, info.tilt, reach.front, reach.back);
  reach.faces.push_back(face);
}

namespace {

// The check shared by the click and the built element: `following` is the index of the
// surface after the element (-1: none but the image plane); surfaces are named as the
// tables number them before the placement, from 1.
std::string RoomBetween(TSystemImage &system, int preceding, int following, const DPOINT3 &vertex, double tilt,
                        const TElementReach &reach) {
  const TSurface *previous = system.Surface(preceding);
  if (previous == nullptr) return std::string();
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  const auto along = [ux, uy](const double *from, const DPOINT3 &to) {
    return (to.x - from[0]) * ux + (to.y - from[1]) * uy;
  };
  const TSurface *next = following >= 0 && following < system.SurfaceCount() - 1 ? system.Surface(following) : nullptr;
  const double before = along(previous->general.vertex, vertex);
  const double after = next != nullptr ? -along(next->general.vertex, vertex) : 0.0;
  const int precedingNumber = preceding + 1;
  const int followingNumber = preceding + 2;
  char text[640];
  if (before < 0.0) {
    std::snprintf(text, sizeof text,
                  "The new element would stand %.2f mm in front of surface %d, which it follows: the gap "
                  "before it would be negative. Place it behind surface %d.",
                  -before, precedingNumber, precedingNumber);
    return text;
  }
  if (next != nullptr && after < 0.0) {
    std::snprintf(text, sizeof text,
                  "The new element would stand %.2f mm behind surface %d, which follows it: the gap after "
                  "it would be negative. Place it between surfaces %d and %d.",
                  -after, followingNumber, precedingNumber, followingNumber);
    return text;
  }
  // Where along the gap the vertex may stand: each face of the element against each
  // neighbour's face, height by height where both stand square on the axis, else by reach.
  const double gap = before + after;
  double lowest = 0.0;
  double highest = gap;
  const TFaceShape ownFace{vertex.x, vertex.y, tilt, 0.0, 0.0, 0.0};
  const std::vector<TFaceShape> faces = reach.faces.empty() ? std::vector<TFaceShape>{ownFace} : reach.faces;
  const TFaceShape precedingFace = NeighbourFace(*previous);
  const bool precedingOnAxis = OnAxis(precedingFace, vertex, tilt);
  const TFaceShape followingFace = next != nullptr ? NeighbourFace(*next) : TFaceShape{};
  const bool followingOnAxis = next != nullptr && OnAxis(followingFace, vertex, tilt);
  for (const TFaceShape &face : faces) {
    double faceFront = 0.0;
    double faceBack = 0.0;
    FaceExtent(face, vertex, tilt, faceFront, faceBack);
    // The face's vertex along the placed direction from the element's vertex.
    const double at = (face.x - vertex.x) * ux + (face.y - vertex.y) * uy;
    const bool onAxis = OnAxis(face, vertex, tilt);
    double least = 0.0;
    double height = 0.0;
    if (onAxis && precedingOnAxis) {
      LeastDifference(face, at, precedingFace, 0.0, least, height);
      lowest = std::max(lowest, -least);
    } else {
      lowest = std::max(lowest, -faceFront);
    }
    if (next == nullptr) continue;
    if (onAxis && followingOnAxis) {
      LeastDifference(followingFace, gap, face, at, least, height);
      highest = std::min(highest, least);
    } else {
      highest = std::min(highest, gap - faceBack);
    }
  }
  constexpr double kSlack = 1e-9;
  if (before >= lowest - kSlack && before <= highest + kSlack) return std::string();
  // Reaches as lengths, a rounding below the vertex shown as no reach.
  const double frontReach = std::max(0.0, -reach.front);
  const double backReach = std::max(0.0, reach.back);
  // How far its faces would cross a neighbour's where it stands, and which.
  const bool crossesPreceding = before < lowest - kSlack;
  const double crossing = crossesPreceding ? lowest - before : before - highest;
  const int crossed = crossesPreceding ? precedingNumber : followingNumber;
  const double needed = gap + std::max(0.0, lowest - before) + std::max(0.0, before - highest);
  if (next == nullptr) {
    std::snprintf(text, sizeof text,
                  "The new element reaches %.2f mm in front of its vertex: standing %.2f mm behind surface %d, "
                  "its faces would cross that surface by %.2f mm. Place it at least %.2f mm behind surface %d.",
                  frontReach, before, precedingNumber, crossing, lowest, precedingNumber);
    return text;
  }
  // The room between the neighbours' faces where both stand on the axis: its least from
  // the axis to the element's largest rim.
  char faceRoom[96] = "";
  if (precedingOnAxis && followingOnAxis) {
    double largest = 0.0;
    for (const TFaceShape &face : faces) largest = std::max(largest, face.semi);
    TFaceShape within = precedingFace;
    within.semi = std::min(precedingFace.semi, largest);
    double least = 0.0;
    double height = 0.0;
    LeastDifference(followingFace, gap, within, 0.0, least, height);
    std::snprintf(faceRoom, sizeof faceRoom, " and %.2f mm between their faces at a height of %.2f mm", least,
                  height);
  }
  std::snprintf(text, sizeof text,
                "The new element needs %.2f mm along the beam (%.2f mm in front of its vertex, %.2f mm behind it), "
                "but the gap between surfaces %d and %d is %.2f mm from vertex to vertex%s: standing %.2f mm "
                "behind surface %d, its faces would cross surface %d by %.2f mm. There it needs a gap of at least "
                "%.2f mm from vertex to vertex. Place it in such a gap, or make it smaller.",
                frontReach + backReach, frontReach, backReach, precedingNumber, followingNumber, gap, faceRoom,
                before, precedingNumber, crossed, crossing, needed);
  return text;
}

}  // namespace

std::string PlacementRoom(TSystemImage &system, const TInsertedElementInfo &info, const TElementReach &reach) {
  return RoomBetween(system, info.precedingSurface, info.placedSurface + 1, info.position, info.tilt, reach);
}

std::string PlacedSurfaceRoom(TSystemImage &system, const TInsertedElementInfo &info) {
  const TSurface *placed = system.Surface(info.placedSurface);
  if (placed == nullptr) return std::string();
  const TGeneralParameters &g = placed->general;
  TElementReach reach;
  AddFaceReach(info, g.vertex[0], g.vertex[1], g.angles[2], g.semiHeightExt, g.R, g.Ex, reach);
  return PlacementRoom(system, info, reach);
}

std::string PlacementCrossing(TSystemImage &system, int preceding, double x, double y) {
  if (system.Surface(preceding) == nullptr) return std::string();
  const DPOINT3 vertex = PlacedVertex(system, preceding, x, y);
  return RoomBetween(system, preceding, preceding + 1, vertex, ChiefRayTilt(system, preceding), TElementReach());
}

int PlaceSurface(TSystemImage &system, int preceding, double x, double y, int count,
                 TInsertedElementInfo &info) {
  const TSurface *previous = system.Surface(preceding);
  if (previous == nullptr) return -1;
  info.modifiedBefore = system.HasUnsavedChanges();
  const TGeneralParameters before = previous->GetGeneralParameters();
  info.precedingSurface = preceding;
  info.stands = system.SurfaceStands();
  info.position = PlacedVertex(system, preceding, x, y);
  info.apertureDiameter = 2.0 * before.semiHeightExt;
  info.tilt = ChiefRayTilt(system, preceding);

  // The pupil settings as the user left them: the preparation of the longer system must
  // not replace them.
  const double keptDiameter = system.info.Dentr;

  TEditSurface *surface = new (std::nothrow) TEditSurface(info.position.x, info.position.y, 0.0);
  if (surface == nullptr) {
    ShowNotEnoughMemory();
    return -1;
  }
  TGeneralParameters g = surface->GetGeneralParameters();
  g.type = count > 0 && before.R != 0.0 ? kSurfaceSphere : kSurfacePlane;
  g.boundTypeExt = kBoundRound;
  g.semiHeightExt = before.semiHeightExt;
  g.semiWidthExt = before.semiHeightExt;
  g.glass = MediumAfter(system, preceding);
  surface->SetGeneralParameters(&g);
  surface->SetRadius(count > 0 ? before.R : 0.0);
  surface->SetAngles(0.0, 0.0, info.tilt);
  surface->SetMark(1);
  const int index = preceding + 1;
  const int stored = index >= system.SurfaceCount() ? system.AddSurface(surface)
                                                     : system.InsertSurface(surface, index);
  if (!stored) {
    delete surface;
    return -1;
  }
  info.placedSurface = index;
  info.insertedCount = 0;
  UpdateKeepingPupil(system, true);
  system.FollowStopSurface(index, 1);
  // Followed once: the configurations hold the followed number from here on.
  const int placedStop = system.info.Naper;

  // The chief ray's hit on the new surface.
  Mem<TIntersectionPoint> hits;
  const bool chiefTraced = TraceChief(system, hits);
  const bool chiefReached = chiefTraced && Reached(hits, index);
  TIntersectionPoint chief;
  if (chiefReached) chief = hits.data[index];

  // The fan of every beam across the pupil sizes the aperture.
  const int beamCount = std::max(1, system.info.BeamCount());
  const int rays = std::max(kPlacementFanRays, system.beams.raysPerBeam);
  double largest = -1e20;
  double smallest = 1e20;
  TIntersectionPoint upper;
  TIntersectionPoint lower;
  int passed = 0;
  for (int b = 0; b < beamCount; ++b) {
    const double field = Field(system, b);
    if (system.SolveChiefRay(field, 0.0) < 1) continue;
    const double diameter = system.info.entrancePupilDiameter > 0.0
                                ? system.info.entrancePupilDiameter
                                : system.info.Dentr;
    const double step = diameter / (rays - 1);
    for (int i = 0; i < rays; ++i) {
      TCurrentRay ray = system.MakeRay(field, 0.0, (i - rays / 2) * step, 0.0);
      system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
      if (!Reached(hits, index)) continue;
      const TPlacedRay local = Local(system, index, hits.data[index]);
      ++passed;
      if (local.point.y > largest) {
        largest = local.point.y;
        upper = hits.data[index];
      }
      if (local.point.y < smallest) {
        smallest = local.point.y;
        lower = hits.data[index];
      }
    }
  }
  system.info.Dentr = keptDiameter;
  system.info.Naper = placedStop;
  if (passed > 0) {
    const double semi = std::max(std::fabs(largest), std::fabs(smallest));
    TEditSurface *placed = system.EditSurface(index);
    TGeneralParameters p = placed->GetGeneralParameters();
    p.semiHeightExt = semi;
    p.semiWidthExt = semi;
    placed->SetGeneralParameters(&p);
    info.apertureDiameter = 2.0 * semi;
    info.upperLocal = Local(system, index, upper);
    info.lowerLocal = Local(system, index, lower);
    if (chiefReached) {
      info.chiefGlobal.point = DPOINT3(chief.x, chief.y, chief.z);
      info.chiefGlobal.direction = DPOINT3(chief.L, chief.M, chief.N);
      info.chiefLocal = Local(system, index, chief);
    }
  }
  system.SetUnsavedChanges(1);
  return index;
}

int PickedPlane(const TSystemImage &system, double x, double y, double reach, int *plane) {
  const int n = system.SurfaceCount();
  if (n < 2) return -1;
  for (const int i : {0, n - 1}) {
    const TEditSurface *s = system.EditSurface(i);
    if (s == nullptr) continue;
    DPOINT profile[kProfilePoints];
    const int count = SurfaceProfilePoints(*s, profile, kProfilePoints);
    for (int k = 0; k < count; ++k) {
      // The distance to the segment from point k to point k + 1 (or to the point alone).
      const DPOINT a = profile[k];
      const DPOINT b = k + 1 < count ? profile[k + 1] : a;
      const double dx = b.x - a.x;
      const double dy = b.y - a.y;
      const double length2 = dx * dx + dy * dy;
      const double t = length2 > 0.0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
      if (std::hypot(x - a.x - t * dx, y - a.y - t * dy) > reach) continue;
      if (plane != nullptr) *plane = i;
      return i == 0 ? 0 : n - 2;
    }
  }
  return -1;
}

int RemovePlacedSurface(TSystemImage &system, TInsertedElementInfo &info) {
  const int index = info.placedSurface;
  if (info.insertedCount != 0 || system.Surface(index) == nullptr) return 0;
  // The elements refer to the surface about to go: they are regrouped afterwards.
  system.elements.Clear();
  system.ClearSelection();
  system.DeleteSurface(index);
  system.FollowStopSurface(index, -1);
  UpdateKeepingPupil(system, true);
  info.placedSurface = -1;
  system.SetUnsavedChanges(info.modifiedBefore);
  return 1;
}
