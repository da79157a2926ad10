// The printer: pages run from a printout into page images that the device receives, the
// dialog's page range, failures reported once, the printer context's device queries, and
// a PDF file written through the desktop's printing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/recording_providers.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/printing/printer.h"
#include "platform/gui/printing/qt_printer_device.h"
#include "platform/gui/windows/test_kit.h"

namespace {

// Draws its page number as that many 10-dot black squares in a row and stops after
// `pages` pages; counts what it was asked to draw.
class TNumberedPrintout : public TPrintout {
 public:
  explicit TNumberedPrintout(int pageCount) : TPrintout("Numbers"), pages(pageCount) {}
  void GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) override {
    minPage = 1;
    maxPage = pages;
    fromPage = 1;
    toPage = pages;
  }
  bool HasPage(int page) override { return page <= pages; }
  void PrintPage(int page, RECT &, unsigned) override {
    ++drawn;
    const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int k = 0; k < page; ++k) DC->FillRect(RECT{20 * k, 0, 20 * k + 10, 10}, black);
  }
  int pages;
  int drawn = 0;
};

int SquaresOn(const QImage &page) {
  int count = 0;
  for (int x = 5; x < page.width(); x += 20) {
    if ((page.pixel(x, 5) & 0xFFFFFFu) != 0) break;
    ++count;
  }
  return count;
}

TEST(Printer, EveryPageOfThePrintoutReachesTheDeviceInOrder) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.SetA4(100, 100);
  TNumberedPrintout printout(3);
  TPrinter printer;
  EXPECT_TRUE(printer.Print(nullptr, printout, false));
  ASSERT_EQ(device.pages.size(), 3u);
  for (int page = 0; page < 3; ++page) EXPECT_EQ(SquaresOn(device.pages[page]), page + 1);
  EXPECT_EQ(device.titles.front(), "Numbers");
  EXPECT_EQ(device.ended, 1);
  // A4 at 100 dpi: 210 mm and 297 mm are 827 and 1169 dots.
  EXPECT_EQ(device.pages[0].width(), 827);
  EXPECT_EQ(device.pages[0].height(), 1169);
}

TEST(Printer, DialogRangeDropsPagesOutsideItAndCancelPrintsNothing) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.SetA4(50, 50);
  TRecordingMessageBoxProvider boxes;
  TScriptedPrintDialog dialog;
  TPrintSettings range;
  range.Flags = PD_PAGENUMS;
  range.FromPage = 2;
  range.ToPage = 3;
  dialog.Print(range);
  TNumberedPrintout printout(4);
  TPrinter printer;
  EXPECT_TRUE(printer.Print(nullptr, printout, true));
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].MaxPage, 4);
  ASSERT_EQ(device.pages.size(), 2u);
  EXPECT_EQ(SquaresOn(device.pages[0]), 2);
  EXPECT_EQ(SquaresOn(device.pages[1]), 3);

  dialog.Cancel();
  EXPECT_FALSE(printer.Print(nullptr, printout, true));
  EXPECT_EQ(device.pages.size(), 2u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(Printer, WithoutADefaultPrinterTheDialogAsksWherePagesGo) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.SetA4(50, 50);
  device.hasDefault = false;
  TScriptedPrintDialog dialog;
  dialog.Cancel();
  TNumberedPrintout printout(1);
  TPrinter printer;
  EXPECT_FALSE(printer.Print(nullptr, printout, false));
  EXPECT_EQ(dialog.asked.size(), 1u);
  EXPECT_TRUE(device.pages.empty());
}

TEST(Printer, ADeviceThatCannotOpenIsReportedOnceAndPrintsNothing) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.failBegin = "The printer is off.";
  TRecordingMessageBoxProvider boxes;
  TNumberedPrintout printout(2);
  TPrinter printer;
  EXPECT_FALSE(printer.Print(nullptr, printout, false));
  EXPECT_EQ(printout.drawn, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("The printer is off."), std::string::npos);
  EXPECT_EQ(printer.GetError(), "The printer is off.");
}

