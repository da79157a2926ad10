#pragma once
// The diffraction blur of a traced image: the image the rays of a light source form is
// blurred by the Airy pattern of the pupil its own bundle fills. The bundle's aperture is
// measured from the traced rays (no nominal pupil), per wavelength; the blur is a linear
// convolution: light the pattern spreads past the raster's edge leaves the raster and is
// counted as lost, it never comes back on the far side.

#include "foundation/containers/mem.h"

// The transfer function of the aberration-free diffraction of a round pupil at a spatial
// frequency, the cutoff above 0: (2/pi)(acos s - s sqrt(1 - s^2)), s = frequency / cutoff,
// and 0 from s = 1 on. No cutoff (0 or less): 1.
double RoundPupilMtf(double frequency, double cutoff);

// Weighted moments of a traced bundle, gathered ray by ray without allocation: for each
// ray the start point's transverse position (y, z) and, across the bundle, the quantity
// the pupil spreads (the image-side direction cosines for an image at a finite distance,
// the heights in the last space for one at infinity). The spread that the start point
// does not explain (the residual of a straight-line fit on it, per axis) is the pupil's.
class TBundleMoments {
 public:
  void Add(double weight, double startY, double startZ, double spreadY, double spreadZ);
  // The radius of the round, evenly filled pupil with that residual spread: a uniform disc
  // of radius R has the variance R^2 / 4 along each axis, so R^2 = 2 (var y + var z).
  // 0 for no rays.
  double PupilRadius() const;

 private:
  struct TAxis {
    double s = 0.0, ss = 0.0, q = 0.0, qq = 0.0, sq = 0.0;
  };
  static double Residual(const TAxis &axis, double weight);
  double weight_ = 0.0;
  TAxis y_, z_;
};

// The cutoff frequency of the blur: 2 NA / lambda (cycles per mm) for an image at a finite
// distance (pupilRadius the NA), D / lambda (cycles per mrad) at infinity (pupilRadius
// D / 2 in mm). 0 when either is missing.
double DiffractionCutoff(int imageFinite, double pupilRadius, double wavelengthUm);

// The pattern of unit light at distance r from its centre (per unit area of the raster's
// unit): pi c^2 / 4 (2 J1(v) / v)^2, v = pi c r; 0 without a cutoff.
double AiryIntensity(double r, double cutoff);
// The same averaged over its rings where they are many (v of 25 and more), 1 / (pi^3 c r^3):
// a grid of cells wider than a ring sums it without the rings' aliasing.
double AiryRingMean(double r, double cutoff);
// The radius beyond which AiryRingMean is that smooth 1 / r^3; 0 with no cutoff.
double AiryRingMeanSmoothFrom(double cutoff);

// The radius of the Airy pattern's first dark ring, 1.22 / cutoff (the raster's unit);
// 0 with no cutoff.
double AiryRadius(double cutoff);

// The share of the pattern's light the blur may leave out: its reach is where the light
// beyond holds no more than this.
constexpr double kBlurLeftOut = 1e-3;
// A pattern of this reach or less is summed cell by cell, without a transform.
constexpr int kDirectBlurReach = 4;

// The cells the blur of that cutoff reaches on each side of an n x n picture of cells
// `pixel`: as far as the pattern holds more than kBlurLeftOut of its light outside (its
// light beyond radius r is about 2 / (pi^2 c r)), at most n / 2 (a grid of 2 n cells, as
// a picture alone takes); 0 without a cutoff. The rays land on the picture and this
// surround, whence the blur brings their light in.
int BlurReach(int n, double pixel, double cutoff);

// The share of the pattern's light beyond `reach` cells, which the blur leaves out: at most
// that beyond the circle of that radius, J0(v)^2 + J1(v)^2 with v = pi c reach pixel; 0
// without a cutoff.
double BlurLeftOut(int reach, double pixel, double cutoff);

// The grids the blur of an n x n picture with a surround of `reach` cells works on, taken
// before the rays are traced so that a run memory cannot hold stops before it starts.
class TBlurWork {
 public:
  // false (the box shown) when memory runs out.
  bool Reserve(int n, int reach);
  int n = 0, reach = 0, side = 0;  // the grid of the convolution, 0 for a direct sum
  Mem<float> re, im, picture;
};

// The square raster of cell `pixel`, an n x n picture in its middle and `work.reach` cells
// round it, blurred by the Airy pattern of that cutoff out to that reach (a linear
// convolution: nothing comes round the grid) and cut to the picture: the light the
// pattern brings in from the surround is the picture's, what it spreads past the picture's
// edges is not. Answers the share of the raster's light the picture holds (1 with no
// surround and no cutoff or an empty raster), or a negative value when the raster does not
// match the work's grids.
double BlurByRoundPupil(Mem<float> &raster, double pixel, double cutoff, TBlurWork &work);

// The same for a raster with any surround (its side less n, halved), the pattern reaching
// every cell of the raster from every cell of the picture; the grids are taken here
// (negative answer when memory runs out).
double BlurByRoundPupil(Mem<float> &raster, int n, double pixel, double cutoff);
