#include "analysis/spot/spot_computation.h"

#include <algorithm>
#include <cmath>

#include "analysis/ranges/plot_range.h"
#include "foundation/numerics/pi.h"
#include "optics/model/beams.h"
#include "optics/model/optical_system.h"
#include "optics/pupils/field_rays.h"
#include "optics/trace/image_coordinate.h"

namespace {

constexpr double kOneWavelengthFraction = 0.83;
// A meridional span above this means nothing was collected.
constexpr double kNothingCollected = 1e10;
// The plotted square is this much wider than the larger span.
constexpr double kPlotMargin = 1.1;

// Image coordinates of a traced ray in its last surface's frame: height (u meridional,
// v sagittal) or ray angles in milliradians for an image at infinity.
void ImagePoint(const TCurrentRay &ray, int imageFinite, double &u, double &v) {
  u = ImageCoordinate(imageFinite, ray.y, ray.M, ray.L);
  v = ImageCoordinate(imageFinite, ray.z, ray.N, ray.L);
}

}  // namespace

int SpotRaySide(int requested) {
  requested = std::clamp(requested, 1, kMaxSpotRayNumber);
  const double root = std::sqrt(static_cast<double>(requested));
  int side = static_cast<int>(root);
  if (side * side < requested) side = static_cast<int>(root + 1.0);
  return side;
}

double SpotColorFraction(int w, int W) {
  return W <= 1 ? kOneWavelengthFraction : (w + 1.0) / W;
}

int FillPupilRays(TOpticalSystem &system, TBeamsPar &beams, int requested) {
  beams.Clear();
  const int beamCount = system.info.BeamCount();
  if (beamCount == 0 || !beams.beams.Allocate(beamCount, 1)) return 0;
  const int side = SpotRaySide(requested);
  const int n = side * side;
  // Rings of equal area: ring k >= 1 at (k + 0.5) R / side. A pupil of no size puts every
  // ray through its centre rather than dividing by it.
  const double R = std::max(0.5 * system.info.entrancePupilDiameter, 0.0);
  const double step = R / side;
  for (int b = 0; b < beamCount; ++b) {
    Mem<TCurrentRay> &rays = beams.beams.data[b].rays;
    if (!rays.Allocate(n, 1)) continue;
    const double field = system.info.AlfaM.data[b];
    system.SolveChiefRay(field, 0.0);
    // What depends on the field alone is worked out once for the beam's rays.
    const TFieldRays fieldRays = system.FieldRays(field, 0.0);
    int slot = 0;
    for (int k = 0; k < side; ++k) {
      const double r = k == 0 ? 0.0 : (k + 0.5) * step;
      const int count = 2 * k + 1;
      const double a = 2.0 * kPi / count;
      for (int j = 0; j < count && slot < n; ++j) {
        const double t = (j + 0.5) * a;
        rays.data[slot++] = fieldRays.Ray(r * std::cos(t), r * std::sin(t));
      }
    }
  }
  return n;
}

