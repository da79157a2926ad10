// The optical transformer: its *.otd table read back as written and refused when broken,
// the gain between samples, its point response for gains whose transforms are known, and
// the matrix element seen through it.

#include "synthesis/detectors/transformer_detectors.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <fstream>
#include <utility>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "foundation/testing/key_damage.h"
#include "imaging/testobject/tests/test_object_support.h"
#include "synthesis/detectors/matrix_detector.h"
#include "synthesis/folder/isoplanar_synthesis.h"

namespace {

constexpr int kSide = 16;
constexpr double kPixel = 0.01;
// The raster's frequency step 1/(N p) = 1/(16 x 0.01 mm) = 6.25 cycles per mm.
constexpr double kGridStep = 6.25;
// Values read from text as floats.
constexpr double kReadTolerance = 1e-6;
// Single-precision 16 x 16 transforms of values up to 16: a few roundings each way.
constexpr double kTransformTolerance = 1e-5;

using TransformerFile = TestObjectTest;
using TransformerDetector = TestObjectTest;

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

float Cell(const Mem<float> &raster, int column, int row) { return raster.data[row * raster.cols + column]; }

Mem<float> ReadRaster(const std::string &path) {
  TFileData reader;
  reader.fileName = path;
  Mem<float> raster;
  EXPECT_EQ(reader.Read(raster), 1) << path;
  return raster;
}

TEST_F(TransformerFile, SamplesOfFrequencyAndGainAreReadOneALine) {
  const std::string path = Scratch("four.otd");
  WriteText(path,
            "! a low-pass transformer\n"
            "{ F=0; G=1; }\n"
            "{ F=10; G=0.75; }\n"
            "\n"
            "{ f=20.5; g=0.25; }\n"
            "{ F=40; G=0.125; } ! the last\n"
            "[Something else]\n"
            "{ F=50; G=9; }\n"
            "a remark whose line end is lost, outside the table");
  TTransformerTable table;
  std::string problem;
  ASSERT_TRUE(ReadTransformerFile(path, 3.0f, table, problem)) << problem;
  ASSERT_EQ(table.F.size(), 4u);
  ASSERT_EQ(table.G.size(), 4u);
  const double f[] = {0, 10, 20.5, 40}, g[] = {1, 0.75, 0.25, 0.125};
  for (int k = 0; k < 4; ++k) {
    EXPECT_APPROX(table.F[k], f[k], kReadTolerance) << k;
    EXPECT_APPROX(table.G[k], g[k], kReadTolerance) << k;
  }
  EXPECT_EQ(table.dF, 3.0f);  // the file sets none
  EXPECT_TRUE(problem.empty());
}

TEST_F(TransformerFile, GainsAloneGetFrequenciesStepByStepAndAClosingZero) {
  const std::string path = Scratch("gains.otd");
  WriteText(path, "{G=1;}\n{G=0.5;}\n{G=0.25;}\n");
  TTransformerTable table;
  std::string problem;
  ASSERT_TRUE(ReadTransformerFile(path, 2.0f, table, problem)) << problem;
  ASSERT_EQ(table.F.size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_APPROX(table.F[k], 2.0 * k, kReadTolerance) << k;
  EXPECT_EQ(table.G[3], 0.0f);
  // A step in the file replaces the default, and a comma list fills entries from 0.
  WriteText(path, "dF=5;\nG=1, 0.5;\n");
  ASSERT_TRUE(ReadTransformerFile(path, 2.0f, table, problem)) << problem;
  EXPECT_EQ(table.dF, 5.0f);
  ASSERT_EQ(table.F.size(), 3u);
  EXPECT_APPROX(table.F[2], 10.0, kReadTolerance);
  EXPECT_APPROX(table.G[1], 0.5, kReadTolerance);
}

TEST_F(TransformerFile, BrokenFilesAreRefusedAndTheTableStays) {
  TTransformerTable table;
  table.F = {0.0f, 1.0f};
  table.G = {1.0f, 0.5f};
  table.dF = 1.0f;
  std::string problem;
  const std::string path = Scratch("broken.otd");
  const auto refused = [&](const std::string &text, const char *why) {
    WriteText(path, text);
    problem.clear();
    EXPECT_FALSE(ReadTransformerFile(path, 2.0f, table, problem)) << text;
    EXPECT_NE(problem.find(why), std::string::npos) << problem;
    EXPECT_NE(problem.find(path), std::string::npos) << problem;
    EXPECT_EQ(table.F.size(), 2u);
    EXPECT_EQ(table.G[1], 0.5f);
  };
  refused("{F=0; G=0;}\n{F=1; G=0;}\n", "no gain");
  refused("", "no gain");
  refused("{F=0; G=1;}\n{F=2; G=1;}\n{F=1; G=1;}\n", "sample 2 does not rise");
  refused("{F=0; G=1;}\n{F=1; G=1;}\n{F=1; G=1;}\n", "sample 2 does not rise");
  refused("{F=-1; G=1;}\n{F=1; G=1;}\n", "sample 0 does not rise");
  refused("dF=0;\n{G=1;}\n", "positive");
  refused("dF=-2;\n{G=1;}\n", "positive");
  refused("dF=nan;\n{G=1;}\n", "line 1: the file gives dF=nan, which is not a number");
  refused("{F=0; G=1;}\n{F=1; G=nan;}\n", "line 2: the file gives G=nan, which is not a number");
  refused("{F=0; G=1e39;}\n", "float range");
  refused("G(1000)=1;\n", "more than 1000");
  // A gain within the float range whose transform over the raster is not.
  refused("G(16)=2.2e38;\n", "G(16)=2.2e+38 is too large");
  // Keys misspelt or given twice: named by line, never read as a gain of 0.
  refused("{F=0; G=1;}\n{F=1; Gain=0.5;}\n", "line 2: the key Gain is none of dF, F and G");
  refused("{F=0; G=1;}\n{F=1; G=0.5; G=0.4;}\n", "line 2: the key G is given a second time");
  refused("{F=0; G=1;}\n{F=20;}\n{F=50; G=0.5;}\n", "line 2: the sample gives no gain G");
  refused("{F=0; G=1;}\n{F=1; G=-3e37;}\n", "G(1)=-3e+37");
  // Only the first frequency given: the closing sample lies at 0, below it.
  refused("{F=5; G=1;}\n", "sample 1 does not rise");
  // 1001 samples: one past the table.
  std::string many;
  for (int k = 0; k <= kTransformerMaxSamples; ++k) many += "{G=1;}\n";
  refused(many, "more than 1000");
  EXPECT_FALSE(ReadTransformerFile(Scratch("missing.otd"), 2.0f, table, problem));
  EXPECT_NE(problem.find("cannot be opened"), std::string::npos);
  // 1000 samples fill the table, and a closing zero is added.
  many.clear();
  for (int k = 0; k < kTransformerMaxSamples; ++k) many += "{G=1;}\n";
  WriteText(path, many);
  ASSERT_TRUE(ReadTransformerFile(path, 2.0f, table, problem)) << problem;
  EXPECT_EQ(table.F.size(), 1001u);
}

// A table of five samples cut at every byte: refused while the cut leaves an item
// unfinished, else read as the samples before the cut, each as written.
TEST_F(TransformerFile, AFileCutAtAnyByteIsRefusedOrReadAsTheSamplesBeforeTheCut) {
  const std::string whole =
      "dF=2.5;\n{ F=0; G=1; }\n{ F=10; G=0.75; } ! falling\n{ F=20; G=0.5;\n{ F=30; G=0.25; }\n"
      "{ F=40; G=0.125;\n";
  const float gains[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.125f};
  const std::string path = Scratch("cut.otd");
  for (std::size_t length = 1; length <= whole.size(); ++length) {
    const std::string cut = whole.substr(0, length);
    SCOPED_TRACE(cut);
    WriteText(path, cut);
    TTransformerTable table;
    table.G = {9.0f};
    std::string problem;
    const bool read = ReadTransformerFile(path, 2.0f, table, problem);
    // The line the cut ends in is finished when it ends in ';' or '}' (comment aside).
    std::string last = cut.back() == '\n' ? std::string() : cut.substr(cut.find_last_of('\n') + 1);
    last = last.substr(0, last.find('!'));
    last = last.substr(0, last.find_last_not_of(' ') + 1);
    // A last record left open without the gain the records before give lost it.
    const bool lostGain = !last.empty() && last[0] == '{' && last.find('}') == std::string::npos &&
                          last.find("G=") == std::string::npos && cut.find("G=") != std::string::npos;
    const bool finished = (last.empty() || last.back() == ';' || last.back() == '}') && !lostGain;
    // The gains whose item is finished.
    int records = 0;
    for (std::size_t at = cut.find("G="); at != std::string::npos; at = cut.find("G=", at + 1))
      records += cut.find(';', at) != std::string::npos ? 1 : 0;
    if (!finished) {
      EXPECT_FALSE(read);
      EXPECT_NE(problem.find("was cut short"), std::string::npos) << problem;
      EXPECT_EQ(table.G.size(), 1u);
    } else if (records == 0) {
      EXPECT_FALSE(read);
      EXPECT_NE(problem.find("no gain"), std::string::npos) << problem;
    } else {
      ASSERT_TRUE(read) << problem;
      // A lone sample at F=0 gives no frequency: the steps are generated, with a closing 0;
      // a frequency read without its gain closes the table with gain 0.
      const std::size_t samples = table.G.size();
      ASSERT_GE(samples, static_cast<std::size_t>(records)) << problem;
      ASSERT_LE(samples, static_cast<std::size_t>(records + 1)) << problem;
      for (std::size_t k = 0; k < samples; ++k)
        EXPECT_APPROX(table.G[k], k < static_cast<std::size_t>(records) ? gains[k] : 0.0f, kReadTolerance);
    }
    if (HasFailure()) return;
  }
}

TEST_F(TransformerFile, TheGainIsLinearBetweenSamplesAndZeroFromTheLastOn) {
  TTransformerTable table;
  table.F = {1.0f, 3.0f, 5.0f};
  table.G = {1.0f, 0.5f, 0.25f};
  EXPECT_APPROX(TransformerGain(table, 2.0f), 0.75, kReadTolerance);
  EXPECT_APPROX(TransformerGain(table, 4.5f), 0.3125, kReadTolerance);
  EXPECT_APPROX(TransformerGain(table, 3.0f), 0.5, kReadTolerance);
  EXPECT_EQ(TransformerGain(table, 0.5f), 1.0f);  // below the first sample: its gain
  EXPECT_EQ(TransformerGain(table, 5.0f), 0.0f);
  EXPECT_EQ(TransformerGain(table, 7.0f), 0.0f);
}

TEST_F(TransformerDetector, AnAllPassGainIsAPointAndAGainAtZeroAloneIsFlat) {
  UsePixels(kSide, kPixel);
  TDetectorOpticalTransformerModel transformer;
  EXPECT_EQ(transformer.name, "Optical transformer");
  EXPECT_APPROX(TDetectorOpticalTransformerModel::RasterFrequencyStep(), kGridStep, kReadTolerance);
  // Gain 1 out to beyond the grid's corner (8 sqrt 2 steps = 70.7 per mm): the inverse
  // transform of a constant is a point, brought to the centre cell.
  transformer.FileName = Scratch("all.otd");
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=100; G=1;}\n");
  ASSERT_EQ(transformer.MakeResponse(), 1);
  EXPECT_EQ(transformer.state, kRastersWritten);
  EXPECT_EQ(transformer.rasterFiles.data[0].fileName, Scratch("d_trans.img"));
  EXPECT_EQ(transformer.frameFiles.data[0].fileName, Scratch("d_trans.spc"));
  Mem<float> response = ReadRaster(Scratch("d_trans.img"));
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c)
      EXPECT_APPROX(Cell(response, c, r), c == 8 && r == 8 ? 1.0 : 0.0, kTransformTolerance) << c << ", " << r;

