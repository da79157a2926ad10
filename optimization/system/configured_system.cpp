#include "optimization/system/configured_system.h"

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"

int TConfiguredSystem::PrepareAndUpdatePupils(double fieldY, double fieldZ) {
  TOpticalSystem &system = System();
  if (system.SurfaceCount() < 2) return -1;
  const int prepared = system.Prepare(0.0, 1, 0);
  if (prepared < 0) return prepared;
  // The preparation solved the first field; another field point needs its own solve.
  MarkModelChanged();
  return system.UpdatePupils(fieldY, fieldZ);
}
