// The system report: one ruled row per surface whose cells read back as the surface's
// values, every table line as wide as its rules, and the system's constants in the head.

#include "editor/insert/system_report.h"

#include <cstdlib>
#include <sstream>

#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"

namespace {

class SystemReportTest : public EditorTest {
 protected:
  void RowsReadBack(const char *example);
};

std::vector<std::string> Cells(const std::string &row) {
  std::vector<std::string> cells;
  std::stringstream in(row);
  std::string cell;
  while (std::getline(in, cell, '|')) {
    const auto b = cell.find_first_not_of(' ');
    const auto e = cell.find_last_not_of(" \n");
    cells.push_back(b == std::string::npos ? std::string() : cell.substr(b, e - b + 1));
  }
  return cells;
}

TEST_F(SystemReportTest, EverySurfaceHasARowThatReadsBackItsValues) {
  // The double Gauss's glass names are longer than a value's cell.
  for (const char *example : {"cooke_triplet.os", "double_gauss.os"}) {
    SCOPED_TRACE(example);
    RowsReadBack(example);
  }
}

void SystemReportTest::RowsReadBack(const char *example) {
  TSystemImage image;
  Open(image, example);
  image.SolveChiefRay(0.0, 0.0);
  image.FirstOrderParaxial();
  const std::vector<std::string> lines = SystemReportLines(image);
  std::vector<std::string> rows;
  std::size_t width = 0;
  for (const std::string &line : lines) {
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    if (line[0] == '+') width = line.size();
    if (line[0] == '|') rows.push_back(line);
  }
  // The header row and one row per surface, each as wide as the rules.
  ASSERT_EQ(static_cast<int>(rows.size()), image.SurfaceCount() + 1);
  for (const std::string &row : rows) EXPECT_EQ(row.size(), width);
  for (int i = 0; i < image.SurfaceCount(); ++i) {
    const std::vector<std::string> cells = Cells(rows[static_cast<std::size_t>(i) + 1]);
    ASSERT_GE(cells.size(), 9u);
    const TGeneralParameters &g = image.Surface(i)->general;
    EXPECT_EQ(std::atoi(cells[1].c_str()), i + 1);  // numbered from 1, as the windows number them
    if (g.R == 0.0)
      EXPECT_EQ(cells[2], "plane");
    else
      EXPECT_NEAR(std::atof(cells[2].c_str()), g.R, 1e-4 * std::fabs(g.R));
    EXPECT_NEAR(std::atof(cells[3].c_str()), g.vertex[0], 1e-4 * (1.0 + std::fabs(g.vertex[0])));
    EXPECT_NEAR(std::atof(cells[7].c_str()), g.semiHeightExt, 1e-4 * (1.0 + g.semiHeightExt));
    EXPECT_EQ(cells[8], IsAirGlass(g.glass) ? std::string("air") : g.glass);  // whole
  }
  // The focal length in the head, as the first-order solve found it.
  bool focal = false;
  for (const std::string &line : lines) {
    const auto at = line.find("Focal length, mm: ");
    if (at == std::string::npos) continue;
    focal = true;
    EXPECT_NEAR(std::atof(line.c_str() + at + 18), image.info.focalLength, 1e-3);
  }
  EXPECT_TRUE(focal);
}

}  // namespace
