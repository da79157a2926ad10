// Drawing a print list: items placed on the page, text files laid out line by line over
// as many pages as they take, and rule characters drawn as lines.
#include "toolkit/printing/direct_print.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "foundation/reports/page_columns.h"
#include "foundation/reports/ruled_line.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/window.h"
#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/o_font.h"

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kScreenDotsPerInch = 96;
// TA_ flags that centre a rectangle vertically on the anchor.
constexpr int kVerticalCentre = 24;
// Characters measured together for the column pitch of a fixed-pitch face: enough that the
// whole-unit extent gives the pitch to a hundredth of a unit.
constexpr int kPitchSample = 100;

void ScreenDotsPerInch(TWindow *window, int &x, int &y) {
  x = y = kScreenDotsPerInch;
  if (window == nullptr || window->GetHandle() == nullptr) return;
  TClientDC dc(*window);
  x = std::max(1, dc.GetDeviceCaps(LOGPIXELSX));
  y = std::max(1, dc.GetDeviceCaps(LOGPIXELSY));
}

std::vector<std::string> SplitLines(const std::string &text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

TOPrinterOutput::TOPrinterOutput(const char *title) : TPrintout(title) {}

void TOPrinterOutput::GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) {
  minPage = 0;
  maxPage = 0;
  fromPage = 1;
  toPage = 1;
}

void TOPrinterOutput::PrintPage(int page, RECT &, unsigned) {
  if (DC == nullptr) return;
  const int pages = Layout(*DC, page);
  if (page == 1) pageCount_ = pages;
}

RECT TOPrinterOutput::Place(TDC &dc, int align, int x, int y, int width, int height) const {
  int left = x;
  if ((align & TA_CENTER) == TA_CENTER) {
    left = x - width / 2;
  } else if (align & TA_RIGHT) {
    left = x - width;
  }
  int top = y;
  if ((align & kVerticalCentre) == kVerticalCentre) {
    top = y - height / 2;
  } else if (align & TA_BOTTOM) {
    top = y - height;
  }
  left = std::max(left, dc.GetDeviceCaps(PHYSICALOFFSETX) + 1);
  const int rightLimit = dc.GetDeviceCaps(HORZRES) - dc.GetDeviceCaps(ASPECTX) - 1;
  if (left + width > rightLimit) left = rightLimit - width;
  return RECT{left, top, left + width, top + height};
}

