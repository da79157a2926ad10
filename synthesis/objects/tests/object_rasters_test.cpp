// The generated test objects against hand counts: the disc's cells by the Gauss circle
// count, the star's sectors at chosen angles and its half-disc at one stroke, the square
// target's layout, bar periods and margins, and the field-point brightness of each.

#include "synthesis/objects/object_rasters.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"

namespace {

// Layout lengths are whole cells or exact binary fractions of them.
constexpr double kExact = 1e-12;

double Cell(const Mem<float> &raster, int column, int row) {
  return raster.data[row * raster.cols + column];
}

double Sum(const Mem<float> &raster) {
  double sum = 0.0;
  for (int k = 0; k < raster.cols * raster.rows; ++k) sum += raster.data[k];
  return sum;
}

// Lattice points (x, y) with x^2 + y^2 <= r2, counted column by column: for each x the
// points |y| <= sqrt(r2 - x^2).
int LatticePointsInCircle(double r2) {
  int count = 0;
  const int reach = static_cast<int>(std::sqrt(r2));
  for (int x = -reach; x <= reach; ++x) count += 2 * static_cast<int>(std::sqrt(r2 - x * x)) + 1;
  return count;
}

}  // namespace

TEST(DiffractionDisc, TenCellDiameterHoldsTheEightyOneLatticePointsOfRadiusFive) {
  Mem<float> raster;
  ASSERT_EQ(FillDiffractionDisc(raster, 128, 1.0, 10.0), 1);
  ASSERT_EQ(raster.cols, 128);
  ASSERT_EQ(raster.rows, 128);
  // The Gauss circle count for radius 5 is 81; every bright cell is 1.0, so the total
  // energy is the count.
  EXPECT_APPROX(Sum(raster), 81.0, kExact);
  EXPECT_EQ(Cell(raster, 64, 64), 1.0);
  EXPECT_EQ(Cell(raster, 69, 64), 1.0);  // on the circle: inside
  EXPECT_EQ(Cell(raster, 64, 59), 1.0);
  EXPECT_EQ(Cell(raster, 67, 68), 1.0);  // 9 + 16 = 25
  EXPECT_EQ(Cell(raster, 68, 68), 0.0);  // 32 > 25
  EXPECT_EQ(Cell(raster, 70, 64), 0.0);
}

TEST(DiffractionDisc, HalfMillimetreCellsDoubleTheRadiusInCells) {
  Mem<float> raster;
  ASSERT_EQ(FillDiffractionDisc(raster, 64, 0.5, 10.0), 1);
  // Radius 10 cells: 317 lattice points.
  EXPECT_APPROX(Sum(raster), 317.0, kExact);
  EXPECT_EQ(Cell(raster, 42, 32), 1.0);
  EXPECT_EQ(Cell(raster, 43, 32), 0.0);
}

TEST(DiffractionDisc, SmallDiametersKeepTheCentreCellAndItsDirectNeighbours) {
  Mem<float> raster;
  ASSERT_EQ(FillDiffractionDisc(raster, 128, 1.0, 2.0), 1);
  EXPECT_APPROX(Sum(raster), 5.0, kExact);  // distance p counts, the diagonal does not
  EXPECT_EQ(Cell(raster, 65, 64), 1.0);
  EXPECT_EQ(Cell(raster, 64, 63), 1.0);
  EXPECT_EQ(Cell(raster, 65, 65), 0.0);
  ASSERT_EQ(FillDiffractionDisc(raster, 128, 1.0, 0.4), 1);
  EXPECT_APPROX(Sum(raster), 1.0, kExact);
  EXPECT_EQ(Cell(raster, 64, 64), 1.0);  // the centre cell is (N/2, N/2)
  // Without a pixel pitch the point is still one cell, not the whole raster.
  ASSERT_EQ(FillDiffractionDisc(raster, 64, 0.0, 3.0), 1);
  EXPECT_APPROX(Sum(raster), 1.0, kExact);
  EXPECT_EQ(Cell(raster, 32, 32), 1.0);
}

