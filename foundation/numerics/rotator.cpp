#include "foundation/numerics/rotator.h"

#include <cmath>

TRotator::TRotator(const DANGLE3 &angles, const DPOINT3 &shift) : offset(shift) {
  SetAngles(angles.ax, angles.ay, angles.az);
}

TRotator::TRotator(const Matrix &matrix, const DPOINT3 &shift) : offset(shift) {
  SetMatrix(matrix);
}

TRotator::TRotator(const Matrix &matrix, const Vector &shift) {
  SetMatrix(matrix);
  SetOffset(shift);
}

void TRotator::SetAngles(double alpha, double beta, double gamma) {
  const double ca = std::cos(alpha), sa = std::sin(alpha);
  const double cb = std::cos(beta), sb = std::sin(beta);
  const double cg = std::cos(gamma), sg = std::sin(gamma);
  m[0][0] = cb * cg;
  m[0][1] = -cb * sg;
  m[0][2] = sb;
  m[1][0] = sa * sb * cg + ca * sg;
  m[1][1] = ca * cg - sa * sb * sg;
  m[1][2] = -sa * cb;
  m[2][0] = sa * sg - ca * sb * cg;
  m[2][1] = sa * cg + ca * sb * sg;
  m[2][2] = ca * cb;
}

void TRotator::SetMatrix(const Matrix &matrix) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      m[r][c] = r < matrix.rows && c < matrix.cols ? matrix.data[r * matrix.cols + c]
                                                   : (r == c ? 1.0 : 0.0);
}

Matrix TRotator::GetMatrix() const {
  Matrix result(3, 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) result.data[r * 3 + c] = m[r][c];
  return result;
}

void TRotator::SetOffset(double x, double y, double z) { offset.Set(x, y, z); }

void TRotator::SetOffset(const Vector &shift) {
  const auto element = [&shift](int i) { return i < shift.n ? shift.data[i] : 0.0; };
  offset.Set(element(0), element(1), element(2));
}

void TRotator::SetOffset(const DPOINT3 &shift) { offset = shift; }

Vector TRotator::GetOffsetVector() const {
  Vector result(3);
  result.Set(offset.x, offset.y, offset.z);
  return result;
}

DPOINT3 TRotator::Transform(const DPOINT3 &p) const {
  return DPOINT3(m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + offset.x,
                 m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + offset.y,
                 m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + offset.z);
}

void TRotator::Compose(TRotator &a, const TRotator &b) {
  // Work on copies: a and b may be the same rotator.
  const TRotator first = a;
  const TRotator second = b;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += second.m[r][k] * first.m[k][c];
      a.m[r][c] = sum;
    }
  const double shifted[3] = {first.offset.x, first.offset.y, first.offset.z};
  double moved[3];
  for (int r = 0; r < 3; ++r) {
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) sum += second.m[r][k] * shifted[k];
    moved[r] = sum;
  }
  a.offset.Set(moved[0] + second.offset.x, moved[1] + second.offset.y, moved[2] + second.offset.z);
}
