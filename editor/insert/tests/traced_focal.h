#pragma once
// The focal length of an inserted lens as a real ray finds it, for the insertion tests.

#include <gtest/gtest.h>

#include <cmath>

#include "document/system/system_image.h"

// The focal length of surfaces k, k + 1 from a real ray 0.01 mm off their axis.
inline double TracedFocal(const TSystemImage &image, int k) {
  const TSurface *a = image.Surface(k);
  const double t = a->general.angles[2];
  const double axis[2] = {std::cos(t), std::sin(t)};
  const double across[2] = {-axis[1], axis[0]};
  const double h = 0.01;
  TCurrentRay ray(a->general.vertex[0] - 5.0 * axis[0] + h * across[0],
                  a->general.vertex[1] - 5.0 * axis[1] + h * across[1], 0.0);
  ray.L = axis[0];
  ray.M = axis[1];
  ray.N = 0.0;
  EXPECT_EQ(image.Surface(k)->Trace(ray), 1);
  EXPECT_EQ(image.Surface(k + 1)->Trace(ray), 1);
  return -h / (ray.L * across[0] + ray.M * across[1]);
}
