#include "synthesis/objects/test_object_graphs.h"

#include <cmath>

#include "foundation/helpers/helpers.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/window_handles.h"

namespace {

const TResponseTableEntry kGumGraphTable[] = {
    EvMessage<WM_LBUTTONDOWN, &TGumGraph::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TGumGraph::EvLButtonUp>(),
    EvMessage<WM_MOUSEMOVE, &TGumGraph::EvMouseMove>(),
    EvMessage<WM_CLOSE, &TGumGraph::EvClose>(),
    EvMessage<WM_SYSCOMMAND, &TGumGraph::EvSysCommand>(),
};

const TResponseTableEntry kObjectGraphTable[] = {
    EvMessage<WM_MOUSEMOVE, &TObjectGraph::EvMouseMove>(),
    EvMessage<WM_LBUTTONDOWN, &TObjectGraph::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TObjectGraph::EvLButtonUp>(),
    EvMessage<WM_RBUTTONDOWN, &TObjectGraph::EvRButtonDown>(),
    EvMessage<WM_NCPAINT, &TObjectGraph::EvNcPaint>(),
    EvMessage<WM_NCLBUTTONDOWN, &TObjectGraph::EvNcLButtonDown>(),
    EvMessage<WM_NCLBUTTONUP, &TObjectGraph::EvNcLButtonUp>(),
    EvMessage<WM_SYSCOMMAND, &TObjectGraph::EvSysCommand>(),
    EvCommand<&TObjectGraph::CmToggleBorder>(CM_OBJECT_TOGGLE_BORDER),
};

constexpr COLORREF kPureWhite = RGB(255, 255, 255);
constexpr COLORREF kNoPixel = 0xFFFFFFFF;

// The client rectangle last seen by any object window while the mouse moved over it.
RECT lastObjectClient{};

bool SameRect(const RECT &a, const RECT &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Whether a system command closes the window.
bool IsClose(UINT command) { return (command & 0xFFF0) == SC_CLOSE; }

}  // namespace

// ---- the scene window ----

TGumGraph::TGumGraph(TWindow *parentWindow, int left, int top, int w, int h,
                     std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                     TModule *module)
    : TGGraph(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TGumGraph::TGumGraph(HWND parentHandle, int left, int top, int w, int h,
                     std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                     TModule *module)
    : TGGraph(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TGumGraph::~TGumGraph() = default;

bool TGumGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kGumGraphTable, info) || TGGraph::Find(info);
}

// The close box asks WM_CLOSE, as everywhere, and never deletes the window itself: the
// bitmap object holds it and deletes it.
void TGumGraph::EvSysCommand(UINT command, const POINT &point) {
  if (IsClose(command)) {
    EvClose();
    return;
  }
  TGGraph::EvSysCommand(command, point);
}

bool TGumGraph::HasFocus() const { return GetHandle() != nullptr && GetFocus() == GetHandle(); }

void TGumGraph::EvLButtonDown(UINT keys, const POINT &point) {
  // The press in the frame's own coordinates, as the rubber band reads it.
  const POINT p = DeviceToPlot(ToBitmap(point));
  const bool focused = HasFocus();
  Refresh();
  const TTestImage *shared = GetTestImage();
  const bool realMode = shared != nullptr && shared->realImage != 0;
  if (!realMode) {
    // One PSF for the field: the N x N frame can be moved, never drawn anew.
    const RECT s = GetSelection();
    const bool inside = s.left <= p.x && p.x < s.right && s.top <= p.y && p.y < s.bottom;
    if (!inside || !focused) return;
  }
  TGGraph::EvLButtonDown(keys, point);
}

void TGumGraph::EvLButtonUp(UINT keys, const POINT &point) {
  const bool moved = HasFocus() && IsDragging();
  if (HasFocus()) TGGraph::EvLButtonUp(keys, point);
  Refresh();
  if (moved && onChanged) onChanged();
}

void TGumGraph::EvMouseMove(UINT keys, const POINT &point) {
  if (HasFocus()) TGGraph::EvMouseMove(keys, point);
}

bool TGumGraph::CanClose() {
  if (IsWindowVisible()) {
    ShowWindow(SW_HIDE);
    return false;
  }
  return true;
}

void TGumGraph::EvClose() {
  if (CanClose()) DefaultProcessing();
}

// ---- the object window ----

TObjectGraph::TObjectGraph(TWindow *parentWindow, int left, int top, int w, int h,
                           std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                           TModule *module)
    : TGGraph(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TObjectGraph::TObjectGraph(TWindow *parentWindow, std::uint32_t styleAndOptions,
                           COLORREF backColor, TOPalette *palette, TModule *module)
    : TGGraph(parentWindow, styleAndOptions, backColor, palette, module) {}

TObjectGraph::TObjectGraph(HWND parentHandle, int left, int top, int w, int h,
                           std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                           TModule *module)
    : TGGraph(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TObjectGraph::TObjectGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                           TOPalette *palette, TModule *module)
    : TGGraph(parentHandle, styleAndOptions, backColor, palette, module) {}

TObjectGraph::~TObjectGraph() = default;

bool TObjectGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kObjectGraphTable, info) || TGGraph::Find(info);
}

