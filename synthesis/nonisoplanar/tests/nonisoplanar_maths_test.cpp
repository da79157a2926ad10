// The maths of the non-isoplanar synthesis on hand-made node PSFs and maps: resampling
// sizes and sums, the bracketing and blending of nodes, the turned superposition, and the
// whole image against the isoplanar synthesis' (object and PSF spectra multiplied) when
// every node holds the same PSF.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/testing/approx.h"
#include "imaging/rasters/tests/raster_test_support.h"
#include "imaging/testobject/test_object.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/nonisoplanar/image_object_maps.h"
#include "synthesis/nonisoplanar/node_psf_lookup.h"
#include "synthesis/nonisoplanar/node_psf_resample.h"
#include "synthesis/nonisoplanar/node_psfs.h"
#include "synthesis/nonisoplanar/superposition.h"

namespace {

// Sums and blends of a few float terms.
constexpr double kFloatTolerance = 1e-6;
// An FFT convolution of 32 x 32 floats against a direct sum: a few float roundings of the
// largest value.
constexpr double kTransformTolerance = 2e-5;

double Sum(const Mem<float> &raster) {
  double sum = 0.0;
  for (int i = 0; i < raster.cols * raster.rows; ++i) sum += raster.data[i];
  return sum;
}

// An object of cells of pitch `step` with its centre cell at (n/2, n/2), rows downwards.
class TCellObject final : public TTestObject {
 public:
  explicit TCellObject(int n, double step = 1.0) : TTestObject(nullptr), n_(n), step_(step) {
    cells.assign(static_cast<std::size_t>(n) * n, 0.0f);
    pictureSize = SIZE{n, n};
    pictureCentre = POINT{n / 2, n / 2};
  }
  void Set(int dz, int dy, float value) {
    cells[static_cast<std::size_t>((n_ / 2 - dy) * n_ + n_ / 2 + dz)] = value;
  }
  double ValueAt(int, double z, double y) override {
    const int c = n_ / 2 + static_cast<int>(std::lround(z / step_));
    const int r = n_ / 2 - static_cast<int>(std::lround(y / step_));
    if (c < 0 || c >= n_ || r < 0 || r >= n_) return 0.0;
    return cells[static_cast<std::size_t>(r * n_ + c)];
  }
  int Calculate() override { return 1; }
  std::vector<float> cells;

 private:
  int n_;
  double step_;
};

class NonIsoplanarMaths : public SynthesisTest {
 protected:
  // A node record at image point (0, y) whose PSF (w x h, origin and peak given) is written.
  TFileData Node(const std::string &name, double y, int w, int h, int originColumn,
                 int originRow, const std::vector<float> &values) {
    TFileData record;
    record.fileName = Scratch(name);
    record.fieldY = y;
    record.originColumn = originColumn;
    record.originRow = originRow;
    FindPsfPeak(values.data(), w, h, record.peakColumn, record.peakRow);
    Mem<float> raster(w, h);
    for (int i = 0; i < w * h; ++i) raster.data[i] = values[static_cast<std::size_t>(i)];
    EXPECT_EQ(record.Write(raster), 1);
    return record;
  }
  // A table of one component from the records given.
  static Mem<TFileData> Table(const std::vector<TFileData> &records) {
    Mem<TFileData> table(static_cast<int>(records.size()), 1);
    for (std::size_t i = 0; i < records.size(); ++i) table.data[i] = records[i];
    return table;
  }
};

// A dihedral-symmetric 5 x 5 PSF (the same under quarter turns and mirrors), centre 1.
std::vector<float> SymmetricPsf() {
  std::vector<float> psf(25);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) {
      const int d2 = (c - 2) * (c - 2) + (r - 2) * (r - 2);
      psf[static_cast<std::size_t>(r * 5 + c)] = 1.0f / static_cast<float>(1 + d2 * d2);
    }
  return psf;
}

}  // namespace

