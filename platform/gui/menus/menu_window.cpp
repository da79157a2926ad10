#include "platform/gui/menus/menu_window.h"

#include <QWidget>
#include <algorithm>
#include <unordered_map>

#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu_look.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_hooks.h"

namespace {

struct TWindowMenus {
  HMENU Bar = nullptr;
  HMENU System = nullptr;
  int Selected = -1;
  TMenuLayout Layout;
  bool Laying = false;  // guards the band change a layout makes
};

std::unordered_map<HWND, TWindowMenus> &WindowMenus() {
  static std::unordered_map<HWND, TWindowMenus> menus;
  return menus;
}

TWindowMenus *MenusOf(HWND window) {
  auto found = WindowMenus().find(window);
  return found != WindowMenus().end() ? &found->second : nullptr;
}

// The band the bar may use: between the drawn frame's sides, below its caption.
RECT BandArea(TWindow &window, int height) {
  const TFrameInsets frame = window.DrawnFrameInsets();
  const int imageWidth = window.WindowImage().width();
  return {frame.Left, frame.Top, std::max<int>(frame.Left, imageWidth - frame.Right),
          frame.Top + height};
}

void PaintBar(TWindow &window) {
  TWindowMenus *menus = MenusOf(window.GetHandle());
  if (menus == nullptr || menus->Bar == nullptr || window.MenuBarHeight() <= 0) return;
  const RECT band = window.MenuBarRect();
  TWindowDC dc(window);
  dc.IntersectClipRect(band);
  PaintMenuBar(dc, window.GetHandle(), menus->Bar, menus->Layout, band, menus->Selected);
  dc.Flush();
}

// Lays the bar out for the window's width; the band follows the lines it needs.
void LayOut(TWindow &window, TWindowMenus &menus) {
  if (menus.Laying) return;
  menus.Laying = true;
  const int lineHeight = GetSystemMetrics(SM_CYMENU);
  menus.Layout = LayoutMenuBar(window.GetHandle(), menus.Bar, BandArea(window, lineHeight));
  const int height = menus.Bar != nullptr ? std::max(lineHeight, static_cast<int>(menus.Layout.Size.cy)) : 0;
  const HWND handle = window.GetHandle();
  if (height != window.MenuBarHeight()) {
    window.SetMenuBarHeight(height);  // repaints the frame, and the bar through the hook
  }
  if (TWindowMenus *still = MenusOf(handle)) still->Laying = false;
}

TWindow *TopLevelOf(TWindow &window) {
  TWindow *top = &window;
  while (top->IsChild() && top->GetParentO() != nullptr) top = top->GetParentO();
  return top;
}

void HookPaintMenuBar(TWindow &window) {
  TWindowMenus *menus = MenusOf(window.GetHandle());
  if (menus == nullptr || menus->Bar == nullptr) return;
  if (!menus->Laying) {
    // The frame is repainted after a resize: the items may wrap differently now.
    const int lineHeight = GetSystemMetrics(SM_CYMENU);
    menus->Layout = LayoutMenuBar(window.GetHandle(), menus->Bar, BandArea(window, lineHeight));
    const int height = std::max(lineHeight, static_cast<int>(menus->Layout.Size.cy));
    if (height != window.MenuBarHeight()) {
      LayOut(window, *menus);
      return;
    }
  }
  PaintBar(window);
}

void HookNonClientClick(TWindow &window, LRESULT hit, POINT screenPoint) {
  if (hit == HTSYSMENU) {
    ShowSystemMenu(window);
    return;
  }
  TWindowMenus *menus = MenusOf(window.GetHandle());
  if (menus == nullptr || menus->Bar == nullptr || window.HostWidget() == nullptr) return;
  const QPoint local = window.HostWidget()->mapFromGlobal(QPoint(screenPoint.x, screenPoint.y));
  for (std::size_t i = 0; i < menus->Layout.Items.size(); ++i) {
    const RECT &rect = menus->Layout.Items[i];
    if (local.x() >= rect.left && local.x() < rect.right && local.y() >= rect.top &&
        local.y() < rect.bottom) {
      TrackMenuBar(window.GetHandle(), static_cast<int>(i));
      return;
    }
  }
}

bool HookSystemKey(TWindow &window, UINT msg, WPARAM key) {
  TWindow *top = TopLevelOf(window);
  const HWND handle = top->GetHandle();
  if (msg == WM_SYSKEYDOWN) {
    if (key != VK_F10) return false;
    if (GetMenu(handle) == nullptr) return false;
    TrackMenuBar(handle, 0);
    return true;
  }
  if (key == ' ') {
    if ((top->GetStyle() & WS_SYSMENU) == 0) return false;
    ShowSystemMenu(*top);
    return true;
  }
  HMENU bar = GetMenu(handle);
  const char typed = static_cast<char>(key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key);
  for (int i = 0; bar != nullptr && i < GetMenuItemCount(bar); ++i) {
    if (MenuMnemonic(bar->Items[static_cast<std::size_t>(i)]) == typed) {
      TrackMenuBar(handle, i);
      return true;
    }
  }
  return false;
}

void (*chainedDestroyed)(TWindow &) = nullptr;

void HookDestroyed(TWindow &window) {
  if (chainedDestroyed != nullptr) chainedDestroyed(window);
  // The window's accelerator table goes with it too, and its sharing of its owner's.
  SetWindowAccelerators(window.GetHandle(), nullptr);
  ShareOwnerAccelerators(window.GetHandle(), false);
  auto found = WindowMenus().find(window.GetHandle());
  if (found == WindowMenus().end()) return;
  const TWindowMenus menus = found->second;
  WindowMenus().erase(found);
  DestroyMenu(menus.Bar);
  DestroyMenu(menus.System);
}

}  // namespace

