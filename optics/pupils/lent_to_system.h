#pragma once
// A record lent to a system's solves (the chief-ray aims, the pupil solves) for as long as
// the lending object lives: the system's member points at the record, and takes back the
// value it had when the loan ends.

#include "optics/model/optical_system.h"

template <class T, T *TOpticalSystem::*Member>
class TLentToSystem {
 public:
  TLentToSystem(TOpticalSystem &system, T &record) : system_(system), previous_(system.*Member) {
    system.*Member = &record;
  }
  ~TLentToSystem() { system_.*Member = previous_; }
  TLentToSystem(const TLentToSystem &) = delete;
  TLentToSystem &operator=(const TLentToSystem &) = delete;

 private:
  TOpticalSystem &system_;
  T *previous_;
};
