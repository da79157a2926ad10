// Whole-system operations: an exact copy through the system file, semi-heights fitted to
// the traced beams, the two Strehl estimates on axis, and the density image of a raster.

#include "optics/whole/whole_system.h"

#include <cmath>

#include "foundation/helpers/file_list.h"
#include "optics/model/color_image_service.h"
#include "optics/model/file_data.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/paths.h"

namespace {

// (2 pi)^2: the wavefront variance in waves^2 times this is the Strehl exponent.
constexpr double kTwoPiSquared = 39.47841760435743;
// Exponents from here on give an estimate of 0.
constexpr double kLargestExponent = 30.0;
// Wavefront samples across the pupil in each direction.
constexpr int kWavefrontSamples = 21;
// Semi-heights go up in steps of 0.01 from a half step above the traced height.
constexpr double kSemiHeightStep = 0.01;

TColorImageService *gDensityImage = nullptr;
TTopmostRaiser gRaiser = nullptr;

}  // namespace

double MaxOfFloats(const Mem<float> &values) {
  float largest = -1e20f;
  const long cells = values.data != nullptr && values.cols > 0 && values.rows > 0
                         ? static_cast<long>(values.cols) * values.rows
                         : 0;
  for (long k = 0; k < cells; ++k)
    if (values.data[k] >= largest) largest = values.data[k];
  return largest;
}

TTopmostRaiser SetTopmostRaiser(TTopmostRaiser raiser) {
  const TTopmostRaiser previous = gRaiser;
  gRaiser = raiser;
  return previous;
}

void ReleaseDensityImage() {
  delete gDensityImage;
  gDensityImage = nullptr;
}

int ShowDensityImage(const Mem<float> &raster) {
  ReleaseDensityImage();
  gDensityImage = CreateColorImage();
  TFileData &record = DensityFileData();
  // The temporary directory rather than the current one, which may be any folder of the
  // user's or not writable at all.
  record.fileName = TempPath("~~dens.bak");
  record.wavelength = 0.55f;
  record.weight = 1.0f;
  if (!record.Write(raster)) return 0;
  if (gDensityImage != nullptr) {
    gDensityImage->WriteComponents(record, 0);
    gDensityImage->BuildFromComponents(1);
    const HWND window =
        gDensityImage->ShowInWindow(nullptr, 50, 50, raster.cols, raster.rows, 0, 0);
    if (window != nullptr && gRaiser != nullptr) gRaiser(window);
  }
  return 1;
}

int TOpticalSystem::Duplicate(const TOpticalSystem &source) {
  const std::string path = TempPath("tmpdup.tmp");
  // No private directory: no copy through a file (an empty name is no file of ours).
  if (path.empty()) return 0;
  // Writing leaves the source as it was; the writer is simply not declared const.
  const int written = const_cast<TOpticalSystem &>(source).WriteFile(path.c_str());
  const int result = written ? ReadFile(path, kNameFromFile) : 0;
  DeleteFileIfExists(path);
  return result;
}

void TOpticalSystem::FitSemiHeights(int first, int last, int rayCount) {
  const int n = SurfaceCount();
  if (n == 0) return;
  if (first < 0) first = 0;
  if (first >= n) return;
  if (last < first || last >= n) last = n - 1;
  if (rayCount <= 0) rayCount = 21;
  for (int i = 0; i < n; ++i)
    if (surfaces.data[i] == nullptr) return;

  Mem<float> largest;
  if (!largest.Allocate(n, 1)) return;
  largest.Zero();
  Mem<TIntersectionPoint> hits(kHitListCapacity, 1);

  const int fieldCount = info.BeamCount();
  const int spectrumCount = info.WavelengthCount();
  const int wavelengths = info.MonochromeSystem ? 1 : spectrumCount;
  const double working = info.LambdaW;
  for (int w = 0; w < wavelengths; ++w) {
    if (!info.MonochromeSystem && !IsTracedWavelength(info.Spectrum.data[w])) continue;
    Prepare(info.MonochromeSystem ? working : info.Spectrum.data[w].lambda, 1, 1);
    for (int k = 0; k < fieldCount; ++k) {
      const double f = info.AlfaM.data[k];
      // The rays aim at this field's own pupil.
      SolveChiefRay(f, 0.0);
      const double D = info.entrancePupilDiameter;
      // A single ray is the chief ray.
      const double step = rayCount > 1 ? D / (rayCount - 1) : 0.0;
      const double start = rayCount > 1 ? -D / 2.0 : 0.0;
      for (int j = 0; j < rayCount; ++j) {
        TCurrentRay ray = MakeRay(f, 0.0, j * step + start, 0.0);
        ray.traceThrough = 1;
        TraceRay(ray, kTracePlain, &hits, 0);
        const int hitCount = hits.Cells();
        if (hitCount < n) continue;
        for (int i = 0; i < n && hits.data[i].x != kHitListEnd; ++i) {
          const TIntersectionPoint &hit = hits.data[i];
          const double point[3] = {hit.x, hit.y, hit.z};
          const double direction[3] = {hit.L, hit.M, hit.N};
          const double h = std::fabs(ToSurfaceFrame(i, point, direction).y);
          const double rounded = (std::floor(100.0 * h + 0.5) + 0.5) * kSemiHeightStep;
          if (rounded > largest.data[i]) largest.data[i] = static_cast<float>(rounded);
        }
      }
    }
  }
  for (int i = first; i <= last; ++i) surfaces.data[i]->general.semiHeightExt = largest.data[i];
  MarkModelChanged();
}

