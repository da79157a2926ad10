#include "editor/insert/placement.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
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

void ForgetElementOf(TSystemImage &system, const TSurface *surface) {
  for (int e = 0; e < system.ElementCount(); ++e) {
    TOpticalElement &element = system.elements.data[e];
    for (int k = 0; k < element.SurfaceCount(); ++k)
      if (element.surfaces.data[k] == surface) {
        element.surfaces.Clear();
        break;
      }
  }
}

int RemovePlacedSurface(TSystemImage &system, TInsertedElementInfo &info) {
  const int index = info.placedSurface;
  if (info.insertedCount != 0 || system.Surface(index) == nullptr) return 0;
  // The element of the surface about to go is emptied, the others kept: regrouping maps each
  // configuration's places by them, so the other configurations keep their offsets.
  ForgetElementOf(system, system.Surface(index));
  system.ClearSelection();
  system.DeleteSurface(index);
  system.FollowStopSurface(index, -1);
  UpdateKeepingPupil(system, true);
  info.placedSurface = -1;
  system.SetUnsavedChanges(info.modifiedBefore);
  return 1;
}
