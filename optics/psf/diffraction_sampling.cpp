#include "optics/psf/diffraction_sampling.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/message_box.h"

namespace {

// Rays across the entrance pupil in each direction (those outside the circle are left out).
constexpr int kPupilGrid = 11;
// A geometric spot within this many diffraction intervals of its chief ray is shaped by
// diffraction: the Airy radius 1.22 lambda / (2 NA) is 1.22 intervals, so this is a spot
// of about three Airy radii.
constexpr double kDiffractionSpread = 4.0;

const double kMantissas[] = {1.0, 1.5, 2.0, 2.5, 4.0, 5.0, 8.0};
constexpr int kMantissaCount = sizeof kMantissas / sizeof kMantissas[0];

void ImagePoint(const TOpticalSystem &system, const TCurrentRay &ray, double &u, double &v) {
  u = ImageCoordinate(system.info.ImageFinite, ray.y, ray.M, ray.L);
  v = ImageCoordinate(system.info.ImageFinite, ray.z, ray.N, ray.L);
}

std::string FormatG(const char *format, double value) {
  char text[96];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The pupil-grid traces behind both recommendations: the diffraction interval (the largest
// over the fields), the interval for geometric work, which lets the widest spot fill half of
// the Nd nodes but is never finer than the diffraction one, and whether the spot is small
// enough for diffraction to shape the PSF. False (outputs untouched) when no field traces.
bool EstimateSampling(TOpticalSystem &system, double &diffractionInterval,
                      double &geometricInterval, int &difrac) {
  if (system.SurfaceCount() < 2) return false;
  const Mem<double> &fields = system.info.AlfaM;
  const int fieldCount = fields.Cells();
  std::vector<double> fieldValues(fields.data, fields.data + fieldCount);
  if (fieldValues.empty()) fieldValues.push_back(0.0);
  double interval = 0.0;
  double spread = 0.0;
  int traced = 0;
  std::vector<TCurrentRay> rays;
  std::vector<int> results;
  for (double field : fieldValues) {
    MarkModelChanged();
    if (system.UpdatePupils(field, 0.0) < 1) continue;
    const double fieldInterval = system.DiffractionInterval(field, 0.0);
    TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
    int chiefResult = 0;
    system.TraceRays(&chief, 1, 1, &chiefResult);
    if (chiefResult != kRayPassed || fieldInterval <= 0.0) continue;
    double u0 = 0.0, v0 = 0.0;
    ImagePoint(system, chief, u0, v0);
    const double radius = 0.5 * system.info.entrancePupilDiameter;
    rays.clear();
    for (int a = 0; a < kPupilGrid; ++a) {
      for (int b = 0; b < kPupilGrid; ++b) {
        const double pa = radius * (2.0 * a / (kPupilGrid - 1) - 1.0);
        const double pb = radius * (2.0 * b / (kPupilGrid - 1) - 1.0);
        if (pa * pa + pb * pb > radius * radius) continue;
        rays.push_back(system.MakeRay(field, 0.0, pa, pb));
      }
    }
    results.assign(rays.size(), 0);
    system.TraceRays(rays.data(), static_cast<int>(rays.size()), 1, results.data());
    for (std::size_t r = 0; r < rays.size(); ++r) {
      if (results[r] != kRayPassed) continue;
      double u = 0.0, v = 0.0;
      ImagePoint(system, rays[r], u, v);
      spread = std::fmax(spread, std::hypot(u - u0, v - v0));
    }
    interval = std::fmax(interval, fieldInterval);
    ++traced;
  }
  // Other users of the system solve their own pupils again.
  MarkModelChanged();
  if (traced == 0) return false;
  difrac = spread <= kDiffractionSpread * interval ? 1 : 0;
  const int nodes = system.info.Nd > 0 ? system.info.Nd : 64;
  diffractionInterval = interval;
  // The spot's diameter, 2 x spread, over half of the nodes.
  geometricInterval = std::fmax(interval, 4.0 * spread / nodes);
  return true;
}

}  // namespace

int EstimateDiffractionSampling(TOpticalSystem &system, double &discrete, int &difrac) {
  double diffractionInterval = 0.0, geometricInterval = 0.0;
  int needed = difrac;
  if (!EstimateSampling(system, diffractionInterval, geometricInterval, needed)) return 0;
  difrac = needed;
  discrete = needed ? diffractionInterval : geometricInterval;
  return 1;
}

int CheckDiscreteParameter(HWND window, TOpticalSystem &system, int showRecommendation,
                           double &discrete, int &difrac) {
  // Discrete 0 asks for the interval found when the system is prepared: nothing to check.
  if (showRecommendation == 0 || !(discrete > 0.0)) return 0;
  double diffractionInterval = 0.0, geometricInterval = 0.0;
  int needed = difrac;
  if (!EstimateSampling(system, diffractionInterval, geometricInterval, needed)) return 0;
  // The interval for the way the user chose: diffraction work needs the whole pupil on its
  // grid, which a coarser interval would cut off, and the default share of the grid for
  // an MTF free of wrap-around.
  const double recommended =
      difrac ? diffractionInterval / kPsfNodesPerDiffractionInterval : geometricInterval;
  if (!(recommended > 0.0)) return 0;
  std::string text;
  if (discrete > kDiscreteTolerance * recommended)
    text = FormatG("Parameter Discrete=%g is too large.", discrete);
  else if (discrete * kDiscreteTolerance < recommended)
    text = FormatG("Parameter Discrete=%g is too small.", discrete);
  else
    return 0;
  double rounded = recommended, next = recommended;
  RoundSignificant(recommended, rounded, next);
  text += FormatG("\nUse the recommended value %g?", rounded);
  if (MessageBox(window, text, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  discrete = rounded;
  return 1;
}

void RoundSignificant(double value, double &first, double &second) {
  if (!(value > 0.0) || !std::isfinite(value)) {
    first = second = value;
    return;
  }
  const double exponent = std::floor(std::log10(value));
  const double scale = std::pow(10.0, exponent);
  const double mantissa = value / scale;
  int nearest = 0;
  for (int k = 1; k < kMantissaCount; ++k)
    if (std::fabs(kMantissas[k] - mantissa) < std::fabs(kMantissas[nearest] - mantissa))
      nearest = k;
  first = kMantissas[nearest] * scale;
  second = (nearest + 1 < kMantissaCount ? kMantissas[nearest + 1] : 10.0) * scale;
}
