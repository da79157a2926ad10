#pragma once
// One lens-array zone of a surface: packing, micro-element shape, origin, rotation and the
// limits of the region it covers.

#include "foundation/containers/mem.h"

class TRasterZone {
 public:
  TRasterZone();
  TRasterZone(const TRasterZone &other);
  TRasterZone &operator=(const TRasterZone &other);
  ~TRasterZone() = default;

  // Back to the defaults of a new zone (every array reallocated to its default size).
  void SetDefaults();
  // Drops the trailing zeros of MicroCoef; an all-zero list keeps its size.
  void TrimCoefficients();
  // 1 when the local point (x, y, z) of the surface lies strictly inside the zone's limits.
  int Contains(double x, double y, double z) const;

  double HMikroLens = 0.0;  // micro-element height
  int Packing = 2;
  Mem<double> PackCoef;     // 10, 10, 20, 20
  int MicroType = 3;
  Mem<double> MicroCoef;    // 20, 0
  int SCType = 0;           // Origin in 0 Cartesian (x, y, z), 1 cylindrical (x, r, degrees)
  Mem<double> Origin;       // 0, 0, 0
  Mem<double> Angle;        // 0, 0, 0
  int LimitType = 1;        // 1: limits in (x, radius, degrees); otherwise (x, y, z)
  Mem<double> LimitUpper;   // 1e6, 100, 180
  Mem<double> LimitLower;   // -1e6, 0, -180
};
