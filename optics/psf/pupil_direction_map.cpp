#include "optics/psf/pupil_direction_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "optics/model/optical_system.h"
#include "optics/pupils/field_rays.h"

namespace {

// The first step of the knot search: the steps span, span / 2, ..., 1 reach index
// 2 span - 1, which must cover every knot below the last.
constexpr int kSearchSpan = [] {
  int span = 1;
  while (2 * span < kPupilFanSteps) span *= 2;
  return span;
}();
static_assert(2 * kSearchSpan - 1 >= kPupilFanSteps - 1);

// Slope at x of the parabola through (xs[k], ys[k]), k = 0..2 (distinct xs): the sum of the
// Lagrange basis slopes L0'(x) = (2x - x1 - x2) / ((x0 - x1)(x0 - x2)) and its turns.
double QuadraticSlope(double x, const double *xs, const double *ys) {
  double slope = 0.0;
  for (int k = 0; k < 3; ++k) {
    const double a = xs[(k + 1) % 3], b = xs[(k + 2) % 3];
    slope += ys[k] * (2.0 * x - a - b) / ((xs[k] - a) * (xs[k] - b));
  }
  return slope;
}

}  // namespace

void PupilSemiAxes(const TOpticalSystem &system, int &boundType, double &R, double &Rz) {
  R = system.info.entrancePupilDiameter / 2.0;
  Rz = R;
  boundType = kBoundRound;
  const TSurface *stop = system.Surface(system.info.stopIndex);
  if (stop == nullptr) return;
  boundType = stop->general.boundTypeExt;
  const double b = stop->general.semiHeightExt;
  double a = stop->general.semiWidthExt;
  if (a == 0.0) a = b;
  if (b != 0.0) Rz = R * a / b;
}

bool TPupilDirectionMap::Build(TOpticalSystem &system, double fieldA, double fieldB, int steps) {
  steps = std::clamp(steps, 1, kPupilFanSteps);
  for (THalfFan &fan : fans_) fan.knots = 0;
  for (int &used : usable_) used = -1;
  linear_ = false;
  linearScale_ = 1.0;
  centreArea_ = 1.0;
  reach_ = 0.0;
  TCurrentRay chief = system.MakeRay(fieldA, fieldB, 0.0, 0.0);
  chief.traceThrough = 1;
  if (system.TraceRay(chief, kTracePlain, nullptr, 0) != 1) return false;
  chiefL_ = chief.L;
  chiefM_ = chief.M;
  chiefN_ = chief.N;
  int boundType = kBoundRound;
  double R = 0.0, Rz = 0.0;
  PupilSemiAxes(system, boundType, R, Rz);

  if (system.info.ImageFinite == 0) {
    // The angular PSF is the transform over the exit pupil, which the paraxial pupils
    // relate to the entrance pupil by the ratio of their diameters.
    linear_ = true;
    const double exit = system.info.exitPupilDiameter;
    if (exit != 0.0) linearScale_ = system.info.entrancePupilDiameter / exit;
    if (linearScale_ == 0.0) linearScale_ = 1.0;
    reach_ = std::fabs(std::max(R, Rz) / linearScale_);
    return true;
  }

  const TFieldRays field(system, fieldA, fieldB);
  const double radii[kFans] = {R, R, Rz, Rz};
  const double towardsY[kFans] = {1.0, -1.0, 0.0, 0.0};
  const double towardsZ[kFans] = {0.0, 0.0, 1.0, -1.0};
  for (int f = 0; f < kFans; ++f) {
    for (int k = 1; k <= steps; ++k) {
      const double p = k * radii[f] / steps;
      TCurrentRay &ray = rays_[f * steps + k - 1];
      ray = field.Ray(p * towardsY[f], p * towardsZ[f]);
      ray.traceThrough = 1;
    }
  }
  system.TraceRays(rays_, kFans * steps, kTracePlain, results_);
  for (int f = 0; f < kFans; ++f)
    ReadFan(f, rays_ + f * steps, results_ + f * steps, steps, radii[f]);
  bool any = false;
  for (int f = 0; f < kFans; ++f) {
    if (fans_[f].knots < 2) continue;
    any = true;
    reach_ = std::max(reach_, fans_[f].sigma[fans_[f].knots - 1]);
  }
  if (!any) return false;
  for (int f = 0; f < kFans; ++f) {
    const int used = Usable(f);
    usable_[f] = used < 0 ? used : FirstAlike(used);
  }
  double hy = 0.0, slopeY = 0.0, hz = 0.0, slopeZ = 0.0;
  HeightAt(kPlusY, 0.0, hy, slopeY);
  HeightAt(kPlusZ, 0.0, hz, slopeZ);
  centreArea_ = slopeY * slopeZ;
  return true;
}

