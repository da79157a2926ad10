// The scanning detector's time response: every raster row read as a signal in time.

#include <cmath>
#include <cstring>

#include "imaging/filter/aperiodical_filter.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"

namespace {

// The integer part of value + 0.5, held inside 0 .. count - 1 (NaN gives 0).
int NearestIndex(double value, int count) {
  const double shifted = value + 0.5;
  if (!(shifted >= 1.0)) return 0;
  if (shifted >= count) return count - 1;
  return static_cast<int>(shifted);
}

// How the scan crosses the field. Linear: at constant speed, one pixel every ScanTime / N.
// Real: along the recorded track, whose sweep runs from `start` to `end` in ScanTime.
struct TScanPlan {
  bool real = false;
  double start = 0.0;
  double end = 0.0;
  double cross = 0.0;  // the cross coordinate in the middle of the sweep
  double step = 0.0;   // dt: seconds per pixel
  double t0 = 0.0;     // time at which column 0 is sampled
};

TScanPlan PlanScan(const TScannerParameters &scanner, int columns, double pixelSize) {
  TScanPlan plan;
  const double scanTime = scanner.ScanTime;
  // Linear: v = N p / T, so dt = p / v = T / N whatever p is.
  plan.step = scanTime / columns;
  const int n = scanner.TrackLength();
  // A real scan needs a track of two samples at least, a sweep of some length, a positive
  // pixel size and a running clock; anything less is scanned linearly, so nothing here
  // divides by zero.
  if (scanner.RealMovement == 0 || n < 2 || !(pixelSize > 0.0) || !(scanTime > 0.0) ||
      !(scanner.TimeStep > 0.0))
    return plan;
  const Mem<double> &scanned = scanner.Yscanning != 0 ? scanner.TrackY : scanner.TrackZ;
  const Mem<double> &crossing = scanner.Yscanning != 0 ? scanner.TrackZ : scanner.TrackY;
  const double start = scanned.data[0];
  const double end = scanned.data[n - 1];
  const double speed = (end - start) / scanTime;
  if (!(std::fabs(speed) > 0.0) || !std::isfinite(speed)) return plan;
  const double fieldStart = -columns * pixelSize / 2.0;
  plan.real = true;
  plan.start = start;
  plan.end = end;
  plan.cross = crossing.data[n / 2];
  plan.step = pixelSize / speed;
  plan.t0 = (fieldStart - start) / speed;
  return plan;
}

}  // namespace

void TTestObject::CalcSignal(Mem<float> &raster, int skip) {
  if (skip != 0) return;
  const TScannerParameters *scanner = GetScannerParameters();
  if (GetDetectorParameters() == nullptr || scanner == nullptr || scanner->Prepared == 0) return;
  if (raster.data == nullptr || raster.cols <= 0 || raster.rows <= 0) return;
  const int columns = raster.cols;
  const int rowCount = raster.rows;
  const TTestImage *image = GetTestImage();
  const double pixelSize = image != nullptr ? image->pixelSize : 0.0;
  const TScanPlan plan = PlanScan(*scanner, columns, pixelSize);
  const double fieldStart = -columns * pixelSize / 2.0;

  Mem<float> result;
  if (!result.Allocate(columns, rowCount)) return;
  // A sweep that falls crosses the columns from the last to the first: the detector's lag
  // runs in time, so the filter runs that way too, by the time per pixel |dt|.
  const bool falling = plan.real && plan.step < 0.0;
  TAperiodicalFilter filter(std::fabs(plan.step), scanner->Tau);
  for (int r = 0; r < rowCount; ++r) {
    const float *row = raster.data + static_cast<std::size_t>(r) * columns;
    float *out = result.data + static_cast<std::size_t>(r) * columns;
    filter.Reset(row[falling ? columns - 1 : 0]);
    if (!plan.real) {
      for (int c = 0; c < columns; ++c) out[c] = static_cast<float>(filter.Step(row[c]));
      continue;
    }
    for (int k = 0; k < columns; ++k) {
      const int c = falling ? columns - 1 - k : k;
      const TScanPosition position = scanner->ValueAt(c * plan.step + plan.t0);
      const double along = scanner->Yscanning != 0 ? position.y : position.z;
      const double across = scanner->Yscanning != 0 ? position.z : position.y;
      const int ci = NearestIndex((along - fieldStart) / pixelSize, columns);
      const int ri = NearestIndex(r + (across - plan.cross) / pixelSize, rowCount);
      out[c] = static_cast<float>(
          filter.Step(raster.data[static_cast<std::size_t>(ri) * columns + ci]));
    }
  }
  std::memcpy(raster.data, result.data,
              static_cast<std::size_t>(columns) * rowCount * sizeof(float));
}