// The bitmap object holds this window: a system close does not delete it behind its back.
void TObjectGraph::EvSysCommand(UINT command, const POINT &point) {
  if (IsClose(command)) return;
  TGGraph::EvSysCommand(command, point);
}

void TObjectGraph::Paint(TDC &dc, bool erase, RECT &rect) {
  TGGraph::Paint(dc, erase, rect);
  if (!(forceRedraw == 1 || (IsTransparent() && dragging == 0))) return;
  TDC *memory = MemoryDC();
  TDC *window = WindowDC();
  if (memory == nullptr || window == nullptr) return;
  const SIZE client = GetClientSize();
  const SIZE picture = GetBitmapSize();
  if (picture.cx <= 0 || picture.cy <= 0) return;
  const float fx = static_cast<float>(client.cx) / static_cast<float>(picture.cx);
  const float fy = static_cast<float>(client.cy) / static_cast<float>(picture.cy);
  if (fx == 0.0f || fy == 0.0f) return;
  SetWaitCursor();
  for (int i = static_cast<int>(rect.left / fx); i < rect.right / fx && i < picture.cx; ++i) {
    for (int j = static_cast<int>(rect.top / fy); j < rect.bottom / fy && j < picture.cy; ++j) {
      const COLORREF color = memory->GetPixel(i, j);
      // Pure white lets the scene show through; the rest covers it in its own colour.
      if (color == kPureWhite || color == kNoPixel) continue;
      window->SetPixel(static_cast<int>(i * fx), static_cast<int>(j * fy), color);
    }
  }
  window->Flush();
  SetArrowCursor();
}

void TObjectGraph::EvLButtonDown(UINT keys, const POINT &point) {
  TGGraph::EvLButtonDown(keys, point);
  dragging = 1;
  anchor = point;
  SetCapture();
}

void TObjectGraph::EvMouseMove(UINT keys, const POINT &point) {
  TGGraph::EvMouseMove(keys, point);
  const RECT client = GetClientRect();
  if (!SameRect(client, lastObjectClient)) {
    UpdateWindow();
    lastObjectClient = client;
  }
  if (dragging != 1) return;
  const int dx = point.x - anchor.x;
  const int dy = point.y - anchor.y;
  if (dx == 0 && dy == 0) return;
  const RECT place = GetWindowRect();
  MoveWindow(place.left + dx, place.top + dy, place.right - place.left, place.bottom - place.top,
             true);
}

void TObjectGraph::EvLButtonUp(UINT keys, const POINT &point) {
  TGGraph::EvLButtonUp(keys, point);
  dragging = 0;
  GrabBackground(true);
  ReleaseCapture();
  if (onChanged) onChanged();
}

void TObjectGraph::EvNcLButtonDown(UINT, const POINT &) {
  DefaultProcessing();
  lastObjectClient = GetClientRect();
  dragging = 0;
  SetCapture();
}

void TObjectGraph::EvNcLButtonUp(UINT, const POINT &) {
  DefaultProcessing();
  ReleaseCapture();
  GrabBackground(true);
  if (onChanged) onChanged();
}

const char *TObjectGraph::BorderMenuText() const {
  return borderShown == 0 ? "Enable border" : "Disable border";
}

void TObjectGraph::EvRButtonDown(UINT, const POINT &point) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenu(menu, MF_STRING, CM_OBJECT_TOGGLE_BORDER, BorderMenuText());
  const POINT screen = ClientToScreen(point);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetHandle());
  DestroyMenu(menu);
}

void TObjectGraph::CmToggleBorder() {
  borderShown = 1 - borderShown;
  const int former = forceRedraw;
  forceRedraw = 1;
  GrabBackground(true);
  forceRedraw = former;
}

void TObjectGraph::EvNcPaint(HRGN) {
  DefaultProcessing();
  TDC *grabbed = GrabbedBackgroundDC();
  if (grabbed == nullptr || borderShown != 0 || GetHandle() == nullptr) return;
  const RECT place = GetWindowRect();
  const int ww = place.right - place.left;
  const int wh = place.bottom - place.top;
  const SIZE client = GetClientSize();
  const int bx = (ww - client.cx) / 2;
  const int by = (wh - client.cy) / 2;
  if (bx <= 0 && by <= 0) return;
  TWindowDC dc(*this);
  const int fullWidth = client.cx + 2 * bx;
  const int fullHeight = client.cy + 2 * by;
  // The four strips of the frame from the screen that lay behind the window.
  dc.BitBlt(0, 0, bx, fullHeight, *grabbed, 0, 0, SRCCOPY);
  dc.BitBlt(0, 0, fullWidth, by, *grabbed, 0, 0, SRCCOPY);
  dc.BitBlt(client.cx + bx, 0, bx, fullHeight, *grabbed, client.cx + bx, 0, SRCCOPY);
  dc.BitBlt(0, client.cy + by, fullWidth, by, *grabbed, 0, client.cy + by, SRCCOPY);
  dc.Flush();
}
