#include "toolkit/bars/show_help_wnd.h"

#include <algorithm>
#include <cstring>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/graph/o_font.h"

namespace {

constexpr int kTipFontHeight = 12;
constexpr int kShadowOffset = 4;
// The tip's border, one pixel on each side.
constexpr int kBorder = 1;
// The cursor is drawn in a square of 16 points (21 pixels at 96 pixels an inch) with its
// hot spot at the arrow's tip: a tip that starts below that square never hides the arrow.
constexpr int kCursorPoints = 16;
constexpr int kPointsPerInch = 72;
constexpr int kDefaultPixelsPerInch = 96;

const char *TextOrEmpty(const char *text) { return text != nullptr ? text : ""; }

// The shadow is a sibling of the tip (a child could not lie beneath it), so the parent may
// delete it first when it goes with all its children: the shadow then tells the tip.
class TTipShadow final : public TGraph {
 public:
  TTipShadow(TWindow *parentWindow, int left, int top, int w, int h, COLORREF color,
             TOPalette *palette, TGraph **slot)
      : TGraph(parentWindow, left, top, w, h, WS_POPUP | WS_VISIBLE | kGraphStretch, color, palette),
        slot_(slot) {}
  ~TTipShadow() override { *slot_ = nullptr; }
  TTipShadow(const TTipShadow &) = delete;
  TTipShadow &operator=(const TTipShadow &) = delete;

 private:
  TGraph **slot_;
};

}  // namespace

RECT TShowHelpWnd::TipRect(POINT point, const char *tipText) {
  const char *shown = TextOrEmpty(tipText);
  const int length = static_cast<int>(std::strlen(shown));
  TScreenDC screen;
  TOFont font(kDefaultFontFace, kTipFontHeight);
  font.SelectInto(screen);
  const SIZE extent = screen.GetTextExtent(shown, length);
  screen.RestoreFont();
  int pixelsPerInch = screen.GetDeviceCaps(LOGPIXELSY);
  if (pixelsPerInch <= 0) pixelsPerInch = kDefaultPixelsPerInch;
  const int cursorHeight = (kCursorPoints * pixelsPerInch + kPointsPerInch / 2) / kPointsPerInch;
  // A character's width of room on either side: cx x (n + 2) / n. An empty text (which the
  // bars never show) gets a square of the line height instead of a division by zero.
  const int width = length > 0 ? static_cast<int>(static_cast<long long>(extent.cx) * (length + 2) / length)
                               : extent.cy;
  const int height = extent.cy + 2;
  int left = point.x - width / 2 + 13;
  // Just below the cursor.
  int top = point.y + cursorHeight;
  // Inside the screen, border included; the left and top edges win over the right and bottom.
  const int outerWidth = width + 2 * kBorder;
  const int outerHeight = height + 2 * kBorder;
  left = std::max(std::min(left, GetSystemMetrics(SM_CXSCREEN) - outerWidth), 0);
  top = std::max(std::min(top, GetSystemMetrics(SM_CYSCREEN) - outerHeight), 0);
  return RECT{left, top, left + outerWidth, top + outerHeight};
}

TShowHelpWnd::TShowHelpWnd(TWindow *parentWindow, POINT point, const char *tipText,
                           COLORREF backColor, COLORREF shadowBackColor, TOPalette *palette)
    : TShowHelpWnd(parentWindow, TipRect(point, tipText), tipText, backColor, shadowBackColor,
                   palette) {}

TShowHelpWnd::TShowHelpWnd(TWindow *parentWindow, const RECT &window, const char *tipText,
                           COLORREF backColor, COLORREF shadowBackColor, TOPalette *palette)
    : TGraph(parentWindow, window.left, window.top, window.right - window.left - 2 * kBorder,
             window.bottom - window.top - 2 * kBorder,
             WS_POPUP | WS_VISIBLE | WS_BORDER | kGraphStretch, backColor, palette),
      text(TextOrEmpty(tipText)),
      shadowColor(shadowBackColor) {
  // The shadow is as large as the bordered tip.
  shadow = new TTipShadow(parentWindow, window.left + kShadowOffset, window.top + kShadowOffset,
                          window.right - window.left, window.bottom - window.top, shadowColor,
                          palette, &shadow);
}

TShowHelpWnd::~TShowHelpWnd() { delete shadow; }

bool TShowHelpWnd::Create() {
  // The shadow first, so that the tip lies over it.
  if (shadow != nullptr && !shadow->IsWindow()) shadow->Create();
  return TGraph::Create();
}

void TShowHelpWnd::SetupWindow() {
  TGraph::SetupWindow();
  TOFont font(kDefaultFontFace, kTipFontHeight);
  SetFont(font);
  SetTextColor(0);
  ForEachDrawDC([](TDC &dc) { dc.SetBkMode(TRANSPARENT); });
  TextOut(GetClientSize().cx / 2, 1, text, TA_CENTER);
  RestoreFont();
}
