#pragma once
// One configuration of a multi-configuration system: where its elements and its image
// surface stand (the first configuration absolute, the others as offsets from it) and its
// aperture and field settings. Copies never share a list with their source.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

class TConfigurationParameters {
 public:
  TConfigurationParameters() = default;
  TConfigurationParameters(const TConfigurationParameters &other) = default;
  TConfigurationParameters &operator=(const TConfigurationParameters &other) = default;
  ~TConfigurationParameters() = default;

  Mem<DPOINT3> positions;  // one per element
  // The image surface's vertex: the image distance belongs to the configuration as the
  // gaps before it do. An offset record without it keeps the base's image.
  DPOINT3 image;
  int imageStored = 0;
  Mem<double> AlfaM;       // field values
  int Naper = 0;
  int Unit = 0;
  double Dzr = 0.0;
};
