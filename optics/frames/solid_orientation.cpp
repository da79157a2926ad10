#include "optics/frames/solid_orientation.h"

#include "foundation/numerics/pi.h"

#include <algorithm>
#include <cmath>

namespace {

// A vector shorter than this has no direction; cos(beta) below it is the gimbal case.
constexpr double kNoLength = 1e-12;

double Dot(const DPOINT3 &a, const DPOINT3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

DPOINT3 Cross(const DPOINT3 &a, const DPOINT3 &b) {
  return DPOINT3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

DPOINT3 Scaled(const DPOINT3 &a, double s) { return DPOINT3(a.x * s, a.y * s, a.z * s); }

DPOINT3 Sum(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x + b.x, a.y + b.y, a.z + b.z); }

// The unit vector along v; false when v has no direction.
bool Unit(const DPOINT3 &v, DPOINT3 &unit) {
  const double length = std::sqrt(Dot(v, v));
  if (!std::isfinite(length) || length < kNoLength) return false;
  unit = Scaled(v, 1.0 / length);
  return true;
}

// v less its part along the unit vector n, made unit; false when nothing is left.
bool Across(const DPOINT3 &v, const DPOINT3 &n, DPOINT3 &unit) {
  return Unit(Sum(v, Scaled(n, -Dot(v, n))), unit);
}

// The matrix whose columns are the images of x, y and z.
void FromColumns(const DPOINT3 &cx, const DPOINT3 &cy, const DPOINT3 &cz, double m[3][3]) {
  const DPOINT3 columns[3] = {cx, cy, cz};
  for (int c = 0; c < 3; ++c) {
    m[0][c] = columns[c].x;
    m[1][c] = columns[c].y;
    m[2][c] = columns[c].z;
  }
}

}  // namespace

DANGLE3 EulerAnglesOfMatrix(const double m[3][3]) {
  // Rx(a) Ry(b) Rz(g) has m02 = sin b, m12 = -sin a cos b, m22 = cos a cos b,
  // m01 = -cos b sin g, m00 = cos b cos g.
  const double sinBeta = std::clamp(m[0][2], -1.0, 1.0);
  const double beta = std::asin(sinBeta);
  const double cosBeta = std::cos(beta);
  if (cosBeta > kNoLength * 1e3) {
    return DANGLE3(std::atan2(-m[1][2], m[2][2]), beta, std::atan2(-m[0][1], m[0][0]));
  }
  // cos b = 0: m10 = sin(a + g sin b), m11 = cos(a + g sin b) with sin b = +-1; g = 0.
  const double alpha = std::atan2(m[1][0], m[1][1]);
  return DANGLE3(sinBeta > 0.0 ? alpha : -alpha, beta, 0.0);
}

bool LensArrayProfileA(const DPOINT3 &reference, const DPOINT3 &direction, DANGLE3 &angles) {
  angles = DANGLE3();
  DPOINT3 e3, f3;
  if (!Unit(reference, e3) || !Unit(direction, f3)) return false;
  // The reference's frame: its x as close to x as it can be.
  DPOINT3 e1;
  if (!Across(DPOINT3(1.0, 0.0, 0.0), e3, e1)) Across(DPOINT3(0.0, 1.0, 0.0), e3, e1);
  const DPOINT3 e2 = Cross(e3, e1);
  // The direction's frame: its x as close to -z as it can be (along z: -x).
  DPOINT3 f1;
  if (!Across(DPOINT3(0.0, 0.0, -1.0), f3, f1)) Across(DPOINT3(-1.0, 0.0, 0.0), f3, f1);
  const DPOINT3 f2 = Cross(f3, f1);
  // R = F E^T takes e_k to f_k.
  double e[3][3], f[3][3], r[3][3];
  FromColumns(e1, e2, e3, e);
  FromColumns(f1, f2, f3, f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[i][j] = f[i][0] * e[j][0] + f[i][1] * e[j][1] + f[i][2] * e[j][2];
  angles = EulerAnglesOfMatrix(r);
  return true;
}

namespace {

// A vertex this far (mm) beyond the apex still counts as on its face: the rounding of the
// planes' meeting.
constexpr double kOnFace = 1e-9;

// The prism's frame and position for faces a (along surface 1) and b meeting at the apex
// angle gamma, the apex at `apex`; eWorld runs from the apex along face AB, mWorld is
// the axis (into the glass).
void PlacePrism(double a, double b, double gamma, const DPOINT3 &eWorld, const DPOINT3 &mWorld,
                const DPOINT3 &apex, DANGLE3 &angles, DPOINT3 &position) {
  // The triangle of faces a and b at the apex angle gamma: base c, height h over it, and
  // the signed foot d1 = (a^2 + c^2 - b^2) / (2 c) of the height from B (negative when the
  // angle at B is obtuse).
  const double c = std::sqrt(std::max(0.0, a * a + b * b - 2.0 * a * b * std::cos(gamma)));
  const double h = a * b * std::sin(gamma) / c;
  const double d1 = (a * a + c * c - b * b) / (2.0 * c);
  const double faceA = std::hypot(d1, h);
  // Face AB runs from the apex A = (0, 0, h) to B = (0, -d1, 0); its unit direction e and
  // its normal into the glass m = (0, h, -d1) / |AB| turn onto eWorld and mWorld. With
  // y = (-d1 e + h m) / |AB|, z = (-h e - d1 m) / |AB| and x = e x m, the frame follows.
  const DPOINT3 cx = Cross(eWorld, mWorld);
  const DPOINT3 cy = Scaled(Sum(Scaled(eWorld, -d1), Scaled(mWorld, h)), 1.0 / faceA);
  const DPOINT3 cz = Scaled(Sum(Scaled(eWorld, -h), Scaled(mWorld, -d1)), 1.0 / faceA);
  double r[3][3];
  FromColumns(cx, cy, cz, r);
  angles = EulerAnglesOfMatrix(r);
  position = Sum(apex, Scaled(cz, -h));
}

}  // namespace

bool LensArrayProfileB(double height1, double height2, double wedge, const DPOINT3 &axis,
                       const DPOINT3 &second, const DPOINT3 &vertex1, const DPOINT3 &vertex2,
                       DANGLE3 &angles, DPOINT3 &position, double &face1, double &face2) {
  angles = DANGLE3();
  position = DPOINT3();
  face1 = face2 = 0.0;
  const double gamma = std::fabs(wedge);
  if (!(height1 > 0.0 && height2 > 0.0 && gamma > 0.0 && gamma < kPi) || !std::isfinite(height1 + height2))
    return false;
  DPOINT3 n, u;
  if (!Unit(axis, n) || !Across(second, n, u)) return false;
  const double sign = wedge > 0.0 ? 1.0 : -1.0;
  // In the plane of the wedge, x along the axis and y along the second direction from
  // vertex 1: surface 1 is x = 0, surface 2 passes through vertex 2 (p, q) with the normal
  // (cos wedge, sin wedge). They meet at the apex (0, q + p cot wedge); face AB leaves it
  // along -sign(wedge) y, face AC along (|sin wedge|, -sign(wedge) cos wedge), and the
  // vertices lie on them at s1 and s2 = p / |sin wedge| from the apex.
  const DPOINT3 d = Sum(vertex2, Scaled(vertex1, -1.0));
  const double p = Dot(d, n), q = Dot(d, u);
  const double yApex = q + p * std::cos(wedge) / std::sin(wedge);
  const double s1 = sign * yApex, s2 = p / std::sin(gamma);
  const DPOINT3 eWorld = Scaled(u, -sign);
  if (std::isfinite(s1 + s2) && s1 > -kOnFace && s2 > -kOnFace) {
    // Both faces reach from the apex as far as the farther of the two surfaces' far edges
    // (each surface's height centred on its vertex): an isosceles prism that holds both
    // surfaces whole, and the light that crosses the glass near the base.
    face1 = face2 = std::max(std::max(s1, 0.0) + 0.5 * height1, std::max(s2, 0.0) + 0.5 * height2);
    PlacePrism(face1, face2, gamma, eWorld, n, Sum(vertex1, Scaled(u, yApex)), angles, position);
    return true;
  }
  // Surface 2 does not close the wedge behind surface 1 (its vertex lies beyond the apex):
  // face AB of height1 is centred on vertex 1, face AC of height2 leaves its apex.
  face1 = height1;
  face2 = height2;
  PlacePrism(face1, face2, gamma, eWorld, n, Sum(vertex1, Scaled(u, 0.5 * sign * height1)), angles, position);
  return true;
}
