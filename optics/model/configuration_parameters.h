#pragma once
// One configuration of a multi-configuration system: where its elements stand (the first
// configuration absolute, the others as offsets from it) and its aperture and field
// settings. Copies never share a list with their source.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

class TConfigurationParameters {
 public:
  TConfigurationParameters() = default;
  TConfigurationParameters(const TConfigurationParameters &other) = default;
  TConfigurationParameters &operator=(const TConfigurationParameters &other) = default;
  ~TConfigurationParameters() = default;

  Mem<DPOINT3> positions;  // one per element
  Mem<double> AlfaM;       // field values
  int Naper = 0;
  int Unit = 0;
  double Dzr = 0.0;
};