  // Gain only at frequency 0 (the next sample lies half a grid step out): the inverse
  // transform of a single frequency is flat, its N^2 cells summing to that gain.
  transformer.FileName = Scratch("zero.otd");
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=3; G=0;}\n");
  ASSERT_EQ(transformer.MakeResponse(), 1);
  response = ReadRaster(Scratch("d_trans.img"));
  for (int k = 0; k < kSide * kSide; ++k)
    EXPECT_APPROX(response.data[k], 1.0 / (kSide * kSide), kTransformTolerance) << k;
}

// The transformer passes each raster frequency k/(N p) by its table's gain, whatever the
// gain at 0, the step the file gives and with or without the records' closing braces; the matrix element (4 x 2 pixels) seen
// through it passes its own transfer 2 (1 + 2 cos t + cos 2t), t = 2 pi k / 16, times it.
TEST_F(TransformerDetector, TheTransferIsTheTableAlsoThroughTheMatrix) {
  UsePixels(kSide, kPixel);
  const std::pair<const char *, std::array<double, 5>> rows[] = {  // gains at k = 0 .. 4
      {"{F=0; G=1; }\n{F=25; G=0.6; }\n{F=50; G=0; }\n", {1, 0.9, 0.8, 0.7, 0.6}},
      {"{F=0; G=2; }\n{F=50; G=1; }\n", {2, 1.875, 1.75, 1.625, 1.5}},
      {"{F=0; G=0.5;\n{F=12.5; G=0.25;\n{F=37.5; G=0;\n", {0.5, 0.375, 0.25, 0.1875, 0.125}},
      // A step in the file spaces only its own samples: the raster's step stays 6.25.
      {"dF=10;\n{F=0; G=1; }\n{F=25; G=0.6; }\n{F=50; G=0; }\n", {1, 0.9, 0.8, 0.7, 0.6}},
      {"dF=12.5;\nG=1, 0.5;\n", {1, 0.75, 0.5, 0.25, 0}},
      {"G=1, 0.5;\n", {1, 0.5, 0, 0, 0}}};
  constexpr double kTransferTolerance = 0.01;  // the transfer, summed directly about the centre cell
  TDetectorOpticalTransformerModel transformer;
  TDetectorMatrixModel matrix;
  matrix.Ly = static_cast<float>(2 * kPixel);
  matrix.Lz = static_cast<float>(4 * kPixel);
  TDetectorMatrixTransformerModel combined;
  combined.Attach(&matrix, &transformer);
  transformer.FileName = Scratch("table.otd");
  const auto transfer = [](const Mem<float> &response, int k) {
    double sum = 0.0;
    for (int c = 0; c < kSide * kSide; ++c) sum += response.data[c] * std::cos(2.0 * kPi * k * (c % kSide - kSide / 2) / kSide);
    return sum;
  };
  for (const auto &[file, gain] : rows) {
    SCOPED_TRACE(file);
    WriteText(transformer.FileName, file);
    ASSERT_EQ(transformer.MakeResponse(), 1) << transformer.Problem();
    ASSERT_EQ(combined.MakeResponse(), 1);
    for (int k = 0; k < 5; ++k) {
      const double t = 2.0 * kPi * k / kSide, element = 2.0 * (1.0 + 2.0 * std::cos(t) + std::cos(2.0 * t));
      EXPECT_APPROX(transfer(ReadRaster(Scratch("d_trans.img")), k), gain[k], kTransferTolerance * gain[0]) << k;
      EXPECT_APPROX(transfer(ReadRaster(Scratch("d_m_tran.img")), k), element * gain[k], kTransferTolerance * 8.0 * gain[0]);
    }
  }
}

