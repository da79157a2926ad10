// Automatic focusing: the image surface goes to the axial place where the meridional and
// sagittal ray fans of the given fields spread least.
//
// A ray at height y with slope k crosses a plane a distance -s further on at y - s k, so the
// best plane of a fan is the s that makes the spread (max - min) of y[i] - s k[i] smallest.
// That spread is convex in s; its slope is a step function, whose sign change a false
// position search on [-1000, 1000] brackets down to 1e-5.
//
// The rays that place the image surface are not judged by that surface's own rim: a plane
// first put far from the focus would otherwise stop most of a wide beam and place itself by
// the few rays left. A field none of whose rays comes through is left out of the mean, and
// the pending message names it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/pupils/pupil_support.h"

namespace {

constexpr int kMinFanRays = 51;
constexpr double kShiftLimit = 1000.0;
// A shift beyond this means the fan did not converge at all: no move.
constexpr double kImplausibleShift = 10000.0;
constexpr double kSlopeFlat = 1e-10;
constexpr double kShiftStep = 1e-5;
constexpr int kShiftIterations = 10000;

double Spread(const Mem<double> &a, const Mem<double> &b, int n, double s) {
  double low = a.data[0] - s * b.data[0];
  double high = low;
  for (int i = 1; i < n; ++i) {
    const double v = a.data[i] - s * b.data[i];
    if (v < low) low = v;
    if (v > high) high = v;
  }
  return high - low;
}

// Heights and slopes of the rays of one fan that come through.
struct TFan {
  Mem<double> heights;
  Mem<double> slopes;
  int count = 0;
  bool Ready(int size) {
    count = 0;
    if (heights.cols * heights.rows >= size && slopes.cols * slopes.rows >= size) return true;
    return heights.Allocate(size, 1) && slopes.Allocate(size, 1);
  }
  void Add(double height, double slope) {
    heights.data[count] = height;
    slopes.data[count] = slope;
    ++count;
  }
};

// Lifts the outer rim and the obscuration of the image surface for as long as it lives.
class TOpenImageRim {
 public:
  explicit TOpenImageRim(TSurface *image) : image_(image) {
    if (image_ == nullptr) return;
    saved_ = image_->general;
    TGeneralParameters &g = image_->general;
    g.boundTypeExt = kBoundRound;
    g.semiHeightExt = g.semiWidthExt = kOpenRim;
    g.semiHeightInt = g.semiWidthInt = 0.0;
  }
  ~TOpenImageRim() {
    if (image_ == nullptr) return;
    TGeneralParameters &g = image_->general;
    g.boundTypeExt = saved_.boundTypeExt;
    g.semiHeightExt = saved_.semiHeightExt;
    g.semiWidthExt = saved_.semiWidthExt;
    g.semiHeightInt = saved_.semiHeightInt;
    g.semiWidthInt = saved_.semiWidthInt;
  }
  TOpenImageRim(const TOpenImageRim &) = delete;
  TOpenImageRim &operator=(const TOpenImageRim &) = delete;

 private:
  // Far beyond any image a lens forms, and its square still a finite double.
  static constexpr double kOpenRim = 1e100;
  TSurface *image_;
  TGeneralParameters saved_;
};

}  // namespace

double TOpticalSystem::SpreadSlope(const Mem<double> &a, const Mem<double> &b, int n,
                                   double s) const {
  const double epsilon = std::fmax(std::fabs(1e-6 * s), 1e-5);
  return (Spread(a, b, n, s + epsilon) - Spread(a, b, n, s - epsilon)) / (2.0 * epsilon);
}

double TOpticalSystem::BestShift(const Mem<double> &a, const Mem<double> &b, int n) const {
  const int available =
      a.data != nullptr && b.data != nullptr ? std::min(a.cols * a.rows, b.cols * b.rows) : 0;
  if (n > available) n = available;
  if (n < 2) return 0.0;
  double lo = -kShiftLimit, hi = kShiftLimit;
  double f1 = SpreadSlope(a, b, n, lo);
  double f2 = SpreadSlope(a, b, n, hi);
  if (std::fabs(f1 - f2) < kRayZero) return 0.0;
  double x = 0.0;
  for (int iteration = 0; iteration < kShiftIterations; ++iteration) {
    if (std::fabs(f1 - f2) < kSlopeFlat) break;
    x = (f1 * hi - f2 * lo) / (f1 - f2);
    const double f = SpreadSlope(a, b, n, x);
    double step = 0.0;
    if ((f >= 0.0) == (f1 >= 0.0)) {
      step = std::fabs(lo - x);
      lo = x;
      f1 = f;
    } else {
      step = std::fabs(hi - x);
      hi = x;
      f2 = f;
    }
    if (step < kShiftStep) break;
  }
  return x;
}