void TOpticalSystem::StrehlEstimates(double &peakRatio, double &wavefrontEstimate,
                                     int sampleCount) {
  const int savedNd = info.Nd;
  const int savedDifrac = info.Difrac;
  const int savedFree = info.aberrationFree;
  const double savedDiscrete = info.Discrete;
  info.Nd = sampleCount;
  info.Difrac = 1;
  info.aberrationFree = 0;
  info.Discrete = 0.0;
  // The peak ratio wants the finest pupil the grid holds: the pupil fills the grid.
  if (Prepare(info.LambdaW, 1, 0) >= 0 && info.entrancePupilDiameter != 0.0)
    info.Discrete = DiffractionInterval();
  const int aberrated = ComputePolychromaticPSF(0.0, 0.0);
  const double a = MaxOfFloats(workArray1);
  // No PSF (no passing ray, or the user cancelled): no reference job to run.
  int reference = 0;
  double b = 0.0;
  if (aberrated) {
    info.aberrationFree = 1;
    reference = ComputePolychromaticPSF(0.0, 0.0);
    b = MaxOfFloats(workArray1);
  }
  // A PSF that was not made (no passing ray, cancelled) has no peak to compare.
  peakRatio =
      aberrated && reference && b > kRayZero ? a / b : 0.0;
  info.Nd = savedNd;
  info.Difrac = savedDifrac;
  info.aberrationFree = savedFree;
  info.Discrete = savedDiscrete;
  // The interval in effect is the system's own again.
  if (info.entrancePupilDiameter != 0.0) SetupFieldSampling();

  SolveChiefRay(0.0, 0.0);
  TCurrentRay chief = MakeRay(0.0, 0.0, 0.0, 0.0);
  TraceRay(chief, kTraceReference, nullptr, 0);
  const double D = info.entrancePupilDiameter;
  const double step = D / (kWavefrontSamples - 1);
  const double wavesPerMm = info.LambdaW > 0.0 ? 1000.0 / info.LambdaW : 0.0;
  double sum = 0.0, sumSquares = 0.0;
  int count = 0;
  for (int i = 0; i < kWavefrontSamples; ++i) {
    const double p = D / 2.0 - i * step;
    for (int meridional = 1; meridional >= 0; --meridional) {
      TCurrentRay ray = meridional ? MakeRay(0.0, 0.0, p, 0.0) : MakeRay(0.0, 0.0, 0.0, p);
      ray.traceThrough = 0;
      if (TraceRay(ray, kTraceWavefront, nullptr, 0) != 1 || ray.status != kRayPassed) continue;
      const double w = eikonal.opticalPathDifference * wavesPerMm;
      sum += w;
      sumSquares += w * w;
      ++count;
    }
  }
  if (count == 0) count = 1;
  const double mean = sum / count;
  const double variance = sumSquares / count - mean * mean;
  const double exponent = kTwoPiSquared * variance;
  wavefrontEstimate = exponent < kLargestExponent ? std::exp(-exponent) : 0.0;
}
