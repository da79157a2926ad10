#include "platform/gui/printing/capture_printer.h"

#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;

int Dots(double mm, int dotsPerInch) {
  return static_cast<int>(std::lround(mm * dotsPerInch / kMmPerInch));
}

}  // namespace

TCapturePrinter::TCapturePrinter() : previous_(SetPrinterDevice(this)) { SetA4(300, 300); }

TCapturePrinter::~TCapturePrinter() { SetPrinterDevice(previous_); }

void TCapturePrinter::SetA4(int dotsPerInchX, int dotsPerInchY, double marginMm) {
  format.DotsPerInchX = dotsPerInchX;
  format.DotsPerInchY = dotsPerInchY;
  format.PaperWidth = Dots(210.0, dotsPerInchX);
  format.PaperHeight = Dots(297.0, dotsPerInchY);
  format.OffsetX = Dots(marginMm, dotsPerInchX);
  format.OffsetY = Dots(marginMm, dotsPerInchY);
  format.Width = format.PaperWidth - 2 * format.OffsetX;
  format.Height = format.PaperHeight - 2 * format.OffsetY;
}

bool TCapturePrinter::Begin(const TPrintSettings &asked, const std::string &title,
                            TPageFormat &pageFormat, std::string &error) {
  if (!failBegin.empty()) {
    error = failBegin;
    return false;
  }
  titles.push_back(title);
  settings.push_back(asked);
  pageFormat = format;
  return true;
}

bool TCapturePrinter::AddPage(const TPrintedPage &page, std::string &) {
  pages.push_back(page.texts.empty() && page.lines.empty() ? page.picture.copy() : page.Rendered());
  printed.push_back(page);
  printed.back().picture = QImage();  // the image is in `pages`
  return true;
}

bool TCapturePrinter::End(std::string &) {
  ++ended;
  return true;
}
