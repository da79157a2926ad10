#include "tools/glass_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "foundation/testing/approx.h"

namespace {

constexpr double kCatalogDigits = 5e-6;  // the table's own check on its nd column

const TGlassRow *Row(const std::vector<TGlassRow> &rows, const std::string &name) {
  for (const TGlassRow &row : rows)
    if (row.name == name) return &row;
  return nullptr;
}

}  // namespace

TEST(GlassTable, ReadsEveryRow) {
  std::vector<TGlassRow> rows;
  std::string error;
  ASSERT_TRUE(ReadGlassTable(GLASS_TABLE_PATH, rows, error)) << error;
  std::map<std::string, int> perMaker;
  for (const TGlassRow &row : rows) ++perMaker[row.catalog];
  EXPECT_EQ(rows.size(), 159u);
  EXPECT_EQ(perMaker["SCHOTT"], 106);
  EXPECT_EQ(perMaker["OHARA"], 39);
  EXPECT_EQ(perMaker["CRYSTAL"], 14);
  const TGlassRow *bsl7 = Row(rows, "S-BSL7");
  ASSERT_NE(bsl7, nullptr);
  EXPECT_EQ(bsl7->referenceTemperature, 25.0);
  EXPECT_TRUE(bsl7->hasThermal);
  const TGlassRow *ge = Row(rows, "Ge");
  ASSERT_NE(ge, nullptr);
  EXPECT_FALSE(ge->hasThermal);
  EXPECT_EQ(ge->formula, 2);
}

TEST(GlassTable, SourceFormulasGiveTheCatalogIndices) {
  std::vector<TGlassRow> rows;
  std::string error;
  ASSERT_TRUE(ReadGlassTable(GLASS_TABLE_PATH, rows, error)) << error;
  EXPECT_APPROX(SourceIndex(*Row(rows, "N-BK7"), 0.5875618), 1.51680, kCatalogDigits);
  EXPECT_APPROX(SourceIndex(*Row(rows, "F2"), 0.5875618), 1.62004, kCatalogDigits);
  EXPECT_APPROX(SourceIndex(*Row(rows, "N-SF11"), 0.5875618), 1.78472, kCatalogDigits);
  int glasses = 0;
  for (const TGlassRow &row : rows) {
    if (row.nd == 0.0) continue;
    ++glasses;
    EXPECT_NEAR(SourceIndex(row, 0.5875618), row.nd, kCatalogDigits) << row.name;
  }
  EXPECT_EQ(glasses, 145);
  // Published indices of the crystals: fused silica and calcium fluoride at the d line,
  // germanium near 10 µm, zinc selenide at 10.6 µm, silicon at 5 µm.
  EXPECT_NEAR(SourceIndex(*Row(rows, "SiO2-fused"), 0.5875618), 1.4585, 1e-4);
  EXPECT_NEAR(SourceIndex(*Row(rows, "CaF2"), 0.5875618), 1.4338, 1e-4);
  EXPECT_NEAR(SourceIndex(*Row(rows, "Ge"), 10.0), 4.003, 2e-3);
  EXPECT_NEAR(SourceIndex(*Row(rows, "ZnSe"), 10.6), 2.403, 2e-3);
  EXPECT_NEAR(SourceIndex(*Row(rows, "Si"), 5.0), 3.4255, 2e-3);
  EXPECT_NEAR(SourceIndex(*Row(rows, "ZnS"), 10.0), 2.20, 1e-2);
}

TEST(GlassTable, MalformedTableIsRefusedWithItsLine) {
  const auto path = std::filesystem::temp_directory_path() / "glass_table_bad.csv";
  std::vector<TGlassRow> rows;
  std::string error;
  std::ofstream(path) << "header\nSCHOTT,X,2,0,1\n";
  EXPECT_FALSE(ReadGlassTable(path.string(), rows, error));
  EXPECT_EQ(error, path.string() + " line:2 - expected 26 columns");
  std::ofstream(path) << "header\nSCHOTT,X,2,0,abc,,,,,,,,,,0.3,2.5,,,,,,,,,,,src\n";
  EXPECT_FALSE(ReadGlassTable(path.string(), rows, error));
  EXPECT_EQ(error, path.string() + " line:2 - bad coefficient c1");
  std::ofstream(path) << "header\nSCHOTT,X,2,0,1,,,,,,,,,,2.5,0.3,,,,,,,,,,,src\n";
  EXPECT_FALSE(ReadGlassTable(path.string(), rows, error));
  EXPECT_EQ(error, path.string() + " line:2 - bad wavelength range");
  EXPECT_FALSE(ReadGlassTable("/nonexistent/glasses.csv", rows, error));
  std::filesystem::remove(path);
}