TEST_F(NonIsoplanarMaths, WindowAndPeakOfANodePsf) {
  Mem<float> grid(8, 8);
  grid.Zero();
  grid.data[2 * 8 + 3] = 1.0f;     // (3, 2)
  grid.data[5 * 8 + 6] = 0.5f;     // (6, 5)
  grid.data[7 * 8 + 0] = 0.0001f;  // below a tenth of the peak
  const TPsfWindow window = FindPsfWindow(grid.data, 8, 0.1f);
  EXPECT_EQ(window.firstColumn, 3);
  EXPECT_EQ(window.lastColumn, 6);
  EXPECT_EQ(window.firstRow, 2);
  EXPECT_EQ(window.lastRow, 5);
  // Level 0 of an empty grid takes every cell; its peak is the middle.
  grid.Zero();
  const TPsfWindow whole = FindPsfWindow(grid.data, 8, 0.001f);
  EXPECT_EQ(whole.firstColumn, 0);
  EXPECT_EQ(whole.lastColumn, 7);
  EXPECT_EQ(whole.lastRow, 7);
  int pc = -1, pr = -1;
  FindPsfPeak(grid.data, 8, 8, pc, pr);
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(pr, 4);
  EXPECT_EQ(NodePsfFileName("/t", 0, 0), "/t/psf101.img");
  EXPECT_EQ(NodePsfFileName("/t", 3, 2), "/t/psf304.img");
  // Past 99 nodes the names stay distinct from the next component's.
  EXPECT_NE(NodePsfFileName("/t", 99, 0), NodePsfFileName("/t", 0, 1));
  EXPECT_EQ(ResampledPsfName("/t/psf101.img"), "/t/psf101.imc");
}

TEST_F(NonIsoplanarMaths, ResamplingSizesAndKeepsTheSum) {
  Mem<float> source(5, 5);
  for (int i = 0; i < 25; ++i) source.data[i] = static_cast<float>(i + 1);
  TFileData header;
  header.width = header.height = 5;
  header.originColumn = header.originRow = 2;
  header.fieldY = 3.5;
  Mem<float> result;
  TFileData out;
  // 5 samples of 0.3 pixel: trunc(1.5 + 0.5) = 2 cells, made odd: 3.
  ASSERT_EQ(ResamplePsf(source, header, 0.3, 1.0, result, out), 1);
  EXPECT_EQ(out.width, 3);
  EXPECT_EQ(out.height, 3);
  EXPECT_EQ(out.originColumn, 1);  // the middle cell of 3 holds the middle of 5
  EXPECT_APPROX(Sum(result), 325.0, kFloatTolerance);
  EXPECT_FLOAT_EQ(out.sampleStep, 1.0f);
  EXPECT_EQ(out.fieldY, 3.5);
  // Samples at -0.6, -0.3, 0, 0.3, 0.6 pixels: the middle cell takes three of them, so the
  // peak is the middle cell.
  EXPECT_EQ(out.peakColumn, 1);
  EXPECT_EQ(out.peakRow, 1);
  EXPECT_APPROX(result.data[0], 1.0, kFloatTolerance);  // the corner sample alone
  // A hundredth of a pixel: 0 cells, made 1; everything in it.
  ASSERT_EQ(ResamplePsf(source, header, 0.01, 1.0, result, out), 1);
  EXPECT_EQ(out.width, 1);
  EXPECT_APPROX(result.data[0], 325.0, kFloatTolerance);
  // Two pixels a sample: 10.5 -> 10, odd 11, the origin in the middle cell 5; each
  // sample covers one whole cell and half of each neighbour on both axes.
  ASSERT_EQ(ResamplePsf(source, header, 2.0, 1.0, result, out), 1);
  EXPECT_EQ(out.width, 11);
  EXPECT_EQ(out.originColumn, 5);
  EXPECT_APPROX(Sum(result), 325.0, kFloatTolerance);
  // Cell (5, 5) lies wholly under the origin sample (13): a quarter of it.
  EXPECT_APPROX(result.data[5 * 11 + 5], 13.0 / 4.0, kFloatTolerance);
  // Cell (0, 0) holds an eighth of the corner sample's half-column and half-row: 1/16.
  EXPECT_APPROX(result.data[0], 1.0 / 16.0, kFloatTolerance);
  // A pixel of no size is refused.
  EXPECT_EQ(ResamplePsf(source, header, 0.3, 0.0, result, out), 0);
}

