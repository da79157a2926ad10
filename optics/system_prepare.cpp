// Preparation of a system for tracing: the geometric part (curvatures, indices left at 0,
// attenuation of mirrors, tilt storage). Resolving glass names, thermal expansion, pipe
// walls and the pupil solve belong to the material and pupil code and are called from
// here once they are part of the model.

#include <cmath>

#include "optics/model_globals.h"
#include "optics/optical_system.h"

int TOpticalSystem::Prepare(double lambdaW, int full, int /*warn*/) {
  const int count = SurfaceCount();
  if (count == 0) return 0;
  if (lambdaW != 0.0) info.LambdaW = lambdaW;
  if (info.Spectrum.cols * info.Spectrum.rows == 0 && info.Spectrum.Allocate(1, 1))
    info.Spectrum.data[0] = TSpectralInfo();
  if (full == 0) return 1;
  for (int i = 0; i < count; ++i) {
    TSurface *surface = surfaces.data[i];
    if (surface == nullptr) continue;
    TGeneralParameters &g = surface->general;
    g.curvature = g.R != 0.0 ? 1.0 / g.R : 0.0;
    if (g.nAfter == 0.0) g.nAfter = info.N1;
    if (g.nBefore == 0.0) g.nBefore = info.N1;
    if (g.Tau == 0.0 || g.Tau == 1.0) g.Tau = g.nAfter / g.nBefore < 0.0 ? 1.0 : 0.0;
    if (surface->tilted == 0) surface->tiltMatrix.Clear();
  }
  SetModifiedFlag();
  return 1;
}
