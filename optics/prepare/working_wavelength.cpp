#include "optics/prepare/working_wavelength.h"

#include "optics/model/optical_system.h"

TWorkingWavelength::TWorkingWavelength(TOpticalSystem &system, TWavelengthRestore restore, int warn)
    : system_(system), restore_(restore), warn_(warn), lambda_(system.info.LambdaW) {}

void TWorkingWavelength::KeepNodeCount() {
  nodes_ = system_.info.Nd;
  keepNodes_ = true;
}

void TWorkingWavelength::Restore() {
  if (restored_) return;
  restored_ = true;
  TOpticalSystemInformation &info = system_.info;
  if (keepNodes_) info.Nd = nodes_;
  const bool prepare = restore_ == TWavelengthRestore::kPrepare ||
                       (restore_ == TWavelengthRestore::kPrepareWhenChanged && info.LambdaW != lambda_);
  // Written before the preparation: preparing at 0 would keep the last wavelength.
  info.LambdaW = lambda_;
  constexpr int kFullPreparation = 1;
  if (prepare) system_.Prepare(lambda_, kFullPreparation, warn_);
}
