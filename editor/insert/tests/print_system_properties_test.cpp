// The printed system report: one page titled "System report" with the report's text and the
// surface table ruled with lines, its file gone afterwards; a report that cannot be
// written is told and prints nothing.

#include "editor/insert/print_system_properties.h"
#include "editor/properties/surface_table_model.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "document/elements/element_grouping.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/printing/qt_printer_device.h"

namespace {

using PrintSystemPropertiesTest = EditorShellTest;

int Ink(const QImage &page, int x0, int y0, int x1, int y1) {
  int ink = 0;
  for (int y = y0; y < y1 && y < page.height(); ++y)
    for (int x = x0; x < x1 && x < page.width(); ++x) ink += (page.pixel(x, y) & 0xFFu) < 128 ? 1 : 0;
  return ink;
}

TEST_F(PrintSystemPropertiesTest, TheReportPrintsOnOnePageAndItsFileGoes) {
  TSystemImage system;
  ASSERT_EQ(system.Load(triplet_, 2), 1);
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  EXPECT_EQ(TPrintSystemProperties(nullptr, system).Execute(), 1);
  ASSERT_EQ(printer.pages.size(), 1u);
  EXPECT_EQ(printer.titles.front(), "System report");
  const QImage &page = printer.pages.front();
  // Text in the upper part of the page, the lower half left blank.
  EXPECT_GT(Ink(page, 0, 0, page.width(), page.height() / 2), 500);
  EXPECT_EQ(Ink(page, 0, page.height() * 3 / 4, page.width(), page.height()), 0);
  // A rule drawn as a line: some row of the page is inked across a third of its width.
  int longest = 0;
  for (int y = 0; y < page.height(); ++y) longest = std::max(longest, Ink(page, 0, y, page.width(), y + 1));
  EXPECT_GT(longest, page.width() / 3);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(TempDir()) / "sysprop.tmp"));
  EXPECT_TRUE(answers_->boxes.empty());
}

// The text of a PDF file as poppler's pdftotext reads it, its layout kept; empty when the
// tool is missing.
std::string PdfText(const std::string &pdf, const std::string &scratch) {
  if (std::system("command -v pdftotext > /dev/null 2>&1") != 0) return std::string();
  const std::string out = scratch + ".txt";
  const std::string command = "pdftotext -layout '" + pdf + "' '" + out + "'";
  if (std::system(command.c_str()) != 0) return std::string();
  std::ifstream in(out);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Words(const std::string &line) {
  std::vector<std::string> words;
  std::stringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

TEST_F(PrintSystemPropertiesTest, ThePdfOfTheReportHoldsItsNumbersAndNamesAsText) {
  TSystemImage system;
  ASSERT_EQ(system.Load(ScratchExample("double_gauss.os", "Double_Gauss.os"), 2), 1);
  ASSERT_GE(system.info.stopIndex, 0);
  const std::string pdf = Scratch("report.pdf");
  TQtPrinterDevice desktop;
  TPrinterDevice *previous = SetPrinterDevice(&desktop);
  TScriptedPrintDialog dialog;
  TPrintSettings toFile;
  toFile.Flags = PD_PRINTTOFILE;
  toFile.OutputFile = pdf;
  dialog.Print(toFile);
  const int printed = TPrintSystemProperties(nullptr, system).Execute();
  SetPrinterDevice(previous);
  ASSERT_EQ(printed, 1);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = PdfText(pdf, Scratch("report"));
  if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  // The stop as the program numbers it, from 1.
  EXPECT_NE(text.find("Aperture stop: surface " + std::to_string(system.info.stopIndex + 1)), std::string::npos) << text;
  // One line per surface in the first block of columns: its number from 1, its radius with
  // its sign (the glass stands in a later block, whole).
  std::stringstream lines(text);
  int rows = 0;
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> words = Words(line);
    if (words.size() < 7 || std::atoi(words[0].c_str()) != rows + 1 || words[0] != std::to_string(rows + 1)) continue;
    const TGeneralParameters &g = system.Surface(rows)->general;
    if (g.R == 0.0) {
      EXPECT_EQ(words[1], "plane") << line;
    } else {  // as the Surfaces table shows it
      EXPECT_EQ(words[1], SurfaceCellText(system, rows, kRadiusColumn)) << line;
    }
    ++rows;
  }
  EXPECT_EQ(rows, system.SurfaceCount()) << text;
  EXPECT_NE(text.find("n-lak9_schott"), std::string::npos);
  EXPECT_NE(text.find("-30.7164"), std::string::npos);
  // Kept for a look at the page when asked.
  if (const char *keep = std::getenv("KEEP_PRINTED_PDF"))
    std::filesystem::copy_file(pdf, std::string(keep) + "/system_report.pdf",
                               std::filesystem::copy_options::overwrite_existing);
}

TEST_F(PrintSystemPropertiesTest, AReportThatCannotBeWrittenIsToldAndNotPrinted) {
  TSystemImage system;
  ASSERT_EQ(system.Load(triplet_, 2), 1);
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  SetTempDir(Scratch("no/such/directory"));
  EXPECT_EQ(TPrintSystemProperties(nullptr, system).Execute(), 0);
  EXPECT_TRUE(printer.pages.empty());
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_NE(answers_->boxes[0].text.find("its directory does not exist"), std::string::npos) << answers_->boxes[0].text;
  SetTempDir(Scratch("tmp"));
}

}  // namespace

namespace {

using PrintCommandTest = EditorShellTest;

TEST_F(PrintCommandTest, PrintFromTheMenuPrintsTheReportAndAnEmptySystemBeeps) {
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().SurfaceCount() == 8; }, test_kit::kPatienceMs));
  EXPECT_FALSE(Grey(CM_PRINT));
  editor.PostMessage(WM_COMMAND, CM_PRINT, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return printer.pages.size() == 1u; }, test_kit::kPatienceMs));
  EXPECT_EQ(printer.titles.front(), "System report");
  // A new, empty system has nothing to report.
  editor.System().Clear();
  const std::size_t beeps = answers_->beeps.size();
  editor.Files().CmPrint();
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
  EXPECT_EQ(printer.pages.size(), 1u);
}

}  // namespace
