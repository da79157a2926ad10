#pragma once
// The detector models made of many equal rectangular elements: the staring matrix and the
// scanned line arrays. Their response raster is one element (the rectangle rule of the
// single-element models), so the synthesis integrates the image over an element; their
// CalcSignal then turns that integrated image into what the array delivers, or draws the
// element layout, which the page's "Map" and "3D Plot" buttons show.
//
// Sizes and distances are in the image plane's unit, that of the pixel size p.

#include "synthesis/detectors/element_detectors.h"

// What CalcSignal makes of its raster.
enum TArraySignalMode : int {
  kArraySignal = 0,  // the integrated image becomes the array's output
  kArrayLayout = 1,  // the raster becomes N x N: 1.0 on the elements, 0.0 elsewhere
};

// Positions are cut to whole pixels (the integer part of position / p). Sizes are float
// fields and their quotients by p miss whole numbers by float roundings, which grow with
// the element index (2048 pixels x 6e-8 relative); a quotient within this many pixels
// below a whole number counts as that number.
constexpr double kPixelIndexTolerance = 1e-3;

// The integer part of value (toward zero) after the tolerance above.
int WholePixels(double value);

class TArrayDetectorModel : public TElementDetectorModel {
 public:
  // All four sizes start at 2 p of the synthesis record (0 without one).
  TArrayDetectorModel(const char *displayName, const char *fileStem);

  double CoveredShare(int columnOffset, int rowOffset, double p) const override;
  std::vector<double> ResponseSizes() const override;
  // "Map": a picture of the element layout (CalcSignal in layout mode), 256 x 256, as the
  // component of the response record.
  void ShowColorImage() override;
  // "3D Plot": the element layout into the record's raster, shown as a 3-D plot.
  void ShowGraph() override;

  float Lz = 0.0f;   // element size along the raster columns
  float Ly = 0.0f;   // element size along the raster rows
  float dY0 = 0.0f;  // centre-to-centre distance along the rows
  float dZ0 = 0.0f;  // centre-to-centre distance along the columns (line arrays: between lines)

 protected:
  // The layout of kArrayLayout, or the signal's work copy: the raster for CalcSignal's
  // mode. Signal mode: S becomes a copy of the n x n raster, which is zeroed; false (both
  // untouched) when the raster is not n x n or the copy cannot be made. Layout mode: the
  // raster becomes n x n zeros; false (it stays empty) when it cannot be allocated.
  static bool PrepareSignal(Mem<float> &raster, Mem<float> &copy, int mode, int n);
  // Each size below the pixel size becomes the pixel size; true when one was raised.
  bool RaiseToPixel(float p);
  // Takes what is a number among the typed values.
  void TakeTyped(float typedLy, float typedLz, float typedDY0, float typedDZ0);
  // Sizes above the limit become 0.99999 x limit; true when one was cut.
  bool CutSizes(float limit);
};
