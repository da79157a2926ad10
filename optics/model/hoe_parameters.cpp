#include "optics/model/hoe_parameters.h"

double THOEParameters::Phase(double r) const {
  const int count = Vh.cols * Vh.rows;
  if (count <= 0 || Vh.data == nullptr || Mhxy == 0.0) return 0.0;
  const double ratio = r / Mhxy;
  const double t = ratio * ratio;
  double sum = Vh.data[count - 1];
  for (int k = count - 2; k >= 0; --k) sum = sum * t + Vh.data[k];
  return sum * t;
}
