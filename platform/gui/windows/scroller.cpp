#include "platform/gui/windows/scroller.h"

#include <algorithm>

#include "platform/gui/windows/window.h"

TScroller::TScroller(TWindow *window, int xUnit, int yUnit, long xRange, long yRange)
    : Window(window),
      XRange(std::max(0L, xRange)),
      YRange(std::max(0L, yRange)),
      XUnit(std::max(1, xUnit)),
      YUnit(std::max(1, yUnit)),
      HasHScrollBar(window != nullptr && (window->Attr.Style & WS_HSCROLL) != 0),
      HasVScrollBar(window != nullptr && (window->Attr.Style & WS_VSCROLL) != 0) {}

void TScroller::SetUnits(int xUnit, int yUnit) {
  XUnit = std::max(1, xUnit);
  YUnit = std::max(1, yUnit);
  SetPageSize();
}

void TScroller::SetRange(long xRange, long yRange) {
  XRange = std::max(0L, xRange);
  YRange = std::max(0L, yRange);
  SetSBarRange();
  ScrollTo(XPos, YPos);
}

void TScroller::SetPageSize() {
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  const RECT client = Window->GetClientRect();
  XPage = std::max(1, static_cast<int>(client.right / XUnit));
  YPage = std::max(1, static_cast<int>(client.bottom / YUnit));
  if (HasHScrollBar) Window->SetScrollPage(SB_HORZ, XPage);
  if (HasVScrollBar) Window->SetScrollPage(SB_VERT, YPage);
}

void TScroller::SetSBarRange() {
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  // Scroll bars hold 16-bit positions.
  constexpr long kMaxBarRange = 32767;
  if (HasHScrollBar) {
    Window->SetScrollRange(SB_HORZ, 0, static_cast<int>(std::min(XRange, kMaxBarRange)));
    Window->SetScrollPos(SB_HORZ, static_cast<int>(XPos));
  }
  if (HasVScrollBar) {
    Window->SetScrollRange(SB_VERT, 0, static_cast<int>(std::min(YRange, kMaxBarRange)));
    Window->SetScrollPos(SB_VERT, static_cast<int>(YPos));
  }
}

void TScroller::ScrollTo(long x, long y) {
  const long newX = std::clamp(x, 0L, XRange);
  const long newY = std::clamp(y, 0L, YRange);
  if (newX == XPos && newY == YPos) return;
  const long dx = (XPos - newX) * XUnit;
  const long dy = (YPos - newY) * YUnit;
  XPos = newX;
  YPos = newY;
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  if (AutoOrg) {
    Window->ScrollWindow(static_cast<int>(dx), static_cast<int>(dy));
  } else {
    Window->Invalidate(true);
  }
  if (HasHScrollBar) Window->SetScrollPos(SB_HORZ, static_cast<int>(XPos));
  if (HasVScrollBar) Window->SetScrollPos(SB_VERT, static_cast<int>(YPos));
  Window->UpdateWindow();
}

long TScroller::Step(unsigned scrollCode, int thumbPos, long pos, long line, long page,
                     long range) const {
  switch (scrollCode) {
    case SB_LINEUP:
      return pos - line;
    case SB_LINEDOWN:
      return pos + line;
    case SB_PAGEUP:
      return pos - page;
    case SB_PAGEDOWN:
      return pos + page;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return range;
    case SB_THUMBPOSITION:
      return thumbPos;
    case SB_THUMBTRACK:
      return TrackMode ? thumbPos : pos;
    default:
      return pos;
  }
}

void TScroller::HScroll(unsigned scrollCode, int thumbPos) {
  ScrollTo(Step(scrollCode, thumbPos, XPos, XLine, XPage, XRange), YPos);
}

void TScroller::VScroll(unsigned scrollCode, int thumbPos) {
  ScrollTo(XPos, Step(scrollCode, thumbPos, YPos, YLine, YPage, YRange));
}
