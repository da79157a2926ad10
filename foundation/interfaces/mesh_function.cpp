#include "foundation/interfaces/mesh_function.h"

int EvaluateMeshGrid(TMeshPointFunction function, void *context, int uSteps, int vSteps,
                     DPOINT3 *nodes) {
  if (function == nullptr || nodes == nullptr || uSteps < 1 || vSteps < 1) return 0;
  for (int j = 0; j <= vSteps; ++j) {
    // Divided rather than stepped, so the last node lands on 1 exactly.
    const double v = static_cast<double>(j) / vSteps;
    for (int i = 0; i <= uSteps; ++i) {
      const double u = static_cast<double>(i) / uSteps;
      nodes[j * (uSteps + 1) + i] = function(u, v, context);
    }
  }
  return 1;
}
