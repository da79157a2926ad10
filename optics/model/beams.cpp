#include "optics/model/beams.h"

TBeamsPar::TBeamsPar(TOpticalSystem *owner) : owner_(owner) {}

TBeamsPar::~TBeamsPar() { Clear(); }

TBeamsPar::TBeamsPar(const TBeamsPar &other)
    : kind(other.kind),
      beams(other.beams),
      flag(other.flag),
      raysPerBeam(other.raysPerBeam),
      owner_(other.owner_) {}

TBeamsPar &TBeamsPar::operator=(const TBeamsPar &other) {
  if (this == &other) return *this;
  kind = other.kind;
  beams = other.beams;
  flag = other.flag;
  raysPerBeam = other.raysPerBeam;
  owner_ = other.owner_;
  return *this;
}

void TBeamsPar::Clear() {
  const int count = beams.cols * beams.rows;
  for (int i = 0; i < count; ++i) beams.data[i].rays.Clear();
  beams.Clear();
}

std::string TBeamsPar::Reset(int count, int newKind) {
  Clear();
  if (count != 0) raysPerBeam = count;
  // The negation of INT_MIN overflows; such a request becomes the largest count instead.
  if (raysPerBeam < 0) raysPerBeam = raysPerBeam == -2147483647 - 1 ? 2147483647 : -raysPerBeam;
  if (newKind >= 0) kind = newKind;
  return std::string();
}