TEST_F(NonIsoplanarMaths, BracketingNodesAndTheirBlend) {
  // Three nodes at image radii 0, 10 and 20 with 3 x 3 PSFs of peaks in the middle.
  std::vector<float> a(9, 0.0f), b(9, 0.0f), c(9, 0.0f);
  a[4] = 2.0f, a[1] = 1.0f;
  b[4] = 4.0f, b[7] = 1.0f;
  c[4] = 8.0f;
  Mem<TFileData> table = Table({Node("n0.imc", 0.0, 3, 3, 1, 1, a), Node("n1.imc", -10.0, 3, 3, 1, 1, b),
                                Node("n2.imc", 20.0, 3, 3, 1, 1, c)});
  TNodePsfLookup lookup;
  ASSERT_EQ(lookup.Reset(&table, 1.0), 1);
  Mem<float> psf;
  TFileData header;
  // At a node's radius: that node's PSF alone.
  ASSERT_EQ(lookup.At(0, 0.0, 10.0, psf, header), 1);
  ASSERT_EQ(header.width, 3);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(psf.data[i], b[static_cast<std::size_t>(i)]) << i;
  // Halfway between nodes 0 and 1 (radius 5 in any direction): the mean.
  ASSERT_EQ(lookup.At(0, 3.0, -4.0, psf, header), 1);
  for (int i = 0; i < 9; ++i)
    EXPECT_APPROX(psf.data[i], 0.5 * (a[static_cast<std::size_t>(i)] + b[static_cast<std::size_t>(i)]),
                  kFloatTolerance)
        << i;
  // A quarter of the way from node 1 to node 2.
  ASSERT_EQ(lookup.At(0, 12.5, 0.0, psf, header), 1);
  EXPECT_APPROX(psf.data[4], 4.0 + 0.25 * 4.0, kFloatTolerance);
  // Exactly at the outermost node: that node; past it: nothing.
  ASSERT_EQ(lookup.At(0, 0.0, 20.0, psf, header), 1);
  EXPECT_EQ(psf.data[4], 8.0f);
  EXPECT_EQ(lookup.At(0, 0.0, 20.5, psf, header), 0);
  // Nodes listed out of order bracket by radius all the same.
  Mem<TFileData> shuffled = Table({table.data[2], table.data[0], table.data[1]});
  ASSERT_EQ(lookup.Reset(&shuffled, 1.0), 1);
  ASSERT_EQ(lookup.At(0, 5.0, 0.0, psf, header), 1);
  EXPECT_APPROX(psf.data[4], 3.0, kFloatTolerance);
  // One node serves the whole field.
  Mem<TFileData> single = Table({table.data[1]});
  ASSERT_EQ(lookup.Reset(&single, 1.0), 1);
  ASSERT_EQ(lookup.At(0, 30.0, 0.0, psf, header), 1);
  EXPECT_EQ(psf.data[7], 1.0f);
}

TEST_F(NonIsoplanarMaths, BlendLaysPeakOnPeak) {
  // A: 1 x 1 at its origin. B: 1 x 5 with its origin at column 0 and its peak 4 cells on.
  Mem<TFileData> table =
      Table({Node("a.imc", 0.0, 1, 1, 0, 0, {6.0f}), Node("b.imc", 8.0, 5, 1, 0, 0, {0, 0, 0, 0, 2.0f})});
  TNodePsfLookup lookup;
  ASSERT_EQ(lookup.Reset(&table, 1.0), 1);
  Mem<float> psf;
  TFileData header;
  ASSERT_EQ(lookup.At(0, 4.0, 0.0, psf, header), 1);
  // Halfway the peak lies 2 cells from the origin and holds the mean of the two peaks.
  EXPECT_EQ(header.width, 5);
  EXPECT_EQ(header.peakColumn - header.originColumn, 2);
  EXPECT_APPROX(psf.data[header.originColumn + 2], 4.0, kFloatTolerance);
  EXPECT_APPROX(Sum(psf), 4.0, kFloatTolerance);
}

