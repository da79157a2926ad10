// The dialog's keyboard interface and the item calls by handle.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/control.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog.h"

namespace {

// The direct child of the dialog that holds `handle` (itself, or a window inside it).
TWindow *ItemHolding(TWindow &dialog, HWND handle) {
  for (TWindow *window = WindowFromHandle(handle); window != nullptr; window = window->GetParentO()) {
    if (window->GetParentO() == &dialog) return window;
  }
  return nullptr;
}

bool Usable(const TWindow &window) {
  return window.IsWindow() && (window.GetStyle() & WS_VISIBLE) && !(window.GetStyle() & WS_DISABLED);
}

std::ptrdiff_t IndexOf(const std::vector<TWindow *> &list, const TWindow *window) {
  const auto found = std::find(list.begin(), list.end(), window);
  return found == list.end() ? -1 : found - list.begin();
}

}  // namespace

bool TDialog::PreProcessMsg(MSG &msg) { return HandleKey(msg); }

bool TDialog::HandleMnemonic(UINT key) {
  if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
  const char wanted = static_cast<char>(std::tolower(static_cast<int>(key)));
  const std::vector<TWindow *> &items = GetChildren();
  for (std::size_t i = 0; i < items.size(); ++i) {
    TWindow *item = items[i];
    if (!item->IsWindow() || TControl::MnemonicOf(item->GetWindowText()) != wanted) continue;
    const UINT code = static_cast<UINT>(item->SendMessage(WM_GETDLGCODE));
    const bool label = (code & DLGC_STATIC) != 0;  // statics and group boxes
    if (!label && !Usable(*item)) continue;
    // A label (or a group box) hands the focus to the first usable tab stop after it.
    if (label) {
      for (std::size_t j = i + 1; j < items.size(); ++j) {
        if (!Usable(*items[j]) || !(items[j]->GetStyle() & WS_TABSTOP)) continue;
        FocusItem(items[j]->GetHandle());
        return true;
      }
      return false;
    }
    // A button is pressed: focused, then clicked (a check box toggles, a radio is chosen).
    if (code & (DLGC_BUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_RADIOBUTTON)) {
      item->SetFocus();
      item->SendMessage(BM_CLICK);
      return true;
    }
    FocusItem(item->GetHandle());
    return true;
  }
  return false;
}

bool TDialog::HandleKey(MSG &msg) {
  if (!IsWindow()) return false;
  // Alt and a letter: the control whose text marks that letter ("&Load").
  if (msg.message == WM_SYSKEYDOWN) return HandleMnemonic(static_cast<UINT>(msg.wParam));
  if (msg.message != WM_KEYDOWN) return false;
  TWindow *target = WindowFromHandle(msg.hwnd);
  TWindow *item = ItemHolding(*this, msg.hwnd);
  UINT code = 0;
  if (target != nullptr && target != this) {
    code = static_cast<UINT>(target->SendMessage(WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
  }
  if (code & DLGC_WANTALLKEYS) return false;
  const HWND focused = item != nullptr ? item->GetHandle() : nullptr;
  switch (msg.wParam) {
    case VK_TAB: {
      if (code & DLGC_WANTTAB) return false;
      // A page inside another dialog lets the outer one walk: its tab stops are part of the
      // outer dialog's order.
      if (IsChild() && dynamic_cast<TDialog *>(GetParentO()) != nullptr) return false;
      const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
      const HWND next = GetNextDlgTabItem(GetHandle(), item != nullptr ? msg.hwnd : nullptr, back ? 1 : 0);
      if (next != nullptr) FocusItem(next);
      return true;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      if ((code & DLGC_WANTARROWS) || item == nullptr) return false;
      const bool back = msg.wParam == VK_LEFT || msg.wParam == VK_UP;
      const HWND next = GetNextDlgGroupItem(GetHandle(), focused, back ? 1 : 0);
      if (next == nullptr || next == focused) return true;
      TWindow *nextWindow = WindowFromHandle(next);
      nextWindow->SetFocus();
      // An automatic radio button is chosen by moving onto it.
      if (nextWindow->SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON) {
        if ((nextWindow->GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON) nextWindow->SendMessage(BM_CLICK);
      }
      return true;
    }
    case VK_RETURN: {
      int id = static_cast<int>(LOWORD(static_cast<std::uintptr_t>(SendMessage(DM_GETDEFID))));
      if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && item != nullptr) id = item->GetId();
      const HWND button = GetDlgItem(id);
      if (button != nullptr && !::IsWindowEnabled(button)) {
        MessageBeep(0);
        return true;
      }
      SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(id, static_cast<int>(BN_CLICKED))),
                  reinterpret_cast<LPARAM>(button));
      return true;
    }
    case VK_ESCAPE: {
      const HWND button = GetDlgItem(IDCANCEL);
      SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(IDCANCEL, static_cast<int>(BN_CLICKED))),
                  reinterpret_cast<LPARAM>(button));
      return true;
    }
    default:
      return false;
  }
}

HWND GetDlgItem(HWND dialog, int id) {
  TWindow *window = WindowFromHandle(dialog);
  if (window == nullptr) return nullptr;
  for (TWindow *child : window->GetChildren()) {
    if (child->GetId() == id && child->IsWindow()) return child->GetHandle();
  }
  return nullptr;
}

BOOL SetDlgItemText(HWND dialog, int id, const char *text) { return SetWindowText(GetDlgItem(dialog, id), text); }

