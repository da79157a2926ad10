#pragma once
// The staring matrix: equal rectangular elements Ly x Lz on a regular grid centred in the
// image field, Ly and Lz apart plus whole-pixel gaps. Its CalcSignal samples the
// integrated image at every element's centre and paints the element's footprint with that
// value, 0 in the gaps: the image as the array delivers it.

#include "synthesis/detectors/array_detectors.h"

constexpr const char *kDetectorMatrixName = "Matrix";

// What TakeSizes did besides taking the values.
struct TMatrixCorrection {
  bool gapRaised = false;  // a centre distance was below its element size: both were made equal
  bool cut = false;        // an element size was above the field and was cut
};

// One axis of the element grid: centres first + k pitch, k = 0 .. count (count + 1
// elements; the outermost reach past the field and are clipped to the raster).
struct TMatrixAxis {
  double first = 0.0;  // from the raster's first column (row), in the image unit
  double pitch = 0.0;
  double half = 0.0;   // half the element size
  int count = 0;
};

class TDetectorMatrixModel : public TArrayDetectorModel {
 public:
  TDetectorMatrixModel();

  // Sizes typed by the user: what is not a number is not taken; each below the pixel size
  // p becomes p; a centre distance below its element size makes both distances equal to
  // the element sizes; element sizes above the field N p are cut to 0.99999 N p. `state`
  // 0 when anything ends up changed.
  TMatrixCorrection TakeSizes(float typedLy, float typedLz, float typedDY0, float typedDZ0);

  // Signal mode: every element takes the integrated image's value at the centre of its
  // (clipped) footprint; the gaps become 0. Layout mode: the raster becomes N x N with 1.0
  // on the elements. The dialog's values are read first. A raster that is not N x N in
  // signal mode stays as it is.
  void CalcSignal(Mem<float> &raster, int mode) override;

  // The grid along the rows (y: Ly, dY0) or the columns (z: Lz, dZ0) for pixel size p and
  // N pixels; a distance below its size is raised to it here too.
  TMatrixAxis RowAxis(double p, int n);
  TMatrixAxis ColumnAxis(double p, int n);
};
