#include "viewer3d/solids/revolution_pieces.h"

#include <cmath>

#include "viewer3d/solids/solid_drawer.h"

namespace {

DPOINT3 Turned(double rho, double z, double phi, bool swapXY) {
  const double c = std::cos(phi) * rho, s = std::sin(phi) * rho;
  return swapXY ? DPOINT3(s, c, z) : DPOINT3(c, s, z);
}

}  // namespace

DPOINT3 RevolutionBandPoint(double u, double v, void *context) {
  const TRevolutionBand &band = *static_cast<const TRevolutionBand *>(context);
  return Turned(band.rho0 + (band.rho1 - band.rho0) * u, band.z0 + (band.z1 - band.z0) * u,
                band.phiStart + band.phiSpan * v, band.swapXY);
}

DPOINT3 RevolutionFacePoint(double u, double v, void *context) {
  const TRevolutionFace &face = *static_cast<const TRevolutionFace *>(context);
  double rho = 0.0, z = 0.0;
  face.profile->PointAt(face.t0 + (face.t1 - face.t0) * u, rho, z);
  return Turned(rho, z + face.zShift, face.phiStart + face.phiSpan * v, face.swapXY);
}

void DrawBand(TSolidDrawer &drawer, TRevolutionBand &band, int uSteps, int vSteps, bool halfTone) {
  drawer.DrawSurface(RevolutionBandPoint, &band, uSteps, vSteps, halfTone);
}

void DrawFace(TSolidDrawer &drawer, TRevolutionFace &face, int uSteps, int vSteps, bool halfTone) {
  drawer.DrawSurface(RevolutionFacePoint, &face, uSteps, vSteps, halfTone);
}
