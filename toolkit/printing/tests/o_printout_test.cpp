// The printout base: millimetres on paper at one and at two resolutions, the header box,
// scaled images with and without a printer that stretches, and a graph window's picture
// inverted where it was printed.

#include "toolkit/printing/o_printout.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/core/recording_providers.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/o_font.h"

namespace {

constexpr double kMmPerInch = 25.4;

// Runs a drawing on one printed page.
class TDrawingPrintout : public TOPrintout {
 public:
  explicit TDrawingPrintout(std::function<void(TOPrintout &, TDC &)> drawing)
      : TOPrintout("Drawing"), draw(std::move(drawing)) {}
  int PrintContent(TDC &dc) override {
    draw(*this, dc);
    return 0;
  }
  std::function<void(TOPrintout &, TDC &)> draw;
};

bool Dark(const QImage &page, int x, int y) { return (page.pixel(x, y) & 0xFFu) < 128; }

// The bounds of the dark pixels of a page.
QRect DarkBounds(const QImage &page) {
  QRect bounds;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (Dark(page, x, y)) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

QImage PrintOne(TCapturePrinter &device, std::function<void(TOPrintout &, TDC &)> drawing) {
  test_kit::EnsureApplication();
  TDrawingPrintout printout(std::move(drawing));
  TPrinter printer;
  EXPECT_TRUE(printer.Print(nullptr, printout, false));
  EXPECT_EQ(device.pages.size(), 1u);
  return device.pages.empty() ? QImage() : device.pages.back();
}

void FillBlack(TDC &dc, int left, int top, int right, int bottom) {
  dc.FillRect(RECT{left, top, right, bottom}, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

TEST(OPrintout, TwentyMillimetresAre236DotsAt300DotsPerInch) {
  TCapturePrinter device;
  device.SetA4(300, 300);
  int across = 0;
  int down = 0;
  const QImage page = PrintOne(device, [&](TOPrintout &printout, TDC &dc) {
    across = printout.MmToDeviceX(20);
    down = printout.MmToDeviceY(20);
    FillBlack(dc, 0, 0, across, down);
  });
  // 20 mm = 20 / 25.4 inch = 236.2 dots.
  EXPECT_EQ(across, 236);
  EXPECT_EQ(down, 236);
  EXPECT_EQ(DarkBounds(page), QRect(0, 0, 236, 236));
}

TEST(OPrintout, MillimetresAreEqualBothWaysOnAPrinterWithTwoResolutions) {
  TCapturePrinter device;
  device.SetA4(600, 300);
  const QImage page = PrintOne(device, [](TOPrintout &printout, TDC &dc) {
    FillBlack(dc, printout.MmToDeviceX(10), printout.MmToDeviceY(10), printout.MmToDeviceX(30),
              printout.MmToDeviceY(30));
  });
  const QRect square = DarkBounds(page);
  // A 20 mm square: 20 mm across at 600 dpi and 20 mm down at 300 dpi.
  const double widthMm = square.width() * kMmPerInch / 600;
  const double heightMm = square.height() * kMmPerInch / 300;
  // One logical unit (two dots across, one down) of truncation at each edge.
  constexpr double kTruncationMm = 2 * kMmPerInch / 300;
  EXPECT_NEAR(widthMm, 20.0, kTruncationMm);
  EXPECT_NEAR(heightMm, 20.0, kTruncationMm);
  EXPECT_NEAR(square.left() * kMmPerInch / 600, 10.0, kTruncationMm);
}

TEST(OPrintout, HeaderBoxIsTheSampleTextsExtentPlusItsMargins) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.SetA4(300, 300);
  int width = 0;
  int height = 0;
  const QImage page = PrintOne(device, [&](TOPrintout &printout, TDC &dc) {
    printout.GetHeaderSize(width, height);
    printout.PrintHeader(dc, 100, 80);
  });
  // 4 mm = 47.2 dots and 5 mm = 59.05 dots, truncated: 9 x 47 and 59 + 2 x 47 + 3.
  EXPECT_EQ(width, 423);
  EXPECT_EQ(height, 156);
  // The drawn box: the sample text's extent in Arial of 47 dots, plus 20 across and
  // twice the height plus 21 down.
  QImage scratch(10, 10, QImage::Format_RGB32);
  TImageDC measure(&scratch, 300);
  TOFont arial("Arial", 47);
  arial.SelectInto(measure);
  const SIZE sample = measure.GetTextExtent("Time     21:08:39");
  measure.RestoreFont();
  const QRect box = DarkBounds(page);
  EXPECT_EQ(box.left(), 100);
  EXPECT_EQ(box.top(), 80);
  EXPECT_EQ(box.width(), sample.cx + 20);
  EXPECT_EQ(box.height(), 2 * sample.cy + 21);
}

TEST(OPrintout, ImagesScaleOnlyBeyondATenthOfAPercentAndOnlyWhereThePrinterCan) {
  TCapturePrinter device;
  device.SetA4(100, 100);
  QImage sourceImage(40, 20, QImage::Format_RGB32);
  sourceImage.fill(0xFF000000u);
  TImageDC source(&sourceImage, 100);
  SIZE nearlyOne{};
  SIZE stretched{};
  QImage page = PrintOne(device, [&](TOPrintout &printout, TDC &dc) {
    nearlyOne = printout.PrintImage(dc, source, 0, 0, RECT{0, 0, 40, 20}, 1.0005, 1.0005);
    stretched = printout.PrintImage(dc, source, 100, 100, RECT{0, 0, 40, 20}, 2.5, 1.002);
  });
  EXPECT_EQ(nearlyOne.cx, 40);
  EXPECT_EQ(nearlyOne.cy, 20);
  EXPECT_EQ(stretched.cx, 100);
  EXPECT_EQ(stretched.cy, 20);
  EXPECT_TRUE(Dark(page, 199, 110));
  EXPECT_FALSE(Dark(page, 200, 110));

  device.format.CanStretch = false;
  TRecordingMessageBoxProvider boxes;
  device.pages.clear();
  page = PrintOne(device, [&](TOPrintout &printout, TDC &dc) {
    stretched = printout.PrintImage(dc, source, 100, 100, RECT{0, 0, 40, 20}, 2.5, 2.5);
  });
  EXPECT_EQ(stretched.cx, 40);
  EXPECT_FALSE(Dark(page, 141, 110));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "TOPrintout");
  EXPECT_EQ(boxes.boxes[0].text, "This printer cannot scale images: the picture is printed at its own size.");
  EXPECT_EQ(boxes.boxes[0].flags & MB_ICONINFORMATION, MB_ICONINFORMATION);
}

TEST(OPrintout, AScaledGraphPictureIsInvertedOverTheWholePrintedArea) {
  test_kit::EnsureApplication();
  auto *frame = new TWindow(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.W = 300;
  frame->Attr.H = 200;
  ASSERT_TRUE(frame->Create());
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 100, 50, WS_CHILD, RGB(0, 0, 0), nullptr);
  ASSERT_TRUE(graph->CreateBitmap(100, 50));
  graph->GetDCs().second->FillRect(RECT{0, 0, 100, 50}, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  TCapturePrinter device;
  device.SetA4(100, 100);
  SIZE printed{};
  const QImage page = PrintOne(device, [&](TOPrintout &printout, TDC &dc) {
    printed = printout.PrintWindowImage(dc, *graph, 0, 0, 2.0, 2.0);
  });
  EXPECT_EQ(printed.cx, 200);
  EXPECT_EQ(printed.cy, 100);
  // The black picture comes out white (the screen's black ground is the paper's white),
  // over all of its printed 200 x 100 dots, not only the first 100 x 50.
  EXPECT_FALSE(Dark(page, 10, 10));
  EXPECT_FALSE(Dark(page, 150, 75));
  EXPECT_FALSE(Dark(page, 199, 99));
  delete frame;
}

}  // namespace
