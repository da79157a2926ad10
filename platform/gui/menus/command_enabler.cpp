#include "platform/gui/menus/command_enabler.h"

#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/window.h"

TMenuItemEnabler::TMenuItemEnabler(HMENU menu, int position)
    : TCommandEnabler(GetMenuItemID(menu, position)), menu_(menu), position_(position) {}

void TMenuItemEnabler::Enable(bool enable) {
  TCommandEnabler::Enable(enable);
  EnableMenuItem(menu_, static_cast<UINT>(position_),
                 MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void TMenuItemEnabler::SetText(const char *text) {
  TMenuItem *item = FindMenuItem(menu_, static_cast<UINT>(position_), MF_BYPOSITION);
  if (item == nullptr || text == nullptr || item->Text == text) return;
  // Only the text changes: state, kind and item data stay.
  item->Text = text;
  MenuChanged(menu_);
}

void TMenuItemEnabler::SetCheck(int state) {
  CheckMenuItem(menu_, static_cast<UINT>(position_),
                MF_BYPOSITION | (state == Checked ? MF_CHECKED : MF_UNCHECKED));
}

void RouteCommandEnable(HWND owner, TCommandEnabler &enabler) {
  TWindow *ownerWindow = WindowFromHandle(owner);
  if (ownerWindow == nullptr) return;
  // The focus window counts only when it lies inside the owner.
  TWindow *start = ownerWindow;
  for (TWindow *window = WindowFromHandle(GetFocus()); window != nullptr;
       window = window->GetParentO()) {
    if (window == ownerWindow) {
      start = WindowFromHandle(GetFocus());
      break;
    }
  }
  for (TWindow *window = start; window != nullptr; window = window->GetParentO()) {
    const HWND handle = window->GetHandle();
    window->SendMessage(WM_COMMAND_ENABLE, enabler.GetId(), reinterpret_cast<LPARAM>(&enabler));
    if (enabler.GetHandled() || !::IsWindow(handle) || window == ownerWindow) return;
  }
}

void EnableMenuCommands(HWND owner, HMENU popup) {
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count && IsMenu(popup) && ::IsWindow(owner); ++i) {
    const TMenuItem *item = FindMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION);
    if (item == nullptr || item->SubMenu != nullptr || (item->Flags & MF_SEPARATOR)) continue;
    TMenuItemEnabler enabler(popup, i);
    RouteCommandEnable(owner, enabler);
  }
}