int TSpotComputation::Compute(TOpticalSystem &system, TSpotSettingsRecord &settings) {
  TOpticalSystemInformation &info = system.info;
  const double workingLambda = info.LambdaW;
  const int spectrumCount = info.WavelengthCount();
  wavelengths = info.MonochromeSystem || spectrumCount == 0 ? 1 : spectrumCount;
  angular = info.ImageFinite == 0;
  const int imageFinite = info.ImageFinite;

  // A system that cannot be traced shows its beams' cells without a spot.
  const bool traceable = system.Traceable();
  TBeamsPar starts(&system);
  raysPerBeam = FillPupilRays(system, starts, settings.rayNumber > 0 ? settings.rayNumber : 100);
  const int beamCount = starts.beams.data ? starts.beams.cols : 0;
  beams.Clear();
  beamFields.Clear();
  if (beamCount > 0) {
    beams.Allocate(beamCount, 1);
    beamFields.Allocate(beamCount, 1);
  }

  // Ranges collected by this run: the stored ones change only when points were found.
  const int savedMode = settings.scaleMode;
  double Mmin = settings.Mmin, Mmax = settings.Mmax, Smin = settings.Smin, Smax = settings.Smax;
  TRangeRef meridional{Mmin, Mmax}, sagittal{Smin, Smax};
  const int mode = meridional.Empty() ? 0 : savedMode;
  if (mode == 0) {
    meridional.Reset();
    sagittal.Reset();
  }
  const bool widen = mode != 2;

  Mem<TCurrentRay> work(raysPerBeam > 0 ? raysPerBeam : 1, 1);
  Mem<int> results(raysPerBeam > 0 ? raysPerBeam : 1, 1);
  int collected = 0;
  for (int b = 0; b < beamCount && beams.data != nullptr; ++b) {
    beamFields.data[b] = info.AlfaM.data[b] * (info.Unit == 1 ? 60.0 : 1.0);
    const Mem<TCurrentRay> &rays = starts.beams.data[b].rays;
    const int n = rays.data ? rays.cols : 0;
    TSpotPoints &points = beams.data[b];
    if (!traceable || n == 0 || work.data == nullptr || results.data == nullptr ||
        !points.Allocate(n * wavelengths, 1))
      continue;
    system.ComputeIndices(workingLambda, 0.0, 0.0);
    // The ray through the pupil centre is the reference. An obscured centre (a mirror
    // with a hole) still has a landing point: it is traced on past the obscuration.
    TCurrentRay reference = rays.data[0];
    reference.traceThrough = 1;
    const bool haveReference = system.TraceRay(reference, 1, nullptr, 0) == 1 && reference.L != 0.0;
    double uRef = 0.0, vRef = 0.0;
    if (haveReference) ImagePoint(reference, imageFinite, uRef, vRef);

    int kept = 0;
    for (int w = 0; w < wavelengths; ++w) {
      const double fraction = SpotColorFraction(w, wavelengths);
      if (wavelengths > 1) {
        // An entry of 0 in the spectrum is kept in the list but traces nothing.
        if (!IsTracedWavelength(info.Spectrum.data[w])) continue;
        system.ComputeIndices(info.Spectrum.data[w].lambda, 0.0, 0.0);
      }
      std::copy(rays.data, rays.data + n, work.data);
      system.TraceRays(work.data, n, 1, results.data);
      for (int r = 0; r < n; ++r) {
        const TCurrentRay &ray = work.data[r];
        // A ray drawn on past a rim (DrawAllRays) is no light at the image.
        if (!RayWentThrough(ray, results.data[r]) || ray.L == 0.0) continue;
        double u, v;
        ImagePoint(ray, imageFinite, u, v);
        points.data[kept++] = DPOINT3(v - vRef, u - uRef, fraction);
      }
    }
    // Without a reference there is nothing to measure the offsets from: the centroid of
    // the beam's own points stands in for it.
    if (!haveReference && kept > 0) {
      double sv = 0.0, su = 0.0;
      for (int p = 0; p < kept; ++p) {
        sv += points.data[p].x;
        su += points.data[p].y;
      }
      for (int p = 0; p < kept; ++p) {
        points.data[p].x -= sv / kept;
        points.data[p].y -= su / kept;
      }
    }
    if (widen) {
      for (int p = 0; p < kept; ++p) {
        meridional.Widen(points.data[p].y);
        sagittal.Widen(points.data[p].x);
      }
    }
    if (kept == 0)
      points.Clear();
    else
      points.Resize(kept, 1);
    collected += kept;
  }
  system.ComputeIndices(workingLambda, 0.0, 0.0);

  if (collected > 0 || !meridional.Empty()) {
    // A common scale, symmetric about 0.
    const double am = std::max(std::fabs(Mmin), std::fabs(Mmax));
    const double as = std::max(std::fabs(Smin), std::fabs(Smax));
    Smax = std::copysign(as, Smax == 0.0 ? 1.0 : Smax);
    Smin = std::copysign(as, Smin == 0.0 ? 1.0 : Smin);
    if (Smax == Smin) Smin = -Smax;
    Mmax = am;
    Mmin = -am;
    settings.Mmin = Mmin;
    settings.Mmax = Mmax;
    settings.Smin = Smin;
    settings.Smax = Smax;
  } else {
    Mmin = Mmax = Smin = Smax = 0.0;
  }
  const double spanS = Smax - Smin;
  double spanM = Mmax - Mmin;
  if (spanM > kNothingCollected) spanM = 0.0;
  meridionalSpan = spanM;
  double S = kPlotMargin * std::max(spanM, spanS);
  if (S == 0.0) S = 1.0;
  plotSmin = Smin - (S - spanS) / 2.0;
  plotSmax = Smax + (S - spanS) / 2.0;
  plotMmin = Mmin - (S - spanM) / 2.0;
  plotMmax = Mmax + (S - spanM) / 2.0;
  settings.scaleMode = savedMode;
  return collected;
}
