#include "imaging/testobject/detector_parameters.h"

namespace {
TDetectorParameters *detectorParameters = nullptr;
}  // namespace

TDetectorParameters *GetDetectorParameters() { return detectorParameters; }

void SetDetectorParameters(TDetectorParameters *parameters) { detectorParameters = parameters; }
