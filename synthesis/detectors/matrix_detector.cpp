#include "synthesis/detectors/matrix_detector.h"

#include <algorithm>
#include <cmath>

#include "imaging/testobject/test_image.h"

namespace {

// The grid of one axis: the gap between elements in whole pixels (rounded), the pitch
// size + gap, as many whole pitches as the field N p holds, centred in it.
TMatrixAxis GridAxis(float size, float &distance, double p, int n) {
  TMatrixAxis axis;
  const float pf = static_cast<float>(p);
  float gap = (distance - size) / pf;
  if (gap < 0.0f) {
    distance = size;
    gap = 0.0f;
  }
  const int gapPixels = WholePixels(static_cast<double>(gap) + 0.5);
  axis.pitch = gapPixels * p + size;
  axis.half = 0.5 * size;
  if (!(axis.pitch > 0.0) || !(p > 0.0)) return axis;
  const double field = n * p;
  axis.count = std::clamp(WholePixels(field / axis.pitch), 0, n);
  axis.first = (field - axis.count * axis.pitch) * 0.5;
  return axis;
}

// The pixel span [from, to) of an element centred at `centre`, clipped to 0 .. n.
void Span(const TMatrixAxis &axis, int k, double p, int n, int &from, int &to) {
  const double centre = axis.first + k * axis.pitch;
  from = std::max(WholePixels((centre - axis.half) / p), 0);
  to = std::min(WholePixels((centre + axis.half) / p), n);
}

}  // namespace

TDetectorMatrixModel::TDetectorMatrixModel() : TArrayDetectorModel(kDetectorMatrixName, "d_matr") {}

TMatrixCorrection TDetectorMatrixModel::TakeSizes(float typedLy, float typedLz, float typedDY0,
                                                  float typedDZ0) {
  TMatrixCorrection correction;
  const float kept[4] = {Ly, Lz, dY0, dZ0};
  TakeTyped(typedLy, typedLz, typedDY0, typedDZ0);
  const TTestImage *image = GetTestImage();
  const float p = image != nullptr ? static_cast<float>(image->pixelSize) : 0.0f;
  RaiseToPixel(p);
  if (dY0 < Ly || dZ0 < Lz) {
    correction.gapRaised = true;
    dY0 = Ly;
    dZ0 = Lz;
  }
  // No factor 0.8 here: a matrix may cover the whole field.
  const float field = image != nullptr ? static_cast<float>(image->pixelCount * image->pixelSize) : 0.0f;
  correction.cut = CutSizes(field);
  // Also a kept size cut to a smaller field makes another array.
  if (Ly != kept[0] || Lz != kept[1] || dY0 != kept[2] || dZ0 != kept[3]) state = kNothingComputed;
  return correction;
}

TMatrixAxis TDetectorMatrixModel::RowAxis(double p, int n) { return GridAxis(Ly, dY0, p, n); }

TMatrixAxis TDetectorMatrixModel::ColumnAxis(double p, int n) { return GridAxis(Lz, dZ0, p, n); }

void TDetectorMatrixModel::CalcSignal(Mem<float> &raster, int mode) {
  ReadParameters();
  const int n = SynthesisPixelCount();
  const TTestImage *image = GetTestImage();
  if (n == 0 || image == nullptr || !(image->pixelSize > 0.0)) return;
  const double p = image->pixelSize;
  Mem<float> integrated;
  if (!PrepareSignal(raster, integrated, mode, n)) return;
  const TMatrixAxis rows = RowAxis(p, n);
  const TMatrixAxis columns = ColumnAxis(p, n);
  for (int kz = 0; kz <= columns.count; ++kz) {
    int c0 = 0, c1 = 0;
    Span(columns, kz, p, n, c0, c1);
    if (c0 >= c1) continue;
    for (int ky = 0; ky <= rows.count; ++ky) {
      int r0 = 0, r1 = 0;
      Span(rows, ky, p, n, r0, r1);
      if (r0 >= r1) continue;
      // A clipped element reads the centre of what is left of it.
      const float value = mode == kArraySignal
                              ? integrated.data[static_cast<std::size_t>((r0 + r1) / 2) * n + (c0 + c1) / 2]
                              : 1.0f;
      for (int r = r0; r < r1; ++r) std::fill(raster.data + static_cast<std::size_t>(r) * n + c0,
                                              raster.data + static_cast<std::size_t>(r) * n + c1, value);
    }
  }
}
