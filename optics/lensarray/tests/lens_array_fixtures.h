#pragma once
// Builders for lens-array surfaces and an independent root finder shared by the lens-array
// tests.

#include <cmath>
#include <functional>
#include <initializer_list>

#include "optics/model/surface.h"

inline void FillList(Mem<double> &list, std::initializer_list<double> values) {
  list.Allocate(static_cast<int>(values.size()), 1);
  int k = 0;
  for (double v : values) list.data[k++] = v;
}

// A surface of the given base type and radius with one zone that covers everything
// (Cartesian limits of +-1e6), an open outer bound of semi-height 100 and the given media.
inline void MakeArraySurface(TSurface &s, int type, double R, int packing,
                             std::initializer_list<double> packCoef, int microType,
                             std::initializer_list<double> microCoef) {
  s.general.type = type;
  s.SetRadius(R);
  s.general.semiHeightExt = 100.0;
  s.general.semiWidthExt = 100.0;
  s.zones.Allocate(1, 1);
  TRasterZone &zone = s.zones.data[0];
  zone.Packing = packing;
  FillList(zone.PackCoef, packCoef);
  zone.MicroType = microType;
  FillList(zone.MicroCoef, microCoef);
  zone.LimitType = 0;
  FillList(zone.LimitLower, {-1e6, -1e6, -1e6});
  FillList(zone.LimitUpper, {1e6, 1e6, 1e6});
}

inline void Normalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

// The root of f in [lo, hi] by bisection; f(lo) and f(hi) must differ in sign.
inline double BisectRoot(const std::function<double(double)> &f, double lo, double hi) {
  double fLo = f(lo);
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    const double fMid = f(mid);
    if ((fMid < 0.0) == (fLo < 0.0)) {
      lo = mid;
      fLo = fMid;
    } else {
      hi = mid;
    }
  }
  return 0.5 * (lo + hi);
}
