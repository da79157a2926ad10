#pragma once
// Shared set-up of the edited-system tests: the optics test set-up (catalogs, recorded
// message boxes, scratch files), a temporary directory of the test's own and a canvas of
// plain scale.

#include <filesystem>
#include <string>
#include <vector>

#include "document/elements/edit_canvas.h"
#include "document/system/system_image.h"
#include "foundation/testing/approx.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/core/paths.h"

// 10 pixels per mm, the world origin at device (400, 300), y up.
class TScaleCanvas final : public TEditCanvas {
 public:
  POINT WorldToDevice(double x, double y) const override {
    return POINT{static_cast<LONG>(std::lround(400.0 + kPixelsPerMm * x)),
                 static_cast<LONG>(std::lround(300.0 - kPixelsPerMm * y))};
  }
  static constexpr double kPixelsPerMm = 10.0;
};

class EditorTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    previousTemp_ = TempDir();
    std::filesystem::create_directories(Scratch("tmp"));
    SetTempDir(Scratch("tmp"));
  }
  void TearDown() override {
    SetTempDir(previousTemp_);
    SystemTest::TearDown();
  }
  // Loads an example as the editor does after opening it.
  static void Open(TSystemImage &image, const std::string &example) {
    ASSERT_EQ(image.Load(ExamplePath(example), 2), 1) << example;
    image.Update();
  }
  // The global vertex of every surface.
  static std::vector<DPOINT3> Vertices(const TSystemImage &image) {
    std::vector<DPOINT3> vertices;
    for (int i = 0; i < image.SurfaceCount(); ++i) {
      const double *v = image.Surface(i)->general.vertex;
      vertices.emplace_back(v[0], v[1], v[2]);
    }
    return vertices;
  }
  static int Beeps(const TRecordingMessageBoxProvider &boxes) {
    return static_cast<int>(boxes.beeps.size());
  }

 private:
  std::string previousTemp_;
};
