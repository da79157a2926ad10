#include "optimization/parameters/parameter_description.h"

void TParameterDescription::Set(int config, int surf, const STRING &type, double left,
                                double right) {
  Config = config;
  Surf = surf;
  Type = type;
  Left = left;
  Right = right;
}
