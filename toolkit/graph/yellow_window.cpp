#include "toolkit/graph/yellow_window.h"

#include "platform/gui/windows/screen.h"

#include <algorithm>

namespace {

const TResponseTableEntry kYellowWindowTable[] = {
    EvMessage<WM_KILLFOCUS, &TYellowWindow::EvKillFocus>(),
    EvMessage<WM_MOUSEMOVE, &TYellowWindow::EvMouseMove>(),
    EvMessage<WM_LBUTTONUP, &TYellowWindow::EvLButtonUp>(),
};

// WS_POPUP | WS_VISIBLE | WS_BORDER with the client-size option.
constexpr std::uint32_t kNoteStyle = 0x90804000u;
constexpr int kInitialWidth = 200;
constexpr int kInitialHeight = 100;
// Margins around the text, and what the frame adds on each side.
constexpr int kMarginX = 5;
constexpr int kMarginY = 2;
constexpr int kFrameGrowth = 2;
// The note's text is a little smaller than the system font.
constexpr double kTextToSystemHeight = 0.875;
// The design spells the sans face this way; the font description mends it.
constexpr const char *kNoteFace = "Ms Sans Serig";

}  // namespace

TYellowWindow::TYellowWindow(TWindow *parentWindow, const char *text, COLORREF backColor, int atX, int atY,
                             bool closeOnLeave, bool frame)
    : TGraph(parentWindow, 0, 0, kInitialWidth, kInitialHeight, kNoteStyle, backColor, nullptr),
      text_(text != nullptr ? text : ""),
      x_(atX),
      y_(atY),
      closeOnLeave_(closeOnLeave),
      frame_(frame) {}

TYellowWindow::~TYellowWindow() { Destroy(); }

bool TYellowWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kYellowWindowTable, info) || TGraphWindow::Find(info);
}

RECT TYellowWindow::PlaceNote(POINT point, SIZE size, int placement, bool closeOnLeave,
                              SIZE screen) {
  // With close on leave the cursor starts just inside the note.
  const int a = closeOnLeave ? 1 : 0;
  const int b = closeOnLeave ? 3 : 0;
  int atX = point.x - a;
  switch (placement & 3) {
    case 1:
      atX = point.x - size.cx / 2;
      break;
    case 2:
      atX = point.x - size.cx + a;
      break;
    default:
      break;
  }
  int atY = point.y - b;
  switch (placement & 12) {
    case 4:
      atY = point.y - size.cy / 2;
      break;
    case 8:
      atY = point.y - size.cy + b;
      break;
    default:
      break;
  }
  // The whole note stays on the screen: its far edges are tested, not its corner, and a
  // note wider or taller than the screen keeps its left or top edge visible.
  atX = std::max(0, std::min<int>(atX, screen.cx - size.cx));
  atY = std::max(0, std::min<int>(atY, screen.cy - size.cy));
  return RECT{atX, atY, atX + size.cx, atY + size.cy};
}

void TYellowWindow::SetupWindow() {
  TGraph::SetupWindow();
  TDC *memory = MemoryDC();
  if (memory == nullptr) return;
  memory->RestoreFont();
  TEXTMETRIC system;
  memory->GetTextMetrics(system);
  font_.Init(kNoteFace, static_cast<int>(system.tmHeight * kTextToSystemHeight), 0, false);
  SetFont(font_);
  const UINT format = TextFormat & 0xFFFF;
  RECT textRect{};
  MemoryDC()->DrawText(text_, -1, textRect, format | DT_CALCRECT);
  const int grow = frame_ ? 2 * kFrameGrowth : 0;
  const SIZE size{textRect.Width() + 2 * kMarginX + grow, textRect.Height() + 2 * kMarginY + grow};
  CreateBackingBitmap(size.cx, size.cy);
  POINT point{};
  GetCursorPos(&point);
  if (x_ >= 0) point.x = x_;
  if (y_ >= 0) point.y = y_;
  const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT place = PlaceNote(point, size, Placement, closeOnLeave_, screen);
  MoveWindow(place.left, place.top, size.cx, size.cy, true);
  // The bitmap was made anew: the note's font goes into its contexts again.
  SetFont(font_);
  const int inset = frame_ ? kFrameGrowth : 0;
  textRect = RECT{textRect.left + kMarginX + inset, textRect.top + kMarginY + inset,
                  textRect.right + kMarginX + inset, textRect.bottom + kMarginY + inset};
  if (frame_) SetPlotArea(kFrameGrowth, kFrameGrowth, -kFrameGrowth, -kFrameGrowth, true, false);
  for (TDC *dc : {WindowDC(), MemoryDC()}) {
    if (dc == nullptr) continue;
    RECT drawRect = textRect;
    dc->DrawText(text_, -1, drawRect, format);
  }
}

bool TYellowWindow::Create() {
  if (!TGraph::Create()) return false;
  // Focus and capture once the note is shown: a hidden window holds neither.
  SetFocus();
  if (closeOnLeave_) SetCapture();
  return true;
}

void TYellowWindow::Close() {
  if (closing_) return;
  closing_ = true;
  if (GetCapture() == GetHandle()) ReleaseCapture();
  // Nothing of the object is used after this.
  DestroyAndDelete();
}

void TYellowWindow::EvKillFocus(HWND) { Close(); }

void TYellowWindow::EvMouseMove(UINT keys, const POINT &point) {
  TGraphWindow::EvMouseMove(keys, point);
  if (!closeOnLeave_) return;
  const RECT client = GetClientRect();
  if (point.x < client.left || point.x >= client.right || point.y < client.top ||
      point.y >= client.bottom) {
    Close();
  }
}

void TYellowWindow::EvLButtonUp(UINT keys, const POINT &point) {
  TGraphWindow::EvLButtonUp(keys, point);
  if (closeOnLeave_) Close();
}
