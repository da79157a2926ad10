#include "analysis/psf/psf_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Contains(const std::string &line, const std::string &text) {
  return line.find(text) != std::string::npos;
}

TEST(PsfReport, EnergyTableInterpolatesBetweenEntries) {
  // Entries for sides 1, 3 and 5 pixels; a step of 2 pixels prints sizes 0, 2, 4 and 6:
  // 0 below one pixel, 2 and 4 halfway between entries, 6 beyond the last one.
  Mem<DPOINT3> curve(3, 1);
  curve.data[0].z = 0.2;
  curve.data[1].z = 0.6;
  curve.data[2].z = 0.9;
  const double pixel = 0.01;
  const std::vector<std::string> lines = EnergyReportLines("lens.os", curve, pixel, 2.0 * pixel);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_TRUE(Contains(lines[0], "System: lens.os"));
  const std::string &sizes = lines[3], &energies = lines[5];
  EXPECT_TRUE(Contains(sizes, "Size"));
  EXPECT_TRUE(Contains(sizes, "    0.02"));
  EXPECT_TRUE(Contains(sizes, "    0.04"));
  EXPECT_TRUE(Contains(energies, "       0"));
  EXPECT_TRUE(Contains(energies, "      40"));
  EXPECT_TRUE(Contains(energies, "      75"));
  // All table lines are as long as their rule.
  for (std::size_t k = 2; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), lines[2].size());
}

TEST(PsfReport, TinyStepGivesABoundedTable) {
  Mem<DPOINT3> curve(8, 1);
  for (int k = 0; k < 8; ++k) curve.data[k].z = 0.1 * k;
  const std::vector<std::string> lines = EnergyReportLines("lens.os", curve, 1.0, 1e-12);
  // 500 columns at most: 100 blocks of five lines.
  EXPECT_LE(lines.size(), 2u + 100u * 5u);
  EXPECT_EQ(EnergyReportLines("lens.os", curve, 1.0, 0.0).size(), 2u);
}

TEST(PsfReport, MtfSectionsStartAtTheCentreValue) {
  const int n = 8;
  std::vector<float> psf(n * n, 0.0f);
  // Two equal points one pixel apart along y: the meridional response |cos(pi t / 8)| at
  // frequency index t, the sagittal one 1.
  psf[(n / 2) * n + n / 2] = 1.0f;
  psf[(n / 2 + 1) * n + n / 2] = 1.0f;
  const double pixel = 0.125;  // frequency step 1 / (8 * 0.125) = 1 per mm
  const std::vector<std::string> lines = MtfSectionReportLines("lens.os", n, psf.data(), pixel, 1.0);
  ASSERT_EQ(lines.size(), 2u + 7u);
  EXPECT_TRUE(Contains(lines[3], "Frequency"));
  EXPECT_TRUE(Contains(lines[5], "       1 "));
  EXPECT_TRUE(Contains(lines[5], "   0.924"));
  EXPECT_TRUE(Contains(lines[5], "   0.383"));
  EXPECT_TRUE(Contains(lines[7], "       1 "));
  EXPECT_FALSE(Contains(lines[7], "0."));
}

}  // namespace
