#include "optics/model/surface.h"

#include <cmath>

namespace {

const char *const kSurfaceTypeNames[kSurfaceTypeCount] = {
    "Plane",
    "Sphere",
    "Aspheric of 2nd power",
    "Aspheric of heigh power (type 1)",
    "Aspheric of heigh power (type 2)",
    "Aspheric international (standard)",
    "Cylinder",
    "Tor",
    "Tor (ring)",
    "Fresnel (International Aspheric)",
};

void CopyHOE(const THOEParameters &from, THOEParameters &to) {
  to.Mhxy = from.Mhxy;
  to.Wlh = from.Wlh;
  to.wavelengthFactor = from.wavelengthFactor;
  to.Vh = from.Vh;
  to.pD = from.pD;
  to.Quantum = from.Quantum;
}

}  // namespace

const char *SurfaceTypeName(int type) {
  return type >= 0 && type < kSurfaceTypeCount ? kSurfaceTypeNames[type] : "";
}

void BuildTiltMatrix(double ax, double ay, double az, double m[9]) {
  const double sx = std::sin(ax), cx = std::cos(ax);
  const double sy = std::sin(ay), cy = std::cos(ay);
  const double sz = std::sin(az), cz = std::cos(az);
  m[0] = cy * cz;
  m[1] = -cy * sz;
  m[2] = -sy;
  m[3] = cx * sz - sx * sy * cz;
  m[4] = cx * cz + sx * sy * sz;
  m[5] = -sx * cy;
  m[6] = sx * sz + cx * sy * cz;
  m[7] = sx * cz - cx * sy * sz;
  m[8] = cx * cy;
}

TSurface::TSurface() : TSurface(0.0, 0.0, 0.0) {}

// Every constructor comes here: the one place a surface's own blocks are first allocated.
TSurface::TSurface(double x, double y, double z) : editData(new TEditSurfaceData) {
  general.vertex[0] = x;
  general.vertex[1] = y;
  general.vertex[2] = z;
}

TSurface::TSurface(const TSurface &other) : TSurface() { CopyAllFrom(other); }

void TSurface::ReplaceSurfaceLinks(const TSurface *const *, TSurface *const *, int) {}

TSurface &TSurface::operator=(const TSurface &other) {
  if (this != &other) CopyAllFrom(other);
  return *this;
}

TSurface::~TSurface() {
  delete editData;
  delete pipeWall;
  delete hoe;
}

TSurface *TSurface::Clone() const { return new TSurface(*this); }

void TSurface::CopyAllFrom(const TSurface &other) {
  TEditSurfaceData *newEdit = new TEditSurfaceData(other.editData ? *other.editData
                                                                  : TEditSurfaceData());
  THOEParameters *newHoe = nullptr;
  if (other.hoe) {
    newHoe = new THOEParameters;
    CopyHOE(*other.hoe, *newHoe);
  }
  TSurface *newPipe = other.pipeWall ? other.pipeWall->Clone() : nullptr;
  delete editData;
  delete hoe;
  delete pipeWall;
  editData = newEdit;
  hoe = newHoe;
  pipeWall = newPipe;
  general = other.general;
  zones = other.zones;
  tilted = other.tilted;
  tiltMatrix = other.tiltMatrix;
  hasAsCoef = other.hasAsCoef;
  AsCoef = other.AsCoef;
}

void TSurface::SetGeneralParameters(const TGeneralParameters *parameters) {
  if (parameters) {
    const double curvature = general.curvature;
    const double frenelHeight = general.FrenelHeight;
    general = *parameters;
    general.curvature = curvature;
    general.FrenelHeight = frenelHeight;
  }
  // The tilt always follows the angles: a matrix kept from earlier angles would go on
  // turning rays at a surface whose angles read 0.
  SetAngles(general.angles[0], general.angles[1], general.angles[2]);
}

