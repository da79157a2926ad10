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

// The radius of the Airy pattern's first dark ring, 1.22 / cutoff (the raster's unit);
// 0 with no cutoff.
double AiryRadius(double cutoff);

// The cells on each side of an n x n picture whose light the blur brings into it: a traced
// raster of n + 2 x 1.5 n = 4 n cells with the picture in its middle is the grid of its
// linear convolution as it is, the pattern taken to 1.5 n cells along each axis.
inline int BlurSurround(int n) { return 3 * n / 2; }

// The square raster of cell `pixel`, an n x n picture in its middle and the same surround
// on every side, convolved with the Airy pattern of that cutoff as a linear convolution, and
// cut to the picture: the light the pattern brings in from the surround is the picture's,
// what it spreads past the picture's edges is not. Answers the share of the raster's light
// the picture holds (1 with no surround and no cutoff or an empty raster), or a negative
// value when memory runs out (the raster then is not to be used).
double BlurByRoundPupil(Mem<float> &raster, int n, double pixel, double cutoff);
