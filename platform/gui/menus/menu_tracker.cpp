#include "platform/gui/menus/menu_tracker.h"

#include <algorithm>

#include "platform/gui/menus/menu_enabling.h"
#include "platform/gui/menus/menu_look.h"
#include "platform/gui/menus/menu_popup.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/window.h"

namespace {

TMenuTrackProvider *currentProvider = nullptr;
bool walkRunning = false;

TMenuTrackProvider &Provider() {
  static TDrawnMenuTracker drawn;
  return currentProvider != nullptr ? *currentProvider : drawn;
}

void Notify(HWND owner, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (::IsWindow(owner)) ::SendMessage(owner, msg, wParam, lParam);
}

// Runs the walk with the messages around it; the chosen id (0: none).
UINT RunWalk(const TMenuWalk &walk) {
  if (walkRunning || !::IsWindow(walk.Owner) || !IsMenu(walk.Menu)) return 0;
  walkRunning = true;
  const bool notify = (walk.Flags & TPM_NONOTIFY) == 0;
  if (notify) {
    Notify(walk.Owner, WM_ENTERMENULOOP, walk.Bar || walk.System ? 0 : 1, 0);
    if (walk.Bar || walk.System) Notify(walk.Owner, WM_INITMENU, reinterpret_cast<WPARAM>(walk.Menu), 0);
  }
  UINT chosen = Provider().Walk(walk);
  // The item may have been greyed or taken away while the walk ran.
  const TMenuItem *item = chosen != 0 ? FindMenuItem(walk.Menu, chosen, MF_BYCOMMAND) : nullptr;
  if (item == nullptr || !MenuItemSelectable(*item)) chosen = 0;
  if (notify) {
    SelectMenuItem(walk, nullptr, -1);
    Notify(walk.Owner, WM_EXITMENULOOP, walk.Bar || walk.System ? 0 : 1, 0);
  }
  walkRunning = false;
  return chosen;
}

void SendChoice(HWND owner, UINT id, bool system) {
  if (id == 0 || !::IsWindow(owner)) return;
  if (system && id >= 0xF000) {
    ::SendMessage(owner, WM_SYSCOMMAND, id, 0);
  } else {
    ::SendMessage(owner, WM_COMMAND, id, 0);
  }
}

std::string WithoutAmpersands(const std::string &text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    if (text[i] == '&') ++i;
    if (i < text.size()) plain += text[i];
  }
  return plain;
}

bool TextMatches(const std::string &itemText, const std::string &wanted) {
  const std::string shown = itemText.substr(0, itemText.find('\t'));
  return shown == wanted || WithoutAmpersands(shown) == WithoutAmpersands(wanted);
}

}  // namespace

TMenuTrackProvider *SetMenuTrackProvider(TMenuTrackProvider *provider) {
  TMenuTrackProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

void OpenMenuPopup(const TMenuWalk &walk, HMENU popup, int indexInParent) {
  if ((walk.Flags & TPM_NONOTIFY) != 0 || !::IsWindow(walk.Owner)) return;
  // The command enablers first, so that the owner's own handler has the last word.
  if (!walk.System) EnableMenuCommands(walk.Owner, popup);
  Notify(walk.Owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
         MAKELPARAM(indexInParent, walk.System ? 1 : 0));
}

void SelectMenuItem(const TMenuWalk &walk, HMENU menu, int index) {
  if ((walk.Flags & TPM_NONOTIFY) != 0) return;
  const TMenuItem *item =
      index >= 0 ? FindMenuItem(menu, static_cast<UINT>(index), MF_BYPOSITION) : nullptr;
  if (item == nullptr) {
    Notify(walk.Owner, WM_MENUSELECT, MAKELPARAM(0, 0xFFFF), 0);
    return;
  }
  UINT flags = (item->Flags & 0xFFFF) | MF_HILITE;
  if (walk.System) flags |= MF_SYSMENU;
  const UINT idOrIndex = item->SubMenu != nullptr ? static_cast<UINT>(index) : item->Id;
  Notify(walk.Owner, WM_MENUSELECT, MAKELPARAM(static_cast<int>(idOrIndex), static_cast<int>(flags)),
         reinterpret_cast<LPARAM>(menu));
}

int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT *) {
  TMenuWalk walk;
  walk.Owner = owner;
  walk.Menu = menu;
  walk.System = IsMenu(menu) && menu->System;
  walk.Screen = {x, y};
  walk.Flags = flags;
  const UINT chosen = RunWalk(walk);
  if (flags & TPM_RETURNCMD) return static_cast<int>(chosen);
  SendChoice(owner, chosen, walk.System);
  return chosen != 0 ? 1 : 0;
}

