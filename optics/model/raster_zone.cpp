#include "optics/model/raster_zone.h"

#include <cmath>
#include <initializer_list>

#include "foundation/numerics/pi.h"

namespace {

// Just below pi, so that a point straight down the negative y side still lies inside the
// default angular limit of 180 degrees.
constexpr double kAngleOnNegativeSide = 3.141592653588793;
constexpr double kRadiansToDegrees = 57.29577951308232;
constexpr double kOnAxisRadius = 1e-12;

void Fill(Mem<double> &list, std::initializer_list<double> values) {
  if (!list.Allocate(static_cast<int>(values.size()), 1)) return;
  int k = 0;
  for (double value : values) list.data[k++] = value;
}

// The k-th value of a list, 0 when the list is shorter (a zone read from a broken file).
double At(const Mem<double> &list, int k) {
  return k < list.cols * list.rows ? list.data[k] : 0.0;
}

}  // namespace

TRasterZone::TRasterZone() { SetDefaults(); }

TRasterZone::TRasterZone(const TRasterZone &other) { *this = other; }

TRasterZone &TRasterZone::operator=(const TRasterZone &other) {
  if (this == &other) return *this;
  HMikroLens = other.HMikroLens;
  Packing = other.Packing;
  MicroType = other.MicroType;
  SCType = other.SCType;
  LimitType = other.LimitType;
  PackCoef = other.PackCoef;
  MicroCoef = other.MicroCoef;
  Origin = other.Origin;
  Angle = other.Angle;
  LimitUpper = other.LimitUpper;
  LimitLower = other.LimitLower;
  return *this;
}

void TRasterZone::SetDefaults() {
  HMikroLens = 0.0;
  Packing = 2;
  Fill(PackCoef, {10.0, 10.0, 20.0, 20.0});
  MicroType = 3;
  Fill(MicroCoef, {20.0, 0.0});
  SCType = 0;
  Fill(Origin, {0.0, 0.0, 0.0});
  Fill(Angle, {0.0, 0.0, 0.0});
  LimitType = 1;
  Fill(LimitUpper, {1e6, 100.0, 180.0});
  Fill(LimitLower, {-1e6, 0.0, -180.0});
}

void TRasterZone::TrimCoefficients() {
  const int count = MicroCoef.cols * MicroCoef.rows;
  int last = count - 1;
  while (last >= 0 && MicroCoef.data[last] == 0.0) --last;
  if (last < 0 || last == count - 1) return;
  MicroCoef.Resize(last + 1, 1);
}

int TRasterZone::Contains(double x, double y, double z) const {
  const double o0 = At(Origin, 0);
  const double o1 = At(Origin, 1);
  const double o2 = At(Origin, 2);
  double u = x - o0;
  double v = 0.0;
  double w = 0.0;
  if (SCType == 1) {
    const double a = o2 * kPi / 180.0;
    v = y - std::cos(a) * o1;
    w = z - std::sin(a) * o1;
  } else {
    // Codes other than cylindrical have no own meaning: they are read as Cartesian.
    v = y - o1;
    w = z - o2;
  }
  if (LimitType == 1) {
    const double rho = std::sqrt(v * v + w * w);
    double phi = 0.0;
    if (rho < kOnAxisRadius) {
      v = 0.0;
      w = 0.0;
    } else {
      const double c = v / rho;
      if (std::fabs(c) >= 1.0) {
        phi = v >= 0.0 ? 0.0 : kAngleOnNegativeSide;
      } else {
        phi = std::acos(c);
        if (w < 0.0) phi = -phi;
      }
      v = rho;
      w = phi * kRadiansToDegrees;
    }
  }
  const double values[3] = {u, v, w};
  for (int k = 0; k < 3; ++k) {
    if (!(At(LimitLower, k) < values[k] && values[k] < At(LimitUpper, k))) return 0;
  }
  return 1;
}