int TOPrinterOutput::Layout(TDC &dc, int page) {
  const int printerX = std::max(1, dc.GetDeviceCaps(LOGPIXELSX));
  const int printerY = std::max(1, dc.GetDeviceCaps(LOGPIXELSY));
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  int lastPage = 1;
  int previousAlignment = 0;
  for (const TPrintCollection &item : items) {
    int screenX = kScreenDotsPerInch;
    int screenY = kScreenDotsPerInch;
    ScreenDotsPerInch(item.window, screenX, screenY);
    const double screenScaleX = static_cast<double>(printerX) / screenX;
    const double screenScaleY = static_cast<double>(printerY) / screenY;
    const double scaleX = item.coordinates == 1 ? printerX / kMmPerInch : screenScaleX;
    const double scaleY = item.coordinates == 1 ? printerY / kMmPerInch : screenScaleY;
    const int x = static_cast<int>(item.x1 * scaleX);
    const int y = static_cast<int>(item.y1 * scaleY);

    TOFont itemFont;
    if (item.font != nullptr) {
      itemFont = *item.font;
    } else if (font != nullptr) {
      itemFont = *font;
    }
    const double heightMm = item.charHeight > 0.0f ? item.charHeight : charHeight;
    const double widthMm = item.charWidth > 0.0f ? item.charWidth : charWidth;
    const int heightDots = static_cast<int>(std::lround(heightMm * printerY / kMmPerInch));
    int widthDots = static_cast<int>(std::lround(widthMm * printerX / kMmPerInch));
    if (item.kind == TPrintCollection::FormattedText) widthDots = 0;
    itemFont.SetSize(heightDots, widthDots);
    if (item.weight > 0) itemFont.SetWeight(item.weight);
    itemFont.SelectInto(dc);

    const char savedVertical = verticalRule;
    const char savedHorizontal = horizontalRule;
    const char savedCross = crossRule;
    if (!item.rules) verticalRule = horizontalRule = crossRule = '\0';
    const int align = item.alignment == TPrintCollection::kKeepAlignment ? previousAlignment : item.alignment;
    previousAlignment = align;

    switch (item.kind) {
      case TPrintCollection::Picture: {
        auto *graph = dynamic_cast<TGraphWindow *>(item.window);
        TDC *memory = graph != nullptr ? graph->GetDCs().second : nullptr;
        if (memory == nullptr || page != 1) break;
        const SIZE bitmap = graph->GetBitmapSize();
        // Without a size the picture keeps the size it has on the screen.
        const bool sized = item.x2 != 0.0 && item.y2 != 0.0;
        const int width = sized ? static_cast<int>(item.x2 * scaleX) : static_cast<int>(bitmap.cx * screenScaleX);
        const int height = sized ? static_cast<int>(item.y2 * scaleY) : static_cast<int>(bitmap.cy * screenScaleY);
        const RECT place = Place(dc, align, x, y, width, height);
        // SRCAND: white paper under the picture shows what is already printed there.
        dc.StretchBlt(place.left, place.top, width, height, *memory, 0, 0, bitmap.cx, bitmap.cy, SRCAND);
        if (item.framed) {
          const HBRUSH oldBrush = dc.SelectObject(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
          dc.Rectangle(place);
          dc.SelectObject(oldBrush);
        }
        break;
      }
      case TPrintCollection::TextFile:
      case TPrintCollection::HeldText:
        LayoutTextFile(dc, item, x, y, page, lastPage);
        break;
      case TPrintCollection::FormattedText: {
        if (page != 1) break;
        RECT extent{0, 0, 0, 0};
        dc.DrawText(item.text.c_str(), -1, extent, DT_CALCRECT | DT_NOCLIP);
        const RECT place = Place(dc, align, x, y, extent.right - extent.left, extent.bottom - extent.top);
        PrintLine(dc, item.text, place.left, place.top);
        break;
      }
      default:
        break;
    }
    dc.RestoreFont();
    verticalRule = savedVertical;
    horizontalRule = savedHorizontal;
    crossRule = savedCross;
  }
  dc.SetBkMode(oldMode);
  return lastPage;
}

void TOPrinterOutput::LayoutTextFile(TDC &dc, const TPrintCollection &item, int x, int y, int page,
                                     int &lastPage) {
  std::ifstream file;
  std::istringstream held;
  std::istream *source = &held;
  if (item.kind == TPrintCollection::HeldText) {
    held.str(item.text);
  } else {
    file.open(item.text, std::ios::binary);
    if (!file) return;
    source = &file;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(*source, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(metrics);
  // Every column reaches the paper: what is wider than the room right of x goes in blocks
  // one under another or wraps.
  const int room = dc.GetDeviceCaps(HORZRES) - std::max(0, x);
  const int columns = static_cast<int>(room / PrintCellWidth(dc));
  lines = FitLinesToColumns(lines, columns, TRuleChars{verticalRule, horizontalRule, crossRule}, tabSize);
  TLineFlow flow(y, metrics.tmHeight, dc.GetDeviceCaps(VERTRES));
  for (const std::string &line : lines) {
    const TLineFlow::TPlace place = flow.Next();
    if (place.page == page) PrintLine(dc, line, x, place.y);
  }
  lastPage = std::max(lastPage, flow.Pages());
}

double PrintCellWidth(TDC &dc) {
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(metrics);
  // The low bit of the pitch byte set means a variable-pitch face: its widest letters then
  // stand for every cell, so no line of it can pass the edge.
  if ((metrics.tmPitchAndFamily & 1) != 0) {
    static const char kWide[] = "MW@%";
    int widest = std::max<int>(1, metrics.tmAveCharWidth);
    for (const char *c = kWide; *c != '\0'; ++c) widest = std::max<int>(widest, dc.GetTextExtent(c, 1).cx);
    return widest;
  }
  // A fixed-pitch face's own advance as the device measures it, unrounded.
  static const std::string kSample(kPitchSample, '0');
  const SIZE run = dc.GetTextExtent(kSample.c_str(), kPitchSample);
  return run.cx > 0 ? static_cast<double>(run.cx) / kPitchSample : std::max<int>(1, metrics.tmAveCharWidth);
}

void TOPrinterOutput::PrintLine(TDC &dc, const std::string &text, int x, int y) {
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(metrics);
  const int lh = std::max<int>(1, metrics.tmHeight);
  // The low bit of the pitch byte set means a variable-pitch face.
  const bool fixedPitch = (metrics.tmPitchAndFamily & 1) == 0;
  // The column pitch: a fixed-pitch face's own advance as the device measures it, unrounded,
  // so that runs of characters printed whole keep to their columns between the rules;
  // otherwise the average width, each character printed alone in its cell.
  const double cw = fixedPitch ? PrintCellWidth(dc) : std::max<int>(1, metrics.tmAveCharWidth);
  const auto columnX = [&](double column) { return x + static_cast<int>(std::lround(column * cw)); };
  const TRuleChars ruleChars{verticalRule, horizontalRule, crossRule};
  std::vector<TRuledCell> cells;
  int lineY = y;
  for (const std::string &line : SplitLines(text)) {
    if (!HasRuleCharacter(line, ruleChars)) {
      dc.TextOut(x, lineY, line.c_str(), static_cast<int>(line.size()));
      lineY += lh;
      continue;
    }
    LayoutRuledLine(line, ruleChars, tabSize, cells);
    for (std::size_t k = 0; k < cells.size(); ++k) {
      const TRuledCell &cell = cells[k];
      switch (cell.kind) {
        case TRuledCell::VerticalRule:
          // Through the middle of the cell, half a line beyond it up and down, so the
          // rules of lines one below the other join.
          dc.MoveTo(columnX(cell.column + 0.5), lineY - lh / 2);
          dc.LineTo(columnX(cell.column + 0.5), lineY + lh * 3 / 2);
          break;
        case TRuledCell::HorizontalRule:
          // At mid-height, half a cell beyond it left and right.
          dc.MoveTo(columnX(cell.column - 0.5), lineY + lh / 2);
          dc.LineTo(columnX(cell.column + 1.5), lineY + lh / 2);
          break;
        case TRuledCell::Text: {
          // With a fixed pitch the characters of neighbouring cells go out as one run:
          // the device places its glyphs, and a printer drawing text keeps the words.
          std::size_t length = cell.length;
          int columns = 1;
          while (fixedPitch && k + 1 < cells.size() && cells[k + 1].kind == TRuledCell::Text &&
                 cells[k + 1].column == cell.column + columns && cells[k + 1].start == cell.start + length) {
            ++k;
            length += cells[k].length;
            ++columns;
          }
          dc.TextOut(columnX(cell.column), lineY, line.c_str() + cell.start, static_cast<int>(length));
          break;
        }
      }
    }
    lineY += lh;
  }
}