void TrackMenuBar(HWND window, int index) {
  TMenuWalk walk;
  walk.Owner = window;
  walk.Menu = GetMenu(window);
  walk.Bar = true;
  walk.StartIndex = index;
  // A look at the menus of a window clicked from another one, ending with no command, gives
  // the focus back to where it was: typing there goes on (Escape drops it, Enter puts it in).
  HWND before = FocusBeforeActivation();
  if (before == nullptr) before = GetFocus();
  const auto outside = [window](HWND focus) {
    return focus != nullptr && focus != window && !IsChild(window, focus);
  };
  const bool cameFromOutside = outside(before);
  const UINT chosen = RunWalk(walk);
  if (chosen == 0 && cameFromOutside && ::IsWindow(before) && IsWindowVisible(before) && IsWindowEnabled(before))
    ActivateAndFocus(before);
  SendChoice(window, chosen, false);
}

void ShowSystemMenu(TWindow &window) {
  const HWND handle = window.GetHandle();
  TMenuWalk walk;
  walk.Owner = handle;
  walk.Menu = GetSystemMenu(handle, 0);
  walk.System = true;
  const RECT rect = window.GetWindowRect();
  walk.Screen = {rect.left, rect.top + window.DrawnFrameInsets().Top};
  const UINT chosen = RunWalk(walk);
  SendChoice(handle, chosen, true);
}

TScriptedMenuTracker::TScriptedMenuTracker() : previous(SetMenuTrackProvider(this)) {}

TScriptedMenuTracker::~TScriptedMenuTracker() { SetMenuTrackProvider(previous); }

void TScriptedMenuTracker::ChooseId(UINT id) { answers.push_back({id, {}}); }

void TScriptedMenuTracker::ChoosePath(std::vector<std::string> texts) {
  answers.push_back({0, std::move(texts)});
}

void TScriptedMenuTracker::Cancel() { answers.push_back({0, {}}); }

UINT TScriptedMenuTracker::Walk(const TMenuWalk &walk) {
  TRecord record;
  record.Walk = walk;
  for (const TMenuItem &item : walk.Menu->Items) record.Items.push_back(item.Text);
  TAnswer answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (answer.Id == 0 && answer.Path.empty()) {
    walks.push_back(record);
    return 0;
  }
  // Walks down the path (or, for an id, to the pop-up that holds it), opening each pop-up.
  HMENU menu = walk.Menu;
  if (!walk.Bar) OpenMenuPopup(walk, menu, 0);
  std::vector<std::pair<HMENU, int>> route;  // menus and the index taken in each
  const auto findRoute = [&](auto &&self, HMENU current, std::vector<std::pair<HMENU, int>> &path) -> bool {
    for (std::size_t i = 0; i < current->Items.size(); ++i) {
      const TMenuItem &item = current->Items[i];
      path.emplace_back(current, static_cast<int>(i));
      if (item.SubMenu == nullptr && !(item.Flags & MF_SEPARATOR) && item.Id == answer.Id) return true;
      if (item.SubMenu != nullptr && self(self, item.SubMenu, path)) return true;
      path.pop_back();
    }
    return false;
  };
  bool found = false;
  if (!answer.Path.empty()) {
    found = true;
    HMENU current = menu;
    for (const std::string &text : answer.Path) {
      int index = -1;
      for (std::size_t i = 0; current != nullptr && i < current->Items.size(); ++i) {
        if (!(current->Items[i].Flags & MF_SEPARATOR) && TextMatches(current->Items[i].Text, text)) {
          index = static_cast<int>(i);
          break;
        }
      }
      if (index < 0) {
        found = false;
        break;
      }
      route.emplace_back(current, index);
      current = current->Items[static_cast<std::size_t>(index)].SubMenu;
    }
  } else {
    found = findRoute(findRoute, menu, route);
  }
  UINT chosen = 0;
  if (found) {
    // Open the pop-ups along the route, then look at the item as the owner left it.
    for (std::size_t level = 0; level + 1 < route.size(); ++level) {
      const auto [holder, index] = route[level];
      SelectMenuItem(walk, holder, index);
      if (!IsMenu(holder)) break;
      const TMenuItem &item = holder->Items[static_cast<std::size_t>(index)];
      if (item.SubMenu == nullptr || !MenuItemSelectable(item)) {
        found = false;
        break;
      }
      OpenMenuPopup(walk, item.SubMenu, index);
    }
    if (found && IsMenu(route.back().first)) {
      const auto [holder, index] = route.back();
      SelectMenuItem(walk, holder, index);
      const TMenuItem *item = FindMenuItem(holder, static_cast<UINT>(index), MF_BYPOSITION);
      if (item != nullptr && item->SubMenu == nullptr && MenuItemSelectable(*item)) chosen = item->Id;
    }
  }
  record.Chosen = chosen;
  record.Refused = chosen == 0;
  walks.push_back(record);
  return chosen;
}
