#pragma once
// Where a traced ray lands in the image, the one rule every analysis, the PSF, the merit
// function and the synthesis read: its height for an image at a finite distance, its angle
// for an image at infinity.

#include <cmath>

constexpr double kMilliradiansPerRadian = 1000.0;

// The angle in radians of a ray against the image's axis, in the plane of one transverse
// direction cosine (M meridional, N sagittal; L along the axis). The axis points the way the
// light leaves: after an odd number of mirrors L is negative, and a mirror turns the light
// without turning its transverse directions, so the angle is taken against |L|; the folded
// system then gives the angle of the same system unfolded (atan2(M, L) would give nearly
// pi, atan(M / L) the opposite sign). L = 0 is the caller's to exclude.
inline double ImageAngle(double transverseCosine, double L) {
  return std::atan(transverseCosine / std::fabs(L));
}

// The image coordinate of a ray's end in its last surface's frame: the position (y or z, mm)
// when imageFinite is set, else ImageAngle in milliradians.
inline double ImageCoordinate(int imageFinite, double position, double transverseCosine, double L) {
  return imageFinite != 0 ? position : ImageAngle(transverseCosine, L) * kMilliradiansPerRadian;
}
