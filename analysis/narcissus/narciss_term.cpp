#include "analysis/narcissus/narciss_term.h"

#include <algorithm>
#include <cmath>

#include "foundation/containers/mem.h"
#include "optics/model/optical_system.h"

namespace {

// Heights at or below this are on the axis: they limit nothing.
constexpr double kAxisHeight = 1e-7;
// Where every minimum of the height ratios starts: no limit.
constexpr double kNoLimit = 1e18;
// A last-surface height below this means the ray is focused there (or, for the probe
// from the axis, that the last surface is an image of the first: no slope refocuses it).
constexpr double kFocusedHeight = 0.001;
// Radii at or below this in magnitude are planes.
constexpr double kPlaneRadius = 0.0001;
// The sum is reported per cent of 60.
constexpr double kTermScale = 60.0 * 0.01;

class TNarcissTrace {
 public:
  explicit TNarcissTrace(TOpticalSystem &system) : system_(system), count_(system.SurfaceCount()) {}

  // The ray's height on surface i in that surface's frame.
  double LocalHeight(int i, const TIntersectionPoint &hit) const {
    const double point[3] = {hit.x, hit.y, hit.z};
    const double direction[3] = {hit.L, hit.M, hit.N};
    return system_.ToSurfaceFrame(i, point, direction).y;
  }

  // Lowers limit by the height ratios |semi-height / y| of surfaces first.. whose hits
  // (first at hits[0]) the trace recorded. A surface without an aperture, or a ray on the
  // axis there, limits nothing.
  void Limit(const Mem<TIntersectionPoint> &hits, int first, double &limit) const {
    const int recorded = hits.Cells();
    for (int k = 0; k < recorded && first + k < count_; ++k) {
      const int i = first + k;
      const double semiHeight = std::fabs(system_.Surface(i)->general.semiHeightExt);
      const double y = LocalHeight(i, hits.data[k]);
      if (semiHeight == 0.0 || std::fabs(y) <= kAxisHeight) continue;
      limit = std::min(limit, semiHeight / std::fabs(y));
    }
  }

  // The marginal ray: parallel to the axis at height h, or, when that is not focused on
  // the last surface, started at the first surface at h with the slope that focuses it
  // there. False when it cannot be traced.
  bool SettleMarginal(double h) {
    marginal_ = system_.MakeRayToPoint(0, h, 0.0, h, 0.0, 0);
    TCurrentRay ray = marginal_;
    if (system_.TraceRange(ray, 0, count_ - 1, &hits_) == 0) return false;
    const double y1 = LocalHeight(count_ - 1, hits_.data[count_ - 1]);
    if (std::fabs(y1) <= kFocusedHeight) return true;
    // A ray from the axis at slope -1 reaches the last surface at y2; the slope y1 / y2
    // then cancels y1 (heights on the last surface are linear in the start slope).
    TCurrentRay probe = system_.MakeRayVariant(0, 0.0, 0.0, -std::atan(1.0), 0.0);
    Mem<TIntersectionPoint> probeHits;
    if (system_.TraceRange(probe, 0, count_ - 1, &probeHits) == 0) return true;
    const double y2 = LocalHeight(count_ - 1, probeHits.data[count_ - 1]);
    if (std::fabs(y2) <= kFocusedHeight) return true;
    const TCurrentRay refocused = system_.MakeRayVariant(0, h, 0.0, -std::atan(1.0 / (-y2 / y1)), 0.0);
    ray = refocused;
    Mem<TIntersectionPoint> refocusedHits;
    if (system_.TraceRange(ray, 0, count_ - 1, &refocusedHits) == 0) return true;
    marginal_ = refocused;
    hits_ = refocusedHits;
    return true;
  }

  // The smallest ratio of the beam reflected at surface j, or a negative value when it
  // cannot be traced.
  double ReflectedLimit(int j) {
    TCurrentRay ray = marginal_;
    Mem<TIntersectionPoint> toSurface;
    if (system_.TraceRange(ray, 0, j, &toSurface) == 0) return -1.0;
    double limit = kNoLimit;
    Limit(toSurface, 0, limit);
    // The ray stands in surface j's frame, refracted there: its height and slope
    // u = -M / L. Reflection at a curved surface adds -2 y / R_j to the slope.
    const double y = ray.y;
    double slope = -(ray.M / ray.L);
    const double radius = system_.Surface(j)->general.R;
    if (std::fabs(radius) > kPlaneRadius) slope -= static_cast<float>(2.0 * y / radius);
    if (j + 1 < count_) {
      TCurrentRay reflected = system_.MakeRayVariant(j, y, 0.0, std::atan(slope), 0.0);
      Mem<TIntersectionPoint> after;
      if (system_.TraceRange(reflected, j + 1, count_ - 1, &after) == 0) return -1.0;
      Limit(after, j + 1, limit);
    }
    return limit;
  }

  const Mem<TIntersectionPoint> &MarginalHits() const { return hits_; }

 private:
  TOpticalSystem &system_;
  const int count_;
  TCurrentRay marginal_;
  Mem<TIntersectionPoint> hits_;
};

}  // namespace

double NarcissTerm(TOpticalSystem &system, int scannerSurface) {
  const int count = system.SurfaceCount();
  if (scannerSurface <= 0 || count < 2) return 0.0;
  TNarcissTrace trace(system);
  if (!trace.SettleMarginal(0.5 * system.info.entrancePupilDiameter)) return 0.0;
  double systemLimit = kNoLimit;
  trace.Limit(trace.MarginalHits(), 0, systemLimit);
  // Nothing limits the marginal ray (no surface has an aperture): no measure.
  if (systemLimit >= kNoLimit) return 0.0;
  // The surfaces the narcissus table lists: every refracting one but the detector (the
  // last surface), on either side of the scanner. A surface between the scanner and the
  // detector returns the detector's cold image at every scan angle alike, but it returns it
  // all the same; leaving it out would let the optimizer move the cold return onto it.
  double sum = 0.0;
  for (int j = 0; j + 1 < count; ++j) {
    const TGeneralParameters &g = system.Surface(j)->general;
    if (g.nAfter == g.nBefore || g.materialKind != 0) continue;  // a dummy or a mirror
    const double limit = trace.ReflectedLimit(j);
    if (limit < 0.0 || limit >= kNoLimit) continue;
    sum += (limit * limit) / (systemLimit * systemLimit);
  }
  return sum * kTermScale;
}
