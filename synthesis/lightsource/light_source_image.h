#pragma once
// The light source as a test object, without windows: the image the optical system forms of
// the source (its rays traced through the system: the test object's raster), and the source
// as it looks along the axis (the ideal image, at the scale the image has).
//
// A cell holds the share of the source's emission at the wavelength that falls on it, over
// the cell's area: the raster's sum times the cell area is the share of the emission that
// reaches the raster. Every drawn ray stands for its spectral weight of emission (the source
// points are drawn by their share of the emission); what it carries into the system is that
// times the weight of its direction (TLightSource::RayWeight).

#include <vector>

#include "foundation/containers/mem.h"
#include "synthesis/lightsource/diffraction_blur.h"

class TLightSource;
class TOpticalSystem;
class TProgressGauge;

// n x n cells of side `pixel` (the image's mm, or mrad for an image at infinity), the
// centre cell (n/2, n/2) on the axis, rows growing downwards: the picture. Rays land also on
// `margin` cells round it on every side (the raster is Side() cells wide, the picture in
// its middle), whence a blur brings their light into the picture.
struct TSourceRaster {
  int n = 0;
  double pixel = 0.0;
  int margin = 0;
  int Side() const { return n + 2 * margin; }
};

// The progress of one computation over all its components: the gauge moves to every count
// and, every 500, the text "<label>. Times: elapsed- mm:ss, estimated- mm:ss" shows the
// time taken and the time the whole is expected to take.
class TSourceRunClock {
 public:
  TSourceRunClock(TProgressGauge *gauge, const char *label, double total);
  // The count within the present component, to which the components done add `base`;
  // false when the user pressed Escape: the computation is to stop.
  bool Step(double count);
  void SetBase(double base) { base_ = base; }

 private:
  TProgressGauge *gauge_;
  double base_ = 0.0;
  const char *label_;
  double total_;
  unsigned long start_;
};

// The light of rays that pass the system but land beyond the raster and its surround,
// gathered on a coarse grid of bins round the axis (each bin keeps its light and the light's
// centre), whence the blur's far rings bring a share of it into the picture. Taken before
// any ray is traced: gathering allocates nothing.
class TFarLight {
 public:
  // side x side bins over [-half, half] on both axes; false when memory runs out.
  bool Reserve(int side, double half);
  // Adds a ray's light at (y, z); false when it lies beyond the bins.
  bool Add(double y, double z, double weight);
  // Every bin's light times factor.
  void Scale(double factor);
  // Adds to the n x n picture of cell `pixel` (centre cell n/2, n/2 on the axis, y up the
  // rows) what the pattern of that cutoff, averaged over its rings (AiryRingMean), brings
  // from every bin's light at the bin's centre of light, within 0.6 % of each cell's sum;
  // answers the light added (the cells' sum).
  double BringInto(Mem<float> &picture, int n, double pixel, double cutoff) const;

 private:
  int side_ = 0;
  double half_ = 0.0;
  std::vector<double> light_, y_, z_;  // per bin: light, light x y, light x z
};

// Bins per side of the far grid.
constexpr int kFarLightBins = 32;

// What one traced component drew and where it went.
struct TSourceImageTally {
  long drawn = 0;          // rays drawn from the source
  long passed = 0;         // rays that passed every surface
  long landed = 0;         // of those, rays that fell on the picture
  double emitted = 0.0;    // the drawn rays' spectral weights: the emission they stand for
  double carried = 0.0;    // the drawn rays' full weights: what they carry into the system
  double passing = 0.0;    // of that, what passed the system
  double landing = 0.0;    // and what fell on the raster (the picture and its surround)
  double far = 0.0;        // and what fell beyond it on the far grid, when one was given
  // The farthest a passed ray met the image plane from the axis along y or z (the image's
  // unit): the half-side of the field that holds the whole traced image.
  double reach = 0.0;
  // The passed rays' start points against their image-side directions (their heights in
  // the last space for an image at infinity): the pupil the bundle really fills.
  TBundleMoments bundle;
};

enum class TSourceImageResult {
  kDone,     // the raster holds the image
  kStopped,  // Escape: the raster is not to be used
  kNoRay,    // no ray reached the raster within the draws allowed
};

// The prepared source's rays narrowed to the aperture of the system's first surface, as an
// image through the system traces them.
void AimAtFirstAperture(TLightSource &source, const TOpticalSystem &system);

