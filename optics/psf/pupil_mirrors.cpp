#include "optics/psf/pupil_mirrors.h"

#include <cstring>

#include "optics/model/optical_system.h"
#include "optics/model/surface.h"

namespace {

bool gMirrorsAllowed = true;

// The surface types whose shape depends on y^2 + z^2 alone: the plane, the sphere and the
// conic, the polynomial and standard aspheres, the Fresnel facets of the standard sag and
// the ring torus revolved about the axis. (The cylinder and the toroid are even in y and
// z too, but their two sections differ: they are left to the full trace.)
bool RevolvedType(int type) {
  switch (type) {
    case kSurfacePlane:
    case kSurfaceSphere:
    case kSurfaceAspheric2:
    case kSurfaceAsphericHigh1:
    case kSurfaceAsphericHigh2:
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
    case kSurfaceTorRing:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool MirrorSymmetricSurface(const TSurface &surface) {
  const TGeneralParameters &g = surface.general;
  if (!RevolvedType(g.type)) return false;
  if (surface.tilted || g.angles[0] != 0.0 || g.angles[1] != 0.0 || g.angles[2] != 0.0)
    return false;
  if (g.vertex[1] != 0.0 || g.vertex[2] != 0.0) return false;
  if (g.boundPosXExt != 0.0 || g.boundPosYExt != 0.0 || g.boundPosXInt != 0.0 ||
      g.boundPosYInt != 0.0)
    return false;
  return !surface.HasRasterZones();
}

TPupilMirrors PupilMirrors(const TOpticalSystem &system, double fieldA, double fieldB) {
  TPupilMirrors none;
  // A lens's edge wall is followed only with light pipes on; otherwise it decides a ray's
  // fate by its status alone, which mirrored rays share.
  if (!gMirrorsAllowed || system.info.EnablePipe) return none;
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TSurface *surface = system.Surface(i);
    if (surface != nullptr && !MirrorSymmetricSurface(*surface)) return none;
  }
  const double *pupilPoint = system.info.entrancePupilPoint;
  TPupilMirrors mirrors;
  mirrors.columns = fieldB == 0.0 && pupilPoint[2] == 0.0;
  mirrors.rows = fieldA == 0.0 && pupilPoint[1] == 0.0;
  return mirrors;
}

void AllowPupilMirrors(bool allowed) { gMirrorsAllowed = allowed; }
bool PupilMirrorsAllowed() { return gMirrorsAllowed; }

bool TMirroredPupil::Begin(int nd, TPupilMirrors mirrors) {
  active_ = false;
  columns_ = rows_ = false;
  if (nd < 4 || nd % 2 != 0 || (!mirrors.columns && !mirrors.rows)) return false;
  nd_ = nd;
  half_ = nd / 2;
  columns_ = mirrors.columns;
  rows_ = mirrors.rows;
  const int storedRows = rows_ ? half_ + 1 : nd;
  if (!transmission_.Allocate(nd, storedRows) || !passed_.Allocate(nd, storedRows) ||
      !rowAdded_.Allocate(nd, 1)) {
    columns_ = rows_ = false;
    return false;
  }
  passed_.Zero();
  rowAdded_.Zero();
  active_ = true;
  return true;
}

double TMirroredPupil::Finish(float *re, float *im) const {
  double sum = 0.0;
  for (int r = 0; r < nd_; ++r) {
    float *rowRe = re + static_cast<long>(r) * nd_;
    float *rowIm = im + static_cast<long>(r) * nd_;
    const int source = MirrorsRow(r) ? nd_ - r : r;
    if (source != r) {
      // The source row comes first, its own partners already filled.
      std::memcpy(rowRe, re + static_cast<long>(source) * nd_, sizeof(float) * nd_);
      std::memcpy(rowIm, im + static_cast<long>(source) * nd_, sizeof(float) * nd_);
    } else if (columns_) {
      for (int c = half_ + 1; c < nd_; ++c) {
        rowRe[c] = rowRe[nd_ - c];
        rowIm[c] = rowIm[nd_ - c];
      }
    }
    const double *transmission = transmission_.data + static_cast<long>(source) * nd_;
    const unsigned char *passed = passed_.data + static_cast<long>(source) * nd_;
    // Column by column in order: the traced ones, then the partners of the others.
    const int traced = TracedColumns();
    for (int c = 0; c < traced; ++c)
      if (passed[c]) sum += transmission[c];
    for (int c = traced; c < nd_; ++c)
      if (passed[nd_ - c]) sum += transmission[nd_ - c];
  }
  return sum;
}