TEST_F(NonIsoplanarMaths, TurnedPsfLandsRoundedAndDropsTheOutside) {
  float c = 0.0f, s = 0.0f;
  PsfTurn(0.0, 0.0, c, s);  // on the axis: no turn
  EXPECT_EQ(c, 1.0f);
  PsfTurn(0.0, 2.0, c, s);  // positive y side, where the nodes lie: azimuth 0
  EXPECT_EQ(c, 1.0f);
  PsfTurn(0.0, -2.0, c, s);  // negative y side: a half turn
  EXPECT_APPROX(c, -1.0, kFloatTolerance);
  PsfTurn(3.0, 0.0, c, s);  // z side: a quarter turn
  EXPECT_APPROX(s, 1.0, kFloatTolerance);
  EXPECT_EQ(RoundCell(-0.5f), -1);
  EXPECT_EQ(RoundCell(0.49f), 0);
  EXPECT_EQ(RoundCell(-0.49f), 0);

  // A 1 x 3 PSF (1, 2, 3) with its origin on the middle cell, at cell (0, 1) of a 3 x 3
  // raster: unturned, its first cell falls off the left edge.
  Mem<float> raster(3, 3);
  raster.Zero();
  const float psf[3] = {1.0f, 2.0f, 3.0f};
  AddTurnedPsf(raster.data, 3, 3, 0, 1, 2.0f, psf, 3, 1, 1, 0, 1.0f, 0.0f);
  EXPECT_EQ(raster.data[3], 4.0f);
  EXPECT_EQ(raster.data[4], 6.0f);
  EXPECT_APPROX(Sum(raster), 10.0, kFloatTolerance);
  // A quarter turn (c = 0, s = 1) about cell (1, 1): the row becomes a column downwards.
  raster.Zero();
  AddTurnedPsf(raster.data, 3, 3, 1, 1, 1.0f, psf, 3, 1, 1, 0, 0.0f, 1.0f);
  EXPECT_EQ(raster.data[0 * 3 + 1], 1.0f);
  EXPECT_EQ(raster.data[1 * 3 + 1], 2.0f);
  EXPECT_EQ(raster.data[2 * 3 + 1], 3.0f);
}

TEST_F(NonIsoplanarMaths, MapsInterpolateAndScale) {
  TImageObjectMaps maps;
  // An image field of +-5 (cells of 1) onto an object of twice the size, inverted.
  ASSERT_EQ(maps.SetUniform(2, 5.0, -2.0), 1);
  EXPECT_APPROX(maps.step, 1.0, kFloatTolerance);
  double z = 0.0, y = 0.0;
  maps.ObjectPoint(1, 1.25, -3.5, z, y);
  EXPECT_APPROX(z, -2.5, kFloatTolerance);
  EXPECT_APPROX(y, 7.0, kFloatTolerance);
  // Half a cell past the edge the missing cells count as 0.
  maps.ObjectPoint(0, 5.5, 0.0, z, y);
  EXPECT_APPROX(z, -5.0, kFloatTolerance);
  // No such component: the axis.
  maps.ObjectPoint(2, 1.0, 1.0, z, y);
  EXPECT_EQ(z, 0.0);
}

TEST_F(NonIsoplanarMaths, OneCellAtANodeGivesThatNodesPsf) {
  constexpr int kN = 32;
  // Node 1's PSF is lopsided, so a turned or blended copy would show.
  const std::vector<float> first{0, 1, 0, 1, 5, 1, 0, 1, 0};
  const std::vector<float> second{0.5f, 0, 0, 2, 7, 0, 0, 0, 3};
  const std::vector<float> third{0, 0, 0, 0, 9, 0, 0, 0, 0};
  Mem<TFileData> table = Table({Node("a.imc", 0.0, 3, 3, 1, 1, first),
                                Node("b.imc", 6.0, 3, 3, 1, 1, second),
                                Node("c.imc", 12.0, 3, 3, 1, 1, third)});
  TNodePsfLookup lookup;
  ASSERT_EQ(lookup.Reset(&table, 1.0), 1);
  TImageObjectMaps maps;
  ASSERT_EQ(maps.SetUniform(1, 16.0, 1.0), 1);
  // The object cell that images on node 1: y = 6, on the nodes' side (no turn).
  TCellObject object(kN);
  object.Set(0, 6, 2.0f);
  Mem<float> raster(kN, kN);
  TSuperposeWork work;
  int rows = 0;
  ASSERT_EQ(SuperposeComponent(0, object, maps, lookup, 1.0, kN / 2, kN / 2, raster, work, nullptr, rows), 1);
  EXPECT_EQ(rows, kN);
  const int row = kN / 2 - 6;
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc)
      EXPECT_APPROX(raster.data[(row + dr) * kN + kN / 2 + dc],
                    2.0 * second[static_cast<std::size_t>((dr + 1) * 3 + dc + 1)], kFloatTolerance)
          << dc << ", " << dr;
  EXPECT_APPROX(Sum(raster), 2.0 * 12.5, kFloatTolerance);
  // The same cell mirrored to the other side of the axis gets the PSF turned half round.
  TCellObject mirrored(kN);
  mirrored.Set(0, -6, 2.0f);
  ASSERT_EQ(SuperposeComponent(0, mirrored, maps, lookup, 1.0, kN / 2, kN / 2, raster, work, nullptr, rows), 1);
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc)
      EXPECT_APPROX(raster.data[(kN / 2 + 6 + dr) * kN + kN / 2 + dc],
                    2.0 * second[static_cast<std::size_t>((1 - dr) * 3 + 1 - dc)], kFloatTolerance)
          << dc << ", " << dr;
}