TEST(PrinterDC, AnswersThePrintersResolutionsSheetAndOffsets) {
  TPageFormat format;
  format.DotsPerInchX = 600;
  format.DotsPerInchY = 300;
  format.PaperWidth = 4960;
  format.PaperHeight = 3508;
  format.OffsetX = 100;
  format.OffsetY = 50;
  format.Width = 4760;
  format.Height = 3408;
  format.CanStretch = false;
  QImage page(format.Width, format.Height, QImage::Format_RGB32);
  TPrinterDC dc(&page, format);
  EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 4760);
  EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 3408);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 600);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 300);
  EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETX), 100);
  EXPECT_EQ(dc.GetDeviceCaps(PHYSICALOFFSETY), 50);
  EXPECT_EQ(dc.GetDeviceCaps(RASTERCAPS) & RC_STRETCHBLT, 0);
  // A dot half as wide as it is high.
  EXPECT_EQ(2 * dc.GetDeviceCaps(ASPECTX), dc.GetDeviceCaps(ASPECTY));
  POINT sheet{};
  EXPECT_EQ(Escape(dc, GETPHYSPAGESIZE, 0, nullptr, &sheet), 1);
  EXPECT_EQ(sheet.x, 4960);
  EXPECT_EQ(sheet.y, 3508);
  QImage other(4, 4, QImage::Format_RGB32);
  TImageDC plain(&other);
  EXPECT_EQ(Escape(plain, GETPHYSPAGESIZE, 0, nullptr, &sheet), 0);
}

// Draws a text, a rule under it and a black square as a picture.
class TMixedPrintout : public TPrintout {
 public:
  TMixedPrintout() : TPrintout("Mixed") {}
  void PrintPage(int, RECT &, unsigned) override {
    TFont font("Courier New", 60);
    DC->SelectObject(font);
    DC->SetBkMode(TRANSPARENT);
    DC->TextOut(100, 100, "R=-30.716 n-lak9_schott");
    DC->MoveTo(100, 200);
    DC->LineTo(900, 200);
    QImage square(40, 40, QImage::Format_RGB32);
    square.fill(0xFF000000u);
    TImageDC source(&square);
    DC->BitBlt(300, 300, 40, 40, source, 0, 0, SRCCOPY);
    DC->RestoreFont();
  }
};

TEST(Printer, ADeviceThatDrawsTextAndLinesGetsThemApartFromThePicture) {
  test_kit::EnsureApplication();
  TCapturePrinter device;
  device.drawsTextAndLines = true;
  TMixedPrintout printout;
  TPrinter printer;
  ASSERT_TRUE(printer.Print(nullptr, printout, false));
  ASSERT_EQ(device.printed.size(), 1u);
  const TPrintedPage &page = device.printed[0];
  ASSERT_EQ(page.texts.size(), 1u);
  EXPECT_EQ(page.texts[0].text.toStdString(), "R=-30.716 n-lak9_schott");
  EXPECT_EQ(page.texts[0].origin, QPointF(100, 100));
  // The rule from dot 100 to dot 900, through the middle of its row of dots.
  ASSERT_EQ(page.lines.size(), 1u);
  EXPECT_EQ(page.lines[0].from, QPointF(100.5, 200.5));
  EXPECT_EQ(page.lines[0].to, QPointF(900.5, 200.5));
  // The picture keeps only the square; the page as printed shows all three.
  const QImage &shown = device.pages[0];
  EXPECT_EQ(shown.pixel(320, 320) & 0xFFFFFFu, 0u);
  EXPECT_EQ(shown.pixel(500, 200) & 0xFFFFFFu, 0u);
  int textInk = 0;
  for (int y = 100; y < 160; ++y)
    for (int x = 100; x < 900; ++x) textInk += (shown.pixel(x, y) & 0xFFu) < 128 ? 1 : 0;
  EXPECT_GT(textInk, 500);

  // Printed to a device that does not draw them, text and line are in the picture.
  TCapturePrinter plain;
  ASSERT_TRUE(printer.Print(nullptr, printout, false));
  ASSERT_EQ(plain.printed.size(), 1u);
  EXPECT_TRUE(plain.printed[0].texts.empty());
  EXPECT_TRUE(plain.printed[0].lines.empty());
  EXPECT_EQ(plain.pages[0].pixel(500, 200) & 0xFFFFFFu, 0u);
}

