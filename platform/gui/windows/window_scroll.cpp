// TWindow's standard scroll bars: Qt scroll bars in the non-client band that report
// WM_HSCROLL / WM_VSCROLL and move only when the window sets their position.

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

}  // namespace

TScrollBarState &TWindow::BarState(int bar) { return bar == SB_HORZ ? hBar : vBar; }

const TScrollBarState &TWindow::BarState(int bar) const { return bar == SB_HORZ ? hBar : vBar; }

void TWindow::LayoutScrollBars() {
  if (host == nullptr) return;
  const RECT client = ClientRectInImage();
  for (int bar : {SB_HORZ, SB_VERT}) {
    const bool shown = (Attr.Style & StyleBit(bar)) != 0;
    QScrollBar *scrollBar = host->ScrollBar(bar, shown);
    if (scrollBar == nullptr) continue;
    if (!shown) {
      scrollBar->hide();
      continue;
    }
    const TScrollBarState &state = BarState(bar);
    {
      const QSignalBlocker blocker(scrollBar);
      scrollBar->setRange(state.Min, std::max(state.Min, state.Max));
      scrollBar->setPageStep(state.Page > 0 ? state.Page
                                            : std::max(1, (state.Max - state.Min) / 10));
      scrollBar->setValue(state.Pos);
    }
    if (bar == SB_HORZ) {
      scrollBar->setGeometry(client.left, client.bottom, client.right - client.left,
                             GetSystemMetrics(SM_CYHSCROLL));
    } else {
      scrollBar->setGeometry(client.right, client.top, GetSystemMetrics(SM_CXVSCROLL),
                             client.bottom - client.top);
    }
    scrollBar->show();
  }
  DrawScrollCorner();
}

void TWindow::SetScrollRange(int bar, int minPos, int maxPos, bool) {
  if (bar == SB_BOTH) {
    SetScrollRange(SB_HORZ, minPos, maxPos);
    SetScrollRange(SB_VERT, minPos, maxPos);
    return;
  }
  if (bar != SB_HORZ && bar != SB_VERT) return;
  if (maxPos < minPos) std::swap(minPos, maxPos);
  TScrollBarState &state = BarState(bar);
  state.Min = minPos;
  state.Max = maxPos;
  state.Pos = std::clamp(state.Pos, minPos, maxPos);
  // An empty range takes the bar away, a real one brings it back.
  ShowScrollBar(bar, maxPos > minPos);
}

void TWindow::ShowScrollBar(int bar, bool show) {
  if (bar == SB_BOTH) {
    ShowScrollBar(SB_HORZ, show);
    ShowScrollBar(SB_VERT, show);
    return;
  }
  if (bar != SB_HORZ && bar != SB_VERT) return;
  const DWORD bit = StyleBit(bar);
  const bool had = (Attr.Style & bit) != 0;
  Attr.Style = show ? (Attr.Style | bit) : (Attr.Style & ~bit);
  LayoutScrollBars();
  if (had != show && handle != nullptr) {
    SendNcPaint();
    Invalidate(true);
    ReportGeometry();
  }
}

void TWindow::GetScrollRange(int bar, int &minPos, int &maxPos) const {
  const TScrollBarState &state = BarState(bar);
  minPos = state.Min;
  maxPos = state.Max;
}

int TWindow::SetScrollPos(int bar, int pos, bool) {
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  TScrollBarState &state = BarState(bar);
  const int previous = state.Pos;
  state.Pos = std::clamp(pos, state.Min, std::max(state.Min, state.Max));
  if (host != nullptr) {
    if (QScrollBar *scrollBar = host->ScrollBar(bar, false)) {
      const QSignalBlocker blocker(scrollBar);
      scrollBar->setValue(state.Pos);
    }
  }
  return previous;
}

int TWindow::GetScrollPos(int bar) const {
  return bar == SB_HORZ || bar == SB_VERT ? BarState(bar).Pos : 0;
}

void TWindow::SetScrollPage(int bar, int page) {
  if (bar != SB_HORZ && bar != SB_VERT) return;
  BarState(bar).Page = std::max(0, page);
  LayoutScrollBars();
}

void TWindow::DispatchScroll(int bar, UINT code, int pos) {
  const WPARAM wParam = static_cast<WPARAM>((code & 0xFFFF) | ((static_cast<UINT>(pos) & 0xFFFF) << 16));
  SendMessage(bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, wParam, 0);
}
