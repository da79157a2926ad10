#pragma once
// Where in the entrance pupil a ray must start to reach a finite image in a given
// direction. The PSF of a finite image is the Fourier transform of the converging wave
// over the direction cosines (M, N) of its rays; the diffraction sampling therefore places
// its pupil samples evenly in those direction cosines, and gives each the amplitude the
// wave has there, so that the PSF's scale and shape hold at any speed, not only where the
// direction grows in proportion to the pupil height.
//
// The map is read from four half-fans of real rays (from the chief ray to the rim towards
// +y, -y, +z and -z): along each, the pupil height as a function of the direction offset
// from the chief ray. A direction offset (ty, tz) of length s takes the pupil point
// (ty Gy(s), tz Gz(s)), with G(s) = h(s) / s from the fan on its side: on the axis of a
// rotationally symmetric system that is the exact ray, and elsewhere the fans' own scale.
// An image at infinity is sampled in its exit pupil, which the paraxial pupils scale
// linearly.

#include <cmath>

#include "optics/model/ray.h"

class TOpticalSystem;
class TOpticalSystemInformation;

// Steps of each half-fan when the map serves a sampling.
constexpr int kPupilFanSteps = 64;

// The step of the pupil grid in the map's direction offsets (exit-pupil mm at infinity)
// that puts the FFT's image nodes the interval in effect apart at the working wavelength:
// lambda / (Nd interval) (psf_interval.cpp).
double PupilGridStep(const TOpticalSystemInformation &info);

// Semi-axes of the pupil from the stop's outer bound: R along y, Rz along z, and the
// bound's type.
void PupilSemiAxes(const TOpticalSystem &system, int &boundType, double &R, double &Rz);

class TPupilDirectionMap {
 public:
  // Traces the chief ray of the field point (whose pupils must be solved) and the four
  // half-fans of `steps` steps each (1 to kPupilFanSteps; 1 traces the rims alone).
  // Apertures do not stop these rays: the map is the geometry of the beam. False when the
  // chief ray does not reach the image.
  bool Build(TOpticalSystem &system, double fieldA, double fieldB, int steps);

  // The real image-space numerical aperture of a finite image: half the widest spread of
  // the rays' direction cosines across the pupil, along y or z; 0 when no fan went past
  // the chief ray.
  double Aperture() const;
  // The largest direction offset any fan reached.
  double Reach() const { return reach_; }

  // The pupil point (y, z) of the ray that leaves with direction offset (ty, tz) from the
  // chief ray (exit-pupil mm for an image at infinity), and the amplitude the converging
  // wave has there relative to its centre: sqrt of the pupil area per unit of
  // direction-cosine area. The wave's obliquity is Obliquity's, once the ray is traced.
  void PupilPoint(double ty, double tz, double &y, double &z, double &amplitude) const;
  // PupilPoint(ty, tz, y[c], z[c], amplitude[c]) bit for bit for the columns of one row of
  // a sampling grid, c = 0 .. 2 half - 1 at tz = (c - half) dt; a column whose offset lies
  // farther than `reach` from the chief ray (ty^2 + tz^2 > reach^2) gets amplitude -1 and no
  // point. Columns at tz and -tz share the offset's length s and, where the same fan serves
  // both sides, their heights: a row costs the fans' pieces once per pair of columns, or
  // once per pair for both axes where one fan serves them all (a centred field of a
  // rotationally symmetric system). The points of a piece of the row are worked out side by
  // side, in vector lanes.
  void PupilRow(double ty, double dt, int half, double reach, double *y, double *z,
                double *amplitude) const;
  // Whether PupilRow gives column half - m the point of column half + m with z negated and
  // the same amplitude, bit for bit: the fans towards +z and -z answer alike (or the image
  // lies at infinity, where the map is linear).
  bool ColumnsMirrored() const { return linear_ || usable_[kMinusZ] == usable_[kPlusZ]; }
  // The same for rows at ty and -ty, y negated: the fans towards +y and -y answer alike.
  bool RowsMirrored() const { return linear_ || usable_[kMinusY] == usable_[kPlusY]; }
  // sqrt(|L of the chief ray| / |L|) for a finite image: the Debye integral over direction
  // cosines weighs each ray by 1 / sqrt(cos) of its angle to the image normal; 1 at
  // infinity.
  double Obliquity(const TCurrentRay &ray) const {
    if (linear_ || ray.L == 0.0) return 1.0;
    return std::sqrt(std::fabs(chiefL_ / ray.L));
  }

 // Two neighbouring knots of a fan: the piece of the height between them.
  struct TKnots {
    double sigmaLow, sigmaHigh, heightLow, heightHigh, slopeLow, slopeHigh;
  };

 private:
  struct THalfFan {
    double sigma[kPupilFanSteps + 1];   // direction offset from the chief ray, rising
    double height[kPupilFanSteps + 1];  // pupil height
    double slope[kPupilFanSteps + 1];   // d height / d sigma
    int knots = 0;                      // at least 2 for a usable fan
  };
  enum { kPlusY = 0, kMinusY = 1, kPlusZ = 2, kMinusZ = 3, kFans = 4 };

  void ReadFan(int f, const TCurrentRay *rays, const int *results, int steps, double radius);
  // Height and its slope at offset s on fan f (or its partner, then the other axis, when
  // it has no knots). With `rising`, s is no smaller than at the last call that passed the
  // same counter for the same fan (0 at first), whose knot the search starts from.
  void HeightAt(int f, double s, double &h, double &slope, int *rising = nullptr) const;
  // HeightAt's search: true with the knots of the piece that holds s, else false with h and
  // slope set (no usable fan, or s at or beyond the rim).
  bool Piece(int f, double s, int *rising, TKnots &piece, double &h, double &slope) const;
  // HeightAt(f, s[k], h[k], slope[k], &knot) for k below count (at most a row's chunk, with
  // s rising): the pieces found one by one, their heights worked out side by side.
  void HeightsAlong(int f, int count, const double *s, int &knot, double *h,
                    double *slope) const;
  int Usable(int f) const;
  // The lowest fan whose knots are those of fan f to the last bit (f itself when none is):
  // fans that answer alike for every offset, so a row evaluates them once.
  int FirstAlike(int f) const;

  THalfFan fans_[kFans];
  // Usable of each fan, once the fans are read, taken to the first fan alike: sides with
  // the same entry get the same heights at every offset.
  int usable_[kFans] = {-1, -1, -1, -1};
  TCurrentRay rays_[kFans * kPupilFanSteps];
  int results_[kFans * kPupilFanSteps] = {};
  bool linear_ = false;       // an image at infinity: y = linearScale_ t
  double linearScale_ = 1.0;
  double chiefL_ = 1.0;
  double chiefM_ = 0.0, chiefN_ = 0.0;
  double centreArea_ = 1.0;   // Gy(0) Gz(0): the amplitude's reference
  double reach_ = 0.0;
};
