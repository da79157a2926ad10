// The records of the add operations: their layout, the boxes from hand sags, whole numbers
// truncated and chamfers kept, and the hand-over of each record to its painter.

#include "foundation/numerics/pi.h"
#include "viewer3d/scene/scene_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/testing/approx.h"
#include "viewer3d/scene/element_painter.h"
#include "viewer3d/scene/tests/recording_canvas.h"

namespace {

// Records hold floats: a float's relative rounding.
constexpr double kFloat = 1e-6;

TElementPlacement At(double x, double y, double z) {
  TElementPlacement p;
  p.angles = DANGLE3(0.1, 0.2, 0.3);
  p.position = DPOINT3(x, y, z);
  return p;
}

TEST(SceneRecords, LayoutAndBoxesFollowTheKinds) {
  TRoundFace a, b;
  a.R = -30, a.D = 20, a.F = 1.5, a.kind = 1;
  b.R = 40, b.D = 16, b.kind = 2;
  const TSceneRecord round = RoundElementRecord(At(1, 2, 3), a, b, 8.0);
  ASSERT_EQ(round.size(), 28u);
  EXPECT_EQ(RecordKind(round), 10000);
  EXPECT_APPROX(round[2], 0.2, kFloat);
  EXPECT_APPROX(round[6], 3.0, kFloat);
  EXPECT_APPROX(round[13], -30.0, kFloat);
  EXPECT_APPROX(round[19], 1.0, kFloat);
  EXPECT_APPROX(round[27], 8.0, kFloat);
  DPOINT3 low, high;
  RecordBox(round, low, high);
  // Radius D/2 + F; front at the concave face's rim sag 30 - sqrt(800); back at L plus the
  // convex face's sag 40 - sqrt(1536).
  EXPECT_APPROX(high.x, 11.5, kFloat);
  EXPECT_APPROX(low.y, -11.5, kFloat);
  EXPECT_APPROX(low.z, -(30.0 - std::sqrt(800.0)), kFloat);
  EXPECT_APPROX(high.z, 8.0 + 40.0 - std::sqrt(1536.0), kFloat);
  // A convex front face starts the box at its vertex.
  a.R = 30;
  RecordBox(RoundElementRecord(At(0, 0, 0), a, b, 8.0), low, high);
  EXPECT_APPROX(low.z, 0.0, kFloat);

  const TSceneRecord rect = RectElementRecord(At(0, 0, 0), TRectFace{50, 6, 8}, TRectFace{0, 6, 8}, 4);
  EXPECT_EQ(rect.size(), 30u);
  RecordBox(rect, low, high);
  EXPECT_APPROX(high.x, 5.0, kFloat);  // half the diagonal of 6 x 8
  EXPECT_EQ(LensRecord(At(0, 0, 0), TLensShape{40, -60, 20, 6, 0.5}).size(), 18u);
  EXPECT_EQ(RoundMirrorRecord(At(0, 0, 0), TRoundMirrorShape{-80, 20, 4, 0, 0}).size(), 18u);
  EXPECT_EQ(RectPlateRecord(At(0, 0, 0), TRectSlab{10, 8, 4, 1, 0.5}).size(), 18u);
  EXPECT_EQ(SplitterCubeRecord(At(0, 0, 0), TRectSlab{10, 8, 4, 1}).size(), 17u);
  // The rectangular mirror's back lies at T + e.
  RecordBox(RectMirrorRecord(At(0, 0, 0), TRectSlab{10, 8, 4, 1, 0.5}), low, high);
  EXPECT_APPROX(high.z, 4.5, kFloat);
  // The prism of sides 3 and 4 at a right angle.
  const TSceneRecord prism = PrismRecord(At(0, 0, 0), TPrismShape{3, 4, 10, kPi / 2}, 7, -2, 9);
  EXPECT_EQ(prism.size(), 20u);
  RecordBox(prism, low, high);
  EXPECT_APPROX(low.y, -1.8, kFloat);
  EXPECT_APPROX(high.y, 3.2, kFloat);
  EXPECT_APPROX(high.z, 2.4, kFloat);
  EXPECT_APPROX(low.x, -5.0, kFloat);
  // Rays: count, colour, points.
  const TSceneRecord ray = RayRecord({DPOINT3(1, 2, 3), DPOINT3(4, 5, 6)}, 12);
  EXPECT_EQ(ray.size(), 8u);
  EXPECT_EQ(RayPointCount(ray), 2);
  EXPECT_EQ(RayColor(ray), 12);
  EXPECT_APPROX(RayPoint(ray, 1).y, 5.0, kFloat);
  // A ray claiming more points than it holds has none.
  TSceneRecord cut = ray;
  cut.pop_back();
  EXPECT_EQ(RayPointCount(cut), 0);
}

TEST(SceneRecords, WholeNumbersTruncateAndChamfersStayLengths) {
  EXPECT_EQ(RecordInt(1.9f), 1);
  EXPECT_EQ(RecordInt(-1.5f), -1);
  EXPECT_EQ(RecordInt(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(RecordInt(3e9f), 0);
  TRecordingCanvas canvas;
  TLensShape lens;
  ASSERT_TRUE(ReadLens(LensRecord(At(0, 0, 0), TLensShape{40, -60, 20, 6, 0.5}), lens));
  EXPECT_APPROX(lens.b, 0.5, kFloat);
  TRectSlab plate;
  ASSERT_TRUE(ReadRectSlab(RectPlateRecord(At(0, 0, 0), TRectSlab{10, 8, 4, 0.5, 0.25}), plate));
  EXPECT_APPROX(plate.c, 0.5, kFloat);
  EXPECT_APPROX(plate.e, 0.25, kFloat);
  // A face kind of 1.7 reaches the painter as 1: a glass-mirror pair.
  TRoundFace a, b;
  a.R = 40, a.D = 20;
  b.R = -60, b.D = 20, b.kind = 1;
  TSceneRecord round = RoundElementRecord(At(0, 0, 0), a, b, 6);
  round[26] = 1.7f;
  EXPECT_EQ(PaintElementRecord(round, canvas, 2), kRecordPainted);
  ASSERT_GE(canvas.mesh.pieces.size(), 2u);
  EXPECT_EQ(canvas.mesh.pieces[1].firstRamp, 1);  // the mirror side in the mount colours
}

TEST(SceneRecords, EachKindReachesItsPainter) {
  TRecordingCanvas canvas;
  const TElementPlacement p = At(0, 0, 0);
  TRoundFace a, b;
  a.R = 40, a.D = 20, b.R = -60, b.D = 20;
  const TSceneRecord records[] = {
      RoundElementRecord(p, a, b, 6),          RectElementRecord(p, TRectFace{50, 6, 8}, TRectFace{-50, 6, 8}, 4),
      LensRecord(p, TLensShape{40, -60, 20, 6, 0.5}), RoundMirrorRecord(p, TRoundMirrorShape{-80, 20, 4, 0, 0}),
      RectPlateRecord(p, TRectSlab{10, 8, 4, 1, 0.5}), RectMirrorRecord(p, TRectSlab{10, 8, 4, 1, 0.5}),
      SplitterCubeRecord(p, TRectSlab{10, 8, 4, 1}), PrismRecord(p, TPrismShape{3, 4, 10, 1.0}, 7, -2, 9),
      WedgeRecord(p, WedgeBetween(-5, 5, -5, 2, 5, 1, 10, 8, 0.5))};
  for (const TSceneRecord &r : records) EXPECT_EQ(PaintElementRecord(r, canvas, 3), kRecordPainted);
  const std::vector<std::string> expected = {"paint 10000", "paint 10100", "paint 10200",
                                             "paint 10300", "paint 10400", "paint 10500",
                                             "paint 10600", "paint 10700 7 -2 9", "paint 10800"};
  EXPECT_EQ(canvas.TakeLog(), expected);
  // Unknown kinds and short records are skipped; refusals say so.
  TSceneRecord unknown = records[2];
  unknown[0] = 12345.0f;
  EXPECT_EQ(PaintElementRecord(unknown, canvas, 3), kRecordSkipped);
  TSceneRecord shortLens = records[2];
  shortLens.resize(16);
  EXPECT_EQ(PaintElementRecord(shortLens, canvas, 3), kRecordSkipped);
  EXPECT_EQ(PaintElementRecord(LensRecord(p, TLensShape{0, -60, 20, 6, 0}), canvas, 3),
            kRecordRefused);
  EXPECT_STREQ(SolidFailureText(10200).text, "CreateLense");
  EXPECT_STREQ(SolidFailureText(10200).caption, "PaintLens");
  EXPECT_STREQ(SolidFailureText(10300).text, "CreateRoundMirror");
  EXPECT_STREQ(SolidFailureText(10100).caption, "PaintBaseRectElement");
  EXPECT_EQ(SolidFailureText(10400).text, nullptr);
}

}  // namespace
