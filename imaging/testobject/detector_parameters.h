#pragma once
// The shared detector record: the chosen detector model and its noise. One instance for
// the whole program, made and deleted by the detector page; the synthesis reads it.

#include <cstdint>

// Index of a detector model in the type list; kept in settings files as "DetectorList".
enum TDetectorType : std::int32_t {
  kDetectorNone = 0,
  kDetectorRound = 1,
  kDetectorRectangle = 2,
  kDetectorMatrix = 3,
  kDetectorSingleLine = 4,
  kDetectorDoubleLine = 5,
  kDetectorOpticalTransformer = 6,
  kDetectorMatrixTransformer = 7,
};

// Noise kinds of the noise page.
enum TDetectorNoise : std::int32_t { kNoiseNone = 0, kNoiseWhite = 1 };

struct TDetectorParameters {
  std::int32_t detectorType = kDetectorNone;
  std::int32_t noiseKind = kNoiseNone;
  float noiseLevel = 0.0f;  // noise-to-signal ratio
};

// The program's one detector record; null while no detector page exists. Not owned here:
// the page that makes it deletes it and sets null again.
TDetectorParameters *GetDetectorParameters();
void SetDetectorParameters(TDetectorParameters *parameters);
