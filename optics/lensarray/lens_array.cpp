#include "optics/lensarray/lens_array.h"

#include <cmath>

#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/lens_array_zone_access.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/surface.h"

namespace {

constexpr double kNoHitDistance = 10000.0;
constexpr int kNoHitIndex = 10;
// A hit this far from the base surface is taken for the "none yet" marker.
constexpr double kFarthestHit = 9999.0;
constexpr double kDegenerateNormal = 1e-12;
constexpr double kZeroDirection = 8.429999909258048e-37;

// The base surface's own unit normal at H; false when it degenerates.
bool BaseNormal(const TSurface &surface, const double H[3], double N[3]) {
  const double R = surface.general.R;
  const double c = R == 0.0 ? 0.0 : 1.0 / R;
  if (surface.general.type == kSurfacePlane) {
    N[0] = 1.0;
    N[1] = N[2] = 0.0;
    return true;
  }
  double n[3];
  BaseGradient(surface.general.type, c, surface.general.Ex, H, n);
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (!(length >= kDegenerateNormal) || !std::isfinite(length)) return false;
  N[0] = n[0] / length;
  N[1] = n[1] / length;
  N[2] = n[2] / length;
  return true;
}

}  // namespace

int LensArrayIntersect(const TSurface &surface, const double P[3], const double D[3],
                       double N[3], double &t) {
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  double tBase = 0.0;
  if (!IntersectBaseSurface(surface, P, D, tBase)) {
    // Parked at the base's axial extent; a ray across the axis stays where it is.
    t = std::fabs(D[0]) < kZeroDirection ? 0.0 : (R - P[0]) / D[0];
    if (!std::isfinite(t)) t = 0.0;
    return kLensArrayMissed;
  }
  t = tBase;
  const double H[3] = {P[0] + tBase * D[0], P[1] + tBase * D[1], P[2] + tBase * D[2]};

  int zoneIndex = -1;
  const int zoneCount = surface.zones.data == nullptr ? 0 : surface.zones.cols * surface.zones.rows;
  for (int i = 0; i < zoneCount; ++i) {
    if (surface.zones.data[i].Contains(H[0], H[1], H[2])) {
      zoneIndex = i;
      break;
    }
  }
  if (zoneIndex < 0) return BaseNormal(surface, H, N) ? kLensArrayHit : kLensArrayFailed;

  double cell[3] = {0.0, 0.0, 0.0};
  if (!ComputeZoneCoordinates(surface, zoneIndex, H, cell)) return kLensArrayFailed;
  double candidates[kMaxCandidateCells][3];
  int candidateCount = 0;
  if (!FindCandidateCells(surface, zoneIndex, cell, candidates, candidateCount))
    return kLensArrayFailed;
  // A Fresnel element's facets are found from the start cell alone.
  if (surface.zones.data[zoneIndex].MicroType == kMicroFresnel && candidateCount > 1)
    candidateCount = 1;

  double best = kNoHitDistance;
  int bestIndex = kNoHitIndex;
  double bestFrame[9];
  double bestNormal[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < candidateCount; ++i) {
    double origin[3];
    double M[9];
    if (!ComputeCellFrame(surface, zoneIndex, candidates[i], origin, M)) continue;
    const double offset[3] = {H[0] - origin[0], H[1] - origin[1], H[2] - origin[2]};
    double p[3], d[3], n[3];
    ToCellFrame(M, offset, p);
    ToCellFrame(M, D, d);
    double s = 0.0;
    if (!IntersectMicroElement(surface, zoneIndex, p, d, n, s, candidates[i])) continue;
    // Nearest to the base-surface point wins; a tie keeps the earlier cell.
    if (std::fabs(best) > std::fabs(s)) {
      best = s;
      bestIndex = i;
      for (int k = 0; k < 9; ++k) bestFrame[k] = M[k];
      for (int k = 0; k < 3; ++k) bestNormal[k] = n[k];
    }
  }
  if (std::fabs(best) <= kFarthestHit && bestIndex < kNoHitIndex) {
    t = tBase + best;
    FromCellFrame(bestFrame, bestNormal, N);
    return kLensArrayHit;
  }
  double tOffset = 0.0;
  if (IntersectOffsetSurface(surface, zoneIndex, P, D, tOffset)) t = tOffset;
  return kLensArrayMissed;
}
