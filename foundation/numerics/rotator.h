#pragma once
// TRotator: a rigid transform, a 3 x 3 rotation matrix plus an offset, taking a point p to
// m p + offset. The rotation from angles (alpha, beta, gamma) is Rx(alpha) Ry(beta)
// Rz(gamma) in the right-handed convention. Qt-free so that the optical model and the 3-D
// renderer share it.

#include "foundation/numerics/matrix.h"
#include "foundation/containers/points.h"
#include "foundation/numerics/vector.h"

class TRotator {
 public:
  double m[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
  DPOINT3 offset;

  // The identity with no offset.
  TRotator() = default;
  TRotator(const DANGLE3 &angles, const DPOINT3 &shift);
  // The upper-left 3 x 3 cells of `matrix` (cells it lacks are taken from the identity).
  explicit TRotator(const Matrix &matrix, const DPOINT3 &shift = DPOINT3());
  TRotator(const Matrix &matrix, const Vector &shift);

  void SetAngles(double alpha, double beta, double gamma);
  void SetMatrix(const Matrix &matrix);
  Matrix GetMatrix() const;

  void SetOffset(double x, double y, double z);
  // Missing elements of a shorter vector count as 0.
  void SetOffset(const Vector &shift);
  void SetOffset(const DPOINT3 &shift);
  DPOINT3 GetOffset() const { return offset; }
  Vector GetOffsetVector() const;

  void Assign(const TRotator &other) { *this = other; }

  // m p + offset.
  DPOINT3 Transform(const DPOINT3 &p) const;

  // a becomes "a, then b": a.m = b.m a.m and a.offset = b.m a.offset + b.offset.
  static void Compose(TRotator &a, const TRotator &b);
};
