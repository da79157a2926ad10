#pragma once
// The paraxial cardinal points of a coaxial system (every vertex on the x axis, no surface
// tilted), from the system matrix of its refractions and transfers between the first and
// the last surface that are neither object nor image. Mirrors follow from the signed
// indices and spacings: behind a mirror both change sign.

class TOpticalSystem;

struct TCardinalPoints {
  bool valid = false;       // a coaxial system with power
  double power = 0.0;       // 1 / effective focal length
  double focalLength = 0.0; // effective focal length
  double front = 0.0;       // x of the front focal point F
  double back = 0.0;        // x of the rear focal point F'
  double frontPrincipal = 0.0;  // x of H
  double backPrincipal = 0.0;   // x of H'
};

// The system must have been prepared (indices and curvatures set).
TCardinalPoints ComputeCardinalPoints(const TOpticalSystem &system);
