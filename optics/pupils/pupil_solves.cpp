#include "optics/pupils/pupil_solves.h"

#include "optics/model/optical_system.h"

namespace {

// The pupils a solve leaves, from the system's information to a kept solve or back.
template <class From, class To>
void CopyPupils(const From &from, To &to) {
  to.stopIndex = from.stopIndex;
  to.entrancePupilDiameter = from.entrancePupilDiameter;
  to.exitPupilDiameter = from.exitPupilDiameter;
  for (int k = 0; k < 3; ++k) {
    to.entrancePupilPoint[k] = from.entrancePupilPoint[k];
    to.exitPupilPoint[k] = from.exitPupilPoint[k];
  }
}

}  // namespace

bool TPupilSolves::FindImages(TStopImages &images) const {
  if (!imagesKept_) return false;
  images = images_;
  return true;
}

void TPupilSolves::KeepImages(const TStopImages &images) {
  images_ = images;
  imagesKept_ = true;
}

bool TPupilSolves::FindSolve(double fieldA, double fieldB, TOpticalSystemInformation &info) const {
  for (int i = 0; i < count_; ++i) {
    const TSolve &solve = solves_[i];
    if (solve.fieldA != fieldA || solve.fieldB != fieldB) continue;
    CopyPupils(solve, info);
    return true;
  }
  return false;
}

void TPupilSolves::KeepSolve(double fieldA, double fieldB, const TOpticalSystemInformation &info) {
  if (count_ >= kCapacity) return;
  TSolve &solve = solves_[count_++];
  solve.fieldA = fieldA;
  solve.fieldB = fieldB;
  CopyPupils(info, solve);
}
