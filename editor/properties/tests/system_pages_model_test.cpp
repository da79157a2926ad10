// The hologram, lens-array and object-and-pupil pages of the system's properties on the
// shipped examples: the cells show the file's values; a phase term changes the focal length
// as f = R^2 / (2 c0) gives, a decentred lens moves its image by the decentre (an object at
// infinity: magnification 0), a period moves a ray into the neighbouring lenslet's focus,
// the light-pipe switch folds a steep ray back into the rod by total internal reflection;
// refusals leave the file as it was, Undo restores it and Save and Open keep the values.

#include <cmath>
#include <string>

#include "editor/properties/hoe_model.h"
#include "editor/properties/lens_array_model.h"
#include "editor/properties/object_pupil_model.h"
#include "editor/properties/positions_model.h"
#include "editor/properties/tests/page_model_test_support.h"

namespace {

constexpr double kDegree = kTestDegree;

class SystemPagesTest : public PageModelTest {
 protected:
  // Where the rays parallel to the axis at heights h1 and h2 cross behind surface i.
  void Crossing(double h1, double h2, int i, double &x, double &y) {
    TIntersectionPoint a, b;
    ASSERT_TRUE(Hit(h1, 0.0, i, a));
    ASSERT_TRUE(Hit(h2, 0.0, i, b));
    // a + s (La, Ma) = b + t (Lb, Mb), solved for s.
    const double det = a.L * -b.M + b.L * a.M;
    const double s = ((b.x - a.x) * -b.M + b.L * (b.y - a.y)) / det;
    x = a.x + s * a.L;
    y = a.y + s * a.M;
  }
};

TEST_F(SystemPagesTest, AHologramsPhaseTermSetsItsFocalLengthAndADecentreMovesItsImage) {
  Load("hologram_lens.os");
  const THoeModel model;
  const char *shown[] = {"yes", "10", "0.5875618", "1", "2", "-0.5", "0.00125", "-6.25e-06", ""};
  for (int column = 0; column < 9; ++column) EXPECT_EQ(model.CellText(image, 1, column), shown[column]) << column;
  EXPECT_EQ(model.CellText(image, 0, kHologramColumn), "no");
  EXPECT_EQ(model.CellText(image, 0, kNormRadiusColumn), "");
  const std::string before = Saved();
  const double vertex = image.Surface(1)->general.vertex[0];
  double x = 0.0, y = 0.0;
  // f = -R^2 / (2 c0) = 100 near the axis; the further terms make the rim meet it too.
  Crossing(0.01, -0.01, 1, x, y);
  EXPECT_NEAR(x - vertex, 100.0, 1e-5);
  Crossing(9.9, 0.0, 1, x, y);
  EXPECT_NEAR(x - vertex, 100.0, 1e-3);

  ASSERT_TRUE(model.EditCell(image, 1, kFirstPhaseColumn, "-0.4").accepted);
  Crossing(0.01, -0.01, 1, x, y);
  EXPECT_NEAR(x - vertex, 100.0 / (2.0 * 0.4), 1e-5);
  // The lens decentred by d across the axis: its image of the object at infinity moves
  // d (1 - m) with m = 0, seen by the paraxial rays through the lens.
  const TPositionsModel positions;
  ASSERT_TRUE(positions.EditCell(image, 1, kDecentreYColumn, "0.5").accepted);
  Crossing(0.51, 0.49, 1, x, y);
  EXPECT_NEAR(y, 0.5, 1e-6);
  EXPECT_NEAR(x - vertex, 125.0, 1e-5);

  const TPropertyEdit gap = model.EditCell(image, 1, kFirstPhaseColumn + 1, "0");
  EXPECT_FALSE(gap.accepted);
  EXPECT_NE(gap.message.find("c1 cannot be 0"), std::string::npos) << gap.message;
  EXPECT_NE(model.EditCell(image, 1, kLevelsColumn, "2.5").message.find("Levels of surface 2"), std::string::npos);
  EXPECT_FALSE(model.EditCell(image, 1, kDesignWavelengthColumn, "0").accepted);
  ASSERT_TRUE(model.EditCell(image, 1, kFirstPhaseColumn + 3, "-4e-8").accepted);
  ExpectKeptBySaveAndOpen(model);
  for (int step = 0; step < 3; ++step) ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);

  // A plain surface made holographic covers its bound at the working wavelength.
  ASSERT_TRUE(model.EditCell(image, 0, kHologramColumn, "yes").accepted);
  EXPECT_EQ(model.CellText(image, 0, kNormRadiusColumn), "12");
  EXPECT_EQ(model.CellText(image, 0, kDesignWavelengthColumn), "0.5875618");
}

