#pragma once
// The superposition of the non-isoplanar image: every image cell adds the PSF of its image
// point, weighted by the object's brightness at the object point imaged there and turned
// to that point's azimuth about the axis.

#include <cmath>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

class TTestObject;
class TImageObjectMaps;
class TNodePsfLookup;

// The turn of an object point's PSF, as the cosine and sine the superposition uses. The
// node PSFs are computed at field points (value, 0), whose object points the maps give on
// the positive y side with the sign of the value: the azimuth atan2(z, y) is 0 there (and
// on the axis), so a node's PSF is laid unturned at its own field point.
inline void PsfTurn(double objectZ, double objectY, float &cosine, float &sine) {
  // cos and sin of atan2(z, y) straight from the point, without the angle.
  const double radius = std::hypot(objectZ, objectY);
  if (!(radius > 0.0) || !std::isfinite(radius)) {
    cosine = 1.0f;
    sine = 0.0f;
    return;
  }
  cosine = static_cast<float>(objectY / radius);
  sine = static_cast<float>(objectZ / radius);
}

// A cell position to its index: half away from zero.
inline int RoundCell(float position) {
  return static_cast<int>(position >= 0.0f ? position + 0.5f : position - 0.5f);
}

// Adds value x psf to raster (W x H) with the psf's origin cell on cell (column, row),
// every psf cell (u, w) moved by the turn: offsets du = u - originColumn and dw = w -
// originRow land at column + du c - dw s, row + dw c + du s, rounded; cells that land
// outside the raster are dropped. Zero psf cells are skipped.
inline void AddTurnedPsf(float *raster, int W, int H, int column, int row, float value,
                         const float *psf, int pw, int ph, int originColumn, int originRow,
                         float c, float s) {
  for (int u = 0; u < pw; ++u) {
    const float du = static_cast<float>(u - originColumn);
    const float baseX = static_cast<float>(column) + du * c;
    const float baseY = static_cast<float>(row) + du * s;
    for (int w = 0; w < ph; ++w) {
      const float q = psf[w * pw + u];
      if (q == 0.0f) continue;
      const float dw = static_cast<float>(w - originRow);
      const int col = RoundCell(baseX - dw * s);
      const int r = RoundCell(baseY + dw * c);
      if (col < 0 || col >= W || r < 0 || r >= H) continue;
      raster[r * W + col] += value * q;
    }
  }
}

// Called after each image row with the rows done so far; 0 stops the superposition.
class TRowProgress {
 public:
  virtual ~TRowProgress() = default;
  virtual int RowDone(int rowsDone) = 0;
};

// The image of component k into raster (W x H, zeroed first): cell (j, i) is the image
// point x = (j - centre.x) pitch, y = (centre.y - i) pitch, whose object point comes from
// the maps, its brightness from the object and its PSF from the look-up. rowsDone counts
// on across calls. 1 when every row was formed, 0 when stopped (the raster then partial).
struct TSuperposeWork {
  Mem<float> psf;      // the look-up's blended PSF, reused from cell to cell
  TFileData header;
};
int SuperposeComponent(int k, TTestObject &object, const TImageObjectMaps &maps,
                       TNodePsfLookup &lookup, double pitch, int centreColumn, int centreRow,
                       Mem<float> &raster, TSuperposeWork &work, TRowProgress *progress,
                       int &rowsDone);
