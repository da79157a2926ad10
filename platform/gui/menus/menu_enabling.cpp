#include "platform/gui/menus/menu_enabling.h"

#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/window.h"

void RouteCommandEnable(HWND owner, TCommandEnabler &enabler) {
  TWindow *ownerWindow = WindowFromHandle(owner);
  if (ownerWindow == nullptr) return;
  TWindow *start = ownerWindow;
  for (TWindow *window = WindowFromHandle(GetFocus()); window != nullptr;
       window = window->GetParentO()) {
    if (window == ownerWindow) {
      start = WindowFromHandle(GetFocus());
      break;
    }
  }
  start->SendMessage(WM_COMMAND_ENABLE, enabler.GetId(), reinterpret_cast<LPARAM>(&enabler));
}

void EnableMenuCommands(HWND owner, HMENU popup) {
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count && IsMenu(popup) && ::IsWindow(owner); ++i) {
    const TMenuItem *item = FindMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION);
    if (item == nullptr || item->SubMenu != nullptr || (item->Flags & MF_SEPARATOR)) continue;
    TCommandEnabler enabler(item->Id);
    RouteCommandEnable(owner, enabler);
    if (!enabler.GetHandled() || !IsMenu(popup)) continue;
    const UINT position = static_cast<UINT>(i);
    EnableMenuItem(popup, position, MF_BYPOSITION | (enabler.IsEnabled() ? MF_ENABLED : MF_GRAYED));
    if (enabler.CheckWasSet()) {
      CheckMenuItem(popup, position,
                    MF_BYPOSITION | (enabler.GetCheck() == TCommandEnabler::Checked ? MF_CHECKED : MF_UNCHECKED));
    }
    TMenuItem *changed = FindMenuItem(popup, position, MF_BYPOSITION);
    if (enabler.TextWasSet() && changed != nullptr && changed->Text != enabler.GetText()) {
      // Only the text changes: state, kind and item data stay.
      changed->Text = enabler.GetText();
      MenuChanged(popup);
    }
  }
}
