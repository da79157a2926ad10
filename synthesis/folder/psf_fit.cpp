#include "synthesis/folder/psf_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/trace/image_coordinate.h"

namespace {

// Rings of the pupil grid; ring q holds 6q rays (one at the centre), each standing for an
// equal area.
constexpr int kRings = 24;
constexpr int kGridRays = 1 + 3 * kRings * (kRings + 1);

// Where a traced ray meets the image (heights, or angles for an image at infinity).
bool Landed(const TCurrentRay &ray, int finite, double &u, double &v) {
  if (finite == 0 && ray.L == 0.0) return false;
  u = ImageCoordinate(finite, ray.y, ray.M, ray.L);
  v = ImageCoordinate(finite, ray.z, ray.N, ray.L);
  return std::isfinite(u) && std::isfinite(v);
}

}  // namespace

TPsfFit FitPsfToField(TOpticalSystem &system, double fieldA, double fieldB, double half) {
  TPsfFit fit;
  const int finite = system.info.ImageFinite;
  system.SolveChiefRay(fieldA, fieldB);
  // The chief ray first, then the pupil grid, traced as one batch.
  std::vector<TCurrentRay> rays;
  rays.reserve(kGridRays + 1);
  rays.push_back(system.MakeRay(fieldA, fieldB, 0.0, 0.0));
  const double radius = 0.5 * system.info.entrancePupilDiameter;
  for (int q = 0; q <= kRings; ++q) {
    const int count = q == 0 ? 1 : 6 * q;
    // Ring q covers radii (q - 1/2) .. (q + 1/2) of the step; the centre ray a half step.
    const double rho = radius * q / (kRings + 0.5);
    for (int k = 0; k < count; ++k) {
      const double theta = 2.0 * kPi * (k + 0.5) / count;
      rays.push_back(system.MakeRay(fieldA, fieldB, rho * std::cos(theta), rho * std::sin(theta)));
    }
  }
  for (TCurrentRay &ray : rays) ray.traceThrough = 0;
  std::vector<int> results(rays.size(), 0);
  system.TraceRays(rays.data(), static_cast<int>(rays.size()), kTracePlain, results.data());
  double cu = 0.0, cv = 0.0;
  if (results[0] != 1 || !Landed(rays[0], finite, cu, cv)) return fit;
  double all = 0.0, kept = 0.0;
  for (std::size_t i = 1; i < rays.size(); ++i) {
    double u = 0.0, v = 0.0;
    // A ray the system's DrawAllRays carries past a rim is no light on the grid.
    if (!RayWentThrough(rays[i], results[i]) || !Landed(rays[i], finite, u, v)) continue;
    const double off = std::max(std::fabs(u - cu), std::fabs(v - cv));
    fit.spread = std::max(fit.spread, off);
    all += 1.0;
    if (off <= half) kept += 1.0;
  }
  if (all > 0.0) fit.share = kept / all;
  return fit;
}
