#include "optics/interaction/surface_trace.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "optics/interaction/glass_index.h"
#include "optics/interaction/iterative_intersection.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"
#include "optics/interaction/surface_geometry.h"
#include "optics/interaction/surface_interaction.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kFlatCoefficient = 1e-10;  // a0 below this defines no radius

int CellCount(const Mem<double> &m) { return m.data == nullptr ? 0 : m.cols * m.rows; }

}  // namespace

TInteractionSurface MakeInteractionSurface(const TSurface &surface) {
  const TGeneralParameters &g = surface.general;
  TInteractionSurface s;
  s.type = g.type;
  s.R = g.R;
  s.Ex = g.Ex;
  s.outer = {g.boundTypeExt, g.semiHeightExt, g.semiWidthExt, g.boundPosYExt, g.boundPosXExt};
  s.inner = {g.boundTypeInt, g.semiHeightInt, g.semiWidthInt, g.boundPosYInt, g.boundPosXInt};
  s.indexAfter = g.nAfter;
  s.indexBefore = g.nBefore;
  for (int i = 0; i < 3; ++i) {
    s.vertex[i] = g.vertex[i];
    s.angles[i] = g.angles[i];
  }
  // A tilt flag without its nine cells (a failed allocation) turns nothing.
  s.tilted = surface.tilted && CellCount(surface.tiltMatrix) >= 9 ? 1 : 0;
  if (s.tilted) std::copy(surface.tiltMatrix.data, surface.tiltMatrix.data + 9, s.matrix);
  s.hasCoefficients = surface.hasAsCoef;
  s.coef = surface.AsCoef.data;
  s.coefCount = CellCount(surface.AsCoef);
  s.frenelHeight = g.FrenelHeight;
  if (surface.hoe != nullptr) {
    const THOEParameters &h = *surface.hoe;
    s.hoe = {1, h.Mhxy, h.wavelengthFactor, h.pD, h.Vh.data, CellCount(h.Vh)};
  }
  s.hasZones = surface.HasRasterZones();
  s.source = &surface;
  return s;
}

int SurfaceTrace(const TSurface &surface, TCurrentRay &ray) {
  return TraceSurfaceRay(MakeInteractionSurface(surface), ray);
}

int SurfaceIntersectIterative(const TSurface &surface, double point[3], const double direction[3],
                              double normal[3]) {
  return IntersectSurfaceIterative(MakeInteractionSurface(surface), point, direction, normal);
}

int SurfaceTraceParaxial(const TSurface &surface, TCurrentRay &ray, int backwards) {
  return TraceSurfaceParaxial(MakeInteractionSurface(surface), ray, backwards);
}

DPOINT3 SurfaceRotateXYZ(const TSurface &surface, double x, double y, double z, int sense) {
  double v[3] = {x, y, z};
  RotateBySurface(MakeInteractionSurface(surface), v, sense == 0 ? 0 : 1);
  return DPOINT3(v[0], v[1], v[2]);
}

DPOINT3 SurfaceRotate(const TSurface &surface, const DPOINT3 &v, int sense) {
  return SurfaceRotateXYZ(surface, v.x, v.y, v.z, sense);
}

DPOINT3 SurfaceGetAngles(const TSurface &surface) {
  return DPOINT3(surface.general.angles[0], surface.general.angles[1], surface.general.angles[2]);
}

int SurfaceSetAsphericCoefficients(TSurface &surface, int type, const double *values, int count) {
  if (values == nullptr || (count < 1 && type != kSurfacePlane)) return 0;
  TGeneralParameters &g = surface.general;
  g.type = type;
  surface.AsCoef.Clear();
  surface.hasAsCoef = 0;
  auto setRadius = [&g](double radius) {
    g.R = radius;
    g.curvature = radius != 0.0 ? 1.0 / radius : 0.0;
  };
  switch (type) {
    case kSurfacePlane:
      setRadius(0.0);
      g.Ex = 0.0;
      return 1;
    case kSurfaceSphere:
      setRadius(values[0]);
      g.Ex = 0.0;
      return 1;
    case kSurfaceAspheric2:
    case kSurfaceCylinder:
      setRadius(values[0]);
      g.Ex = count > 1 ? values[1] : 0.0;
      return 1;
    case kSurfaceAsphericHigh1:
    case kSurfaceAsphericHigh2:
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel: {
      const double a0 = values[0];
      if (type == kSurfaceAsphericHigh1)
        setRadius(-a0 * 0.5);
      else if (type == kSurfaceAsphericHigh2)
        setRadius(std::fabs(a0) >= kFlatCoefficient ? 1.0 / (2.0 * a0) : 0.0);
      else
        setRadius(std::fabs(a0) >= kFlatCoefficient ? 1.0 / a0 : 0.0);
      g.Ex = 0.0;
      if (!surface.AsCoef.Allocate(count, 1)) return 1;  // the box was shown; no shape terms
      std::copy(values, values + count, surface.AsCoef.data);
      surface.hasAsCoef = 1;
      return 1;
    }
    case kSurfaceTor:
    case kSurfaceTorRing: {
      setRadius(values[0]);
      g.Ex = 0.0;
      if (!surface.AsCoef.Allocate(3, 1)) return 1;
      for (int i = 0; i < 3; ++i) surface.AsCoef.data[i] = i < count ? values[i] : 0.0;
      surface.hasAsCoef = 1;
      return 1;
    }
    default:
      return 1;  // an unknown type is stored and nothing else set
  }
}