TEST(DiffractionDisc, FieldPointsLightTheCentreAndThreeRingsOnly) {
  const double half = 10.0, step = 0.1;
  EXPECT_EQ(DiffractionPointValue(0.0, 0.0, half, step), 1.0);
  EXPECT_EQ(DiffractionPointValue(4.0, 0.0, half, step), 0.0);   // 0.4 h
  EXPECT_EQ(DiffractionPointValue(0.0, 5.0, half, step), 1.0);   // 0.5 h
  EXPECT_EQ(DiffractionPointValue(1.5, 2.0, half, step), 1.0);   // r = 2.5 = 0.25 h
  EXPECT_EQ(DiffractionPointValue(8.04, 0.0, half, step), 1.0);  // within d/2 of 0.8 h
  EXPECT_EQ(DiffractionPointValue(8.2, 0.0, half, step), 0.0);
  // A pixel wider than 0.2 h reaches the 0.5 h ring from 0.4 h.
  EXPECT_EQ(DiffractionPointValue(4.0, 0.0, half, 2.5), 1.0);
}

TEST(RadialMira, StarOfTwentyStrokesEndsAtEightTenthsOfTheHalfSide) {
  Mem<float> raster;
  ASSERT_EQ(FillRadialMira(raster, 128, 20), 1);
  // Radius 0.8 x 64 = 51.2 cells; angle 0 is the middle of a bright sector.
  EXPECT_EQ(Cell(raster, 64 + 51, 64), 1.0);
  EXPECT_EQ(Cell(raster, 64 + 52, 64), 0.0);
  EXPECT_EQ(Cell(raster, 64 - 51, 64), 1.0);  // 180 degrees: the middle of sector 20
  EXPECT_EQ(Cell(raster, 64, 64), 1.0);
  // Sectors of 9 degrees: the bright one about 0 spans -4.5 .. 4.5 degrees. Row 61 lies
  // 3 cells up: atan(3/40) = 4.29 degrees; row 60, atan(4/40) = 5.71 degrees.
  EXPECT_EQ(Cell(raster, 64 + 40, 61), 1.0);
  EXPECT_EQ(Cell(raster, 64 + 40, 60), 0.0);
  EXPECT_EQ(Cell(raster, 64 + 40, 67), 1.0);  // below the axis the same
  EXPECT_EQ(Cell(raster, 64 + 40, 68), 0.0);
  // 9 degrees up (tan = 0.1584): the middle of the first dark sector; 18 degrees (tan =
  // 0.3249): bright again.
  EXPECT_EQ(Cell(raster, 64 + 40, 64 - 6), 0.0);   // 8.53 degrees
  EXPECT_EQ(Cell(raster, 64 + 40, 64 - 13), 1.0);  // 18.0 degrees
}

TEST(RadialMira, OneStrokeLightsTheRightHalfAndTheVerticalBorder) {
  Mem<float> raster;
  ASSERT_EQ(FillRadialMira(raster, 128, 1), 1);
  // Inside radius^2 = 51.2^2 = 2621.44: the disc, and its column dx = 0 of 2 x 51 + 1 cells.
  const int disc = LatticePointsInCircle(51.2 * 51.2);
  const int column = 103;
  EXPECT_APPROX(Sum(raster), (disc - column) / 2.0 + column, kExact);
  EXPECT_EQ(Cell(raster, 64, 64 - 30), 1.0);
  EXPECT_EQ(Cell(raster, 64, 64 + 30), 1.0);
  EXPECT_EQ(Cell(raster, 64 - 1, 64 - 30), 0.0);
  EXPECT_EQ(Cell(raster, 64 + 1, 64 + 30), 1.0);
}

