#pragma once
// A test object whose Calculate writes given rasters, and a fixture that installs the
// shared synthesis record with a chosen pixel count and size.

#include <string>
#include <vector>

#include "imaging/rasters/raster_records.h"
#include "imaging/rasters/tests/raster_test_support.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"

// Calculate writes one n x n raster file per entry of `values` (cell (c, r) = values[k](c,
// r)) with the matching wavelength, and names a spectrum file for each; it can be told to
// fail.
class TRasterObject final : public TTestObject {
 public:
  using Cells = std::vector<float>;
  TRasterObject(SynthesisTest &test, int n) : TTestObject(nullptr), test_(test), n_(n) {
    name = "Raster";
  }
  int Calculate() override {
    ++calculations;
    if (fail) return 0;
    const int count = static_cast<int>(values.size());
    rasterFiles.Allocate(count, 1);
    frameFiles.Allocate(frameCount > 0 ? frameCount : count, 1);
    for (int k = 0; k < count; ++k) {
      const float wavelength = k < static_cast<int>(wavelengths.size()) ? wavelengths[k] : 0.0f;
      rasterFiles.data[k] = test_.WriteRaster(stem + std::to_string(k) + ".img", side(k), side(k),
                                              values[k], wavelength);
    }
    for (int k = 0; k < RecordCount(frameFiles); ++k)
      frameFiles.data[k].fileName = test_.Scratch(stem + std::to_string(k) + ".spc");
    return 1;
  }
  int side(int k) const { return k == oddSized ? n_ / 2 : n_; }

  std::vector<Cells> values;
  std::vector<float> wavelengths;
  int frameCount = 0;  // 0: one spectrum file per raster
  int oddSized = -1;   // a raster written at half size
  bool fail = false;
  int calculations = 0;
  std::string stem = "obj";  // the files' names before their index

 private:
  SynthesisTest &test_;
  int n_;
};

class TestObjectTest : public SynthesisTest {
 protected:
  void SetUp() override {
    SynthesisTest::SetUp();
    SetTestImage(&image);
    image.folderWindow = reinterpret_cast<HWND>(0x77);
  }
  void TearDown() override {
    SetTestImage(nullptr);
    SynthesisTest::TearDown();
  }
  void UsePixels(int n, double pixelSize) {
    image.pixelCount = n;
    image.pixelSize = pixelSize;
  }
  TTestImage image;
};
