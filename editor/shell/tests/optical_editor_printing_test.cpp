// The editor's Print command prints the system report on the printer, and only beeps for
// a system too small to report.

#include <QImage>

#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/printing/capture_printer.h"

namespace {

using EditorPrintingTest = EditorShellTest;

int Ink(const QImage &page) {
  int ink = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) ink += (page.pixel(x, y) & 0xFFu) < 128 ? 1 : 0;
  return ink;
}

TEST_F(EditorPrintingTest, PrintPutsTheSystemReportOnThePrinter) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_GE(editor.System().SurfaceCount(), 2);
  EXPECT_FALSE(Grey(CM_PRINT));
  TCapturePrinter printer;
  printer.SetA4(100, 100);
  editor.SendMessage(WM_COMMAND, CM_PRINT);
  ASSERT_GE(printer.pages.size(), 1u);
  EXPECT_GT(Ink(printer.pages.front()), 1000);
  EXPECT_TRUE(answers_->beeps.empty());
}

TEST_F(EditorPrintingTest, ASystemTooSmallOnlyBeeps) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  editor.System().DeleteSurface(1);
  ASSERT_LT(editor.System().SurfaceCount(), 2);
  answers_->beeps.clear();
  TCapturePrinter printer;
  editor.SendMessage(WM_COMMAND, CM_PRINT);
  EXPECT_TRUE(printer.pages.empty());
  EXPECT_EQ(answers_->beeps.size(), 1u);
}

}  // namespace
