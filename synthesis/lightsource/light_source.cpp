#include "synthesis/lightsource/light_source.h"

#include <algorithm>
#include <cmath>

#include "foundation/numerics/pi.h"
#include "foundation/numerics/random.h"
#include "synthesis/lightsource/vec3.h"

namespace {

// A draw in [0, 1] with both ends possible, as the program's generator gives it.
double UnitDraw() { return Random15() / 32767.0; }

// Uniform in the unit ball: cube points in [-1, 1]^3 until one lies within length 1.
void RandomBallPoint(double q[3]) {
  do {
    q[0] = 2.0 * UnitDraw() - 1.0;
    q[1] = 2.0 * UnitDraw() - 1.0;
    q[2] = 2.0 * UnitDraw() - 1.0;
  } while (q[0] * q[0] + q[1] * q[1] + q[2] * q[2] > 1.0);
}

}  // namespace

int TLightSourceZone::Contains(double x, double y, double z) const {
  const double u = (x - Z) / Az * 2.0 - 1.0;
  const double v = 2.0 * y / Ay;
  const double w = 2.0 * z / Ay;
  return u * u + v * v + w * w < 1.0 ? 1 : 0;
}

void TLightSourceZone::RandomPoint(double point[3]) const {
  double q[3];
  RandomBallPoint(q);
  point[0] = Z + Az * 0.5 * (1.0 + q[0]);
  point[1] = Ay * 0.5 * q[1];
  point[2] = Ay * 0.5 * q[2];
}

TTriangle::TTriangle() : A(3), B(3), C(3), E1(3), E2(3), N(3), U(3), V(3) {}

void TTriangle::SetVertices(const double a[3], const double b[3], const double c[3]) {
  vec3::Copy(A.data, a);
  vec3::Copy(B.data, b);
  vec3::Copy(C.data, c);
}

void TTriangle::Prepare() {
  vec3::Sub(E1.data, B.data, A.data);
  vec3::Sub(E2.data, C.data, A.data);
  double cross[3];
  vec3::Cross(cross, E1.data, E2.data);
  const double twiceArea = vec3::Length(cross);
  Area = twiceArea * 0.5;
  if (Area != 0.0) {
    vec3::Scale(N.data, cross, 1.0 / twiceArea);
    vec3::Scale(U.data, E1.data, 1.0 / vec3::Length(E1.data));
    vec3::Cross(V.data, N.data, U.data);
  }
  D11 = vec3::Dot(E1.data, E1.data);
  D22 = vec3::Dot(E2.data, E2.data);
  D12 = vec3::Dot(E1.data, E2.data);
  Det = D11 * D22 - D12 * D12;
  flag = 0;
}

int TTriangle::Intersects(const double d[3], const double p[3]) const {
  const double approach = vec3::Dot(d, N.data);
  if (Det == 0.0 || approach == 0.0) return 1;
  double fromA[3];
  vec3::Sub(fromA, p, A.data);
  const double t = -vec3::Dot(N.data, fromA) / approach;
  if (!(t >= 1e-9)) return 1;
  // w = p + t d - A in the oblique frame (E1, E2): solve the 2 x 2 Gram system for (s, r).
  double w[3];
  for (int i = 0; i < 3; ++i) w[i] = fromA[i] + t * d[i];
  const double wu = vec3::Dot(w, E1.data);
  const double wv = vec3::Dot(w, E2.data);
  const double s = (wu * D22 - wv * D12) / Det;
  const double r = (D11 * wv - wu * D12) / Det;
  return s < 0.0 || r < 0.0 || s + r > 1.0 ? 1 : 0;
}

int TTriangle::Intersects(const Vector &d, const Vector &p) const {
  return Intersects(d.data, p.data);
}

void TTriangle::RandomPoint(double point[3]) const {
  double a = UnitDraw();
  double b = UnitDraw();
  // Folding the far half of the parallelogram back keeps the density uniform.
  if (a + b > 1.0) {
    a = 1.0 - a;
    b = 1.0 - b;
  }
  for (int i = 0; i < 3; ++i) point[i] = A.data[i] + a * E1.data[i] + b * E2.data[i];
}

void TTriangle::RandomLambertDirection(double direction[3]) const {
  // cos(theta) = sqrt(u) makes the density of directions proportional to cos(theta).
  const double phi = 2.0 * kPi * UnitDraw();
  const double c = std::sqrt(UnitDraw());
  const double s = std::sqrt(std::max(0.0, 1.0 - c * c));
  const double su = s * std::cos(phi);
  const double sv = s * std::sin(phi);
  for (int i = 0; i < 3; ++i) direction[i] = c * N.data[i] + su * U.data[i] + sv * V.data[i];
}

int TLimitDir::Passes(const double d[3], const double p[3]) const {
  // A ray along the screen's plane never crosses it.
  if (d[0] == 0.0) return 1;
  const double t = (Z - p[0]) / d[0];
  if (t < 0.0) return 1;
  const double y = p[1] + t * d[1];
  const double z = p[2] + t * d[2];
  return y * y + z * z < HSquared ? 0 : 1;
}

int TLimitDir::Passes(const Vector &d, const Vector &p) const { return Passes(d.data, p.data); }

void TLightSource::GetBounds(double &xMin, double &xMax, double &yMin, double &yMax,
                             double &zMin, double &zMax) const {
  double minimum[3];
  double maximum[3];
  GetBoundingBox(minimum, maximum);
  xMin = minimum[0];
  xMax = maximum[0];
  yMin = minimum[1];
  yMax = maximum[1];
  zMin = minimum[2];
  zMax = maximum[2];
}

void TLightSource::GetBoundingBox(double minimum[3], double maximum[3]) const {
  for (int i = 0; i < 3; ++i) minimum[i] = maximum[i] = 0.0;
  const int zoneCount = Zones.cols * Zones.rows;
  const int triangleCount = Triangles.cols * Triangles.rows;
  if (SourceType == kZoneSource && zoneCount > 0) {
    // The box of the outermost zone, centred on the origin.
    const TLightSourceZone &outer = Zones.data[0];
    minimum[0] = -outer.Az / 2.0;
    maximum[0] = outer.Az / 2.0;
    minimum[1] = minimum[2] = -outer.Ay / 2.0;
    maximum[1] = maximum[2] = outer.Ay / 2.0;
  } else if (SourceType == kSolidSource && triangleCount > 0) {
    for (int i = 0; i < 3; ++i) {
      minimum[i] = 1e20;
      maximum[i] = -1e20;
    }
    for (int k = 0; k < triangleCount; ++k) {
      const TTriangle &triangle = Triangles.data[k];
      for (const Vector *vertex : {&triangle.A, &triangle.B, &triangle.C})
        for (int i = 0; i < 3; ++i) {
          minimum[i] = std::min(minimum[i], vertex->data[i]);
          maximum[i] = std::max(maximum[i], vertex->data[i]);
        }
    }
  }
}
