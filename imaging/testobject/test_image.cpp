#include "imaging/testobject/test_image.h"

#include "imaging/color/color_image.h"

namespace {
TTestImage *testImage = nullptr;
}  // namespace

TTestImage::~TTestImage() { delete colorImage; }

int TTestImage::NextCascade() {
  const int current = cascade >= 0 && cascade < kCascadeSteps ? cascade : 0;
  cascade = current + 1 < kCascadeSteps ? current + 1 : 0;
  return current;
}

TTestImage *GetTestImage() { return testImage; }

void SetTestImage(TTestImage *image) { testImage = image; }
