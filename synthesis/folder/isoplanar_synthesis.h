#pragma once
// The isoplanar synthesis: one PSF holds for the whole field, so the image of every
// spectral component is the object convolved with the PSF (and with the detector's
// responses when there is a detector). The convolution is linear: the object is dark
// beyond the picture, and light the PSF or the detector carries past one edge is lost
// there, never brought back in at the other (see linear_convolution.h).
//
// Scaling: every cell is multiplied by the cell area g^2: the image's sum is g^2 (sum o)
// (sum p) while the light stays inside, which is the object's sum again for a PSF whose
// cells sum to 1 / g^2 (a PSF of unit integral). A detector's response (1 on its element)
// adds up the image over the element, so a one-cell element leaves the image as it is.
// The synthesis is linear: twice the object, twice the image.
//
// Centring: the PSF and the responses have their centres at cell (N/2, N/2); the image
// keeps the object's place and orientation: a one-cell object at the centre gives back the
// PSF cell for cell.
//
// A traced object (the light source) is the system's image already, with the light the
// apertures pass, the vignetting, the aberrations of its own rays and the diffraction blur
// of the pupil they fill: the system's PSF would count them twice. Its rasters pass as
// they are (through the detector, when there is one), and no PSF is asked for.

#include <cstdint>
#include <string>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"
#include "platform/core/types.h"

class TTestObject;

struct TIsoplanarSettings {
  int pixelCount = 0;         // N, a power of two
  double pixelSize = 0.0;     // g
  int noiseKind = 0;          // 0: no noise
  float noiseLevel = 0.0f;    // noise deviation relative to the image maximum
  std::string directory;      // where the result files "img<k>.img" go
  // The object's rasters are its image through the system (the light source): no PSF.
  bool tracedImage = false;
};

// The participants. detector is null for "None"; signal is the model whose signal
// operation every image passes through (the detector, or the "None" model), may be null.
struct TIsoplanarParticipants {
  TTestObject *object = nullptr;
  TTestObject *psf = nullptr;
  TTestObject *detector = nullptr;
  TTestObject *signal = nullptr;
};

// Runs the synthesis from the transforms on: the object's (0 ends with 0), the PSF's (its
// answer not tested; no PSF record gives the "Not enougn information for PSF!" warning,
// owned by `owner`, and 0), the detector's; then one result file per PSF record into
// `results` (the old table replaced), wavelength and weight taken from the PSF's records.
// A traced object needs no PSF: one result per object record, with its wavelength and
// weight. 1 when every result was written. customObject is set from the object's name.
int SynthesizeIsoplanarImage(const TIsoplanarParticipants &who, const TIsoplanarSettings &settings,
                             HWND owner, Mem<TFileData> &results, std::int32_t &customObject);

// One row of a circular product of spectra: re + i im = O x P (x D when d is given), each
// argument a 2 x n row pair (real parts, then imaginary parts).
void MultiplySpectrumRow(const float *o, const float *p, const float *d, float *re, float *im, int n);

// Moves cell (c, r) of an n x n raster to ((c + n/2) mod n, (r + n/2) mod n).
void RecentreRaster(int n, float *cells);

// The name of result file k in a directory.
std::string IsoplanarResultName(const std::string &directory, int k);

constexpr const char *kNoPsfText = "Not enougn information for PSF!";
// The object name that marks the bitmap object.
constexpr const char *kCustomObjectName = "Custom object";
constexpr const char *kNoDetectorName = "None";