TEST_F(SystemPagesTest, ALensArraysPeriodMovesARayIntoTheNextLensletsFocus) {
  Load("lens_array.os");
  const TLensArrayModel model;
  ASSERT_EQ(model.RowCaptions(image), (std::vector<std::string>{"3.1", "new"}));
  const char *shown[] = {"3", "Rectangle", "2", "2", "2", "2", "5", "5", "Asphere 2 order", "-5", "0", "0", "0"};
  for (int column = 0; column < kLensArrayColumnCount; ++column)
    EXPECT_EQ(model.CellText(image, 0, column), shown[column]) << column;
  const std::string before = Saved();
  const int image_ = image.SurfaceCount() - 1;
  TIntersectionPoint out;
  // Each lenslet focuses its part of the axial beam on its own axis, at the image plane:
  // a ray at 2.3 goes through the lenslet about 2 (pitch 2), then about 2.5 (pitch 2.5).
  ASSERT_TRUE(Hit(2.3, 0.0, image_, out));
  EXPECT_NEAR(out.y, 2.0, 0.01);
  ASSERT_TRUE(model.EditCell(image, 0, kPeriod1Column, "2.5").accepted);
  ASSERT_TRUE(Hit(2.3, 0.0, image_, out));
  EXPECT_NEAR(out.y, 2.5, 0.01);
  EXPECT_EQ(model.CellText(image, 0, kCellsYColumn), "4");

  const TPropertyEdit none = model.EditCell(image, 0, kPeriod2Column, "0");
  EXPECT_FALSE(none.accepted);
  EXPECT_NE(none.message.find("no cells"), std::string::npos) << none.message;
  ASSERT_TRUE(model.EditCell(image, 0, kCellsZColumn, "3").accepted);
  EXPECT_EQ(image.Surface(2)->zones.data[0].LimitUpper.data[2], 3.0);
  EXPECT_FALSE(model.EditCell(image, 0, kPackingColumn, "square").accepted);
  // A zone of the default lattice goes onto the plate's front face; none onto a surface
  // that does not exist.
  ASSERT_TRUE(model.EditCell(image, 1, kZoneSurfaceColumn, "2").accepted);
  ASSERT_EQ(model.RowCaptions(image), (std::vector<std::string>{"2.1", "3.1", "new"}));
  EXPECT_EQ(model.CellText(image, 0, kPeriod1Column), "10");
  EXPECT_NE(model.EditCell(image, 2, kZoneSurfaceColumn, "9").message.find("no surface 9"), std::string::npos);
  ExpectKeptBySaveAndOpen(model);
  ASSERT_TRUE(model.EditCell(image, 0, kZoneSurfaceColumn, "").accepted);
  ASSERT_EQ(model.RowCaptions(image), (std::vector<std::string>{"3.1", "new"}));
  for (int step = 0; step < 4; ++step) ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);
}

// The rod's wall folds a ray back by total internal reflection: its height at the exit
// face is the straight path's height folded into the rod's width.
double FoldedHeight(double y, double halfWidth) {
  const double period = 4.0 * halfWidth;
  double t = std::fmod(y + halfWidth, period);
  if (t < 0.0) t += period;
  return t < 2.0 * halfWidth ? t - halfWidth : 3.0 * halfWidth - t;
}

TEST_F(SystemPagesTest, TheLightPipeSwitchKeepsASteepRayInsideTheRod) {
  Load("light_pipe.os");
  const TObjectPupilModel model;
  EXPECT_EQ(model.CellText(image, kPipeWallsLine, 0), "on");
  EXPECT_EQ(model.CellText(image, kObjectLine, 0), "at infinity");
  EXPECT_EQ(model.CellText(image, kImageLine, 0), "finite");
  EXPECT_EQ(model.CellText(image, kAutoPupilLine, 0), "given");
  EXPECT_EQ(model.CellText(image, kSurroundingIndexLine, 0), "1");
  EXPECT_EQ(model.CellText(image, kRaysPerFanLine, 0), "21");
  const std::string before = Saved();
  const double angle = 10.0 * kDegree, n = image.Surface(1)->general.nAfter;
  const double entry = 6.0 * std::tan(angle), inside = std::asin(std::sin(angle) / n);
  // The walls' reflections stand among the hits: the exit face's is the one at its vertex.
  const double exitFace = image.Surface(2)->general.vertex[0];
  TCurrentRay ray = RayAlong(-1.0, 0.0, 0.0, std::cos(angle), std::sin(angle), 0.0);
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(image.TraceRay(ray, -1, &hits, 0), 1);
  int exitHit = -1;
  for (int k = 0; k < hits.cols * hits.rows; ++k)
    if (std::fabs(hits.data[k].x - exitFace) < 1e-9) exitHit = k;
  ASSERT_GE(exitHit, 0);
  EXPECT_NEAR(hits.data[exitHit].y, FoldedHeight(entry + 150.0 * std::tan(inside), 1.5), 1e-9);
  TIntersectionPoint out;
  int result = 0;

  ASSERT_TRUE(model.EditCell(image, kPipeWallsLine, 0, "off").accepted);
  Hit(0.0, angle, 2, out, &result);
  EXPECT_NE(result, 1);
  const TPropertyEdit word = model.EditCell(image, kPipeWallsLine, 0, "maybe");
  EXPECT_EQ(word.message, "Light-pipe walls: type on or off.");
  EXPECT_FALSE(model.EditCell(image, kSurroundingIndexLine, 0, "-1").accepted);
  EXPECT_NE(model.EditCell(image, kRaysPerFanLine, 0, "ten").message.find("Rays per fan"), std::string::npos);
  ASSERT_TRUE(model.EditCell(image, kObjectLine, 0, "finite").accepted);
  ASSERT_TRUE(model.EditCell(image, kAutoPupilLine, 0, "automatic").accepted);
  ASSERT_TRUE(model.EditCell(image, kSurroundingIndexLine, 0, "1.333").accepted);
  ASSERT_TRUE(model.EditCell(image, kRaysPerFanLine, 0, "11").accepted);
  ExpectKeptBySaveAndOpen(model);
  for (int step = 0; step < 5; ++step) ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);
}

}  // namespace
