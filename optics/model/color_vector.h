#pragma once
// One colour pixel: sums of light while an image is built, display values after.

struct COLORVECTOR {
  float red;
  float green;
  float blue;
};
