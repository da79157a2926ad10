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

// The point and amplitude of offset (ty, tz), s = sqrt(ty^2 + tz^2), from the heights hy,
// hz and slopes of the fans on its sides at s. With G = h / s on each axis,
// (y, z) = (ty Gy(s), tz Gz(s)), whose Jacobian is
// Gy Gz + Gy (hz' - Gz) tz^2 / s^2 + Gz (hy' - Gy) ty^2 / s^2: on a symmetric axis G h',
// the ring's area h dh over the directions' s ds. The amplitude is the square root of that
// area over the centre's.
inline void Combine(double ty, double tz, double s, double hy, double slopeY, double hz,
                    double slopeZ, double centreArea, double &y, double &z, double &amplitude) {
  double gy = slopeY, gz = slopeZ, area = slopeY * slopeZ;
  if (s > 0.0) {
    gy = hy / s;
    gz = hz / s;
    const double shareY = ty * ty / (s * s), shareZ = tz * tz / (s * s);
    area = gy * gz + gy * (slopeZ - gz) * shareZ + gz * (slopeY - gy) * shareY;
  }
  y = ty * gy;
  z = tz * gz;
  amplitude = area > 0.0 && centreArea > 0.0 ? std::sqrt(area / centreArea) : 0.0;
}

// The cubic Hermite piece between two knots, with the knots' slopes: height and slope at s.
inline void HermitePiece(double s, double sigmaLow, double sigmaHigh, double h0, double h1,
                         double slopeLow, double slopeHigh, double &h, double &slope) {
  const double width = sigmaHigh - sigmaLow;
  const double t = (s - sigmaLow) / width;
  const double t2 = t * t, t3 = t2 * t;
  const double m0 = slopeLow * width, m1 = slopeHigh * width;
  h = (2.0 * t3 - 3.0 * t2 + 1.0) * h0 + (t3 - 2.0 * t2 + t) * m0 + (-2.0 * t3 + 3.0 * t2) * h1 +
      (t3 - t2) * m1;
  slope = ((6.0 * t2 - 6.0 * t) * h0 + (3.0 * t2 - 4.0 * t + 1.0) * m0 +
           (-6.0 * t2 + 6.0 * t) * h1 + (3.0 * t2 - 2.0 * t) * m1) /
          width;
}

// Columns of a pupil row mapped together.
constexpr int kRowChunk = 64;

// The offsets, heights and slopes of up to kRowChunk columns of one row, and their points.
struct TColumnChunk {
  double tz[kRowChunk], s[kRowChunk];
  double hy[kRowChunk], slopeY[kRowChunk], hz[kRowChunk], slopeZ[kRowChunk];
  double y[kRowChunk], z[kRowChunk], amplitude[kRowChunk];
};

