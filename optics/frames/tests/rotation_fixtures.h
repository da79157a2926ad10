#pragma once
// Rotation matrices written out independently of the model, for the tests that check the
// surfaces' tilt frames against them.

#include <array>
#include <cmath>

using Matrix3 = std::array<double, 9>;  // row-major 3 x 3

inline Matrix3 Product(const Matrix3 &a, const Matrix3 &b) {
  Matrix3 result{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) result[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
  return result;
}

// The usual right-handed rotations about the three axes.
inline Matrix3 Rx(double a) {
  return {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
}
inline Matrix3 Ry(double a) {
  return {std::cos(a), 0, std::sin(a), 0, 1, 0, -std::sin(a), 0, std::cos(a)};
}
inline Matrix3 Rz(double a) {
  return {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
}
