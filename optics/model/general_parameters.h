#pragma once
// The plain data of one surface that dialogs and the file reader hand over in one block.

#include <string>

// Surface type codes (the shape of each is the ray-surface interaction's).
enum TSurfaceType : int {
  kSurfacePlane = 0,
  kSurfaceSphere = 1,
  kSurfaceAspheric2 = 2,
  kSurfaceAsphericHigh1 = 3,
  kSurfaceAsphericHigh2 = 4,
  kSurfaceAsphericStandard = 5,
  kSurfaceCylinder = 6,
  kSurfaceTor = 7,
  kSurfaceTorRing = 8,
  kSurfaceFresnel = 9,
};
constexpr int kSurfaceTypeCount = 10;

// The name the dialogs show for a type code; "" for a code outside the table.
const char *SurfaceTypeName(int type);

// Bound shape codes of the outer and inner bounds.
enum TBoundType : int { kBoundRound = 0, kBoundSquare = 1, kBoundEllipse = 2, kBoundRectangle = 3 };

// In a surface's frame x is the axis; "X" extents of the file lie along z, "Y" along y.
class TGeneralParameters {
 public:
  int type = kSurfaceSphere;       // TypeAspher
  int materialKind = 0;            // 1: the glass is "refl" (a mirror)
  double R = 0.0;                  // radius; 0 is flat
  double curvature = 0.0;          // 1/R, derived
  double Ex = 0.0;                 // conic term
  int boundTypeExt = kBoundRound;  // BoundTypeExt
  double semiWidthExt = 0.0;       // half of DextX (along z)
  double semiHeightExt = 0.0;      // half of DextY (along y)
  double boundPosXExt = 0.0;       // outer centre z
  double boundPosYExt = 0.0;       // outer centre y
  int boundTypeInt = kBoundRound;  // BoundTypeInt (obscuration)
  double semiWidthInt = 0.0;
  double semiHeightInt = 0.0;      // 0: no obscuration
  double boundPosXInt = 0.0;
  double boundPosYInt = 0.0;
  std::string glass;               // medium behind the surface: "" air, "refl" mirror
  double nAfter = 1.0;             // index behind (negative behind a mirror)
  double nBefore = 1.0;            // index in front
  // Tau belongs to the medium in front of the surface, the one named by the previous
  // surface's glass: the path that ends here is attenuated by 10^-(Tau x length in mm).
  // At a mirror it is the reflectance. 0 and 1 are replaced by the default (none, or a
  // perfect mirror) when the system is prepared. A file record carries its own surface's.
  double Tau = 0.0;
  double FrenelHeight = 0.0;       // facet height of the Fresnel type
  double vertex[3] = {0.0, 0.0, 0.0};  // global x, y, z
  double angles[3] = {0.0, 0.0, 0.0};  // tilts about x, y, z in radians
};