TEST_F(NonIsoplanarMaths, IdenticalNodesGiveTheIsoplanarImage) {
  constexpr int kN = 32;
  const std::vector<float> psf = SymmetricPsf();
  Mem<TFileData> table = Table({Node("a.imc", 0.0, 5, 5, 2, 2, psf), Node("b.imc", 9.0, 5, 5, 2, 2, psf),
                                Node("c.imc", -18.0, 5, 5, 2, 2, psf)});
  TNodePsfLookup lookup;
  ASSERT_EQ(lookup.Reset(&table, 1.0), 1);
  // A system of magnification 1: the isoplanar image keeps the object's orientation too.
  TImageObjectMaps maps;
  ASSERT_EQ(maps.SetUniform(1, 16.0, 1.0), 1);
  // Points on the axes only, where the PSF turns by quarter turns and stays the same.
  TCellObject object(kN);
  object.Set(0, 0, 1.0f);
  object.Set(0, 5, 2.0f);
  object.Set(0, -4, 3.0f);
  object.Set(6, 0, 0.5f);
  object.Set(-7, 0, 1.5f);
  object.Set(0, 11, 0.25f);
  Mem<float> raster(kN, kN);
  TSuperposeWork work;
  int rows = 0;
  ASSERT_EQ(SuperposeComponent(0, object, maps, lookup, 1.0, kN / 2, kN / 2, raster, work, nullptr, rows), 1);

  // The isoplanar image as that synthesis forms it: the object's and the PSF's spectra
  // multiplied row by row, transformed back and recentred (a cell area of 1).
  std::vector<float> ore(object.cells), oim(kN * kN, 0.0f), pre(kN * kN, 0.0f), pim(kN * kN, 0.0f);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c)
      pre[static_cast<std::size_t>((kN / 2 - 2 + r) * kN + kN / 2 - 2 + c)] = psf[static_cast<std::size_t>(r * 5 + c)];
  ASSERT_EQ(FFT2D(kN, kN, ore.data(), oim.data(), 0), 1);
  ASSERT_EQ(FFT2D(kN, kN, pre.data(), pim.data(), 0), 1);
  std::vector<float> re(kN * kN), im(kN * kN), objectRow(2 * kN), psfRow(2 * kN);
  for (int r = 0; r < kN; ++r) {
    for (int c = 0; c < kN; ++c) {
      const std::size_t at = static_cast<std::size_t>(r * kN + c);
      objectRow[static_cast<std::size_t>(c)] = ore[at];
      objectRow[static_cast<std::size_t>(kN + c)] = oim[at];
      psfRow[static_cast<std::size_t>(c)] = pre[at];
      psfRow[static_cast<std::size_t>(kN + c)] = pim[at];
    }
    MultiplySpectrumRow(objectRow.data(), psfRow.data(), nullptr, re.data() + r * kN,
                        im.data() + r * kN, kN);
  }
  ASSERT_EQ(FFT2D(kN, kN, re.data(), im.data(), 1), 1);
  RecentreRaster(kN, re.data());
  double total = 0.0;
  for (int i = 0; i < kN * kN; ++i) {
    EXPECT_APPROX(raster.data[i], re[static_cast<std::size_t>(i)], kTransformTolerance) << "cell " << i;
    total += re[static_cast<std::size_t>(i)];
  }
  EXPECT_GT(total, 1.0);
}
