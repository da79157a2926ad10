#pragma once
// The spot diagram's numbers: starting rays on rings of equal area in the entrance pupil,
// their image points per beam and wavelength relative to the ray through the pupil
// centre, and the common, symmetric plot ranges kept in the spot settings. Uses optics
// (starting rays, the batch trace) and analysis/ranges; the spot window draws the result.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

class TBeamsPar;
class TOpticalSystem;

// The spot settings the editor keeps and files in its "[Spot]" section.
struct TSpotSettingsRecord {
  int fieldSize = 150;    // side of one plot cell, pixels ("Field")
  int rayNumber = 1000;   // requested rays per beam ("Nray")
  int scaleMode = 0;      // 0 Auto, 1 Keep, 2 Fixed ("Scale")
  int position[2] = {1, 1};
  int bkColor[3] = {0, 0, 0};
  double Mmin = 1e20, Mmax = -1e20;  // meridional offsets
  double Smin = 1e20, Smax = -1e20;  // sagittal offsets
};

// The most rays per beam a spot diagram traces: beyond it a request is cut to it (the
// settings dialog refuses it with its message), so the rays' memory stays bounded.
constexpr int kMaxSpotRayNumber = 100000;

// Rays per beam for a request (1 .. kMaxSpotRayNumber): rounded up to a square, side x side.
int SpotRaySide(int requested);

// Fills beams with one beam per field value of the system and, per beam, side^2 starting
// rays on rings of equal area: ring 0 is the ray through the pupil centre, ring k >= 1
// holds 2k + 1 rays at radius (k + 0.5) R / side. Answers the ray count per beam (the
// request rounded up), 0 when there are no beams or no memory.
int FillPupilRays(TOpticalSystem &system, TBeamsPar &beams, int requested);

// One beam's image points: (sagittal offset, meridional offset, colour fraction).
using TSpotPoints = Mem<DPOINT3>;

class TSpotComputation {
 public:
  // Traces every beam at every wavelength and collects the points; widens and settles the
  // settings' ranges by its scale mode. Answers the number of points collected.
  int Compute(TOpticalSystem &system, TSpotSettingsRecord &settings);

  Mem<TSpotPoints> beams;      // one point list per beam
  Mem<double> beamFields;      // the beam's field value as shown (x 60 in minutes)
  int raysPerBeam = 0;
  int wavelengths = 0;
  bool angular = false;        // offsets in milliradians (image at infinity)
  // The plotted windows, both of the same width: sagittal across, meridional up.
  double plotSmin = -0.5, plotSmax = 0.5;
  double plotMmin = -0.5, plotMmax = 0.5;
  double meridionalSpan = 0.0; // the scale bar's label
};

// The colour fraction of wavelength w of W: 0.83 alone, else (w + 1) / W.
double SpotColorFraction(int w, int W);
