// A copy made with Assign is the same system: it saves the same file, byte for byte, and
// draws its fans with the same number of rays.

#include <vector>

#include "document/system/tests/editor_test_support.h"

namespace {

constexpr COLORREF kRay = 0xFF0000;

// Counts the polylines drawn in the ray colour: one per ray of every fan.
class TRayCountingCanvas final : public TEditCanvas {
 public:
  POINT WorldToDevice(double x, double y) const override {
    return POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(-y))};
  }
  void DrawWorldPolyline(const DPOINT *, int count, COLORREF color) override {
    if (color == kRay && count > 1) ++rays;
  }
  int rays = 0;
};

int DrawnRays(TSystemImage &image) {
  TRayCountingCanvas canvas;
  image.Draw(&canvas, 0xFFFFFF, 0xFFFFFF, kRay, 1);
  return canvas.rays;
}

using SystemImageAssignTest = EditorTest;

TEST_F(SystemImageAssignTest, ACopySavesTheOriginalsFileByteForByte) {
  // Every example: plain lenses, mirrors, a prism, a lens array, a light pipe, aspherics.
  const std::vector<std::string> examples = {
      "achromat.os",         "cooke_triplet.os", "double_gauss.os",    "fold_mirror.os",
      "germanium_ir_lens.os", "infrared_scanner.os", "lens_array.os", "light_pipe.os",
      "parabolic_mirror.os", "prism.os",         "singlet.os",         "spherical_mirror.os"};
  for (const std::string &example : examples) {
    SCOPED_TRACE(example);
    TSystemImage original;
    Open(original, example);
    // Settings a file carries that no example sets, and the pupil taken from the stop.
    original.info.Nray = 9;
    original.beams.Reset(original.info.Nray, 1);
    original.info.DrawAllRays = 1;
    original.info.Dentr = 0.0;
    original.info.Temperature = 31.5;
    original.info.Pressure = 700.0;
    original.Update();
    // A second configuration, current while the copies are made: the first element moved
    // by offsets without a short decimal form, another image shift.
    original.StoreConfiguration(-1);
    original.InsertConfiguration(0);
    ASSERT_GT(original.ElementCount(), 0);
    TOpticalElement &element = original.elements.data[0];
    element.MoveTo(element.referencePoint.x + 0.1, element.referencePoint.y + 1.0 / 3.0,
                   element.referencePoint.z);
    original.Dzr = -0.7;
    original.StoreConfiguration(-1);
    ASSERT_EQ(original.currentConfiguration, 1);
    const std::string first = Scratch("original.os");
    ASSERT_EQ(original.Save(first), 1);

    TSystemImage copy;
    copy.Assign(original, 1);
    const std::string second = Scratch("copy.os");
    ASSERT_EQ(copy.Save(second), 1);
    EXPECT_EQ(ReadText(second), ReadText(first));

    // Loaded back, the copy's file saves the same again.
    TSystemImage loaded;
    ASSERT_EQ(loaded.Load(second, 2), 1);
    loaded.Update();
    const std::string third = Scratch("loaded.os");
    ASSERT_EQ(loaded.Save(third), 1);
    EXPECT_EQ(ReadText(third), ReadText(first));
  }
}

TEST_F(SystemImageAssignTest, ACopyDrawsItsFansWithTheOriginalsRaysPerFan) {
  TSystemImage original;
  Open(original, "singlet.os");  // 21 rays per fan, one field point
  ASSERT_EQ(original.beams.raysPerBeam, 21);
  // The beam animation's setting differs from the file's: a copy keeps the one in force.
  original.beams.Reset(13, 1);
  const int drawn = DrawnRays(original);
  EXPECT_EQ(drawn, 13);

  // The editor's working copies, a second copy made from a copy, and the clipboard.
  TSystemImage copy;
  copy.Assign(original, 1);
  EXPECT_EQ(copy.beams.raysPerBeam, 13);
  EXPECT_EQ(copy.beams.kind, original.beams.kind);
  EXPECT_EQ(copy.beams.GetOwner(), &copy);
  EXPECT_EQ(DrawnRays(copy), drawn);
  TSystemImage again;
  again.Assign(copy, 0);
  again.Update();
  EXPECT_EQ(DrawnRays(again), drawn);

  original.elements.data[0].mark = 1;
  TSystemImage clipboard;
  original.CopySelection(clipboard, nullptr);
  EXPECT_EQ(clipboard.beams.raysPerBeam, 13);
  EXPECT_EQ(DrawnRays(clipboard), drawn);
  // The original keeps its own: the copies took a value, not a link.
  copy.beams.Reset(3, 1);
  EXPECT_EQ(DrawnRays(original), drawn);
}

}  // namespace
