// The system report: one ruled row per surface whose cells read back as the surface's
// values, every table line as wide as its rules, and the system's constants in the head.

#include "editor/insert/system_report.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>

#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/surface_table_model.h"

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
  // Tilts about x, y and z of their own on every surface: each reaches its column.
  std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
  for (int i = 0; i < image.SurfaceCount(); ++i)
    for (double &angle : image.Surface(i)->general.angles) angle = std::uniform_real_distribution<double>(-0.2, 0.2)(random);
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
    ASSERT_GE(cells.size(), 11u);
    const TGeneralParameters &g = image.Surface(i)->general;
    EXPECT_EQ(std::atoi(cells[1].c_str()), i + 1);  // numbered from 1, as the windows number them
    if (g.R == 0.0)
      EXPECT_EQ(cells[2], "plane");
    else  // at least the digits the Surfaces table shows
      EXPECT_EQ(std::atof(cells[2].c_str()), std::atof(SurfaceCellText(image, i, kRadiusColumn).c_str()));
    EXPECT_NEAR(std::atof(cells[11].c_str()), g.nAfter, 1e-6 * std::fabs(g.nAfter));
    EXPECT_NEAR(std::atof(cells[3].c_str()), g.vertex[0], 1e-4 * (1.0 + std::fabs(g.vertex[0])));
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_NEAR(std::atof(cells[6 + axis].c_str()), g.angles[axis] * 180.0 / M_PI, 1e-3) << "about " << "xyz"[axis];
    EXPECT_NEAR(std::atof(cells[9].c_str()), g.semiHeightExt, 1e-4 * (1.0 + g.semiHeightExt));
    EXPECT_EQ(cells[10], IsAirGlass(g.glass) ? std::string("air") : g.glass);  // whole
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

// The head prints what the General page shows for the system printed, "-" where it shows
// "-": after another system, for one whose glass is missing, for a new two-plane system.
TEST_F(SystemReportTest, TheHeadShowsTheGeneralPageOfTheSystemPrinted) {
  std::ifstream in(ExamplePath("cooke_triplet.os"));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(Scratch("missing.os")) << text.replace(text.find("F2_schott"), 9, "NOSUCH_glass");
  TSystemImage image;
  const std::function<void()> systems[] = {[&] { Open(image, "singlet.os"); },
                                           [&] { ASSERT_EQ(image.Load(Scratch("missing.os"), 2), 1); image.Update(); },
                                           [&] { image.Clear(); image.NewDefault(); image.Update(); }};
  for (const auto &open : systems) {
    open();
    std::string head;
    for (const std::string &line : SystemReportLines(image)) head += line;
    const std::vector<TGeneralInfoItem> page = GeneralInfoItems(image);
    for (int line : {kFocalLengthLine, kBackFocalDistanceLine, kFNumberLine, kEntrancePupilLine, kExitPupilLine})
      EXPECT_NE(head.find(page[line].caption + ": " + page[line].value + (line == kFNumberLine ? "\n" : " ")),
                std::string::npos) << page[line].caption << "\n" << head;
  }
  EXPECT_EQ(GeneralInfoItems(image)[kFocalLengthLine].value, "-");  // the new system's, as the page shows
}

}  // namespace
