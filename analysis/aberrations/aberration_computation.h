#pragma once
// The aberration curves of the aberrations window: transverse and wave aberrations of
// meridional and sagittal ray fans per beam and wavelength, and distortion against the
// field per wavelength. Computed on an optical system with the trace services, leaving the
// system's pupil records and indices as it found them. Uses optics (starting rays, trace,
// pupils) and the plotted ranges of analysis/ranges; no window code: the window draws the
// curves through the two hooks.

#include "analysis/ranges/plot_range.h"
#include "foundation/containers/mem.h"

class TOpticalSystem;

// The window's view commands, which name the computed quantity.
enum TAberrationView : int {
  kViewTransverse = 103,
  kViewWave = 104,
  kViewDistortion = 106,
};

// Pupil-coordinate and value magnitudes below this are stored as 0 (rounding noise of
// the reference subtraction would otherwise draw as tiny wiggles).
constexpr double kAberrationZero = 1e-10;
// A range narrower than this is widened by it on both sides before plotting.
constexpr double kAberrationMinimumSpan = 1e-5;
// Fans and the distortion field hold at least this many points.
constexpr int kAberrationMinimumPoints = 51;

class TAberrationComputation {
 public:
  virtual ~TAberrationComputation() = default;

  // Computes the chosen view; answers 1, or 0 when there was nothing to compute (no
  // surfaces or wavelengths, or fewer than two distinct beams for distortion, after the
  // "More than one beam should be set." warning).
  int Compute(TOpticalSystem &system);

  // The user's choices.
  int BeamIndex = -1;    // -1: all beams
  int LambdaIndex = 0;   // -1: all wavelengths (never together with BeamIndex = -1)
  int ViewMode = kViewTransverse;
  int ScaleMode = kScaleAuto;

  // Results: one column per curve, one row per point; PointCounts one row of curve sizes.
  Mem<double> FirstValues;   // meridional value; distortion: absolute distortion
  Mem<double> SecondValues;  // sagittal value; distortion: relative distortion (%)
  Mem<double> Abscissae;     // pupil coordinate (mm); distortion: field as shown
  // 1 where the ray reached the image: PassFlags of the pass drawn last (the sagittal fans,
  // or the distortion's chief rays), FirstPassFlags of the meridional fans (or the same).
  Mem<int> PassFlags;
  Mem<int> FirstPassFlags;
  Mem<int> PointCounts;

  // The twelve plotted bounds; empty ranges are (1e20, -1e20).
  double TransMmin = kEmptyRangeMin, TransMmax = kEmptyRangeMax;
  double TransSmin = kEmptyRangeMin, TransSmax = kEmptyRangeMax;
  double WaveMmin = kEmptyRangeMin, WaveMmax = kEmptyRangeMax;
  double WaveSmin = kEmptyRangeMin, WaveSmax = kEmptyRangeMax;
  double DistorMin = kEmptyRangeMin, DistorMax = kEmptyRangeMax;
  double DistorRMin = kEmptyRangeMin, DistorRMax = kEmptyRangeMax;

  // What the last run laid out, for the graphs and the report.
  int curveCount = 0;
  int pointsPerCurve = 0;
  double fanDiameter = 0.0;       // mm in the entrance pupil
  double fieldFirst = 0.0;        // distortion: the first and last field values (system
  double fieldLast = 0.0;         //   units, degrees or object height)
  int wavelengthsComputed = 0;    // wavelengths the curves span (1: one wavelength)
  int beamsComputed = 0;

  // Value of curve c at point i of one result array.
  static double At(const Mem<double> &values, int curve, int point) {
    return values.data[point * values.cols + curve];
  }

 protected:
  // Called after the meridional pass (its ranges settled) and after the sagittal pass, and
  // once after distortion: the window draws its graphs here.
  virtual void MeridionalDone() {}
  virtual void SagittalDone() {}
  virtual void DistortionDone() {}
  // The distortion warning (the window also sets its caption).
  virtual void WarnTooFewBeams();

 private:
  int ComputeFans(TOpticalSystem &system);
  int ComputeDistortion(TOpticalSystem &system);
  int AllocateResults(int curves, int points);
};

// The distortion field of a beam list: the first and last field values the curve runs
// over. Covers every beam: from the smallest to the largest coordinate when all have one
// sign and none is 0, else symmetric about 0 out to the largest magnitude. Answers 0 when
// the beams do not span a field (fewer than two distinct values).
int DistortionFieldRange(const Mem<double> &beams, double &first, double &last);

// Number of fan points for a ray count per beam: 2 floor(n / 2) + 1, at least 51; the
// distortion field takes 2 floor(n / 2), at least 51.
int FanPointCount(int raysPerBeam);
int DistortionPointCount(int raysPerBeam);
