#include "optics/pupils/pupil_solves.h"

#include "optics/model/optical_system.h"

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
    info.stopIndex = solve.stop;
    info.entrancePupilDiameter = solve.entranceDiameter;
    info.exitPupilDiameter = solve.exitDiameter;
    for (int k = 0; k < 3; ++k) {
      info.entrancePupilPoint[k] = solve.entrancePoint[k];
      info.exitPupilPoint[k] = solve.exitPoint[k];
    }
    return true;
  }
  return false;
}

void TPupilSolves::KeepSolve(double fieldA, double fieldB, const TOpticalSystemInformation &info) {
  if (count_ >= kCapacity) return;
  TSolve &solve = solves_[count_++];
  solve.fieldA = fieldA;
  solve.fieldB = fieldB;
  solve.stop = info.stopIndex;
  solve.entranceDiameter = info.entrancePupilDiameter;
  solve.exitDiameter = info.exitPupilDiameter;
  for (int k = 0; k < 3; ++k) {
    solve.entrancePoint[k] = info.entrancePupilPoint[k];
    solve.exitPoint[k] = info.exitPupilPoint[k];
  }
}