// Combine for the first `count` columns of a chunk; the file is built so that this loop
// runs in vector lanes.
void CombineColumns(double ty, double centreArea, int count, TColumnChunk &chunk) {
  for (int k = 0; k < count; ++k)
    Combine(ty, chunk.tz[k], chunk.s[k], chunk.hy[k], chunk.slopeY[k], chunk.hz[k],
            chunk.slopeZ[k], centreArea, chunk.y[k], chunk.z[k], chunk.amplitude[k]);
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

inline bool TPupilDirectionMap::Piece(int f, double s, int *rising, TKnots &piece, double &h,
                               double &slope) const {
  const int used = usable_[f];
  if (used < 0) {
    h = s;
    slope = 1.0;
    return false;
  }
  const THalfFan &fan = fans_[used];
  const int last = fan.knots - 1;
  if (s >= fan.sigma[last]) {
    // Beyond the rim the last slope goes on: the point falls outside the pupil.
    slope = fan.slope[last];
    h = fan.height[last] + slope * (s - fan.sigma[last]);
    return false;
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
  piece = {fan.sigma[low], fan.sigma[high], fan.height[low], fan.height[high], fan.slope[low],
           fan.slope[high]};
  return true;
}

void TPupilDirectionMap::HeightAt(int f, double s, double &h, double &slope, int *rising) const {
  TKnots p;
  if (Piece(f, s, rising, p, h, slope))
    HermitePiece(s, p.sigmaLow, p.sigmaHigh, p.heightLow, p.heightHigh, p.slopeLow, p.slopeHigh,
                 h, slope);
}

void TPupilDirectionMap::HeightsAlong(int f, int count, const double *s, int &knot, double *h,
                                      double *slope) const {
  // The pieces' knots column by column (a column off every piece gets a harmless one), so
  // that the second loop runs in vector lanes.
  double onPiece[kRowChunk], sigmaLow[kRowChunk], sigmaHigh[kRowChunk];
  double heightLow[kRowChunk], heightHigh[kRowChunk], slopeLow[kRowChunk], slopeHigh[kRowChunk];
  double offH[kRowChunk], offSlope[kRowChunk];
  for (int k = 0; k < count; ++k) {
    TKnots p{0.0, 1.0, 0.0, 0.0, 0.0, 0.0};
    offH[k] = offSlope[k] = 0.0;
    onPiece[k] = Piece(f, s[k], &knot, p, offH[k], offSlope[k]) ? 1.0 : 0.0;
    sigmaLow[k] = p.sigmaLow;
    sigmaHigh[k] = p.sigmaHigh;
    heightLow[k] = p.heightLow;
    heightHigh[k] = p.heightHigh;
    slopeLow[k] = p.slopeLow;
    slopeHigh[k] = p.slopeHigh;
  }
  for (int k = 0; k < count; ++k) {
    double pieceH = 0.0, pieceSlope = 0.0;
    HermitePiece(s[k], sigmaLow[k], sigmaHigh[k], heightLow[k], heightHigh[k], slopeLow[k],
                 slopeHigh[k], pieceH, pieceSlope);
    h[k] = onPiece[k] != 0.0 ? pieceH : offH[k];
    slope[k] = onPiece[k] != 0.0 ? pieceSlope : offSlope[k];
  }
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
  Combine(ty, tz, s, hy, slopeY, hz, slopeZ, centreArea_, y, z, amplitude);
}

void TPupilDirectionMap::PupilRow(double ty, double dt, int half, double reach, double *y,
                                  double *z, double *amplitude) const {
  const int columns = 2 * half;
  const double reachSquared = reach * reach;
  // Column half + m sits at tz = m dt, column half - m at -m dt: the products and the sum
  // below are those of PupilPoint's sqrt(ty ty + tz tz) for either sign, so both columns
  // get the same s. It rises with m, so the columns within the reach are those below the
  // first that lies beyond it.
  int inside = 0;
  while (inside <= half) {
    const double tz = static_cast<double>(inside) * dt;
    if (ty * ty + tz * tz > reachSquared) break;
    ++inside;
  }
  for (int m = inside; m <= half; ++m) {
    if (half + m < columns) amplitude[half + m] = -1.0;
    amplitude[half - m] = -1.0;
  }
  if (linear_) {
    for (int m = 0; m < inside; ++m) {
      for (int c : {half + m, half - m}) {
        if (c >= columns) continue;
        y[c] = ty * linearScale_;
        z[c] = static_cast<double>(c - half) * dt * linearScale_;
        amplitude[c] = 1.0;
      }
    }
    return;
  }
  // The offsets' heights on the fans, a chunk of columns at a time: each fan's knot is
  // searched from the last one, since s rises with m. Then the chunk's points and
  // amplitudes, column after column with no dependence between them, so that the
  // divisions and roots of neighbouring columns overlap.
  const int yFan = ty >= 0.0 ? kPlusY : kMinusY;
  const bool plusShared = usable_[kPlusZ] == usable_[yFan];
  const bool minusShared = usable_[kMinusZ] == usable_[yFan];
  // The same heights at -tz: Combine's products only change sign with tz.
  const bool mirrored = usable_[kMinusZ] == usable_[kPlusZ];
  int knotY = 0, knotPlusZ = 0, knotMinusZ = 0;
  for (int first = 0; first < inside; first += kRowChunk) {
    const int count = std::min(kRowChunk, inside - first);
    TColumnChunk right, left;
    for (int k = 0; k < count; ++k) {
      const int m = first + k;
      right.tz[k] = static_cast<double>(m) * dt;
      left.tz[k] = static_cast<double>(-m) * dt;
      right.s[k] = std::sqrt(ty * ty + right.tz[k] * right.tz[k]);
      left.s[k] = right.s[k];
    }
    HeightsAlong(yFan, count, right.s, knotY, right.hy, right.slopeY);
    if (plusShared) {
      std::copy_n(right.hy, count, right.hz);
      std::copy_n(right.slopeY, count, right.slopeZ);
    } else {
      HeightsAlong(kPlusZ, count, right.s, knotPlusZ, right.hz, right.slopeZ);
    }
    if (!mirrored) {
      std::copy_n(right.hy, count, left.hy);
      std::copy_n(right.slopeY, count, left.slopeY);
      if (minusShared) {
        std::copy_n(left.hy, count, left.hz);
        std::copy_n(left.slopeY, count, left.slopeZ);
      } else {
        HeightsAlong(kMinusZ, count, left.s, knotMinusZ, left.hz, left.slopeZ);
      }
    }
    CombineColumns(ty, centreArea_, count, right);
    for (int k = 0; k < count; ++k) {
      const int c = half + first + k;
      if (c >= columns) break;
      y[c] = right.y[k];
      z[c] = right.z[k];
      amplitude[c] = right.amplitude[k];
    }
    if (!mirrored) CombineColumns(ty, centreArea_, count, left);
    for (int k = first == 0 ? 1 : 0; k < count; ++k) {
      const int c = half - first - k;
      if (mirrored) {
        y[c] = right.y[k];
        z[c] = -right.z[k];
        amplitude[c] = right.amplitude[k];
      } else {
        y[c] = left.y[k];
        z[c] = left.z[k];
        amplitude[c] = left.amplitude[k];
      }
    }
  }
}

double TPupilDirectionMap::Obliquity(const TCurrentRay &ray) const {
  if (linear_ || ray.L == 0.0) return 1.0;
  return std::sqrt(std::fabs(chiefL_ / ray.L));
}
