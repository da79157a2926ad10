#include "optimization/merit/functions_parameters.h"

TFunctionsParameters::TFunctionsParameters() {
  // New cells of a Mem of records are zero, so allocating is all the zeroing needed.
  Focus.Allocate(1);
  Magnification.Allocate(1);
  Sfs.Allocate(1);
  LengthOfSystem.Allocate(1);
  Distor.Allocate(1);
  Strehl.Allocate(1);
  AberT.Allocate(1, kMinRaysInBeam);
  AberTSag.Allocate(1, kMinRaysInBeam);
  AberW.Allocate(1, kMinRaysInBeam);
  AberWSag.Allocate(1, kMinRaysInBeam);
}