TEST_F(TransformerDetector, AnotherTableMakesAnotherResponseAndABrokenOneIsReported) {
  UsePixels(kSide, kPixel);
  TDetectorOpticalTransformerModel transformer;
  transformer.FileName = Scratch("t.otd");
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=100; G=1;}\n");
  ASSERT_EQ(transformer.TransformRasters(), 1);
  EXPECT_EQ(transformer.state, kSpectraWritten);
  EXPECT_EQ(transformer.ReadParameters(), 1);  // the same table: nothing to redo
  EXPECT_EQ(transformer.state, kSpectraWritten);
  // The file edited: its spectrum must be made anew.
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=50; G=1;}\n");
  EXPECT_EQ(transformer.ReadParameters(), 1);
  EXPECT_EQ(transformer.state, kNothingComputed);
  // A broken file: refused with a beep and a box that says why.
  WriteText(transformer.FileName, "{F=0; G=0;}\n");
  boxes.boxes.clear();
  boxes.beeps.clear();
  EXPECT_EQ(transformer.MakeResponse(), 0);
  EXPECT_EQ(boxes.beeps.size(), 1u);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_NE(boxes.boxes[0].text.find("no gain"), std::string::npos);
  // No file chosen yet.
  transformer.FileName = kUntitledTransformerFile;
  EXPECT_EQ(transformer.ReadParameters(), 0);
  EXPECT_NE(transformer.Problem().find("No optical transformer data file"), std::string::npos);
  // The image passes the transformer itself unchanged.
  Mem<float> picture(2, 2);
  picture.data[3] = 4.0f;
  transformer.CalcSignal(picture, 0);
  EXPECT_EQ(picture.data[3], 4.0f);
}