void TPupilDirectionMap::ReadFan(int f, const TCurrentRay *rays, const int *results, int steps,
                                 double radius) {
  THalfFan &fan = fans_[f];
  fan.sigma[0] = 0.0;
  fan.height[0] = 0.0;
  int knots = 1;
  // The offset grows with the height on either sign: the fan's first ray tells which.
  double sign = 0.0;
  for (int k = 1; k <= steps; ++k) {
    if (results[k - 1] != 1) break;
    const double offset = f < kPlusZ ? rays[k - 1].M - chiefM_ : rays[k - 1].N - chiefN_;
    if (sign == 0.0) sign = offset < 0.0 ? -1.0 : 1.0;
    const double sigma = sign * offset;
    // A fan that turns back (a caustic of the pupil) maps no further.
    if (!(sigma > fan.sigma[knots - 1])) break;
    fan.sigma[knots] = sigma;
    fan.height[knots] = k * radius / steps;
    ++knots;
  }
  if (knots < 2 || radius <= 0.0) {
    fan.knots = 0;
    return;
  }
  fan.knots = knots;
  if (knots == 2) {
    fan.slope[0] = fan.slope[1] = fan.height[1] / fan.sigma[1];
    return;
  }
  // Slopes of the parabolas through each knot and its neighbours (the end knots take the
  // parabola of their end), for the cubic Hermite pieces between the knots.
  for (int k = 0; k < knots; ++k) {
    const int first = std::clamp(k - 1, 0, knots - 3);
    fan.slope[k] = QuadraticSlope(fan.sigma[k], fan.sigma + first, fan.height + first);
  }
}

int TPupilDirectionMap::Usable(int f) const {
  // The fan itself, its partner on the other side, then the other axis's.
  const int order[kFans] = {f, f ^ 1, f < kPlusZ ? kPlusZ : kPlusY, f < kPlusZ ? kMinusZ : kMinusY};
  for (int candidate : order)
    if (fans_[candidate].knots >= 2) return candidate;
  return -1;
}

int TPupilDirectionMap::FirstAlike(int f) const {
  const THalfFan &fan = fans_[f];
  const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(fan.knots);
  for (int g = 0; g < f; ++g) {
    const THalfFan &other = fans_[g];
    if (other.knots == fan.knots && std::memcmp(other.sigma, fan.sigma, bytes) == 0 &&
        std::memcmp(other.height, fan.height, bytes) == 0 &&
        std::memcmp(other.slope, fan.slope, bytes) == 0)
      return g;
  }
  return f;
}

void TPupilDirectionMap::HeightAt(int f, double s, double &h, double &slope, int *rising) const {
  const int used = usable_[f];
  if (used < 0) {
    h = s;
    slope = 1.0;
    return;
  }
  const THalfFan &fan = fans_[used];
  const int last = fan.knots - 1;
  if (s >= fan.sigma[last]) {
    // Beyond the rim the last slope goes on: the point falls outside the pupil.
    slope = fan.slope[last];
    h = fan.height[last] + slope * (s - fan.sigma[last]);
    return;
  }
  // The knot interval [sigma_low, sigma_high) that holds s: low is the last knot before
  // the last one at or below s (sigma rises from sigma_0 = 0, and s lies below the last
  // knot). For offsets in no order, found by halving steps that only add, without a branch
  // to mispredict; for rising ones, by walking on from the last call's knot, which the
  // next offset never lies below.
  int low = 0;
  if (rising != nullptr) {
    low = *rising;
    while (low + 1 < last && fan.sigma[low + 1] <= s) ++low;
    *rising = low;
  } else {
    for (int step = kSearchSpan; step > 0; step /= 2) {
      const int next = low + step;
      low = next < last && fan.sigma[next] <= s ? next : low;
    }
  }
  const int high = low + 1;
  // The cubic Hermite piece on [sigma_low, sigma_high] with the knots' slopes.
  const double width = fan.sigma[high] - fan.sigma[low];
  const double t = (s - fan.sigma[low]) / width;
  const double t2 = t * t, t3 = t2 * t;
  const double h0 = fan.height[low], h1 = fan.height[high];
  const double m0 = fan.slope[low] * width, m1 = fan.slope[high] * width;
  h = (2.0 * t3 - 3.0 * t2 + 1.0) * h0 + (t3 - 2.0 * t2 + t) * m0 + (-2.0 * t3 + 3.0 * t2) * h1 +
      (t3 - t2) * m1;
  slope = ((6.0 * t2 - 6.0 * t) * h0 + (3.0 * t2 - 4.0 * t + 1.0) * m0 +
           (-6.0 * t2 + 6.0 * t) * h1 + (3.0 * t2 - 2.0 * t) * m1) /
          width;
}

double TPupilDirectionMap::Aperture() const {
  if (linear_) return 0.0;
  double widest = 0.0;
  for (int first : {static_cast<int>(kPlusY), static_cast<int>(kPlusZ)}) {
    double spread = 0.0;
    int sides = 0;
    for (int f = first; f <= first + 1; ++f) {
      if (fans_[f].knots < 2) continue;
      spread += fans_[f].sigma[fans_[f].knots - 1];
      ++sides;
    }
    if (sides > 0) widest = std::max(widest, spread / sides);
  }
  return widest;
}

