#include "viewer3d/palette/tools_wnd.h"

#include "platform/gui/bars/gadget_window.h"

namespace {

constexpr int kCaptionPercent = 58;

const TResponseTableEntry kToolsWndTable[] = {
    EvMessage<WM_CLOSE, &TToolsWnd::EvClose>(),
};

}  // namespace

TToolsWnd::TToolsWnd(TWindow *parentWindow, const char *titleText, TGadgetWindow *client, TPaletteOwner *owner,
                     POINT place)
    : TFloatingFrame(parentWindow, titleText, client, true, kCaptionPercent, true), owner_(owner), box_(client) {
  Attr.Style |= WS_POPUP | WS_BORDER;
  EnableTinyCaption(kCaptionPercent, true);
  Attr.X = place.x;
  Attr.Y = place.y;
}

TToolsWnd::~TToolsWnd() {
  TPaletteOwner *owner = owner_;
  owner_ = nullptr;
  if (owner != nullptr) owner->PaletteGone(*this);
}

bool TToolsWnd::Find(TEventInfo &info) {
  return SearchResponseTable(kToolsWndTable, info) || TFloatingFrame::Find(info);
}

void TToolsWnd::SetupWindow() {
  TFloatingFrame::SetupWindow();
  if (Attr.X >= 0 && Attr.Y >= 0) return;
  // The first place: near the parent's top right corner (the viewer's, without a parent).
  TWindow *near = GetParentO();
  if (near == nullptr && owner_ != nullptr) near = &owner_->PaletteCommandTarget();
  if (near == nullptr || !near->IsWindow()) return;
  const RECT parentRect = near->GetWindowRect();
  SetWindowPos(nullptr, parentRect.right - kPaletteRightInset, parentRect.top + kPaletteTopInset, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
}

void TToolsWnd::CleanupWindow() {
  // A palette made again for the same viewer reappears where this one was.
  const RECT rect = GetWindowRect();
  Attr.X = rect.left;
  Attr.Y = rect.top;
  TFloatingFrame::CleanupWindow();
}

LRESULT TToolsWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The buttons' commands, and the questions whether they are enabled, are the viewer's.
  const bool command = msg == WM_COMMAND && lParam == 0;
  const bool enabler = msg == WM_COMMAND_ENABLE && lParam != 0;
  if ((command || enabler) && owner_ != nullptr) return owner_->PaletteCommandTarget().SendMessage(msg, wParam, lParam);
  return TFloatingFrame::WindowProc(msg, wParam, lParam);
}

void TToolsWnd::EvClose() {
  if (owner_ != nullptr) owner_->PaletteClosedByUser(*this);
  Destroy();
}
