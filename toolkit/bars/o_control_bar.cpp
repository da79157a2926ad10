#include "toolkit/bars/o_control_bar.h"

#include "platform/gui/bars/frame_window.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/bars/show_help_wnd.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr COLORREF kBarFace = 0xC0C0C0;
constexpr COLORREF kEdgeLight = 0xFFFFFF;
constexpr COLORREF kEdgeShadow = 0x808080;

const TResponseTableEntry kOControlBarTable[] = {
    EvMessage<WM_TIMER, &TOControlBar::EvTimer>(),
    EvMessage<WM_LBUTTONDOWN, &TOControlBar::EvLButtonDown>(),
};

COLORREF NearestEntry(const TOPalette &palette, COLORREF color) {
  return PaletteEntryColor(palette, static_cast<int>(palette.GetNearestPaletteIndex(color)));
}

}  // namespace

TOControlBar::TOControlBar(TWindow *parentWindow, TTileDirection tileDirection, TFont *font,
                           TModule *module)
    : TControlBar(parentWindow, tileDirection, font, module) {}

TOControlBar::~TOControlBar() {
  DeleteTip();
  if (IsWindow()) KillTimer(kTipTimerId);
}

bool TOControlBar::Find(TEventInfo &info) {
  return SearchResponseTable(kOControlBarTable, info) || TControlBar::Find(info);
}

void TOControlBar::SetupWindow() {
  TControlBar::SetupWindow();
  SetBkgndColor(kBarFace);
  SetTimer(kTipTimerId, kTipTimerMs);
}

void TOControlBar::SetHintColors(COLORREF backColor, COLORREF shadowColor) {
  tipBackground = backColor;
  tipShadow = shadowColor;
}

void TOControlBar::DeleteTip() {
  tip.Delete();
}

bool TOControlBar::RestCounts(const POINT &cursor) const {
  if (WindowFromPoint(cursor) != GetHandle()) return false;
  if (tipMode == 1) return true;
  const auto *frame = dynamic_cast<const TFrameWindow *>(GetParentO());
  const TWindow *client = frame != nullptr ? frame->GetClientWindow() : nullptr;
  return client != nullptr && client->GetHandle() != nullptr && GetFocus() == client->GetHandle();
}

void TOControlBar::ShowTip(const TGadget &gadget, const POINT &cursor) {
  if (gadget.GetId() <= 0) return;
  tipText[0] = '\0';
  if (LoadString(nullptr, static_cast<UINT>(gadget.GetId() + stringIdOffset), tipText,
                 static_cast<int>(sizeof tipText)) <= 0 ||
      tipText[0] == '\0') {
    return;
  }
  if (palette != nullptr) {
    tipBackground = NearestEntry(*palette, tipBackground);
    tipShadow = NearestEntry(*palette, tipShadow);
  }
  tip = new TShowHelpWnd(this, cursor, tipText, tipBackground, tipShadow, palette);
  if (!tip->Create()) DeleteTip();
}

void TOControlBar::EvTimer(UINT timerId) {
  if (timerId != kTipTimerId) {
    DefaultProcessing();
    return;
  }
  if (tipsEnabled == 0) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  POINT client = cursor;
  ScreenToClient(client);
  // A window over the bar (an open menu) hides its buttons.
  const HWND under = WindowFromPoint(cursor);
  const bool onBar = under == GetHandle() || ::IsChild(GetHandle(), under);
  const TGadget *gadget = onBar ? GadgetFromPoint(client) : nullptr;
  if (gadget == nullptr) {
    tickCount = 0;
    lastGadget = nullptr;
    DeleteTip();
    return;
  }
  if (gadget != lastGadget) {
    lastGadget = gadget;
    tickCount = 0;
    DeleteTip();
    return;
  }
  if (tickCount < ticksBeforeTip) {
    tickCount = RestCounts(cursor) ? tickCount + 1 : 0;
    return;
  }
  // A tip the user closed stays closed until the cursor moves to another gadget.
  if (tip.Gone()) return;
  if (tip == nullptr) {
    ShowTip(*gadget, cursor);
    return;
  }
  if (WindowFromPoint(cursor) != GetHandle()) {
    DeleteTip();
    tickCount = 0;
  }
}

void TOControlBar::EvLButtonDown(UINT, const POINT &) {
  tickCount = 0;
  DeleteTip();
  DefaultProcessing();
}

void TOControlBar::PaintGadgets(TDC &dc, bool erase, RECT &rect) {
  const RECT client = GetClientRect();
  TPen light(kEdgeLight, 2, PS_INSIDEFRAME);
  TPen shadow(kEdgeShadow, 2, PS_INSIDEFRAME);
  dc.SelectObject(light);
  if (GetDirection() == Horizontal) {
    dc.MoveTo(0, 0);
    dc.LineTo(client.right, 0);
    dc.SelectObject(shadow);
    dc.MoveTo(0, client.bottom);
    dc.LineTo(client.right, client.bottom);
  } else {
    dc.MoveTo(0, 0);
    dc.LineTo(0, client.bottom);
    dc.SelectObject(shadow);
    dc.MoveTo(client.right, 0);
    dc.LineTo(client.right, client.bottom);
  }
  dc.RestorePen();
  TControlBar::PaintGadgets(dc, erase, rect);
}
