#pragma once
// What one PSF sampling reports about its rays.

struct TPSFSampleInfo {
  int count = 0;                 // rays attempted; -1 when the user cancelled
  int traced = 0;                // of them traced: fewer where mirror images were filled in
  double transmissionSum = 0.0;  // over the rays that passed
  double smallestPathDifference = 1000.0;
  double largestPathDifference = -1000.0;
  // This sampling's own chief ray at the image (y, z as the PSF centre is given): the
  // diffraction sampling's grid is centred on it until it is moved to the stored centre.
  double chiefY = 0.0, chiefZ = 0.0;
  // Transmission of the rays binned beyond the grid (geometric sampling).
  double transmissionBeyondGrid = 0.0;
};

// Count of a sampling the user cancelled.
constexpr int kPsfCancelled = -1;