void TSurface::SetRadius(double radius) {
  general.R = radius;
  const double inverse = radius != 0.0 ? 1.0 / radius : 0.0;
  general.curvature = inverse;
  // A plane or sphere takes the shape its radius says, as a system file read gives it: a
  // plane traces at its vertex plane whatever R it holds, so a radius given to a plane
  // would bend nothing here, and would bend the surface once the file is read again.
  if (general.type == kSurfacePlane && radius != 0.0)
    general.type = general.Ex != 0.0 ? kSurfaceAspheric2 : kSurfaceSphere;
  else if (general.type == kSurfaceSphere && radius == 0.0)
    general.type = kSurfacePlane;
  if (AsCoef.cols * AsCoef.rows < 1 || AsCoef.data == nullptr) return;
  switch (general.type) {
    case kSurfaceAsphericHigh1:
      AsCoef.data[0] = -2.0 * radius;
      break;
    case kSurfaceAsphericHigh2:
      AsCoef.data[0] = radius != 0.0 ? 1.0 / (2.0 * radius) : 0.0;
      break;
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
      AsCoef.data[0] = inverse;
      break;
    case kSurfaceTor:
    case kSurfaceTorRing:
      AsCoef.data[0] = radius;
      break;
    default:
      break;
  }
}

void TSurface::SetPosition(double x, double y, double z) {
  general.vertex[0] = x;
  general.vertex[1] = y;
  general.vertex[2] = z;
}

void TSurface::GetPosition(double &x, double &y, double &z) const {
  x = general.vertex[0];
  y = general.vertex[1];
  z = general.vertex[2];
}

void TSurface::SetAngles(double ax, double ay, double az) {
  general.angles[0] = ax;
  general.angles[1] = ay;
  general.angles[2] = az;
  if (ax == 0.0 && ay == 0.0 && az == 0.0) {
    tiltMatrix.Clear();
    tilted = 0;
    return;
  }
  if (!tiltMatrix.Allocate(3, 3)) {
    // The box was shown; an untilted surface is the only consistent state left.
    tilted = 0;
    return;
  }
  BuildTiltMatrix(ax, ay, az, tiltMatrix.data);
  tilted = 1;
}

int TSurface::GetHOE(THOEParameters *out) const {
  if (!hoe) return 0;
  if (out) CopyHOE(*hoe, *out);
  const int count = hoe->Vh.cols * hoe->Vh.rows;
  int leading = 0;
  while (leading < count && hoe->Vh.data[leading] != 0.0) ++leading;
  return leading;
}

void TSurface::SetHOE(const THOEParameters &h, int n) {
  if (!hoe) hoe = new THOEParameters;
  hoe->Mhxy = h.Mhxy;
  hoe->Wlh = h.Wlh;
  hoe->pD = h.pD;
  hoe->Quantum = h.Quantum;
  const int available = h.Vh.cols * h.Vh.rows;
  if (n > 0 && &h != hoe) {
    if (hoe->Vh.Allocate(n, 1)) {
      for (int k = 0; k < n; ++k) hoe->Vh.data[k] = k < available ? h.Vh.data[k] : 0.0;
    }
  } else if (n > 0) {
    // Shortening or lengthening the surface's own list keeps the leading coefficients.
    const int kept = available;
    if (hoe->Vh.Resize(n, 1)) {
      for (int k = kept; k < n; ++k) hoe->Vh.data[k] = 0.0;
    }
  } else if (&h != hoe) {
    hoe->Vh = h.Vh;
  }
  hoe->wavelengthFactor = h.wavelengthFactor;
}

void TSurface::CopyFrom(const TSurface &source) {
  if (this == &source) return;
  const double curvature = general.curvature;
  general = source.general;
  general.curvature = curvature;
  tilted = source.tilted;
  if (source.tiltMatrix.cols * source.tiltMatrix.rows > 0) tiltMatrix = source.tiltMatrix;
  hasAsCoef = source.hasAsCoef;
  AsCoef = source.AsCoef;
  zones = source.zones;
  if (!hoe && source.hoe) {
    hoe = new THOEParameters;
    CopyHOE(*source.hoe, *hoe);
  } else if (hoe && !source.hoe) {
    delete hoe;
    hoe = nullptr;
  }
}