TEST(QtPrinterDevice, APdfHoldsTextAsTextAndPicturesAsImages) {
  test_kit::EnsureApplication();
  if (std::system("command -v pdftotext > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("printer_text_" + std::to_string(::getpid()) + ".pdf");
  const std::filesystem::path text = file.string() + ".txt";
  TQtPrinterDevice qtDevice;
  TPrinterDevice *previous = SetPrinterDevice(&qtDevice);
  TScriptedPrintDialog dialog;
  TPrintSettings toFile;
  toFile.Flags = PD_PRINTTOFILE;
  toFile.OutputFile = file.string();
  dialog.Print(toFile);
  TMixedPrintout printout;
  TPrinter printer;
  const bool printed = printer.Print(nullptr, printout, true);
  SetPrinterDevice(previous);
  ASSERT_TRUE(printed) << printer.GetError();
  const std::string command = "pdftotext '" + file.string() + "' '" + text.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(text);
  const std::string words((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(words.find("R=-30.716 n-lak9_schott"), std::string::npos) << words;
  // One image: the square; the text and the rule are no pictures.
  std::ifstream pdf(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(pdf)), std::istreambuf_iterator<char>());
  std::size_t images = 0;
  for (std::size_t at = bytes.find("/Subtype /Image"); at != std::string::npos; at = bytes.find("/Subtype /Image", at + 1)) ++images;
  EXPECT_EQ(images, 1u);
  std::filesystem::remove(file);
  std::filesystem::remove(text);
}

TEST(QtPrinterDevice, PrintToFileWritesAPdfOfEveryPage) {
  test_kit::EnsureApplication();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("printer_test_" + std::to_string(::getpid()) + ".pdf");
  std::filesystem::remove(file);
  TQtPrinterDevice qtDevice;
  TPrinterDevice *previous = SetPrinterDevice(&qtDevice);
  TScriptedPrintDialog dialog;
  TPrintSettings toFile;
  toFile.Flags = PD_PRINTTOFILE;
  toFile.OutputFile = file.string();
  dialog.Print(toFile);
  TNumberedPrintout printout(2);
  TPrinter printer;
  const bool printed = printer.Print(nullptr, printout, true);
  SetPrinterDevice(previous);
  EXPECT_TRUE(printed) << printer.GetError();
  std::ifstream pdf(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(pdf)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  // One page object per printed page.
  std::size_t pages = 0;
  for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1)) {
    if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  EXPECT_EQ(pages, 2u);
  std::filesystem::remove(file);

  // A sheet chosen in the dialog is the sheet of the file: US letter is 612 x 792 points.
  TPrintSettings letter = toFile;
  letter.PaperWidthMm = 215.9;
  letter.PaperHeightMm = 279.4;
  dialog.Print(letter);
  previous = SetPrinterDevice(&qtDevice);
  EXPECT_TRUE(printer.Print(nullptr, printout, true)) << printer.GetError();
  SetPrinterDevice(previous);
  std::ifstream letterPdf(file, std::ios::binary);
  const std::string letterBytes((std::istreambuf_iterator<char>(letterPdf)), std::istreambuf_iterator<char>());
  EXPECT_NE(letterBytes.find("/MediaBox [0 0 612"), std::string::npos);
  EXPECT_NE(letterBytes.find(" 792"), std::string::npos);
  std::filesystem::remove(file);
}

}  // namespace