TEST(RadialMira, TwoStrokesCountTheDiagonalBordersAsBright) {
  Mem<float> raster;
  ASSERT_EQ(FillRadialMira(raster, 64, 2), 1);
  // Sectors of 90 degrees centred on 0, 90, 180, 270: bright where |dy| <= |dx|.
  double bright = 0.0;
  const double r2 = 25.6 * 25.6;
  for (int dy = -32; dy < 32; ++dy)
    for (int dx = -32; dx < 32; ++dx)
      if (dx * dx + dy * dy <= r2 && std::abs(dy) <= std::abs(dx)) bright += 1.0;
  EXPECT_APPROX(Sum(raster), bright, kExact);
  EXPECT_EQ(Cell(raster, 32 + 10, 32 - 10), 1.0);
  EXPECT_EQ(Cell(raster, 32 + 5, 32 - 10), 0.0);
}

TEST(RadialMira, BordersAreBrightFromBothSidesAndStrokesBelowOneCountAsOne) {
  const double pi = 3.14159265358979323846;
  // Three strokes: borders at +-30, 90, 150 ... degrees, reached from above and below.
  // 30 to 90 degrees is the first dark sector.
  EXPECT_TRUE(RadialMiraBright(pi / 6.0, 3));
  EXPECT_TRUE(RadialMiraBright(std::nextafter(pi / 6.0, 1.0), 3));
  EXPECT_TRUE(RadialMiraBright(std::nextafter(pi / 2.0, 0.0), 3));
  EXPECT_FALSE(RadialMiraBright(pi / 3.0, 3));
  EXPECT_FALSE(RadialMiraBright(pi / 2.0 - 1e-3, 3));
  EXPECT_TRUE(RadialMiraBright(-0.1, 3));  // any turn of the angle
  EXPECT_EQ(RadialMiraBright(2.0, 0), RadialMiraBright(2.0, 1));
  EXPECT_EQ(RadialMiraValue(0.0, 0.0, 10.0, 20), 1.0);
  EXPECT_EQ(RadialMiraValue(9.0, 0.0, 10.0, 20), 0.0);
  EXPECT_EQ(RadialMiraValue(7.9, 0.0, 10.0, 20), 1.0);
  EXPECT_EQ(RadialMiraValue(0.0, 5.0, 10.0, 20), 1.0);  // 90 degrees: middle of sector 10
  EXPECT_EQ(RadialMiraValue(0.0, 5.0, 10.0, 3), 1.0);   // a border
}

TEST(SquareMira, LayoutOfOneGroupAtTwoSizes) {
  TSquareMiraLayout layout = SquareMiraLayout(128, 1, 10, 10);
  EXPECT_EQ(layout.groupSide, 102);
  EXPECT_EQ(layout.quadrant, 51);
  EXPECT_EQ(layout.margin, 12);
  EXPECT_EQ(layout.end, 114);
  EXPECT_APPROX(layout.widestBar, 2.55, kExact);
  EXPECT_EQ(SquareMiraBarWidth(layout, 0), 3.0);
  layout = SquareMiraLayout(256, 1, 10, 10);
  EXPECT_EQ(layout.groupSide, 204);
  EXPECT_EQ(layout.quadrant, 102);
  EXPECT_EQ(layout.margin, 25);
}

TEST(SquareMira, FourGroupsNarrowTheirBarsFromThreeCellsToOne) {
  const TSquareMiraLayout layout = SquareMiraLayout(256, 2, 10, 40);
  EXPECT_EQ(layout.groupSide, 102);
  EXPECT_APPROX(layout.widestBar, 2.55, kExact);
  EXPECT_APPROX(layout.finestBar, 0.6375, kExact);
  EXPECT_APPROX(layout.widthStep, 0.6375, kExact);
  EXPECT_EQ(SquareMiraBarWidth(layout, 0), 3.0);
  EXPECT_EQ(SquareMiraBarWidth(layout, 1), 2.0);
  EXPECT_EQ(SquareMiraBarWidth(layout, 2), 1.0);
  EXPECT_EQ(SquareMiraBarWidth(layout, 3), 1.0);
  Mem<float> raster;
  ASSERT_EQ(FillSquareMira(raster, 256, 2, 10, 40), 1);
  // Group 1 (top right) starts at column 25 + 102: vertical bars of 2 cells, dark first.
  const int x0 = 127, y0 = 25;
  EXPECT_EQ(Cell(raster, x0 + 0, y0), 0.0);
  EXPECT_EQ(Cell(raster, x0 + 1, y0), 0.0);
  EXPECT_EQ(Cell(raster, x0 + 2, y0), 1.0);
  EXPECT_EQ(Cell(raster, x0 + 3, y0), 1.0);
  EXPECT_EQ(Cell(raster, x0 + 4, y0), 0.0);
}

