#pragma once
// One variable parameter of the optimization: what it is ("R", "T", "A<k>", "H<k>"), on
// which surface and configuration, its bounds and current value.

#include "foundation/containers/string_class.h"

class TParameterDescription {
 public:
  TParameterDescription() = default;
  TParameterDescription(const TParameterDescription &) = default;
  TParameterDescription &operator=(const TParameterDescription &) = default;
  ~TParameterDescription() = default;

  // Sets everything but Value.
  void Set(int config, int surf, const STRING &type, double left, double right);

  STRING Type;
  double Left = 0.0;
  double Right = 0.0;
  double Value = 0.0;
  int Surf = -1;  // index in the system's surface list; -1 for none
  int Config = 0;
};
