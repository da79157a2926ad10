#include "optics/model/optical_system_information.h"

TOpticalSystemInformation::TOpticalSystemInformation() {
  // A failed allocation has shown its box and leaves the list empty.
  if (AlfaM.Allocate(1, 1)) AlfaM.data[0] = 0.0;
  if (Spectrum.Allocate(1, 1)) Spectrum.data[0] = TSpectralInfo();
  if (Spectrum.data) LambdaW = Spectrum.data[0].lambda;
}