UINT GetDlgItemText(HWND dialog, int id, char *buffer, int size) {
  return static_cast<UINT>(GetWindowText(GetDlgItem(dialog, id), buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  const std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL *translated, BOOL isSigned) {
  if (translated != nullptr) *translated = 0;
  char text[64] = {};
  if (GetDlgItem(dialog, id) == nullptr) return 0;
  GetDlgItemText(dialog, id, text, sizeof text);
  const char *start = text;
  while (*start == ' ' || *start == '\t') ++start;
  char *end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, 10);
  while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
  const bool whole = end != start && end != nullptr && *end == '\0' && errno == 0;
  const bool fits = isSigned ? value >= INT32_MIN && value <= INT32_MAX : value >= 0 && value <= UINT32_MAX;
  if (!whole || !fits) return 0;
  if (translated != nullptr) *translated = 1;
  return static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) return 0;
  SendMessage(button, BM_SETCHECK, check, 0);
  return 1;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button != nullptr ? static_cast<UINT>(SendMessage(button, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  for (int id = firstId; id <= lastId; ++id) CheckDlgButton(dialog, id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
  return 1;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessage(GetDlgItem(dialog, id), msg, wParam, lParam);
}

BOOL EndDialog(HWND dialog, int result) {
  auto *window = dynamic_cast<TDialog *>(WindowFromHandle(dialog));
  if (window == nullptr) return 0;
  window->EndDialog(result);
  return 1;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  TWindow *window = WindowFromHandle(dialog);
  if (window == nullptr) return nullptr;
  // The tab stops in order, those of a child dialog (a folder's page) among the dialog's
  // own at the page's place, so Tab walks into the page and out of it again.
  std::vector<TWindow *> stops;
  const std::function<void(TWindow &)> collect = [&](TWindow &parent) {
    for (TWindow *child : parent.GetChildren()) {
      if (!Usable(*child)) continue;
      if (dynamic_cast<TDialog *>(child) != nullptr && child->IsChild()) collect(*child);
      else if (child->GetStyle() & WS_TABSTOP) stops.push_back(child);
    }
  };
  collect(*window);
  const auto count = static_cast<std::ptrdiff_t>(stops.size());
  if (count == 0) return nullptr;
  // The stop that holds the control (itself, or a window inside it).
  std::ptrdiff_t index = previous ? 0 : -1;
  for (TWindow *held = WindowFromHandle(control); held != nullptr && held != window; held = held->GetParentO()) {
    const std::ptrdiff_t found = IndexOf(stops, held);
    if (found >= 0) {
      index = found;
      break;
    }
  }
  index = ((index + (previous ? -1 : 1)) % count + count) % count;
  return stops[static_cast<std::size_t>(index)]->GetHandle();
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  TWindow *window = WindowFromHandle(dialog);
  TWindow *item = window != nullptr ? ItemHolding(*window, control) : nullptr;
  if (item == nullptr) return nullptr;
  const std::vector<TWindow *> &items = window->GetChildren();
  // The group: from the item that starts it (WS_GROUP) to the next start.
  std::ptrdiff_t first = IndexOf(items, item);
  while (first > 0 && !(items[static_cast<std::size_t>(first)]->GetStyle() & WS_GROUP)) --first;
  std::ptrdiff_t last = IndexOf(items, item) + 1;
  while (last < static_cast<std::ptrdiff_t>(items.size()) && !(items[static_cast<std::size_t>(last)]->GetStyle() & WS_GROUP)) ++last;
  const std::ptrdiff_t size = last - first;
  std::ptrdiff_t index = IndexOf(items, item) - first;
  for (std::ptrdiff_t step = 0; step < size; ++step) {
    index = ((index + (previous ? -1 : 1)) % size + size) % size;
    TWindow *candidate = items[static_cast<std::size_t>(first + index)];
    if (Usable(*candidate)) return candidate->GetHandle();
  }
  return control;
}

BOOL MapDialogRect(HWND dialog, RECT *rect) {
  auto *window = dynamic_cast<TDialog *>(WindowFromHandle(dialog));
  if (window == nullptr || rect == nullptr) return 0;
  const TDialogUnits &units = window->GetUnits();
  *rect = {units.ToPixelsX(rect->left), units.ToPixelsY(rect->top), units.ToPixelsX(rect->right),
           units.ToPixelsY(rect->bottom)};
  return 1;
}

LONG GetDialogBaseUnits() {
  const TDialogUnits units = DialogUnitsOfFont(kFaceSansSerif, 8);
  return static_cast<LONG>(MAKELPARAM(units.BaseX, units.BaseY));
}

BOOL IsDialogMessage(HWND dialog, MSG *msg) {
  auto *window = dynamic_cast<TDialog *>(WindowFromHandle(dialog));
  return window != nullptr && msg != nullptr && window->PreProcessMsg(*msg) ? 1 : 0;
}

void EnableDlgItem(HWND dialog, int id, int enable) {
  HWND item = GetDlgItem(dialog, id);
  if (item != nullptr) EnableWindow(item, enable != 0 ? 1 : 0);
}

double DoubleFromControl(HWND control) {
  char text[256] = {};
  GetWindowText(control, text, sizeof text);
  // The leading number counts, whatever the locale; anything else is 0.
  const char *start = text;
  while (*start == ' ' || *start == '\t' || *start == '\n') ++start;
  if (*start == '+') ++start;
  double value = 0.0;
  const auto [end, error] = std::from_chars(start, text + std::strlen(text), value);
  return error == std::errc() && end != start ? value : 0.0;
}
