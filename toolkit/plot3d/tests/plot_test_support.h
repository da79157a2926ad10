#pragma once
// Grids shared by the plot tests.

#include <cmath>
#include <vector>

namespace plot_test {

// A Gaussian of width sigma about (cx, cy) on a cols x rows grid, value (i, j) at
// [j * cols + i].
inline std::vector<float> Gaussian(int cols, int rows, double cx, double cy, double sigma) {
  std::vector<float> grid(static_cast<std::size_t>(cols) * rows);
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) {
      const double r2 = (i - cx) * (i - cx) + (j - cy) * (j - cy);
      grid[static_cast<std::size_t>(j) * cols + i] = static_cast<float>(std::exp(-r2 / (2 * sigma * sigma)));
    }
  return grid;
}

}  // namespace plot_test
