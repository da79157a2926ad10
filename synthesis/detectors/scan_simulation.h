#pragma once
// The scanning simulation without windows: the chief ray's track on the image while the
// lens animation moves the system, the one monotonic sweep of it that becomes the scan,
// and the saved places that put the system back afterwards.
//
// The track is in the unit of the raster's pixels: mm on the image surface for an image at
// a finite distance, the chief ray's angles in mrad for an image at infinity, so that the
// sweep can be held against the image-side size of the object.

#include <vector>

#include "foundation/containers/points.h"
#include "imaging/testobject/scanner_parameters.h"

class TOpticalSystem;
class TScanAnimation;
class TSystemImage;

// Where the chief ray of the field point (fieldY, fieldZ) meets the image: y and z in the
// last surface's frame (mm), or, for an image at infinity, its angles (mrad) by the one
// image-coordinate rule (ImageCoordinate). False when the ray does not pass.
bool ChiefRayImagePoint(TOpticalSystem &system, double fieldY, double fieldZ, bool imageAtInfinity,
                        TScanPosition &point);

// The sweep of a track of n samples: its longest monotonic run of the scanned coordinate,
// rising or falling (the fly-back of a saw-tooth is the short run), from the first of equal
// values at its start to the first of equal values at its end. A run may wrap round the
// period: to sample n - 2 (sample n - 1 closes the period and repeats sample 0), then on
// from 0. Of runs as long, the one of larger range.
struct TScanSweep {
  int first = 0;   // index of the sweep's first sample
  int last = 0;    // index of its last sample
  int length = 0;  // samples in the sweep
  double range = 0.0;  // |scanned[last] - scanned[first]|
};
TScanSweep FindScanSweep(const double *scanned, int n);

// The tracks replaced by the sweep's samples in its order. False, the tracks unchanged,
// when memory runs out or the sweep does not fit them.
bool TakeScanSweep(TScannerParameters &scanner, const TScanSweep &sweep);

// The surfaces' vertices and tilts and the elements' reference points, saved before the
// animation moves the system and put back after it: the system is as it was, its undo ring
// and its modified mark untouched.
class TSystemPlacements {
 public:
  void Save(const TSystemImage &system);
  // The saved places back (a system whose surfaces or elements changed in number takes
  // what fits) and the system prepared again.
  void Restore(TSystemImage &system) const;

 private:
  struct TPlace {
    double vertex[3];
    double angles[3];
  };
  std::vector<TPlace> surfaces_;
  std::vector<DPOINT3> references_;
  int modified_ = 0;
};

// Told while the track is recorded.
class TScanTrackObserver {
 public:
  virtual ~TScanTrackObserver() = default;
  // Samples 0 .. i of the tracks are recorded; low and high are the scanned coordinate's
  // extremes so far.
  virtual void SampleRecorded(const TScannerParameters &scanner, int i, double low, double high) = 0;
  // The animation has made its next step.
  virtual void Stepped() {}
};

enum class TScanTrackResult {
  kRecorded,     // the sweep is in the tracks
  kNoAnimation,  // nothing moved the system (no animation, or one without steps)
  kRayLost,      // the chief ray did not pass at one step (lostStep)
  kNoMemory,     // the tracks could not be made ("Not enough memory" was shown)
};

struct TScanTrackRequest {
  double fieldY = 0.0;  // the field point as MakeRay takes it
  double fieldZ = 0.0;
  bool imageAtInfinity = false;
};

// Runs the animation over one cycle, steps + 1 samples spanning one scan period
// (TimeStep = ScanTime / steps, ScanTime = 1 / Frequence, 1 s when Frequence is not
// positive), records the chief ray at each, puts the system back and keeps the sweep;
// ScanTime becomes the sweep's duration (length - 1) x TimeStep and sweep.range its range
// (0 for a sweep of one sample). Prepared and RealMovement are left to the caller.
TScanTrackResult RecordScanTrack(TSystemImage &system, TScanAnimation &animation,
                                 const TScanTrackRequest &request, TScannerParameters &scanner,
                                 TScanTrackObserver *observer, TScanSweep &sweep, int &lostStep);