TEST_F(TransformerDetector, TheMatrixElementThroughThePointAndTheFlatTransformer) {
  UsePixels(kSide, kPixel);
  TDetectorMatrixModel matrix;
  matrix.Ly = static_cast<float>(2 * kPixel);  // row 8 and half of 7 and 9
  matrix.Lz = static_cast<float>(4 * kPixel);  // columns 7 .. 9 and half of 6 and 10
  TDetectorOpticalTransformerModel transformer;
  transformer.FileName = Scratch("point.otd");
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=100; G=1;}\n");
  TDetectorMatrixTransformerModel combined;
  EXPECT_EQ(combined.name, "Matrix & Transformer");
  EXPECT_EQ(combined.MakeResponse(), 0);  // not attached: nothing to combine
  combined.Attach(&matrix, &transformer);
  // Through a point response the element stays itself: whole pixels inside, halves on
  // its edges.
  ASSERT_EQ(combined.MakeResponse(), 1);
  EXPECT_EQ(combined.rasterFiles.data[0].fileName, Scratch("d_m_tran.img"));
  Mem<float> response = ReadRaster(Scratch("d_m_tran.img"));
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const double across = c >= 7 && c <= 9 ? 1.0 : (c == 6 || c == 10 ? 0.5 : 0.0);
      const double down = r == 8 ? 1.0 : (r == 7 || r == 9 ? 0.5 : 0.0);
      EXPECT_APPROX(Cell(response, c, r), across * down, kTransformTolerance) << c << ", " << r;
    }
  // Through the flat response a cell sums over N^2 the element's pixels that lie inside the
  // raster: all 8, and 2.5 x 1.5 at a corner.
  transformer.FileName = Scratch("flat.otd");
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=3; G=0;}\n");
  ASSERT_EQ(combined.MakeResponse(), 1);
  response = ReadRaster(Scratch("d_m_tran.img"));
  for (int k = 0; k < kSide * kSide; ++k) {
    if (k % kSide < 2 || k % kSide >= kSide - 2 || k / kSide < 1 || k / kSide >= kSide - 1) continue;
    EXPECT_APPROX(response.data[k], 8.0 / (kSide * kSide), kTransformTolerance) << k;
  }
  EXPECT_APPROX(Cell(response, kSide - 1, 0), 2.5 * 1.5 / (kSide * kSide), kTransformTolerance);
  // Once transformed, the combination stands until the matrix or the transformer changes.
  ASSERT_EQ(combined.TransformRasters(), 1);
  EXPECT_EQ(combined.state, kSpectraWritten);
  EXPECT_EQ(combined.ReadParameters(), 1);
  EXPECT_EQ(combined.state, kSpectraWritten);
  matrix.TakeSizes(static_cast<float>(3 * kPixel), matrix.Lz, matrix.dY0, matrix.dZ0);
  EXPECT_EQ(combined.ReadParameters(), 1);
  EXPECT_EQ(combined.state, kNothingComputed);
  ASSERT_EQ(combined.TransformRasters(), 1);
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=4; G=0;}\n");  // the file edited
  EXPECT_EQ(combined.ReadParameters(), 1);
  EXPECT_EQ(combined.state, kNothingComputed);
  // Transforming reads the parts itself: the point response again gives the element again.
  ASSERT_EQ(combined.TransformRasters(), 1);
  WriteText(transformer.FileName, "{F=0; G=1;}\n{F=100; G=1;}\n");
  ASSERT_EQ(combined.TransformRasters(), 1);
  EXPECT_APPROX(Cell(ReadRaster(Scratch("d_m_tran.img")), 8, 8), 1.0, kTransformTolerance);
  // A broken transformer file stops the combination with its message.
  WriteText(transformer.FileName, "garbage\n");
  boxes.boxes.clear();
  EXPECT_EQ(combined.MakeResponse(), 0);
  EXPECT_EQ(boxes.boxes.size(), 1u);
  // The combined model's signal is the matrix's.
  Mem<float> layout;
  combined.CalcSignal(layout, kArrayLayout);
  EXPECT_EQ(layout.cols, kSide);
}