TEST(SquareMira, OneGroupHasEightBarsOfThreeCellsPerQuadrantRow) {
  Mem<float> raster;
  ASSERT_EQ(FillSquareMira(raster, 128, 1, 10, 10), 1);
  // Top-left quadrant, columns 12 .. 62: bars where a / 3 is odd, a = 3..5, 9..11, ...,
  // 45..47: eight bars of three cells.
  double row = 0.0;
  for (int a = 0; a < 51; ++a) row += Cell(raster, 12 + a, 30);
  EXPECT_APPROX(row, 24.0, kExact);
  EXPECT_EQ(Cell(raster, 12 + 2, 30), 0.0);
  EXPECT_EQ(Cell(raster, 12 + 3, 30), 1.0);
  EXPECT_EQ(Cell(raster, 12 + 5, 30), 1.0);
  EXPECT_EQ(Cell(raster, 12 + 6, 30), 0.0);
  // Bottom-right quadrant: the same bars lying down.
  double column = 0.0;
  for (int b = 0; b < 51; ++b) column += Cell(raster, 90, 63 + b);
  EXPECT_APPROX(column, 24.0, kExact);
  // Top-right, a = b = 0: (0 - 0 + 102) x 0.7071 / 3 = 24.04, even: bright.
  EXPECT_EQ(Cell(raster, 63, 12), 1.0);
  // Bottom-left, a = 0, b = 3: 3 x 0.7071 / 3 = 0.707, even: bright; b = 5: 1.18, dark.
  EXPECT_EQ(Cell(raster, 12, 63 + 3), 1.0);
  EXPECT_EQ(Cell(raster, 12, 63 + 5), 0.0);
  // Nothing outside rows and columns 12 .. 113.
  double outside = 0.0;
  for (int k = 0; k < 128; ++k) {
    outside += Cell(raster, k, 11) + Cell(raster, k, 114) + Cell(raster, 11, k) +
               Cell(raster, 114, k);
  }
  EXPECT_EQ(outside, 0.0);
}

TEST(SquareMira, GroupsFinerThanACellLeaveTheRasterDark) {
  Mem<float> raster;
  ASSERT_EQ(FillSquareMira(raster, 64, 100000, 10, 10), 1);
  EXPECT_EQ(Sum(raster), 0.0);
  // Corrected parameters: a maximum below the minimum gives every group the same width.
  const TSquareMiraLayout layout = SquareMiraLayout(256, 2, 10, 5);
  EXPECT_APPROX(layout.widthStep, 0.0, kExact);
}

TEST(SquareMira, FieldPointsReadThePlaneFromItsCentreAndNothingBeyondIt) {
  Mem<float> plane(8, 8);
  plane.Zero();
  plane.data[4 * 8 + 4] = 1.0f;  // the centre cell
  plane.data[1 * 8 + 6] = 0.5f;  // 2 cells right, 3 up
  EXPECT_EQ(SquareMiraValue(plane, 0.5, 0.0, 0.0), 1.0);
  EXPECT_EQ(SquareMiraValue(plane, 0.5, 1.0, 1.5), 0.5);
  EXPECT_EQ(SquareMiraValue(plane, 0.5, 3.0, 0.0), 0.0);   // column 10 of 8
  EXPECT_EQ(SquareMiraValue(plane, 0.5, 0.0, -3.0), 0.0);  // row 10 of 8
  EXPECT_EQ(SquareMiraValue(Mem<float>(), 0.5, 0.0, 0.0), 0.0);
}
