#pragma once
// The shared scanner record: how the image moves across a scanning detector. Linear motion
// crosses the field at constant speed in ScanTime; real motion follows the chief-ray track
// that the scanner page records from the lens animation (one monotonic sweep of it).

#include <cstdint>

#include "foundation/containers/mem.h"

class TGraph;

// A point of the track: the image-surface Y and Z of the chief ray.
struct TScanPosition {
  double y = 0.0;
  double z = 0.0;
};

class TScannerParameters {
 public:
  // The track position at time t (s), linear between samples TimeStep apart: before the
  // first sample the first two are extrapolated back to t > -TimeStep and the first sample
  // holds below that; past the last sample the last one holds. An empty track answers
  // (0, 0); a track without a positive TimeStep answers its first sample.
  TScanPosition ValueAt(double t) const;
  // Samples in the tracks: the shorter of the two tables, 0 when either is empty.
  int TrackLength() const;

  float Frequence = 0.0f;   // Hz; one scan period lasts 1 / Frequence
  float Field = 0.0f;       // the scan range shown on the page, mm
  float Tau = 0.0f;         // relaxation time of the detector, s
  double ScanTime = 1.0;    // T: the time the scan takes to cross the field, s
  double TimeStep = 0.0;    // time between two samples of the tracks, s
  std::int32_t Yscanning = 1;     // 1: the scan runs along Y; 0: along Z
  Mem<double> TrackY;             // chief-ray Y on the image surface, one sample a column
  Mem<double> TrackZ;             // chief-ray Z, same shape
  std::int32_t RealMovement = 0;  // 1: follow the tracks; 0: linear motion
  std::int32_t Prepared = 0;      // 1 once a scan was prepared; before that no scan runs
  TGraph *TrackWindow = nullptr;  // the "Track of chief ray" window; its page deletes it
};

// The program's one scanner record; null while no scanner page exists. Not owned here.
TScannerParameters *GetScannerParameters();
void SetScannerParameters(TScannerParameters *parameters);