void TOpticalSystem::AutoFocus(const Mem<double> *fieldsA, const Mem<double> *fieldsB) {
  const int n = SurfaceCount();
  if (n < 2 || !AllSurfacesPresent(*this)) return;
  const Mem<double> &listA = fieldsA != nullptr ? *fieldsA : info.AlfaM;
  const int listCount = listA.Cells();
  const int countB = fieldsB != nullptr ? fieldsB->Cells() : 0;
  // An empty field list still focuses the axial beam.
  const int fieldCount = listCount > 0 ? listCount : 1;
  int rays = 2 * (info.Nray / 2) + 1;
  if (rays < kMinFanRays) rays = kMinFanRays;

  TFan meridional, sagittal;
  if (!meridional.Ready(rays) || !sagittal.Ready(rays)) return;

  double shiftSum = 0.0;
  int fieldsUsed = 0;
  std::string leftOut;
  TNeutralImageSurface neutral(Surface(n - 1));
  TOpenImageRim open(Surface(n - 1));
  for (int f = 0; f < fieldCount; ++f) {
    const double fA = listCount > 0 ? listA.data[f] : 0.0;
    const double fB = f < countB ? fieldsB->data[f] : 0.0;
    MarkModelChanged();
    SolveChiefRay(fA, fB);
    const double diameter = info.entrancePupilDiameter;
    meridional.count = sagittal.count = 0;
    for (int k = 0; k < rays; ++k) {
      const double h = diameter / 2.0 - k * diameter / (rays - 1);
      TCurrentRay m = MakeRay(fA, fB, h, 0.0);
      m.traceThrough = info.DrawAllRays;
      // Rays DrawAllRays carries on past a rim are no light: they do not place the plane.
      if (RayWentThrough(m, TraceRay(m, kTracePlain, nullptr, 0))) meridional.Add(m.y, ForwardSlope(m.L, m.M));
      TCurrentRay s = MakeRay(fA, fB, 0.0, h);
      s.traceThrough = info.DrawAllRays;
      if (RayWentThrough(s, TraceRay(s, kTracePlain, nullptr, 0))) sagittal.Add(s.z, ForwardSlope(s.L, s.N));
    }
    if (meridional.count < 2 && sagittal.count < 2) {
      char text[48];
      std::snprintf(text, sizeof text, leftOut.empty() ? "%g" : ", %g", fA);
      leftOut += text;
      continue;
    }
    double sM = BestShift(meridional.heights, meridional.slopes, meridional.count);
    double sS = BestShift(sagittal.heights, sagittal.slopes, sagittal.count);
    if (std::fabs(sM) > kImplausibleShift) sM = 0.0;
    if (std::fabs(sS) > kImplausibleShift) sS = 0.0;
    double shift = sM + sS;
    if (sM != 0.0 && sS != 0.0) shift *= 0.5;
    shiftSum += shift;
    ++fieldsUsed;
  }
  if (!leftOut.empty()) {
    const bool several = fieldsUsed + 1 < fieldCount;
    AppendPendingMessage(std::string(several ? "No ray of beams " : "No ray of beam ") + leftOut +
                         " reaches the image surface: left out of the plane of best installation.");
  }
  const double shift = fieldsUsed > 0 ? shiftSum / fieldsUsed : 0.0;

  // The axial ray through the pupil centre (the offsets cancel the last beam's chief-ray
  // crossing) shows where along the axis the image surface moves.
  TCurrentRay axial = MakeRay(0.0, 0.0, -info.entrancePupilPoint[1], -info.entrancePupilPoint[2]);
  axial.traceThrough = 1;
  DPOINT3 vertex;
  if (TraceRay(axial, kTracePlainGlobal, nullptr, 0) == 1) {
    vertex.Set(axial.x - shift * axial.L, axial.y - shift * axial.M, axial.z - shift * axial.N);
  } else {
    const double *p = Surface(n - 2)->general.vertex;
    const double *q = Surface(n - 1)->general.vertex;
    double d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
    double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (length == 0.0) length = 1.0;
    vertex.Set(q[0] - shift * d[0] / length, q[1] - shift * d[1] / length,
               q[2] - shift * d[2] / length);
  }
  SetSurfacePosition(n - 1, 0, vertex, kGlobalFrame);
}
