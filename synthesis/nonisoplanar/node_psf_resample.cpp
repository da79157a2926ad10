#include "synthesis/nonisoplanar/node_psf_resample.h"

#include <cmath>

#include "synthesis/nonisoplanar/node_psfs.h"

namespace {

// Cells per side of the resampled raster: rounded, at least 1, odd.
int ResampledSide(int side, float ratio) {
  int cells = static_cast<int>(side * ratio + 0.5f);
  if (cells <= 0) cells = 1;
  if (cells % 2 == 0) ++cells;
  return cells;
}

// A position in cells to the cell that holds it (cell c spans c - 0.5 .. c + 0.5).
int CellOf(double position) { return static_cast<int>(std::floor(position + 0.5)); }

// The share of a footprint of `size` cells centred at `centre` that falls in cell `cell`.
double Overlap(double centre, double size, int cell) {
  const double low = std::fmax(centre - 0.5 * size, cell - 0.5);
  const double high = std::fmin(centre + 0.5 * size, cell + 0.5);
  return high > low ? (high - low) / size : 0.0;
}

}  // namespace

std::string ResampledPsfName(const std::string &imgName) {
  const std::size_t slash = imgName.find_last_of("/\\");
  const std::size_t dot = imgName.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? imgName.substr(0, dot) : imgName) + ".imc";
}

int ResamplePsf(const Mem<float> &source, const TFileData &header, double sampleSize,
                double objectPixel, Mem<float> &result, TFileData &resultHeader) {
  const int w = source.cols;
  const int h = source.rows;
  if (source.data == nullptr || w < 1 || h < 1 || !(objectPixel > 0.0) ||
      !std::isfinite(objectPixel) || !std::isfinite(sampleSize))
    return 0;
  const double d = std::fabs(sampleSize);
  const float ratio = static_cast<float>(d / objectPixel);
  // A ratio that would make a raster of more cells than an int counts is refused.
  if (!(ratio * static_cast<float>(w > h ? w : h) < 65536.0f)) return 0;
  const int W = ResampledSide(w, ratio);
  const int H = ResampledSide(h, ratio);
  if (!result.Allocate(W, H)) return 0;
  result.Zero();
  const int oc = header.originColumn;
  const int orow = header.originRow;
  // The new origin cell holds the centre of the old one.
  const int c0 = static_cast<int>(std::floor((oc + 0.5) / w * W));
  const int r0 = static_cast<int>(std::floor((orow + 0.5) / h * H));
  const double r = static_cast<double>(ratio);

  if (d < objectPixel) {
    // Binning: every sample lands in the cell its centre falls in, clamped to the raster.
    for (int c = 0; c < w; ++c) {
      int col = CellOf((c - oc) * r + c0);
      col = col >= W ? W - 1 : (col < 0 ? 0 : col);
      for (int row = 0; row < h; ++row) {
        int target = CellOf((row - orow) * r + r0);
        target = target >= H ? H - 1 : (target < 0 ? 0 : target);
        result.data[target * W + col] += source.data[row * w + c];
      }
    }
  } else {
    // Spreading: a sample's square footprint, r cells on a side about its centre, is
    // shared by the cells it overlaps in proportion to the overlap.
    for (int c = 0; c < w; ++c) {
      const double x = (c - oc) * r + c0;
      const int first = CellOf(x - 0.5 * r);
      const int last = CellOf(x + 0.5 * r);
      if (first >= W || last < 0) continue;
      for (int row = 0; row < h; ++row) {
        const float value = source.data[row * w + c];
        if (value == 0.0f) continue;
        const double y = (row - orow) * r + r0;
        const int top = CellOf(y - 0.5 * r);
        const int bottom = CellOf(y + 0.5 * r);
        if (top >= H || bottom < 0) continue;
        for (int rr = top < 0 ? 0 : top; rr <= (bottom >= H ? H - 1 : bottom); ++rr) {
          const double wy = Overlap(y, r, rr);
          for (int cc = first < 0 ? 0 : first; cc <= (last >= W ? W - 1 : last); ++cc)
            result.data[rr * W + cc] += static_cast<float>(value * wy * Overlap(x, r, cc));
        }
      }
    }
  }

  resultHeader = header;
  resultHeader.handle = nullptr;
  resultHeader.width = W;
  resultHeader.height = H;
  resultHeader.originColumn = c0;
  resultHeader.originRow = r0;
  resultHeader.sampleStep = static_cast<float>(objectPixel);
  int peakColumn = 0, peakRow = 0;
  FindPsfPeak(result.data, W, H, peakColumn, peakRow);
  float largest = 0.0f;
  for (int i = 0; i < W * H; ++i) largest = result.data[i] > largest ? result.data[i] : largest;
  if (largest > 0.0f) {
    resultHeader.peakColumn = peakColumn;
    resultHeader.peakRow = peakRow;
  }
  return 1;
}
