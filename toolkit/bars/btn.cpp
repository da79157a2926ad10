#include "toolkit/bars/btn.h"

#include "platform/core/message_box.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"

namespace {

// Where every TBtn loads its bitmaps from, once a constructor was given one.
TModule *gBitmapModule = nullptr;
int gLastHoverId = -1;

const TResponseTableEntry kBtnTable[] = {
    EvMessage<WM_LBUTTONDOWN, &TBtn::EvLButtonDown>(),
    EvMessage<WM_MOUSEMOVE, &TBtn::EvMouseMove>(),
    EvMessage<WM_LBUTTONUP, &TBtn::EvLButtonUp>(),
    EvMessage<WM_LBUTTONDBLCLK, &TBtn::EvLButtonDblClk>(),
};

constexpr int kBitmapOffset = 1000;

}  // namespace

TBtn::TBtn(TWindow *parentWindow, int id, const POINT *points, int pointCount, TModule *module)
    : TButton(parentWindow, id, module), controlId(id) {
  if (module != nullptr) gBitmapModule = module;
  if (points != nullptr && pointCount > 0) polygon.assign(points, points + pointCount);
}

TBtn::~TBtn() {
  FreeBitmaps();
  if (polygonRegion != nullptr) DeleteObject(polygonRegion);
}

int TBtn::LastHoverId() { return gLastHoverId; }

bool TBtn::Find(TEventInfo &info) {
  return SearchResponseTable(kBtnTable, info) || TButton::Find(info);
}

void TBtn::FreeBitmaps() {
  for (HBITMAP &bitmap : bitmaps) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    bitmap = nullptr;
  }
}

void TBtn::LoadBitmaps(int toggle, int kind, int firstBitmapId) {
  toggleMode = toggle;
  bitmapKind = kind;
  const int first = firstBitmapId != 0 ? firstBitmapId : controlId + kBitmapOffset;
  bitmapIds[0] = first;
  bitmapIds[1] = kind == 1 ? first : first + 1;
  bitmapIds[2] = kind == 1 || kind == 2 ? first : first + 2;
  FreeBitmaps();
  const void *module = gBitmapModule;
  for (int k = 0; k < 3; ++k) bitmaps[k] = LoadBitmap(module, bitmapIds[k]);
  upSize = bitmaps[0] != nullptr ? SIZE{bitmaps[0]->image.width(), bitmaps[0]->image.height()}
                                 : SIZE{};
  if (polygonRegion != nullptr) DeleteObject(polygonRegion);
  polygonRegion = polygon.empty() ? nullptr
                                  : CreatePolygonRgn(polygon.data(), static_cast<int>(polygon.size()), WINDING);
  btnState = kUp;
  Redraw();
}

void TBtn::SetState(int newState) {
  if (newState == kDisabled) {
    btnState = kDisabled;
    pressed = 0;
  } else {
    btnState = toggleMode != 0 ? newState : kUp;
  }
  Redraw();
}

void TBtn::DrawState(TDC &dc) {
  const int index = btnState == kDown ? 1 : (btnState == kDisabled ? 2 : 0);
  HBITMAP picture = bitmaps[index];
  if (picture == nullptr) return;
  TMemoryDC memory(dc);
  memory.SelectBitmap(picture);
  dc.BitBlt(0, 0, upSize.cx, upSize.cy, memory, 0, 0, SRCCOPY);
  memory.RestoreBitmap();
}

void TBtn::Redraw() {
  if (!IsWindow() || !IsWindowVisible()) return;
  TClientDC dc(*this);
  DrawState(dc);
}

void TBtn::Paint(TDC &dc, bool erase, RECT &rect) {
  TButton::Paint(dc, erase, rect);
  DrawState(dc);
}

bool TBtn::Inside(const POINT &point) const {
  if (polygonRegion != nullptr) return PtInRegion(polygonRegion, point.x, point.y) != 0;
  const RECT client = GetClientRect();
  return point.x >= client.left && point.x < client.right && point.y >= client.top &&
         point.y < client.bottom;
}

void TBtn::Notify(UINT msg) {
  if (TWindow *owner = GetParentO()) owner->SendMessage(msg, static_cast<WPARAM>(controlId), 0);
}

void TBtn::EvLButtonDown(UINT, const POINT &point) {
  if (btnState == kDisabled) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  if (!Inside(point)) return;
  SetCapture();
  pressed = 1;
  if (toggleMode != 0) {
    btnState = 1 - btnState;
    Redraw();
    Notify(btnState == kDown ? WM_BTN_PRESSED : WM_BTN_CLICKED);
  } else {
    btnState = kDown;
    Redraw();
    Notify(WM_BTN_PRESSED);
  }
}

void TBtn::EvMouseMove(UINT keys, const POINT &point) {
  if ((keys & MK_LBUTTON) != 0 && toggleMode == 0 && pressed != 0 && btnState != kDisabled) {
    const int shown = Inside(point) ? kDown : kUp;
    if (shown != btnState) {
      btnState = shown;
      Redraw();
    }
  }
  if (gLastHoverId != controlId) {
    gLastHoverId = controlId;
    Notify(WM_BTN_HOVER);
  }
}

void TBtn::Release(const POINT &point) {
  if (btnState == kDisabled || pressed == 0) return;
  pressed = 0;
  if (toggleMode != 0) {
    if (GetCapture() == GetHandle()) ReleaseCapture();
    return;
  }
  btnState = kUp;
  Redraw();
  if (GetCapture() == GetHandle()) ReleaseCapture();
  if (Inside(point)) Notify(WM_BTN_CLICKED);
}

void TBtn::EvLButtonUp(UINT, const POINT &point) { Release(point); }

void TBtn::EvLButtonDblClk(UINT, const POINT &point) { Release(point); }
