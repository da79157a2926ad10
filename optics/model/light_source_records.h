#pragma once
// The element records of an extended light source: emitting zones, mesh triangles,
// location limits and opaque screens.

#include <cstdint>

#include "foundation/numerics/vector.h"

// An emitting spheroid: it begins at x = Z, is Az long and Ay across.
struct TLightSourceZone {
  void Clear() { *this = TLightSourceZone(); }

  double Z = 0.0;
  double Az = 0.0;
  double Ay = 0.0;
  double Bright = 0.0;
  double CumWeight = 0.0;  // computed by the set-up
};

// One emitting triangle of a mesh; its eight vectors are its own (deep copies).
class TTriangle {
 public:
  TTriangle();
  TTriangle(const TTriangle &other) = default;
  TTriangle &operator=(const TTriangle &other) = default;
  ~TTriangle() = default;

  void ClearGeometry() {
    Area = 0.0;
    flag = 0;
  }

  std::int32_t Object = 0;
  Vector A, B, C;  // vertices
  Vector E1, E2;   // B - A, C - A
  Vector N, U, V;  // unit normal and in-plane axes
  double Area = 0.0;
  double CumWeight = 0.0;
  double D11 = 0.0, D22 = 0.0, D12 = 0.0, Det = 0.0;
  std::int32_t flag = 0;
};

// A limit on one coordinate of a start point; the list index says which coordinate.
struct TLimitLoc {
  void Reset() { *this = TLimitLoc(); }

  std::int32_t Active = 0;
  double Min = -1e20;
  double Max = 1e20;
};

// An opaque disc of radius H on the axis in the plane x = Z.
struct TLimitDir {
  void Clear() { *this = TLimitDir(); }

  double Z = 0.0;
  double H = 0.0;
  double HSquared = 0.0;  // computed by the set-up
};