int SurfaceGetAsphericCoefficients(const TSurface &surface, double *out) {
  const int count = CellCount(surface.AsCoef);
  if (out != nullptr && count > 0) std::copy(surface.AsCoef.data, surface.AsCoef.data + count, out);
  return count;
}

int SurfaceParseGlass(TSurface &surface, double wavelength, double temperature, double pressure) {
  const int result = ParseGlassIndex(surface.general.glass, wavelength, temperature, pressure,
                                     surface.general.nAfter);
  // A hologram without a design wavelength keeps its factor rather than dividing by 0.
  if (surface.hoe != nullptr && surface.hoe->Wlh != 0.0)
    surface.hoe->wavelengthFactor = wavelength / surface.hoe->Wlh;
  return result;
}

DPOINT SurfacePointAtHeight(const TSurface &surface, double h, int &ok) {
  DPOINT point;
  SurfacePointAtHeight(MakeInteractionSurface(surface), h, point.x, point.y, ok);
  return point;
}

DPOINT3 SurfacePointOnSurface(const TSurface &surface, double y, double z, int &ok) {
  double point[3];
  SurfacePointOnSurface(MakeInteractionSurface(surface), y, z, point, ok);
  return DPOINT3(point[0], point[1], point[2]);
}

int SurfaceProfile(const TSurface &surface, int count, DPOINT *out, int side, double h,
                   double centre) {
  return SurfaceProfile(MakeInteractionSurface(surface), count, out, side, h, centre);
}

DPOINT3 SurfaceApertureCentre(const TSurface &surface, double &radius) {
  double centre[3];
  SurfaceApertureCentre(MakeInteractionSurface(surface), centre, radius);
  return DPOINT3(centre[0], centre[1], centre[2]);
}

DPOINT3 SurfaceLocalFrame(const TSurface &surface, double &radius) {
  double centre[3];
  if (SurfaceApertureCentre(MakeInteractionSurface(surface), centre, radius))
    return DPOINT3(centre[0], centre[1], centre[2]);
  return DPOINT3(surface.general.vertex[0], surface.general.vertex[1], surface.general.vertex[2]);
}

TSurface *SurfaceAssign(const TSurface &surface) {
  TSurface *copy = new (std::nothrow) TSurface;
  if (copy == nullptr) {
    ShowNotEnoughMemory();
    return nullptr;
  }
  copy->SetPosition(surface.general.vertex[0], surface.general.vertex[1],
                    surface.general.vertex[2]);
  copy->SetGeneralParameters(&surface.general);
  // The block hand-over leaves out the curvature and the facet height; a copy keeps both.
  copy->general.curvature = surface.general.curvature;
  copy->general.FrenelHeight = surface.general.FrenelHeight;
  copy->hasAsCoef = surface.hasAsCoef;
  copy->AsCoef = surface.AsCoef;
  if (surface.hoe != nullptr) copy->SetHOE(*surface.hoe, 0);
  copy->zones = surface.zones;
  return copy;
}

int TSurface::Trace(TCurrentRay &ray) const { return SurfaceTrace(*this, ray); }
int TSurface::IntersectIterative(double point[3], const double direction[3],
                                 double normal[3]) const {
  return SurfaceIntersectIterative(*this, point, direction, normal);
}
int TSurface::TraceParaxial(TCurrentRay &ray, int backwards) const {
  return SurfaceTraceParaxial(*this, ray, backwards);
}
DPOINT3 TSurface::Rotate(const DPOINT3 &v, int sense) const {
  return SurfaceRotate(*this, v, sense);
}
DPOINT3 TSurface::RotateXYZ(double x, double y, double z, int sense) const {
  return SurfaceRotateXYZ(*this, x, y, z, sense);
}
DPOINT3 TSurface::GetAngles() const { return SurfaceGetAngles(*this); }
int TSurface::SetAsphericCoefficients(int type, const double *values, int count) {
  return SurfaceSetAsphericCoefficients(*this, type, values, count);
}
int TSurface::GetAsphericCoefficients(double *out) const {
  return SurfaceGetAsphericCoefficients(*this, out);
}
int TSurface::ParseGlass(double wavelength, double temperature, double pressure) {
  return SurfaceParseGlass(*this, wavelength, temperature, pressure);
}
DPOINT TSurface::PointAtHeight(double h, int &ok) const {
  return SurfacePointAtHeight(*this, h, ok);
}
DPOINT3 TSurface::PointOnSurface(double y, double z, int &ok) const {
  return SurfacePointOnSurface(*this, y, z, ok);
}
int TSurface::Profile(int count, DPOINT *out, int side, double h, double centre) const {
  return SurfaceProfile(*this, count, out, side, h, centre);
}
DPOINT3 TSurface::ApertureCentre(double &radius) const {
  return SurfaceApertureCentre(*this, radius);
}
DPOINT3 TSurface::LocalFrame(double &radius) const { return SurfaceLocalFrame(*this, radius); }
TSurface *TSurface::Assign() const { return SurfaceAssign(*this); }
