#include "synthesis/detectors/line_detectors.h"

#include <algorithm>
#include <cstring>

#include "imaging/testobject/test_image.h"

namespace {

// The lines' elements run this many pitches past each raster border, so that clipped ones
// are drawn too.
constexpr int kElementsPastBorders = 4;
// Layout edges: where an element faces a neighbour it is drawn at half value; where the
// raster clips it or nothing faces it, at full value.
constexpr float kFacingEdge = 0.5f;
constexpr float kFullEdge = 1.0f;

// A size in whole pixels, rounded.
int RoundedPixels(float size, double p) { return WholePixels(size / p + 0.5); }

}  // namespace

TDetectorSlideModel::TDetectorSlideModel() : TDetectorSlideModel(false) {}

TDetectorSlideModel::TDetectorSlideModel(bool singleLine)
    : TArrayDetectorModel(singleLine ? kDetectorSingleLineName : kDetectorDoubleLineName,
                          singleLine ? "d_sline" : "d_slide"),
      singleLine_(singleLine) {
  if (singleLine_) dZ0 = 0.0f;
}

bool TDetectorSlideModel::TakeSizes(float typedLy, float typedLz, float typedDY0, float typedDZ0) {
  if (singleLine_) typedDZ0 = dZ0 = 0.0f;
  const float kept[4] = {Ly, Lz, dY0, dZ0};
  TakeTyped(typedLy, typedLz, typedDY0, typedDZ0);
  const TTestImage *image = GetTestImage();
  RaiseToPixel(image != nullptr ? static_cast<float>(image->pixelSize) : 0.0f);
  if (singleLine_) dZ0 = 0.0f;
  const bool cut = CutSizes(SizeLimit());
  // Also a kept size cut to a smaller field makes another array.
  if (Ly != kept[0] || Lz != kept[1] || dY0 != kept[2] || dZ0 != kept[3]) state = kNothingComputed;
  return cut;
}

void TDetectorSlideModel::CalcSignal(Mem<float> &raster, int mode) {
  ReadParameters();
  const int n = SynthesisPixelCount();
  const TTestImage *image = GetTestImage();
  if (n == 0 || image == nullptr || !(image->pixelSize > 0.0)) return;
  const double p = image->pixelSize;
  if (mode == kArraySignal) {
    if (raster.data == nullptr || raster.cols != n || raster.rows != n) return;
    // The scan along the rows comes first: the elements read the scanned rows.
    TTestObject::CalcSignal(raster, 0);
  }
  Mem<float> scanned;
  if (!PrepareSignal(raster, scanned, mode, n)) return;
  // Sizes in whole pixels; a distance below one pixel (no record when made) is one.
  const int stepRows = std::max(RoundedPixels(dY0, p), 1);
  const int lineColumns = RoundedPixels(LineDistance(), p);
  const int elementRows = RoundedPixels(Ly, p);
  const int elementColumns = RoundedPixels(Lz, p);
  const int halfLine = lineColumns / 2;
  const int halfRows = elementRows / 2;
  const int halfColumns = elementColumns / 2;
  const int centre = n / 2;
  const int count = n / stepRows + kElementsPastBorders;
  const int last = n - 1;
  for (int k = -count / 2; k < count / 2; ++k) {
    const bool even = k % 2 == 0;
    // Even elements stand in the line right of the centre, odd ones in the line left of it.
    int x0 = (even ? centre + halfLine : centre - halfLine) - halfColumns;
    int x1 = x0 + elementColumns;
    if (x1 < 0 || x0 > last) continue;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, last);
    const int rowCentre = centre + k * stepRows;
    int y0 = rowCentre - halfRows;
    int y1 = y0 + elementRows;
    const float topEdge = y0 < 0 ? kFullEdge : kFacingEdge;
    y0 = std::max(y0, 0);
    if (y0 > last) continue;
    const bool clippedBelow = y1 > last;
    const float bottomEdge = clippedBelow ? kFullEdge : kFacingEdge;
    y1 = std::min(y1, last);
    if (y1 < 0) continue;
    if (mode != kArraySignal) {
      for (int y = y0; y <= y1; ++y)
        std::fill(raster.data + static_cast<std::size_t>(y) * n + x0,
                  raster.data + static_cast<std::size_t>(y) * n + x1 + 1, 1.0f);
      if (elementRows <= 2 * stepRows)
        for (int x = x0; x <= x1; ++x) {
          raster.data[static_cast<std::size_t>(y0) * n + x] = topEdge;
          raster.data[static_cast<std::size_t>(y1) * n + x] = bottomEdge;
        }
      if (elementColumns <= lineColumns) {
        // The edge that faces the other line is drawn at half value.
        const float left = even ? kFacingEdge : kFullEdge;
        const float right = even ? kFullEdge : kFacingEdge;
        for (int y = y0; y <= y1; ++y) {
          raster.data[static_cast<std::size_t>(y) * n + x0] = left;
          raster.data[static_cast<std::size_t>(y) * n + x1] = right;
        }
      }
      continue;
    }
    if (rowCentre < 0 || rowCentre > last) continue;
    // The element's rows [y0, y0 + elementRows), clipped: one cut by the raster's last row
    // still delivers that row.
    const int end = clippedBelow ? n : y1;
    const float *source = scanned.data + static_cast<std::size_t>(rowCentre) * n;
    for (int y = y0; y < end; ++y)
      std::memcpy(raster.data + static_cast<std::size_t>(y) * n, source, sizeof(float) * n);
  }
}
