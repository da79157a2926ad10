// The printed system report: one page titled "System report" with the report's text and the
// surface table ruled with lines, its file gone afterwards; a report that cannot be
// written is told and prints nothing.

#include "editor/insert/print_system_properties.h"

#include <filesystem>

#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/printing/capture_printer.h"

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

TEST_F(PrintSystemPropertiesTest, AReportThatCannotBeWrittenIsToldAndNotPrinted) {
  TSystemImage system;
  ASSERT_EQ(system.Load(triplet_, 2), 1);
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  SetTempDir(Scratch("no/such/directory"));
  EXPECT_EQ(TPrintSystemProperties(nullptr, system).Execute(), 0);
  EXPECT_TRUE(printer.pages.empty());
  ASSERT_EQ(answers_->boxes.size(), 1u);
  SetTempDir(Scratch("tmp"));
}

}  // namespace

namespace {

using PrintCommandTest = EditorShellTest;

TEST_F(PrintCommandTest, PrintFromTheMenuPrintsTheReportAndAnEmptySystemBeeps) {
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().SurfaceCount() == 8; }, 4000));
  EXPECT_FALSE(Grey(CM_PRINT));
  editor.PostMessage(WM_COMMAND, CM_PRINT, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return printer.pages.size() == 1u; }, 4000));
  EXPECT_EQ(printer.titles.front(), "System report");
  // A new, empty system has nothing to report.
  editor.System().Clear();
  const std::size_t beeps = answers_->beeps.size();
  editor.Files().CmPrint();
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
  EXPECT_EQ(printer.pages.size(), 1u);
}

}  // namespace
