#pragma once
// The beams of a drawn system: one TRaysPar per field point, each holding its rays.

#include <string>

#include "foundation/containers/mem.h"
#include "optics/model/ray.h"

class TOpticalSystem;

// The rays of one beam.
class TRaysPar {
 public:
  double startX = 0.0;  // x and y of the beam's chief-ray start point (set by the fan builder)
  double startY = 0.0;
  double spare = 0.0;
  Mem<TCurrentRay> rays;
};

// The beams of one system; the owner is the system the rays were traced through.
class TBeamsPar {
 public:
  explicit TBeamsPar(TOpticalSystem *owner = nullptr);
  ~TBeamsPar();
  TBeamsPar(const TBeamsPar &other);
  TBeamsPar &operator=(const TBeamsPar &other);

  void SetOwner(TOpticalSystem *owner) { owner_ = owner; }
  TOpticalSystem *GetOwner() const { return owner_; }

  // Drops every beam and every ray.
  void Clear();
  // Clears the beams; a non-zero count sets the rays per beam (always kept positive) and a
  // kind of 0 or more is stored. The answer is always an empty text.
  std::string Reset(int count, int kind);

  int kind = 0;
  Mem<TRaysPar> beams;
  int flag = 1;
  int raysPerBeam = 5;

 private:
  TOpticalSystem *owner_;
};