// The image through the system at one wavelength (whose indices the caller has set): rays
// of the prepared source are traced from surface 1 on (the source lies before it, in the
// object plane's space); each that passes and meets the raster adds its weight to its
// cell, until `rays` have landed on the picture or `maxDraws` rays were drawn. kNoRay when
// none met the raster, kStopped as well when memory for it runs out (the box has told it).
// The cells are then times spectralShare, the wavelength's share of the source's spectrum
// (SpectralShares).
// With a far grid, rays beyond the raster land on it (scaled as the cells), and kNoRay
// means that no ray passed the system.
TSourceImageResult TraceSourceImage(TLightSource &source, TOpticalSystem &system, double wavelength,
                                    int rays, long maxDraws, const TSourceRaster &grid,
                                    TSourceRunClock *clock, Mem<float> &raster, TSourceImageTally &tally,
                                    double spectralShare = 1.0, TFarLight *far = nullptr);

// What the blur of one traced component did.
struct TSourceBlur {
  double cutoff = 0.0;   // the cutoff of the pupil the component's bundle filled
  int reach = 0;         // the cells the pattern reaches round the picture: its surround
  double landed = 0.0;   // the light on the raster before the blur (its cells' sum)
  double kept = 1.0;     // the share of that the picture holds after it
  double leftOut = 0.0;  // the share of the pattern's light beyond its reach (BlurLeftOut)
  double broughtIn = 0.0;  // the light the far rings brought into the picture (the cells' sum)
  double passed = 0.0;     // the light the system passed, in the cells' measure
};

// Rays drawn first to find the pupil a bundle fills, whence its blur's reach.
constexpr int kBlurProbeRays = 4000;

// One wavelength's picture, blurred: kBlurProbeRays rays find the pupil the bundle fills,
// whence the blur's cutoff and reach (BlurReach), and how far the image reaches, whence a
// far grid round the raster that holds it; the grids of the raster and of the blur
// are taken before any ray is traced (kStopped, the box shown, when memory runs out); then
// TraceSourceImage on the picture's n and pixel with that surround, and the blur cuts the
// raster to the n x n picture, and the far rings bring in their share of the light beyond
// the surround: rays that pass the system always reach the picture by the pattern, however
// little. kStopped also when the blur fails; kNoRay when no ray passed.
TSourceImageResult TraceBlurredSourceImage(TLightSource &source, TOpticalSystem &system, double wavelength,
                                           int rays, long maxDraws, const TSourceRaster &picture,
                                           TSourceRunClock *clock, Mem<float> &raster, TSourceImageTally &tally,
                                           TSourceBlur &blur, double spectralShare = 1.0);

// Each wavelength's share of the prepared source's emitted spectrum: its emission over the
// emission averaged over the wavelengths with their weights (sum w e / sum w), so that a
// source of the same emission at every wavelength has the share 1 at each, and the image
// averaged over wavelength with those weights holds the source's light once. `count`
// wavelengths and weights in, shares out; 1 each when the source emits at none of them.
void SpectralShares(const TLightSource &source, const double *wavelengths, const double *weights, int count,
                    double *shares);

// The image's scale for the source: the system's lateral magnification, or for an image at
// infinity the angle (mrad) the chief ray leaves at per mm of object height, traced; 1 when
// neither can be had.
double SourceImageScale(TOpticalSystem &system);

// The source along the axis: `draws` points (the visible side of a solid source, weighted
// by the cosine n.x of its triangles' normals, or points of the zones), each placed at its
// (y, z) less the centre of the source's box, times `magnification` (the image's scale and
// orientation; 1 shows the source as it is), on the raster. Cells as above.
TSourceImageResult IdealSourceImage(TLightSource &source, double wavelength, int draws,
                                    double magnification, const TSourceRaster &grid,
                                    TSourceRunClock *clock, Mem<float> &raster, double spectralShare = 1.0);

// The light of one spectral component of a traced image, in one measure (the cells' sum):
// what its picture holds, and what the system passed at that wavelength, of which the
// picture lacks the rays that missed it and what the blur spread past its edges.
struct TPictureLight {
  double wavelength = 0.0;
  double weight = 0.0;
  double inPicture = 0.0;
  double passed = 0.0;
};

// Of the light the system passes, averaged over wavelength as the picture is (trapezoids
// over the sorted wavelengths with their weights, or the weights alone when all share one
// wavelength), the share that falls outside the picture; 0 when nothing passed.
double ShareOutsidePicture(std::vector<TPictureLight> components);
