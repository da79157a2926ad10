#pragma once
// Three-element vector arithmetic on plain arrays, for the light source's per-ray work,
// which must not allocate (the Vector class allocates for every result).

#include <cmath>

namespace vec3 {

inline void Copy(double out[3], const double a[3]) {
  out[0] = a[0];
  out[1] = a[1];
  out[2] = a[2];
}
inline void Sub(double out[3], const double a[3], const double b[3]) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
  out[2] = a[2] - b[2];
}
inline void Scale(double out[3], const double a[3], double factor) {
  out[0] = a[0] * factor;
  out[1] = a[1] * factor;
  out[2] = a[2] * factor;
}
inline double Dot(const double a[3], const double b[3]) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline void Cross(double out[3], const double a[3], const double b[3]) {
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}
inline double Length(const double a[3]) { return std::sqrt(Dot(a, a)); }

}  // namespace vec3
