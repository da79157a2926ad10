#include "toolkit/printing/o_printout.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/drawing/dc.h"
#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/o_font.h"

namespace {

constexpr double kMmPerInch = 25.4;
// Scales closer to 1 than this print the image dot for dot.
constexpr double kScaleTolerance = 0.001;
constexpr const char *kHeaderSample = "Time     21:08:39";

std::string TwoDigits(const char *format, int a, int b, int c) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

}  // namespace

TOPrintout::TOPrintout(const char *title) : TPrintout(title) {}

void TOPrintout::GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) {
  minPage = 0;
  maxPage = 0;
  fromPage = 1;
  toPage = 100;
}

void TOPrintout::SetPaperSize(int width, int height, int marginX, int marginY) {
  paperGiven_ = true;
  paperSize_ = POINT{width, height};
  margins_ = POINT{marginX, marginY};
}

void TOPrintout::PrintPage(int page, RECT &, unsigned) {
  if (DC == nullptr) return;
  TDC &dc = *DC;
  page_ = page;
  const int cx = dc.GetDeviceCaps(HORZRES);
  const int cy = dc.GetDeviceCaps(VERTRES);
  const int dotsX = std::max(1, dc.GetDeviceCaps(LOGPIXELSX));
  const int dotsY = std::max(1, dc.GetDeviceCaps(LOGPIXELSY));
  const double aspect = static_cast<double>(dotsX) / dotsY;

  const int oldMode = dc.GetMapMode();
  const SIZE oldWindow = dc.GetWindowExt();
  const SIZE oldViewport = dc.GetViewportExt();
  dc.SetMapMode(MM_ANISOTROPIC);
  // A logical unit spans `aspect` dots across and one dot down, which is 1/dotsY inch
  // both ways, so lengths and letters keep their shape on a printer whose dots are not
  // square.
  const SIZE window{static_cast<LONG>(std::max(1L, std::lround(cx / aspect))), std::max(1, cy)};
  dc.SetWindowExt(window);
  dc.SetViewportExt(SIZE{std::max(1, cx), std::max(1, cy)});
  const double dotsPerUnitX = static_cast<double>(std::max(1, cx)) / window.cx;
  const double dotsPerUnitY = static_cast<double>(std::max(1, cy)) / window.cy;
  // Logical units per millimetre: the printer's dots per millimetre over the dots that
  // one logical unit spans.
  unitsPerMmX_ = dotsX / kMmPerInch / dotsPerUnitX;
  unitsPerMmY_ = dotsY / kMmPerInch / dotsPerUnitY;

  POINT paper{};
  if (!paperGiven_) {
    if (Escape(dc, GETPHYSPAGESIZE, 0, nullptr, &paper) == 0) paper = POINT{cx, cy};
    PageSize = SIZE{static_cast<int>(paper.x / dotsPerUnitX), static_cast<int>(paper.y / dotsPerUnitY)};
  } else {
    PageSize = SIZE{paperSize_.x - margins_.x, paperSize_.y - margins_.y};
  }

  morePages_ = PrintContent(dc);
  verticalOffset_ -= PageSize.cy;

  dc.SetMapMode(oldMode);
  dc.SetWindowExt(oldWindow);
  dc.SetViewportExt(oldViewport);
}

int TOPrintout::PrintContent(TDC &) { return 0; }

int TOPrintout::MmToDeviceX(double mm) const { return static_cast<int>(mm * unitsPerMmX_); }
int TOPrintout::MmToDeviceY(double mm) const { return static_cast<int>(mm * unitsPerMmY_); }
double TOPrintout::DeviceToMmX(int units) const { return units / unitsPerMmX_; }
double TOPrintout::DeviceToMmY(int units) const { return units / unitsPerMmY_; }

void TOPrintout::GetScale(double &x, double &y) const {
  x = unitsPerMmX_;
  y = unitsPerMmY_;
}

void TOPrintout::SelectFont(TDC &dc, TOFont &font) { font.SelectInto(dc); }

void TOPrintout::GetHeaderSize(int &width, int &height) const {
  width = 9 * MmToDeviceY(4);
  height = MmToDeviceY(5) + 2 * MmToDeviceY(4) + 3;
}

void TOPrintout::PrintHeader(TDC &dc, int x, int y) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string date = TwoDigits("%02d/%02d/%02d", local.tm_mon + 1, local.tm_mday, local.tm_year % 100);
  const std::string time = TwoDigits("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);

  TOFont font(kFaceArial, MmToDeviceY(4));
  font.SelectInto(dc);
  const SIZE sample = dc.GetTextExtent(kHeaderSample);
  dc.Rectangle(x, y, x + sample.cx + 20, y + 2 * sample.cy + 21);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const std::string dateLine = "Date    " + date;
  const std::string timeLine = "Time    " + time;
  dc.TextOut(x + 12, y + 8, dateLine.c_str());
  dc.TextOut(x + 12, y + 8 + MmToDeviceY(5), timeLine.c_str());
  dc.SetBkMode(oldMode);
  dc.RestoreFont();
}

RECT TOPrintout::MeasureText(TDC &dc, const char *text, int x, int y) {
  RECT rect{x, y, x + PageSize.cx, y};
  dc.DrawText(text, -1, rect, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS);
  return rect;
}

int TOPrintout::PrintText(TDC &dc, const char *text, int x, int y) {
  if (text == nullptr) return 0;
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  RECT rect = MeasureText(dc, text, x, y);
  dc.DrawText(text, -1, rect, DT_NOCLIP | DT_EXPANDTABS);
  dc.SetBkMode(oldMode);
  return rect.bottom - rect.top;
}

SIZE TOPrintout::PrintImage(TDC &dc, TDC &source, int x, int y, const RECT &sourceRect,
                            double scaleX, double scaleY) {
  const int width = sourceRect.right - sourceRect.left;
  const int height = sourceRect.bottom - sourceRect.top;
  bool scaled = std::fabs(scaleX - 1.0) >= kScaleTolerance || std::fabs(scaleY - 1.0) >= kScaleTolerance;
  if (scaled && (dc.GetDeviceCaps(RASTERCAPS) & RC_STRETCHBLT) == 0) {
    MessageBox(nullptr, "This printer cannot scale images: the picture is printed at its own size.",
               "TOPrintout", MB_OK | MB_ICONINFORMATION);
    scaled = false;
  }
  if (!scaled) {
    dc.BitBlt(x, y, width, height, source, sourceRect.left, sourceRect.top, SRCCOPY);
    return SIZE{width, height};
  }
  const SIZE printed{static_cast<int>(width * scaleX), static_cast<int>(height * scaleY)};
  dc.StretchBlt(x, y, printed.cx, printed.cy, source, sourceRect.left, sourceRect.top, width,
                height, SRCCOPY);
  return printed;
}

SIZE TOPrintout::PrintWindowImage(TDC &dc, TGraphWindow &window, int x, int y, double scaleX,
                                  double scaleY) {
  TDC *memory = window.GetDCs().second;
  if (memory == nullptr) return SIZE{};
  const SIZE bitmap = window.GetBitmapSize();
  const SIZE printed = PrintImage(dc, *memory, x, y, RECT{0, 0, bitmap.cx, bitmap.cy}, scaleX, scaleY);
  // The rectangle inverted is the one the picture took on paper.
  dc.InvertRect(RECT{x, y, x + printed.cx, y + printed.cy});
  return printed;
}