void TPupilDirectionMap::PupilPoint(double ty, double tz, double &y, double &z,
                                    double &amplitude) const {
  if (linear_) {
    y = ty * linearScale_;
    z = tz * linearScale_;
    amplitude = 1.0;
    return;
  }
  const double s = std::sqrt(ty * ty + tz * tz);
  double hy = 0.0, slopeY = 0.0, hz = 0.0, slopeZ = 0.0;
  HeightAt(ty >= 0.0 ? kPlusY : kMinusY, s, hy, slopeY);
  HeightAt(tz >= 0.0 ? kPlusZ : kMinusZ, s, hz, slopeZ);
  Combine(ty, tz, s, hy, slopeY, hz, slopeZ, y, z, amplitude);
}

void TPupilDirectionMap::Combine(double ty, double tz, double s, double hy, double slopeY,
                                 double hz, double slopeZ, double &y, double &z,
                                 double &amplitude) const {
  // With G = h / s on each axis, (y, z) = (ty Gy(s), tz Gz(s)), whose Jacobian is
  // Gy Gz + Gy (hz' - Gz) tz^2 / s^2 + Gz (hy' - Gy) ty^2 / s^2: on a symmetric axis
  // G h', the ring's area h dh over the directions' s ds.
  double gy = slopeY, gz = slopeZ, area = slopeY * slopeZ;
  if (s > 0.0) {
    gy = hy / s;
    gz = hz / s;
    const double shareY = ty * ty / (s * s), shareZ = tz * tz / (s * s);
    area = gy * gz + gy * (slopeZ - gz) * shareZ + gz * (slopeY - gy) * shareY;
  }
  y = ty * gy;
  z = tz * gz;
  amplitude = area > 0.0 && centreArea_ > 0.0 ? std::sqrt(area / centreArea_) : 0.0;
}

void TPupilDirectionMap::PupilRow(double ty, double dt, int half, double reach, double *y,
                                  double *z, double *amplitude) const {
  const int columns = 2 * half;
  const double reachSquared = reach * reach;
  const int yFan = ty >= 0.0 ? kPlusY : kMinusY;
  // Column half + m sits at tz = m dt, column half - m at -m dt: the products and the sum
  // below are those of PupilPoint's sqrt(ty ty + tz tz) for either sign, so both columns
  // get the same s. It rises with m: each fan's knot is searched from the last one.
  int knotY = 0, knotPlusZ = 0, knotMinusZ = 0;
  for (int m = 0; m <= half; ++m) {
    const int right = half + m, left = half - m;
    const double tzRight = static_cast<double>(m) * dt;
    const double tzLeft = static_cast<double>(-m) * dt;
    const double squared = ty * ty + tzRight * tzRight;
    if (squared > reachSquared) {
      if (right < columns) amplitude[right] = -1.0;
      amplitude[left] = -1.0;
      continue;
    }
    if (linear_) {
      for (int c : {right, left}) {
        if (c >= columns) continue;
        y[c] = ty * linearScale_;
        z[c] = (c == right ? tzRight : tzLeft) * linearScale_;
        amplitude[c] = 1.0;
      }
      continue;
    }
    const double s = std::sqrt(squared);
    double hy = 0.0, slopeY = 0.0;
    HeightAt(yFan, s, hy, slopeY, &knotY);
    // The height on a z side: the y side's where one fan serves both.
    double hz = 0.0, slopeZ = 0.0;
    const auto heightZ = [&](int zFan) {
      if (usable_[zFan] == usable_[yFan]) {
        hz = hy;
        slopeZ = slopeY;
      } else {
        HeightAt(zFan, s, hz, slopeZ, zFan == kPlusZ ? &knotPlusZ : &knotMinusZ);
      }
    };
    if (right < columns) {
      heightZ(kPlusZ);
      Combine(ty, tzRight, s, hy, slopeY, hz, slopeZ, y[right], z[right], amplitude[right]);
    }
    if (m == 0) continue;
    if (right < columns && usable_[kMinusZ] == usable_[kPlusZ]) {
      // The same heights at -tz: Combine's products only change sign with tz.
      y[left] = y[right];
      z[left] = -z[right];
      amplitude[left] = amplitude[right];
      continue;
    }
    heightZ(kMinusZ);
    Combine(ty, tzLeft, s, hy, slopeY, hz, slopeZ, y[left], z[left], amplitude[left]);
  }
}

double TPupilDirectionMap::Obliquity(const TCurrentRay &ray) const {
  if (linear_ || ray.L == 0.0) return 1.0;
  return std::sqrt(std::fabs(chiefL_ / ray.L));
}
