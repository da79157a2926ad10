#include "synthesis/folder/energy_zone.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/model/tests/system_test_support.h"
#include "synthesis/folder/energy_zone_fit.h"
#include "synthesis/folder/psf_fit.h"

namespace {

// Ratios of small whole numbers in double precision.
constexpr double kExact = 1e-9;
// A geometric fit of a corrected lens: the fans' spread against the object size added.
constexpr double kFitTolerance = 1e-9;
// The geometric image of a corrected lens on the axis is far below a millimetre.
constexpr double kSmallSpot = 0.2;

constexpr int kN = 64;
// A binary fraction, so that zone edges fall on whole cells.
constexpr double kP = 0.5;

std::vector<float> Uniform(float level) { return std::vector<float>(kN * kN, level); }

TEnergyImage Image(const std::vector<float> &cells, double discDiameter = -1.0) {
  return TEnergyImage{cells.data(), kN, kP, discDiameter};
}

TEnergyZone Zone(int type, double w, double h, double x = 0.0, double y = 0.0) {
  TEnergyZone zone;
  zone.type = type;
  zone.width = w;
  zone.height = h;
  zone.x = x;
  zone.y = y;
  return zone;
}

TEST(EnergyZone, AUniformImageGivesTheZonesShareOfTheCells) {
  const std::vector<float> image = Uniform(2.0f);
  TEnergyResult result;
  // 10 x 5 units at 0.5 per cell: the cells whose centres lie inside, columns 23..41 and
  // rows 28..36, and half of those on its edges, columns 22 and 42 and rows 27 and 37.
  TEnergyZone zone = Zone(kZoneRectangle, 10.0, 5.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 20.0 * 10.0 / (kN * kN) * 100.0, kExact);
  EXPECT_APPROX(result.contrast, 0.0, kExact);
  // Moved by 4 units right and 2 down: the same count of cells.
  zone = Zone(kZoneRectangle, 10.0, 5.0, 4.0, 2.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 20.0 * 10.0 / (kN * kN) * 100.0, kExact);
  // A circle of radius 10 cells holds 305 lattice points and 12 on its rim, which count half.
  zone = Zone(kZoneEllipse, 10.0, 10.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 311.0 / (kN * kN) * 100.0, kExact);
  // The whole raster and more.
  zone = Zone(kZoneRectangle, 100.0, 100.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 100.0, kExact);
}

TEST(EnergyZone, ASquareInsideADiscTakesItsCellsOfTheDiscsLight) {
  // A disc of radius 10 cells about the centre, brightness 3.
  std::vector<float> image = Uniform(0.0f);
  double discLight = 0.0;
  for (int r = 0; r < kN; ++r)
    for (int c = 0; c < kN; ++c)
      if ((c - 32) * (c - 32) + (r - 32) * (r - 32) <= 100) {
        image[r * kN + c] = 3.0f;
        discLight += 3.0;
      }
  TEnergyResult result;
  // 4 units across: 8 x 8 cells, all inside the disc.
  TEnergyZone zone = Zone(kZoneRectangle, 4.0, 4.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 64.0 * 3.0 / discLight * 100.0, kExact);
  EXPECT_APPROX(result.contrast, 0.0, kExact);
  // A square round the whole disc holds all its light; its corners are dark.
  zone = Zone(kZoneRectangle, 12.0, 12.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 100.0, kExact);
  EXPECT_APPROX(result.contrast, 100.0, kExact);
}

TEST(EnergyZone, TwoLevelBarsGiveTheirContrastAndBoxSumsSmoothThemAway) {
  // Columns alternate between 1 and 3.
  std::vector<float> image = Uniform(0.0f);
  for (int r = 0; r < kN; ++r)
    for (int c = 0; c < kN; ++c) image[r * kN + c] = c % 2 == 0 ? 1.0f : 3.0f;
  TEnergyResult result;
  TEnergyZone zone = Zone(kZoneRectangle, 12.0, 12.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.contrast, (3.0 - 1.0) / (3.0 + 1.0) * 100.0, kExact);
  // One cell wide on the left edge: the column 0 alone (level 1).
  zone = Zone(kZoneRectangle, 0.2, 12.0, -16.0, 0.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.contrast, 0.0, kExact);
  // Smoothing on a disc's image: boxes of N/16 = 4 columns hold two bars of each level,
  // so every box sums alike. The zone spans 24 cells, above 20 disc diameters of 0.
  zone = Zone(kZoneRectangle, 12.0, 12.0);
  zone.smoothing = 1;
  ASSERT_EQ(MeasureEnergyInZone(Image(image, 0.0), zone, result), kEnergyMeasured);
  EXPECT_EQ(zone.smoothing, 1);
  EXPECT_APPROX(result.contrast, 0.0, kExact);
  // Another object than the disc, or a zone under 20 disc diameters: single cells.
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.contrast, 50.0, kExact);
  ASSERT_EQ(MeasureEnergyInZone(Image(image, 1.0), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.contrast, 50.0, kExact);
  // Boxes of three columns do see the bars: 1+3+1 against 3+1+3 in each row.
  // Rows 30..34 lower K to 5 - 1 - 1 = 3; the columns 20..43 give many boxes.
  zone = Zone(kZoneRectangle, 12.0, 2.5);
  zone.smoothing = 1;
  ASSERT_EQ(MeasureEnergyInZone(Image(image, 0.0), zone, result), kEnergyMeasured);
  // Each box is 3 rows of 1+3+1 or of 3+1+3: 15 and 21.
  EXPECT_APPROX(result.contrast, (21.0 - 15.0) / (21.0 + 15.0) * 100.0, kExact);
}

TEST(EnergyZone, TheZoneIsBroughtIntoShapeAndOddImagesCountNothingAmiss) {
  std::vector<float> image = Uniform(1.0f);
  TEnergyResult result;
  // Negative sizes count by their absolute value and come back positive; a size under one
  // cell becomes one cell.
  TEnergyZone zone = Zone(kZoneRectangle, -10.0, 0.1);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_EQ(zone.width, 10.0);
  EXPECT_EQ(zone.height, kP);
  // Columns 23..41 and half of 22 and 42, row 32.
  EXPECT_APPROX(result.energyInZone, 20.0 * 1.0 / (kN * kN) * 100.0, kExact);
  // Smoothing switches itself off on a zone fewer than three cells across.
  zone = Zone(kZoneRectangle, 10.0, 0.6);
  zone.smoothing = 1;
  ASSERT_EQ(MeasureEnergyInZone(Image(image, 0.0), zone, result), kEnergyMeasured);
  EXPECT_EQ(zone.smoothing, 0);
  // Outside the raster: nothing.
  zone = Zone(kZoneRectangle, 2.0, 2.0, 100.0, 0.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_TRUE(result.outside);
  EXPECT_EQ(result.energyInZone, 0.0);
  EXPECT_EQ(result.contrast, 0.0);
  // Negative and undefined cells count neither into the image nor into the zone.
  image[0] = -50.0f;
  image[1] = std::nanf("");
  for (int r = 31; r <= 32; ++r)
    for (int c = 31; c <= 32; ++c) image[r * kN + c] = -1.0f;
  zone = Zone(kZoneRectangle, 0.4, 0.4);  // one cell: column and row 32
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, 0.0, kExact);
  zone = Zone(kZoneRectangle, 10.0, 5.0);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_APPROX(result.energyInZone, (20.0 * 10.0 - 4.0) / (kN * kN - 6.0) * 100.0, kExact);
  // An image without light.
  const std::vector<float> dark = Uniform(0.0f);
  ASSERT_EQ(MeasureEnergyInZone(Image(dark), zone, result), kEnergyMeasured);
  EXPECT_EQ(result.energyInZone, 0.0);
  EXPECT_EQ(result.contrast, 0.0);
  // No pixel size is no image to measure (rather than a division by zero).
  TEnergyImage unscaled = Image(image);
  unscaled.pixelSize = 0.0;
  EXPECT_EQ(MeasureEnergyInZone(unscaled, zone, result), kEnergyNoImage);
  // An undefined or huge centre is just far away.
  zone = Zone(kZoneRectangle, 2.0, 2.0, std::nan(""), 1e300);
  ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
  EXPECT_TRUE(result.outside);
}

TEST(EnergyZone, AZoneMeasuresWhereThePicturesAxesPutItsCentre) {
  // An image off the axis in both directions, drawn as the synthesis draws it: the point
  // (y, z) in row N/2 - y/p and column N/2 + z/p, +y in the top rows. Blocks of 5 x 5 cells
  // about (y, z) = (+6, +4), (+6, -4) and (-6, +4) units, of brightness 1, 2 and 3.
  struct TBlock {
    double y, z;
    float level;
  };
  const TBlock blocks[] = {{6.0, 4.0, 1.0f}, {6.0, -4.0, 2.0f}, {-6.0, 4.0, 3.0f}};
  std::vector<float> image = Uniform(0.0f);
  double all = 0.0;
  for (const TBlock &b : blocks) {
    const int row = kN / 2 - static_cast<int>(b.y / kP), column = kN / 2 + static_cast<int>(b.z / kP);
    for (int r = row - 2; r <= row + 2; ++r)
      for (int c = column - 2; c <= column + 2; ++c) image[r * kN + c] = b.level;
    all += 25.0 * b.level;
  }
  // A zone of 3 x 3 units (6 x 6 cells) over each block, and over each block's mirror image
  // in the x axis, which holds nothing of the image unless another block lies there.
  for (const TBlock &b : blocks)
    for (const double sign : {1.0, -1.0}) {
      double expected = 0.0;
      for (const TBlock &other : blocks)
        if (other.y == sign * b.y && other.z == b.z) expected = 25.0 * other.level / all * 100.0;
      TEnergyZone zone = Zone(kZoneRectangle, 3.0, 3.0, b.z, sign * b.y);
      TEnergyResult result;
      ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
      EXPECT_APPROX(result.energyInZone, expected, kExact) << "Y " << sign * b.y << ", X " << b.z;
      // Over a block, its cells and a dark rim: full contrast.
      if (expected > 0.0) {
        EXPECT_APPROX(result.contrast, 100.0, kExact);
      }
    }
}

TEST(EnergyZone, ZonesOnEitherSideOfTheAxisTakeTheCellsWhoseCentresLieInside) {
  // An image of distinct cells; zones of 1, 2, 3 and 30 cells (rectangles and ellipses) a
  // fraction of a cell off the grid or with their edges on the cells' centres, above and
  // below the axis, against the sum over the cells whose centres (column c at (c - N/2) p,
  // row r at (N/2 - r) p) lie inside, those on the edge counting half.
  std::vector<float> image(kN * kN);
  double all = 0.0;
  for (int i = 0; i < kN * kN; ++i) all += image[i] = static_cast<float>(1 + (i * 7919) % 97);
  const auto share = [](double s) { return s < 1.0 ? 1.0 : s == 1.0 ? 0.5 : 0.0; };
  for (const int type : {kZoneRectangle, kZoneEllipse})
    for (const double cells : {1.0, 2.0, 3.0, 30.0})
      for (const double offGrid : {1.0, 0.0})
        for (const double side : {1.0, -1.0}) {
          const double w = cells * kP, h = (cells + 0.3 * offGrid) * kP, x = 0.37 * offGrid * kP,
                       y = side * (7.0 + 0.21 * offGrid) * kP;
          double expected = 0.0;
          for (int r = 0; r < kN; ++r)
            for (int c = 0; c < kN; ++c) {
              const double u = ((c - kN / 2) * kP - x) / (w / 2), v = ((kN / 2 - r) * kP - y) / (h / 2);
              expected += image[r * kN + c] * (type == kZoneEllipse ? share(u * u + v * v)
                                                                    : share(std::fabs(u)) * share(std::fabs(v)));
            }
          TEnergyZone zone = Zone(type, w, h, x, y);
          TEnergyResult result;
          ASSERT_EQ(MeasureEnergyInZone(Image(image), zone, result), kEnergyMeasured);
          EXPECT_APPROX(result.energyInZone, expected / all * 100.0, kExact)
              << type << " " << cells << " " << offGrid << " " << side;
        }
}

TEST(EnergyZone, ShownValuesAreRoundedToWhatTheCellNeedsAwayFromZero) {
  EXPECT_APPROX(RoundZoneValue(1.23449, 0.5), 1.234, kExact);
  EXPECT_APPROX(RoundZoneValue(1.2345, 0.5), 1.235, kExact);
  EXPECT_APPROX(RoundZoneValue(-1.2346, 0.0), -1.235, kExact);
  EXPECT_EQ(RoundZoneValue(0.0, 0.5), 0.0);
  // A cell of 0.0067 shows a tenth of its size; zones below 0.001 keep their value.
  EXPECT_APPROX(RoundZoneValue(0.0067, 0.0067), 0.0067, kExact);
  EXPECT_APPROX(RoundZoneValue(0.00041, 0.0002), 0.00041, kExact);
  EXPECT_APPROX(RoundZoneValue(0.000414, 0.0002), 0.00041, kExact);
  EXPECT_FALSE(std::signbit(RoundZoneValue(-1e-9, 0.5)));  // shown as 0, not -0
}

class EnergyZoneFitTest : public SystemTest {};

TEST_F(EnergyZoneFitTest, TheFansOfARoundLensGiveASquareZoneAboutTheChiefRay) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os").c_str(), 0), 1);
  TEnergyZone bare;
  bare.x = bare.y = 7.0;
  ASSERT_TRUE(FitZoneToImage(system, 0.0, 0.0, 0.0, bare));
  // On the axis both fans spread alike about the axis.
  EXPECT_APPROX(bare.width, bare.height, kFitTolerance);
  EXPECT_GT(bare.width, 0.0);
  EXPECT_LT(bare.width, kSmallSpot);
  EXPECT_APPROX(bare.x, 0.0, kFitTolerance);
  EXPECT_APPROX(bare.y, 0.0, kFitTolerance);
  // The object's own image-side size adds to both sides.
  TEnergyZone sized;
  ASSERT_TRUE(FitZoneToImage(system, 0.0, 0.0, 0.25, sized));
  EXPECT_APPROX(sized.width, bare.width + 0.25, kFitTolerance);
  EXPECT_APPROX(sized.height, bare.height + 0.25, kFitTolerance);
  // Off the axis in y the z fan stays symmetric about the chief ray.
  TEnergyZone oblique;
  ASSERT_TRUE(FitZoneToImage(system, 10.0, 0.0, 0.0, oblique));
  EXPECT_APPROX(oblique.x, 0.0, kFitTolerance);
  EXPECT_GT(oblique.height, 0.0);
  // Behind a fold mirror the spot is measured on the image surface itself: the singlet
  // folded gives the zone of the singlet straight, on the axis and off it.
  TOpticalSystem straight, folded;
  ASSERT_EQ(straight.ReadFile(ExamplePath("singlet.os").c_str(), 0), 1);
  ASSERT_EQ(folded.ReadFile(ExamplePath("fold_mirror.os").c_str(), 0), 1);
  for (const double field : {0.0, 2.0}) {
    TEnergyZone a, b;
    ASSERT_TRUE(FitZoneToImage(straight, field, 0.0, 0.25, a) && FitZoneToImage(folded, field, 0.0, 0.25, b));
    EXPECT_APPROX(b.height, a.height, kFitTolerance) << field;
    EXPECT_APPROX(b.width, a.width, kFitTolerance) << field;
    EXPECT_APPROX(std::fabs(b.y), std::fabs(a.y), kFitTolerance) << field;
  }
  // Rays a 1 mm front rim stops are no light even where DrawAllRays carries them past it.
  system.Surface(1)->general.semiHeightExt = 1.0;
  MarkModelChanged();
  TEnergyZone own, lent;
  ASSERT_TRUE(FitZoneToImage(system, 0.0, 0.0, 0.0, own));
  const double ownShare = FitPsfToField(system, 0.0, 0.0, 0.5 * own.height).share;
  system.info.DrawAllRays = 1;
  ASSERT_TRUE(FitZoneToImage(system, 0.0, 0.0, 0.0, lent));
  EXPECT_EQ(std::make_pair(lent.height, FitPsfToField(system, 0.0, 0.0, 0.5 * own.height).share),
            std::make_pair(own.height, ownShare));
  // No system, no fit: the zone stays.
  TOpticalSystem empty;
  TEnergyZone kept = sized;
  EXPECT_FALSE(FitZoneToImage(empty, 0.0, 0.0, 0.0, kept));
  EXPECT_EQ(kept.width, sized.width);
}

}  // namespace
