// Report print lists: a long text file over several pages without losing a line, rule
// characters drawn as lines in the middle of their cells, the character before a rule
// kept, pictures combined with the page as ink on paper, and formatted texts of any length.

#include "toolkit/printing/direct_print.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/o_font.h"

namespace {

namespace fs = std::filesystem;
constexpr int kDotsPerInch = 100;
constexpr double kMmPerInch = 25.4;

class TReportFile {
 public:
  explicit TReportFile(const std::string &text) {
    path = fs::temp_directory_path() /
           ("direct_print_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    std::ofstream(path, std::ios::binary) << text;
  }
  ~TReportFile() {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  std::string Name() const { return path.string(); }
  fs::path path;
};

bool Dark(const QImage &page, int x, int y) { return (page.pixel(x, y) & 0xFFu) < 128; }

int DarkInColumn(const QImage &page, int x) {
  int count = 0;
  for (int y = 0; y < page.height(); ++y) count += Dark(page, x, y) ? 1 : 0;
  return count;
}

bool AnyDark(const QImage &page, int left, int top, int right, int bottom) {
  for (int y = std::max(0, top); y < std::min(page.height(), bottom); ++y)
    for (int x = std::max(0, left); x < std::min(page.width(), right); ++x)
      if (Dark(page, x, y)) return true;
  return false;
}

// The metrics the printer's context gives a font of `heightMm` at kDotsPerInch.
TEXTMETRIC MetricsOf(TOFont font, double heightMm) {
  QImage scratch(10, 10, QImage::Format_RGB32);
  TImageDC dc(&scratch, kDotsPerInch);
  font.SetSize(static_cast<int>(std::lround(heightMm * kDotsPerInch / kMmPerInch)), 0);
  font.SelectInto(dc);
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(metrics);
  return metrics;
}

class DirectPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    device.SetA4(kDotsPerInch, kDotsPerInch);
  }
  TCapturePrinter device;
};

TEST_F(DirectPrint, ALongReportGoesOnAsManyPagesAsItTakesWithEveryLine) {
  // Each line is one horizontal rule, drawn as a line at mid-height of its row: the dark
  // dots of one column count the printed lines.
  const TEXTMETRIC metrics = MetricsOf(TOFont(), 3.0);
  const int perPage = device.format.Height / metrics.tmHeight;
  const int lineCount = 2 * perPage + perPage / 2;
  std::string text;
  for (int k = 0; k < lineCount; ++k) text += k == 7 ? std::string(60, '_') + "\r\n" : "_\n";
  TReportFile file(text);
  TDirectPrint job(nullptr, "Report");
  job.AddText(file.Name().c_str(), 0, 0);
  EXPECT_TRUE(job.Print());
  ASSERT_EQ(device.pages.size(), 3u);
  int printed = 0;
  for (const QImage &page : device.pages) printed += DarkInColumn(page, 2);
  EXPECT_EQ(printed, lineCount);
  EXPECT_EQ(DarkInColumn(device.pages[0], 2), perPage);
  // The next page starts again at the top.
  EXPECT_TRUE(Dark(device.pages[1], 2, metrics.tmHeight / 2));
  EXPECT_TRUE(job.Output().items.empty());
}

TEST_F(DirectPrint, RuleCharactersBecomeLinesThroughTheMiddleOfTheirCells) {
  TOFont courier("Courier New", 9, 0, true);
  const TEXTMETRIC metrics = MetricsOf(courier, 4.0);
  const int cw = metrics.tmAveCharWidth;
  const int lh = metrics.tmHeight;
  TReportFile file("a|b\n\t|\nc_\n");
  TDirectPrint job(nullptr, "Ruled");
  job.SetFont(&courier, 4.0, 0.0, 400);
  job.AddTextMm(file.Name().c_str(), 10.0, 10.0);
  EXPECT_TRUE(job.Print());
  ASSERT_EQ(device.pages.size(), 1u);
  const QImage &page = device.pages[0];
  const int x0 = static_cast<int>(10.0 * kDotsPerInch / kMmPerInch);
  const int y0 = x0;
  // Row 1: 'a' in cell 0, the rule through the middle of cell 1, 'b' in cell 2.
  const int ruleX = x0 + cw + cw / 2;
  EXPECT_TRUE(AnyDark(page, x0, y0, x0 + cw, y0 + lh));
  EXPECT_TRUE(AnyDark(page, x0 + 2 * cw, y0, x0 + 3 * cw, y0 + lh));
  for (int y = y0; y < y0 + lh; ++y) EXPECT_TRUE(Dark(page, ruleX, y)) << y;
  // Row 2: a tab moves the rule to cell 8; nothing in cells 0 to 7 of that row but the
  // rule above reaching half a row down.
  const int tabRuleX = x0 + 8 * cw + cw / 2;
  EXPECT_TRUE(Dark(page, tabRuleX, y0 + lh + lh / 2));
  EXPECT_FALSE(AnyDark(page, x0, y0 + lh + lh / 2 + 1, ruleX, y0 + 2 * lh));
  // Row 3: the 'c' before a horizontal rule prints; the rule runs at mid-row.
  EXPECT_TRUE(AnyDark(page, x0, y0 + 2 * lh, x0 + cw, y0 + 2 * lh + lh / 2 - 1));
  EXPECT_TRUE(Dark(page, x0 + cw + cw / 2, y0 + 2 * lh + lh / 2));
}

TEST_F(DirectPrint, WithRulesOffTheRuleCharactersPrintAsText) {
  TOFont courier("Courier New", 9, 0, true);
  const TEXTMETRIC metrics = MetricsOf(courier, 4.0);
  TReportFile file("a|b\n");
  TDirectPrint job(nullptr, "Plain");
  job.SetFont(&courier, 4.0, 0.0, 400);
  job.AddTextMm(file.Name().c_str(), 10.0, 10.0);
  job.SetRules(false);
  EXPECT_TRUE(job.Print());
  ASSERT_EQ(device.pages.size(), 1u);
  const int x0 = static_cast<int>(10.0 * kDotsPerInch / kMmPerInch);
  // No line runs on below the text row.
  EXPECT_FALSE(AnyDark(device.pages[0], 0, x0 + metrics.tmHeight + 1, device.pages[0].width(),
                       device.pages[0].height()));
  EXPECT_TRUE(AnyDark(device.pages[0], x0, x0, x0 + 3 * metrics.tmAveCharWidth, x0 + metrics.tmHeight));
}

TEST_F(DirectPrint, PicturesCombineWithThePageLikeInkOnPaper) {
  test_kit::EnsureApplication();
  auto *frame = new TWindow(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.W = 400;
  frame->Attr.H = 300;
  ASSERT_TRUE(frame->Create());
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  TGraphWindow *left = NewGraphWindow(frame, 0, 0, 96, 48, WS_CHILD, RGB(255, 255, 255), nullptr);
  TGraphWindow *top = NewGraphWindow(frame, 100, 0, 96, 48, WS_CHILD, RGB(255, 255, 255), nullptr);
  ASSERT_TRUE(left->CreateBitmap(96, 48));
  ASSERT_TRUE(top->CreateBitmap(96, 48));
  left->GetDCs().second->FillRect(RECT{0, 0, 96, 48}, white);
  left->GetDCs().second->FillRect(RECT{0, 0, 48, 48}, black);
  top->GetDCs().second->FillRect(RECT{0, 0, 96, 48}, white);
  top->GetDCs().second->FillRect(RECT{0, 0, 96, 24}, black);

  TDirectPrint job(frame, "Pictures");
  job.AddWindowImage(left, 192, 192, false);
  job.AddWindowImage(top, 192, 192, true);
  EXPECT_TRUE(job.Print());
  ASSERT_EQ(device.pages.size(), 1u);
  const QImage &page = device.pages[0];
  // Screen pixels at 96 dpi to printer dots at 100: (192, 192) is (200, 200) and the
  // 96 x 48 pictures are 100 x 50 dots.
  EXPECT_TRUE(Dark(page, 210, 210));   // black in both
  EXPECT_TRUE(Dark(page, 210, 240));   // black only in the left picture
  EXPECT_TRUE(Dark(page, 280, 210));   // black only in the top picture
  EXPECT_FALSE(Dark(page, 280, 240));  // white in both
  // The frame of the second picture.
  EXPECT_TRUE(Dark(page, 299, 240));
  EXPECT_TRUE(Dark(page, 280, 249));
  EXPECT_FALSE(Dark(page, 301, 240));
  delete frame;
}

TEST_F(DirectPrint, FormattedTextsTakeAsLongATextAsTheyNeed) {
  const std::string longWord(1000, 'x');
  TDirectPrint job(nullptr, "Formatted");
  job.AddFormattedTextMm(10.0, 10.0, "%s|%d", longWord.c_str(), 42);
  ASSERT_EQ(job.Output().items.size(), 1u);
  EXPECT_EQ(job.Output().items[0].text, longWord + "|42");
  EXPECT_EQ(job.Output().items[0].kind, TPrintCollection::FormattedText);
  EXPECT_TRUE(job.Print());
  EXPECT_EQ(device.pages.size(), 1u);
}

TEST_F(DirectPrint, SettersChangeTheLastItemAndTheItemsAfterIt) {
  TOFont courier("Courier New", 9, 0, true);
  TDirectPrint job(nullptr, "Settings");
  job.AddText("first.txt", 0, 0);
  job.SetFont(&courier, 0.0, 0.0, 400);
  job.SetCharHeight(4.5);
  job.SetTextAlign(TA_CENTER);
  job.AddText("second.txt", 0, 0);
  const auto &items = job.Output().items;
  ASSERT_EQ(items.size(), 2u);
  for (const TPrintCollection &item : items) {
    EXPECT_EQ(item.font, &courier);
    EXPECT_FLOAT_EQ(item.charHeight, 4.5f);
    EXPECT_EQ(item.weight, 400);
    EXPECT_EQ(item.alignment, static_cast<int>(TA_CENTER));
  }
}

// A right-aligned item ends at its point: its ink lies left of it and none to its right; a
// left-aligned one at the same point starts there.
TEST_F(DirectPrint, ARightAlignedItemEndsAtItsPoint) {
  const int x = static_cast<int>(std::lround(100.0 * kDotsPerInch / kMmPerInch));
  const int top = static_cast<int>(std::lround(20.0 * kDotsPerInch / kMmPerInch));
  const int bottom = top + 40;
  {
    TDirectPrint job(nullptr, "Right");
    job.SetTextAlign(TA_RIGHT);
    job.AddFormattedTextMm(100.0, 20.0, "%s", "MMMMMMMM");
    ASSERT_TRUE(job.Print());
    ASSERT_EQ(device.pages.size(), 1u);
    const QImage &page = device.pages[0];
    EXPECT_TRUE(AnyDark(page, x - 200, top - 5, x + 1, bottom));
    EXPECT_FALSE(AnyDark(page, x + 3, top - 5, page.width(), bottom));
  }
  device.pages.clear();
  {
    TDirectPrint job(nullptr, "Left");
    job.AddFormattedTextMm(100.0, 20.0, "%s", "MMMMMMMM");
    ASSERT_TRUE(job.Print());
    ASSERT_EQ(device.pages.size(), 1u);
    const QImage &page = device.pages[0];
    EXPECT_FALSE(AnyDark(page, 0, top - 5, x - 3, bottom));
    EXPECT_TRUE(AnyDark(page, x - 1, top - 5, x + 200, bottom));
  }
}

}  // namespace
