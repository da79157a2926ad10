#include "platform/gui/menus/menu.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_set>

#include "platform/gui/menus/menu_look.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/menus/menu_window.h"

namespace {

// Every live menu, so that a stale or foreign handle is refused instead of followed.
std::unordered_set<HMENU> &LiveMenus() {
  static std::unordered_set<HMENU> menus;
  return menus;
}

HMENU NewMenu(bool popup) {
  auto *menu = new HMENU__;
  menu->Popup = popup;
  LiveMenus().insert(menu);
  return menu;
}

void FreeMenu(HMENU menu) {
  if (menu == nullptr || LiveMenus().erase(menu) == 0) return;
  for (TMenuItem &item : menu->Items) FreeMenu(item.SubMenu);
  ForgetMenu(menu);
  delete menu;
}

// The state and kind bits an item keeps.
constexpr UINT kItemBits = MF_GRAYED | MF_DISABLED | MF_BITMAP | MF_CHECKED | MF_POPUP |
                           MF_MENUBARBREAK | MF_MENUBREAK | MF_HILITE | MF_OWNERDRAW |
                           MF_SEPARATOR;

// Builds the item described by the flags; false when the sub-menu is not a live menu.
bool MakeItem(UINT flags, std::uintptr_t newItem, const char *text, TMenuItem &item) {
  item = TMenuItem{};
  item.Flags = flags & kItemBits;
  if (flags & MF_SEPARATOR) {
    item.Flags = MF_SEPARATOR | (flags & MF_OWNERDRAW);
    item.Id = 0;
    if (flags & MF_OWNERDRAW) item.ItemData = reinterpret_cast<std::uintptr_t>(text);
    return true;
  }
  if (flags & MF_POPUP) {
    auto *sub = reinterpret_cast<HMENU>(newItem);
    if (!IsMenu(sub)) return false;
    item.SubMenu = sub;
    item.Id = static_cast<UINT>(-1);
  } else {
    // Ids are kept whole: owner-drawn menus mark items with ids such as -2.
    item.Id = static_cast<UINT>(newItem);
  }
  if (flags & MF_OWNERDRAW) {
    item.ItemData = reinterpret_cast<std::uintptr_t>(text);
  } else if (text != nullptr && !(flags & MF_BITMAP)) {
    item.Text = text;
  }
  return true;
}

// Index of the item named in the menu itself (no sub-menus); -1 when missing.
int IndexIn(HMENU menu, UINT position, UINT flags) {
  if (flags & MF_BYPOSITION) {
    return position < menu->Items.size() ? static_cast<int>(position) : -1;
  }
  for (std::size_t i = 0; i < menu->Items.size(); ++i) {
    const TMenuItem &item = menu->Items[i];
    if (item.SubMenu == nullptr && !(item.Flags & MF_SEPARATOR) && item.Id == position) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TMenuItem *FindById(HMENU menu, UINT id, HMENU *holder) {
  const int index = IndexIn(menu, id, MF_BYCOMMAND);
  if (index >= 0) {
    if (holder != nullptr) *holder = menu;
    return &menu->Items[static_cast<std::size_t>(index)];
  }
  for (TMenuItem &item : menu->Items) {
    if (item.SubMenu == nullptr) continue;
    if (TMenuItem *found = FindById(item.SubMenu, id, holder)) return found;
  }
  return nullptr;
}

// Takes the item out; its sub-menu is destroyed unless the caller keeps it.
bool TakeOut(HMENU menu, UINT position, UINT flags, bool destroySubMenu) {
  if (!IsMenu(menu)) return false;
  HMENU holder = nullptr;
  TMenuItem *item = FindMenuItem(menu, position, flags, &holder);
  if (item == nullptr) return false;
  HMENU sub = item->SubMenu;
  holder->Items.erase(holder->Items.begin() + (item - holder->Items.data()));
  if (destroySubMenu) FreeMenu(sub);
  MenuChanged(holder);
  return true;
}

struct TMenuResource {
  std::vector<TMenuTemplateItem> Rows;
};

std::map<std::string, TMenuResource> &MenuResources() {
  static std::map<std::string, TMenuResource> resources;
  return resources;
}

std::string LowerCase(const char *text) {
  std::string lower = text != nullptr ? text : "";
  for (char &c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

// Builds rows [row, end) into the menu until an MF_END row; returns the row after it.
bool BuildRows(HMENU menu, const std::vector<TMenuTemplateItem> &rows, std::size_t &row,
               int depth) {
  while (row < rows.size()) {
    const TMenuTemplateItem &entry = rows[row++];
    if (entry.Flags & MF_END) return depth > 0;
    if (entry.Flags & MF_POPUP) {
      HMENU sub = NewMenu(true);
      if (!BuildRows(sub, rows, row, depth + 1)) {
        FreeMenu(sub);
        return false;
      }
      AppendMenu(menu, (entry.Flags & ~MF_END), reinterpret_cast<std::uintptr_t>(sub), entry.Text);
    } else {
      AppendMenu(menu, entry.Flags, entry.Id, entry.Text);
    }
  }
  return depth == 0;
}

}  // namespace

HMENU CreateMenu() { return NewMenu(false); }

HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL IsMenu(HMENU menu) { return menu != nullptr && LiveMenus().count(menu) != 0 ? 1 : 0; }

BOOL DestroyMenu(HMENU menu) {
  if (!IsMenu(menu)) return 0;
  FreeMenu(menu);
  return 1;
}

TMenuItem *FindMenuItem(HMENU menu, UINT position, UINT flags, HMENU *holder) {
  if (!IsMenu(menu)) return nullptr;
  if (flags & MF_BYPOSITION) {
    const int index = IndexIn(menu, position, flags);
    if (index < 0) return nullptr;
    if (holder != nullptr) *holder = menu;
    return &menu->Items[static_cast<std::size_t>(index)];
  }
  return FindById(menu, position, holder);
}

BOOL AppendMenu(HMENU menu, UINT flags, std::uintptr_t newItem, const char *text) {
  if (!IsMenu(menu)) return 0;
  TMenuItem item;
  if (!MakeItem(flags, newItem, text, item)) return 0;
  menu->Items.push_back(std::move(item));
  MenuChanged(menu);
  return 1;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, std::uintptr_t newItem, const char *text) {
  if (!IsMenu(menu)) return 0;
  TMenuItem item;
  if (!MakeItem(flags, newItem, text, item)) return 0;
  HMENU holder = menu;
  std::size_t index = menu->Items.size();  // a missing position appends
  if (flags & MF_BYPOSITION) {
    index = std::min<std::size_t>(position, menu->Items.size());
  } else if (TMenuItem *before = FindMenuItem(menu, position, MF_BYCOMMAND, &holder)) {
    index = static_cast<std::size_t>(before - holder->Items.data());
  }
  holder->Items.insert(holder->Items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
  MenuChanged(holder);
  return 1;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, std::uintptr_t newItem, const char *text) {
  HMENU holder = nullptr;
  TMenuItem *item = FindMenuItem(menu, position, flags, &holder);
  if (item == nullptr) return 0;
  TMenuItem replacement;
  if (!MakeItem(flags, newItem, text, replacement)) return 0;
  // An item that stays a pop-up on the same sub-menu keeps it; any other sub-menu it had
  // is destroyed, as the item no longer leads there.
  if (item->SubMenu != nullptr && item->SubMenu != replacement.SubMenu) FreeMenu(item->SubMenu);
  // An item made owner-drawn keeps its text: its owner may read it back to draw it, and
  // the walk and its tests still name the item by it.
  if ((replacement.Flags & MF_OWNERDRAW) && !(replacement.Flags & MF_SEPARATOR)) {
    replacement.Text = std::move(item->Text);
  }
  *item = std::move(replacement);
  MenuChanged(holder);
  return 1;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  return TakeOut(menu, position, flags, true) ? 1 : 0;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  return TakeOut(menu, position, flags, false) ? 1 : 0;
}

DWORD CheckMenuItem(HMENU menu, UINT position, UINT flags) {
  HMENU holder = nullptr;
  TMenuItem *item = FindMenuItem(menu, position, flags, &holder);
  if (item == nullptr) return static_cast<DWORD>(-1);
  const DWORD previous = item->Flags & MF_CHECKED;
  item->Flags = (item->Flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  if (previous != (item->Flags & MF_CHECKED)) MenuChanged(holder);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT position, UINT flags) {
  HMENU holder = nullptr;
  TMenuItem *item = FindMenuItem(menu, position, flags, &holder);
  if (item == nullptr) return -1;
  const UINT mask = MF_GRAYED | MF_DISABLED;
  const UINT previous = item->Flags & mask;
  item->Flags = (item->Flags & ~mask) | (flags & mask);
  if (previous != (item->Flags & mask)) MenuChanged(holder);
  return static_cast<BOOL>(previous);
}

int GetMenuItemCount(HMENU menu) {
  return IsMenu(menu) ? static_cast<int>(menu->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  if (position < 0) return static_cast<UINT>(-1);
  const TMenuItem *item = FindMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
  if (item == nullptr || item->SubMenu != nullptr) return static_cast<UINT>(-1);
  return item->Id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  if (position < 0) return nullptr;
  const TMenuItem *item = FindMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
  return item != nullptr ? item->SubMenu : nullptr;
}

UINT GetMenuState(HMENU menu, UINT position, UINT flags) {
  const TMenuItem *item = FindMenuItem(menu, position, flags);
  if (item == nullptr) return kMenuStateMissing;
  if (item->SubMenu != nullptr) {
    const UINT count = static_cast<UINT>(std::min<std::size_t>(item->SubMenu->Items.size(), 0xFF));
    return (count << 8) | (item->Flags & 0xFF);
  }
  return item->Flags;
}

int GetMenuString(HMENU menu, UINT position, char *buffer, int size, UINT flags) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  const TMenuItem *item = FindMenuItem(menu, position, flags);
  if (item == nullptr) return 0;
  const int length = static_cast<int>(item->Text.size());
  if (buffer == nullptr || size <= 0) return length;
  const int copied = std::min(length, size - 1);
  std::memcpy(buffer, item->Text.data(), static_cast<std::size_t>(copied));
  buffer[copied] = '\0';
  return copied;
}

LONG GetMenuCheckMarkDimensions() {
  return static_cast<LONG>(MAKELPARAM(kMenuCheckMarkSize, kMenuCheckMarkSize));
}

void RegisterMenuResource(const char *name, const TMenuTemplateItem *rows, int count) {
  if (name == nullptr || rows == nullptr || count <= 0) return;
  MenuResources()[LowerCase(name)].Rows.assign(rows, rows + count);
}

HMENU LoadMenu(const void *, const char *name) {
  const auto found = MenuResources().find(LowerCase(name));
  if (found == MenuResources().end()) return nullptr;
  HMENU menu = CreateMenu();
  std::size_t row = 0;
  if (!BuildRows(menu, found->second.Rows, row, 0)) {
    DestroyMenu(menu);
    return nullptr;
  }
  return menu;
}

TMenu::TMenu() : handle_(CreateMenu()), owned_(true) {}

TMenu::TMenu(HMENU handle, bool autoDelete) : handle_(handle), owned_(autoDelete) {}

TMenu::TMenu(const void *module, const char *resourceName)
    : handle_(LoadMenu(module, resourceName)), owned_(true) {}

TMenu::~TMenu() {
  if (owned_) DestroyMenu(handle_);
}

HMENU TMenu::Release() {
  owned_ = false;
  return handle_;
}

bool TMenu::AppendMenu(UINT flags, std::uintptr_t newItem, const char *text) {
  return ::AppendMenu(handle_, flags, newItem, text) != 0;
}
bool TMenu::InsertMenu(UINT position, UINT flags, std::uintptr_t newItem, const char *text) {
  return ::InsertMenu(handle_, position, flags, newItem, text) != 0;
}
bool TMenu::ModifyMenu(UINT position, UINT flags, std::uintptr_t newItem, const char *text) {
  return ::ModifyMenu(handle_, position, flags, newItem, text) != 0;
}
bool TMenu::DeleteMenu(UINT position, UINT flags) {
  return ::DeleteMenu(handle_, position, flags) != 0;
}
bool TMenu::RemoveMenu(UINT position, UINT flags) {
  return ::RemoveMenu(handle_, position, flags) != 0;
}
UINT TMenu::CheckMenuItem(UINT position, UINT flags) {
  return static_cast<UINT>(::CheckMenuItem(handle_, position, flags));
}
UINT TMenu::EnableMenuItem(UINT position, UINT flags) {
  return static_cast<UINT>(::EnableMenuItem(handle_, position, flags));
}
int TMenu::GetMenuItemCount() const { return ::GetMenuItemCount(handle_); }
UINT TMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(handle_, position); }
UINT TMenu::GetMenuState(UINT position, UINT flags) const {
  return ::GetMenuState(handle_, position, flags);
}
std::string TMenu::GetMenuString(UINT position, UINT flags) const {
  const TMenuItem *item = FindMenuItem(handle_, position, flags);
  return item != nullptr ? item->Text : std::string();
}
HMENU TMenu::GetSubMenu(int position) const { return ::GetSubMenu(handle_, position); }

TPopupMenu::TPopupMenu() : TMenu(CreatePopupMenu(), true) {}

int TPopupMenu::TrackPopupMenu(UINT flags, int x, int y, int reserved, HWND owner,
                               const RECT *rect) {
  return ::TrackPopupMenu(handle_, flags, x, y, reserved, owner, rect);
}

TSystemMenu::TSystemMenu(HWND window, bool revert) : TMenu(GetSystemMenu(window, revert), false) {}
