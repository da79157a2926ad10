#include "optics/model/optical_system_information.h"

TOpticalSystemInformation::TOpticalSystemInformation() {
  // A failed allocation has shown its box and leaves the list empty.
  if (AlfaM.Allocate(1, 1)) AlfaM.data[0] = 0.0;
  if (Spectrum.Allocate(1, 1)) Spectrum.data[0] = TSpectralInfo();
  if (Spectrum.data) LambdaW = Spectrum.data[0].lambda;
}

void TOpticalSystemInformation::ClearFirstOrder() {
  focalLength = backFocalDistance = magnification = 0.0;
  entrancePupilDiameter = exitPupilDiameter = 0.0;
  for (int k = 0; k < 3; ++k) entrancePupilPoint[k] = exitPupilPoint[k] = 0.0;
  stopIndex = -1;
}