// Between two runs the transformer's file is cut, deleted or replaced, or the raster
// changes: the second run stops naming the file, or its picture is the one a model made
// afresh with the file and raster gives. Both the transformer and the matrix through it.
TEST_F(TransformerDetector, ASecondRunNeverUsesAResponseOfAnotherFileOrRaster) {
  const std::string good = "{F=0; G=1;}\n{F=20; G=0.5;}\n{F=40; G=0;}\n";
  const std::pair<const char *, std::function<void(const std::string &)>> edits[] = {
      {"cut", [](const std::string &f) { WriteText(f, "{F=0; G=1;}\n{F=20; G=0."); }},
      {"deleted", [](const std::string &f) { std::remove(f.c_str()); }},
      {"replaced", [](const std::string &f) { WriteText(f, "{F=0; G=1;}\n{F=10; G=0.2;}\n{F=45; G=0;}\n"); }},
      {"pixel", [this](const std::string &) { UsePixels(kSide, 2 * kPixel); }},
      {"raster", [this](const std::string &) { UsePixels(2 * kSide, kPixel / 2); }}};
  for (const bool throughMatrix : {false, true})
    for (const auto &[edit, apply] : edits) {
      SCOPED_TRACE(std::string(edit) + (throughMatrix ? " through the matrix" : ""));
      UsePixels(kSide, kPixel);
      const std::string file = Scratch("edited.otd");
      WriteText(file, good);
      // A point of light imaged through the models, the same over both runs or made afresh.
      struct TModels {
        TDetectorOpticalTransformerModel transformer;
        TDetectorMatrixModel matrix;
        TDetectorMatrixTransformerModel combined;
      } kept, afresh;
      const auto run = [&](TModels &models, Mem<TFileData> &results) {
        models.combined.Attach(&models.matrix, &models.transformer);
        models.transformer.FileName = file;
        TRasterObject lit(*this, image.pixelCount);
        lit.values = {std::vector<float>(image.pixelCount * image.pixelCount, 0.0f)};
        lit.values[0][3 * image.pixelCount + 5] = 1.0f;
        TIsoplanarParticipants who{&lit, nullptr, &models.transformer, nullptr};
        if (throughMatrix) who.detector = &models.combined;
        std::int32_t custom = 0;
        who.detector->ReadParameters();
        return SynthesizeIsoplanarImage(who, {image.pixelCount, image.pixelSize, 0, 0.0f, Scratch(""), true}, nullptr,
                                        results, custom);
      };
      Mem<TFileData> first, second, fresh;
      ASSERT_EQ(run(kept, first), 1);
      apply(file);
      boxes.boxes.clear();
      const int made = run(kept, second);
      if (std::string(edit) == "cut" || std::string(edit) == "deleted") {
        EXPECT_EQ(made + RecordCount(second), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_NE(boxes.boxes[0].text.find(file), std::string::npos) << boxes.boxes[0].text;
        continue;
      }
      ASSERT_EQ(made, 1);
      EXPECT_TRUE(boxes.boxes.empty());
      const Mem<float> again = ReadRaster(second.data[0].fileName);
      ASSERT_EQ(run(afresh, fresh), 1);
      const Mem<float> made2 = ReadRaster(fresh.data[0].fileName);
      ASSERT_EQ(again.cols, made2.cols);
      for (int k = 0; k < again.cols * again.rows; ++k) ASSERT_EQ(again.data[k], made2.data[k]) << k;
    }
}

}  // namespace

TEST_F(TransformerFile, EveryKeyDamagedIsRefusedOrNamed) {
  const std::string sound =
      "dF=10;\n{ F=0; G=1; }\n{ F=10; G=0.75; }\n{ F=20; G=0.5; }\n{ F=30; G=0.25; }\n{ F=40; G=0; }\n";
  const int opened = CheckEveryKeyDamage("transformer", sound, Scratch("damaged.otd"), [](const std::string &path) {
    TTransformerTable table;
    TOpenOutcome outcome;
    outcome.refused = !ReadTransformerFile(path, 2.0f, table, outcome.told);
    // The table read, as the file would give it.
    char sample[96];
    outcome.readBack = true;
    for (std::size_t k = 0; !outcome.refused && k < table.F.size(); ++k) {
      std::snprintf(sample, sizeof sample, "{ F=%.9g; G=%.9g; }\n", static_cast<double>(table.F[k]),
                    static_cast<double>(table.G[k]));
      outcome.saved += sample;
    }
    return outcome;
  },
  // The step makes frequencies only where the samples give none: the table says what it did.
  {{"", "df"}, {"df", "df"}});
  EXPECT_GT(opened, 10);
}
