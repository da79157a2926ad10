#pragma once
// The numbers the PSF and MTF window takes from PSF rasters: the sum of the wavelengths'
// rasters, the MTF of a raster, and the energy concentration in squares about the peak
// with its summed-area table. Square float rasters, row-major, n x n. Uses foundation's
// FFT; no window code.

#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/psf/psf_nodes.h"

// One wavelength's raster as the sum sees it: its wavelength (micrometres), its weight,
// and a way to read its n x n pixels (from a raster file, usually).
struct TWavelengthRaster {
  double lambda = 0.0;
  double weight = 1.0;
  // Fills `pixels` (n x n); answers 1, or 0 when the raster cannot be read.
  int (*read)(void *context, int index, float *pixels) = nullptr;
  void *context = nullptr;
  int index = 0;
};

// The weighted integral of the rasters over wavelength divided by the integral of the
// weights (trapezoids between neighbouring wavelengths, taken in ascending order): one
// raster is copied; rasters whose wavelengths span nothing (all equal) are averaged by
// their weights instead, and equal weights of 0 by a plain mean. `sum` becomes n x n.
// Answers 1, or 0 when a raster could not be read or memory ran out (sum then cleared).
int SumOverWavelengths(const TWavelengthRaster *rasters, int count, int n, Mem<float> &sum);

// The MTF of a PSF raster in place: forward 2-D FFT, modulus, divided by the value at zero
// frequency (by 1 when that is 0), halves swapped so frequency 0 lies at (n/2, n/2).
// `imaginary` is a work raster of n x n. Answers 1, or 0 when n is not a power of two.
int MtfFromPsf(int n, float *raster, float *imaginary);

// The largest pixel (x column, y row, z value; the first of equal maxima; (0, 0, 0) for a
// raster with nothing above 0) and the summed-area table C(r, c) = sum of rows 0..r and
// columns 0..c, in double so that a large raster's small blocks keep their digits.
DPOINT3 FindPeakAndCumulate(int n, const float *raster, Mem<double> &cumulative);

// The energy share of squares about the best centre: entry k holds the centre (column,
// row) and the share of the (2k + 1) x (2k + 1) block of pixels centred there (clipped at
// the raster's edges), k = 0 .. n/2 - 1; entry 0 is the peak pixel alone. The centre
// starts at the peak and moves to a neighbour while that catches more. Answers 0 and
// leaves the curve as it was when the raster holds no energy (after the "Not enough
// information" warning).
int ComputeEnergyConcentration(int n, const Mem<double> &cumulative, const DPOINT3 &peak,
                               Mem<DPOINT3> &curve);

// The energy share of a square of side `size` from the curve, whose entry k stands for
// the side (2k + 1) pixel: linear between entries, 0 below one pixel, the last entry
// beyond the curve.
double EnergyAtSize(const Mem<DPOINT3> &curve, double size, double pixel);

// A value of an MTF section at frequency index t (in frequency steps from the centre):
// the response to a frequency along the given image direction (on the grid's axis, as the
// PSF nodes name it), linear between pixels; answers 0 for t outside 0 .. n/2 - 1.
double MtfSectionValue(int n, const float *mtf, double t, TPsfGridAxis direction);

// A direction in the image (unit, y and z components) along which an MTF section runs.
struct TSectionDirection {
  double y = 1.0, z = 0.0;
};
// The tangential direction of the object point (Y, X) (in the plane of the axis and the
// chief ray: along (Y, X) in the image's y and z) and the sagittal one across it; along y
// and z for the axial point.
void MtfSectionDirections(double Y, double X, TSectionDirection &tangential, TSectionDirection &sagittal);
// MtfSectionValue along any image direction: the raster read between its four nearest
// pixels; 0 for t outside 0 .. n/2 - 1. Along y or z it is the value on the grid's axis.
double MtfSectionValue(int n, const float *mtf, double t, const TSectionDirection &direction);

// One section of the MTF read from the PSF itself at any frequency: the n x n PSF (rows down
// the image's y, columns along z, as the node grid runs) projected once onto the section's
// direction, and at each frequency asked the modulus of that line's direct transform over
// its total. Between the grid's frequencies this is the response itself, not a line drawn
// between the neighbouring grid values. Along y or z the line holds one bin per pixel and
// the transform is the 2-D one exactly; along any other direction a pixel's light is shared
// between the two nearest of kObliqueBinsPerPixel bins per pixel (within 3e-4 of the 2-D
// transform up to the grid's highest frequency).
class TMtfSection {
 public:
  static constexpr int kObliqueBinsPerPixel = 64;
  // Answers 1, or 0 (the section then reads 0) for no PSF or memory that ran out.
  int Project(int n, const float *psf, const TSectionDirection &direction);
  // The response at frequency index t (in steps 1 / (n pixel)); 0 for t outside
  // 0 .. n/2 - 1 and for a PSF without light. Allocates nothing.
  double Value(double t) const;

 private:
  int n_ = 0;
  int binsPerPixel_ = 1;
  double total_ = 0.0;
  std::vector<double> line_;
};

// A report table's column count from its exact value: a step far too small for the range
// would make a table of millions of columns; it is held to what a report can carry.
constexpr int kMaximumReportColumns = 500;
int ReportColumns(double exactCount);