BOOL SetMenu(HWND handle, HMENU menu) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  if (menu != nullptr) {
    if (!IsMenu(menu) || menu->Popup || menu->System) return 0;
    for (const auto &[other, menus] : WindowMenus()) {
      if (menus.Bar == menu && other != handle) return 0;
    }
  }
  TWindowMenus &menus = WindowMenus()[handle];
  menus.Bar = menu;
  menus.Selected = -1;
  LayOut(*window, menus);
  if (menu == nullptr) window->SetMenuBarHeight(0);
  PaintBar(*window);
  return 1;
}

HMENU GetMenu(HWND handle) {
  const TWindowMenus *menus = MenusOf(handle);
  return menus != nullptr ? menus->Bar : nullptr;
}

BOOL DrawMenuBar(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  TWindowMenus *menus = MenusOf(handle);
  if (window == nullptr || menus == nullptr || menus->Bar == nullptr) return 0;
  LayOut(*window, *menus);
  PaintBar(*window);
  return 1;
}

HMENU GetSystemMenu(HWND handle, BOOL revert) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return nullptr;
  TWindowMenus &menus = WindowMenus()[handle];
  if (revert) {
    DestroyMenu(menus.System);
    menus.System = nullptr;
    return nullptr;
  }
  if (menus.System != nullptr) return menus.System;
  HMENU menu = CreatePopupMenu();
  menu->System = true;
  const DWORD style = window->GetStyle();
  // Minimize and maximize boxes share their bits with WS_GROUP and WS_TABSTOP: only
  // top-level windows have them.
  const bool topLevel = (style & WS_CHILD) == 0;
  const bool canMinimize = topLevel && (style & WS_MINIMIZEBOX) != 0;
  const bool canMaximize = topLevel && (style & WS_MAXIMIZEBOX) != 0;
  if (canMinimize || canMaximize) AppendMenu(menu, MF_STRING | MF_GRAYED, SC_RESTORE, "&Restore");
  AppendMenu(menu, MF_STRING, SC_MOVE, "&Move");
  if (style & WS_THICKFRAME) AppendMenu(menu, MF_STRING, SC_SIZE, "&Size");
  if (canMinimize) AppendMenu(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  if (canMaximize) AppendMenu(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  menus.System = menu;
  return menu;
}

RECT MenuBarItemRect(HWND handle, int index) {
  const TWindowMenus *menus = MenusOf(handle);
  if (menus == nullptr || index < 0 || index >= static_cast<int>(menus->Layout.Items.size())) {
    return {};
  }
  return menus->Layout.Items[static_cast<std::size_t>(index)];
}

void SetMenuBarSelection(HWND handle, int index) {
  TWindow *window = WindowFromHandle(handle);
  TWindowMenus *menus = MenusOf(handle);
  if (window == nullptr || menus == nullptr || menus->Selected == index) return;
  const int previous = menus->Selected;
  menus->Selected = index;
  if (menus->Bar == nullptr || window->MenuBarHeight() <= 0) return;
  // Only the two items change (ODA_SELECT for owner-drawn ones); the band stays.
  const RECT band = window->MenuBarRect();
  TWindowDC dc(*window);
  dc.IntersectClipRect(band);
  PaintMenuBarSelectionChange(dc, handle, menus->Bar, menus->Layout, previous, index);
  dc.Flush();
}

void InstallMenuHooks() {
  // Once: the hooks stay for the program's life, chained with the cursors' ones.
  static bool installed = false;
  if (installed) return;
  installed = true;
  TWindowHooks hooks = CurrentWindowHooks();
  hooks.PaintMenuBar = &HookPaintMenuBar;
  hooks.NonClientClick = &HookNonClientClick;
  hooks.SystemKey = &HookSystemKey;
  if (hooks.Destroyed != &HookDestroyed) {
    chainedDestroyed = hooks.Destroyed;
    hooks.Destroyed = &HookDestroyed;
  }
  SetWindowHooks(hooks);
}

void MenuChanged(HMENU menu) {
  for (auto &[handle, menus] : WindowMenus()) {
    if (menus.Bar != menu) continue;
    if (TWindow *window = WindowFromHandle(handle)) {
      LayOut(*window, menus);
      PaintBar(*window);
    }
    return;
  }
}

void ForgetMenu(HMENU menu) {
  for (auto &[handle, menus] : WindowMenus()) {
    if (menus.System == menu) menus.System = nullptr;
    if (menus.Bar != menu) continue;
    menus.Bar = nullptr;
    menus.Layout = {};
    if (TWindow *window = WindowFromHandle(handle)) window->SetMenuBarHeight(0);
  }
}
