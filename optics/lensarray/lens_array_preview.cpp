#include "optics/lensarray/lens_array_preview.h"

#include <cmath>

#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/model/surface.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSmallAxialComponent = 1e-6;
// Below this |1 - Ex| the rim sag is the paraboloid's limit H^2 / (2 R).
constexpr double kParabolicConic = 1e-12;

// One preview at a time: the page sets it before the mesh is built.
const TSurface *gPreviewSurface = nullptr;

double RimSag(const TSurface &surface, double R, double H) {
  const double sigma = R >= 0.0 ? 1.0 : -1.0;
  switch (surface.general.type) {
    case kSurfacePlane:
      return 0.0;
    case kSurfaceAspheric2: {
      const double k = 1.0 - surface.general.Ex;
      const double D = R * R - k * H * H;
      // (R - sigma sqrt(D)) / k equals H^2 / (R + sigma sqrt(D)) while D >= 0; that form
      // stays finite for the paraboloid (k = 0), where the first divides by zero.
      if (D >= 0.0) {
        const double denominator = R + sigma * std::sqrt(D);
        return denominator == 0.0 ? 0.0 : H * H / denominator;
      }
      if (std::fabs(k) < kParabolicConic) return H * H / (2.0 * R);
      return (R - sigma * std::sqrt(std::fabs(D))) / k;
    }
    default:
      return R - sigma * std::sqrt(std::fabs(R * R - H * H));
  }
}

}  // namespace

int SetRasterSurfaceContext(const TSurface *surface, int /*flag1*/, int /*flag2*/) {
  gPreviewSurface = surface;
  return 1;
}

void LensArrayPreviewPoint(double u, double v, double &X, double &Y, double &Z) {
  X = Y = Z = 0.0;
  const TSurface *surface = gPreviewSurface;
  if (surface == nullptr) return;
  const TGeneralParameters &g = surface->general;
  const double H = g.semiHeightExt;
  // A surface without an outer size has nothing to show but its vertex.
  if (!(H > 0.0) || !std::isfinite(H)) return;
  const double scale = kLensArrayPreviewScale / H;

  double p1 = 0.0, p2 = 0.0;
  if (g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle) {
    p1 = (2.0 * u - 1.0) * H;
    p2 = (2.0 * v - 1.0) * H;
  } else {
    const double rho = (H - g.semiHeightInt) * u + g.semiHeightInt;
    const double phi = kTwoPi * v;
    p1 = rho * std::cos(phi);
    p2 = rho * std::sin(phi);
  }
  const double R = ClampLensArrayRadius(g.R, kLensArrayRadiusLimit);
  const double rimSag = RimSag(*surface, R, H);

  double P[3] = {0.0, p2, p1};
  const double axis[3] = {1.0, 0.0, 0.0};
  double along = 0.0;
  if (!IntersectBaseSurface(*surface, P, axis, along)) along = R;
  P[0] += along;

  const double c = g.R == 0.0 ? 0.0 : 1.0 / g.R;
  double D[3] = {1.0, 0.0, 0.0};
  if (g.type == kSurfaceSphere || g.type == kSurfaceAspheric2 || g.type == kSurfaceCylinder)
    BaseGradient(g.type, c, g.Ex, P, D);
  if (D[0] < kSmallAxialComponent || std::fabs(D[1]) > 1.0 || std::fabs(D[2]) > 1.0) {
    D[0] = 1.0;
    D[1] = D[2] = 0.0;
  } else {
    const double length = std::sqrt(D[0] * D[0] + D[1] * D[1] + D[2] * D[2]);
    D[0] /= length;
    D[1] /= length;
    D[2] /= length;
  }

  double normal[3];
  double t = 0.0;
  LensArrayIntersect(*surface, P, D, normal, t);  // a miss lands on the offset surface
  if (std::isfinite(t)) {
    P[0] += t * D[0];
    P[1] += t * D[1];
    P[2] += t * D[2];
  }
  const double height = -P[0] + 0.5 * rimSag;
  X = P[2] * scale;
  Y = P[1] * scale;
  Z = height * scale;
}
