#pragma once
// Shared set-up of the edited-system tests: the optics test set-up (catalogs, recorded
// message boxes, scratch files), a temporary directory of the test's own and a canvas of
// plain scale.

#include <cmath>
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
  // f and back focus of surfaces first..last alone from a y-nu trace of a ray parallel to
  // the axis, n'u' = nu - y (n' - n) c and y += t u'; reversed, the light enters at `last`.
  static void ParaxialOf(const TSystemImage &s, int first, int last, bool reversed, double &f, double &backFocus) {
    double y = 1.0, nu = 0.0, u = 0.0;
    for (int k = 0; k <= last - first; ++k) {
      const int i = reversed ? last - k : first + k;
      const TGeneralParameters &g = s.Surface(i)->general;
      const double c = (g.R != 0.0 ? 1.0 / g.R : 0.0) * (reversed ? -1.0 : 1.0);
      const double before = std::fabs(reversed ? g.nAfter : g.nBefore);
      const double after = std::fabs(reversed ? g.nBefore : g.nAfter);
      nu -= y * (after - before) * c;
      u = nu / after;
      if (k < last - first) {
        const double *a = g.vertex, *b = s.Surface(reversed ? i - 1 : i + 1)->general.vertex;
        y += std::hypot(b[0] - a[0], b[1] - a[1]) * u;
      }
    }
    f = -1.0 / u;
    backFocus = -y / u;
  }
  static int Beeps(const TRecordingMessageBoxProvider &boxes) {
    return static_cast<int>(boxes.beeps.size());
  }

 private:
  std::string previousTemp_;
};
