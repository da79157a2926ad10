#include "optics/pupils/chief_ray_aims.h"

#include "optics/model/optical_system.h"

int TChiefRayAims::IndexOf(double fieldA, double fieldB, double lambda, int stop,
                           int objectFinite) const {
  for (int i = 0; i < count_; ++i) {
    const TEntry &e = entries_[i];
    if (e.fieldA == fieldA && e.fieldB == fieldB && e.lambda == lambda &&
        e.configuration == configuration_ && e.stop == stop && e.objectFinite == objectFinite)
      return i;
  }
  return -1;
}

bool TChiefRayAims::Find(double fieldA, double fieldB, double lambda, int stop, int objectFinite,
                         double &y, double &z) const {
  const int i = IndexOf(fieldA, fieldB, lambda, stop, objectFinite);
  if (i < 0) return false;
  y = entries_[i].y;
  z = entries_[i].z;
  return true;
}

void TChiefRayAims::Keep(double fieldA, double fieldB, double lambda, int stop, int objectFinite,
                         double y, double z) {
  int i = IndexOf(fieldA, fieldB, lambda, stop, objectFinite);
  if (i < 0) {
    if (count_ < kCapacity) {
      i = count_++;
    } else {
      i = oldest_;
      oldest_ = (oldest_ + 1) % kCapacity;
    }
  }
  entries_[i] = TEntry{fieldA, fieldB, lambda, configuration_, stop, objectFinite, y, z};
}

void TChiefRayAims::Forget(double fieldA, double fieldB, double lambda, int stop,
                           int objectFinite) {
  const int i = IndexOf(fieldA, fieldB, lambda, stop, objectFinite);
  // A forgotten beam's entry goes on being looked at, but never matches again.
  if (i >= 0) entries_[i].stop = -1;
}

void TChiefRayAims::Clear() {
  count_ = 0;
  oldest_ = 0;
}
