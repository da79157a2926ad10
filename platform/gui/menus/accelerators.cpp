#include "platform/gui/menus/accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/gui/menus/menu_enabling.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/key_codes.h"
#include "platform/gui/windows/modal_scope.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

std::unordered_set<HACCEL> &LiveTables() {
  static std::unordered_set<HACCEL> tables;
  return tables;
}

std::map<std::string, std::vector<ACCEL>> &Resources() {
  static std::map<std::string, std::vector<ACCEL>> resources;
  return resources;
}

std::unordered_map<HWND, HACCEL> &WindowTables() {
  static std::unordered_map<HWND, HACCEL> tables;
  return tables;
}

std::unordered_set<HWND> &SharingWindows() {
  static std::unordered_set<HWND> windows;
  return windows;
}

std::string LowerCase(const char *text) {
  std::string lower = text != nullptr ? text : "";
  for (char &c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

bool CommandEnabled(HWND window, UINT id) {
  TCommandEnabler enabler(id);
  RouteCommandEnable(window, enabler);
  if (enabler.GetHandled()) return enabler.IsEnabled();
  const UINT state = GetMenuState(GetMenu(window), id, MF_BYCOMMAND);
  return state == kMenuStateMissing || (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

// The table's entry for the key, or null.
const ACCEL *MatchingEntry(HACCEL table, UINT virtualKey, bool shift, bool control, bool alt, UINT character) {
  if (table == nullptr || LiveTables().count(table) == 0) return nullptr;
  for (const ACCEL &entry : table->Entries) {
    if (entry.fVirt & FVIRTKEY) {
      if (entry.key != virtualKey || virtualKey == 0) continue;
      if (((entry.fVirt & FSHIFT) != 0) != shift || ((entry.fVirt & FCONTROL) != 0) != control ||
          ((entry.fVirt & FALT) != 0) != alt) {
        continue;
      }
      return &entry;
    }
    // A character: Ctrl with a letter types the control code (ctrl+Z is 26).
    UINT typed = character;
    if (control && virtualKey >= 'A' && virtualKey <= 'Z') typed = virtualKey - 'A' + 1;
    if (typed == 0 || entry.key != typed || ((entry.fVirt & FALT) != 0) != alt) continue;
    return &entry;
  }
  return nullptr;
}

// Whether the focused widget uses the key itself: Qt's question before any shortcut. A line
// edit claims its editing keys (Del, Ctrl-Z, Ctrl-A, Shift+Ins, ...) unless it is read-only
// where the key would change the text.
bool ClaimedByFocusedControl(QWidget *widget, const QKeyEvent &key) {
  QKeyEvent ask(QEvent::ShortcutOverride, key.key(), key.modifiers(), key.text(), key.isAutoRepeat(),
                static_cast<quint16>(key.count()));
  ask.ignore();
  QCoreApplication::sendEvent(widget, &ask);
  return ask.isAccepted();
}

class TAcceleratorFilter final : public QObject {
 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() != QEvent::KeyPress || WindowTables().empty()) return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget == nullptr) return false;
    // An unhandled key travels on to the widget's parents, passing here each time: only
    // its first delivery counts.
    const bool travelling = event == lastEvent && lastReceiver != nullptr &&
                            lastReceiver->parentWidget() == widget;
    lastEvent = event;
    lastReceiver = widget;
    if (travelling) return false;
    // A modal dialog's keys are its own, as its own loop would keep them.
    if (QApplication::activeModalWidget() != nullptr) return false;
    TWindow *window = nullptr;
    for (QWidget *w = widget; w != nullptr && window == nullptr; w = w->parentWidget()) {
      if (auto *host = dynamic_cast<TWindowHost *>(w)) window = host->Owner();
    }
    if (window == nullptr) return false;
    // A window resting under a modal box of ours takes no key at all.
    if (BlockedByModalBox(*window)) return true;
    auto *key = static_cast<QKeyEvent *>(event);
    if (ClaimedByFocusedControl(widget, *key)) return false;
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const QString text = key->text();
    const UINT character = text.isEmpty() ? 0 : text.at(0).unicode();
    return TranslateWindowAccelerator(window->GetHandle(), VirtualKeyFromQt(key->key()),
                                      (modifiers & Qt::ShiftModifier) != 0,
                                      (modifiers & Qt::ControlModifier) != 0,
                                      (modifiers & Qt::AltModifier) != 0, character);
  }

 private:
  const QEvent *lastEvent = nullptr;
  QPointer<QWidget> lastReceiver;
};

}  // namespace

HACCEL CreateAcceleratorTable(const ACCEL *entries, int count) {
  if (entries == nullptr || count <= 0) return nullptr;
  auto *table = new HACCEL__;
  table->Entries.assign(entries, entries + count);
  LiveTables().insert(table);
  return table;
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  if (table == nullptr || LiveTables().erase(table) == 0) return 0;
  for (auto it = WindowTables().begin(); it != WindowTables().end();) {
    it = it->second == table ? WindowTables().erase(it) : std::next(it);
  }
  delete table;
  return 1;
}

void RegisterAcceleratorResource(const char *name, const ACCEL *entries, int count) {
  if (name == nullptr || entries == nullptr || count <= 0) return;
  Resources()[LowerCase(name)].assign(entries, entries + count);
}

HACCEL LoadAccelerators(const void *, const char *name) {
  const auto found = Resources().find(LowerCase(name));
  if (found == Resources().end()) return nullptr;
  return CreateAcceleratorTable(found->second.data(), static_cast<int>(found->second.size()));
}

void SetWindowAccelerators(HWND window, HACCEL table) {
  const auto found = WindowTables().find(window);
  if (found != WindowTables().end()) {
    HACCEL previous = found->second;
    WindowTables().erase(found);
    if (previous != table) DestroyAcceleratorTable(previous);
  }
  if (table != nullptr && LiveTables().count(table) != 0 && ::IsWindow(window)) {
    WindowTables()[window] = table;
  }
}

HACCEL GetWindowAccelerators(HWND window) {
  const auto found = WindowTables().find(window);
  return found != WindowTables().end() ? found->second : nullptr;
}

UINT AcceleratorCommand(HACCEL table, UINT virtualKey, bool shift, bool control, bool alt,
                        UINT character) {
  const ACCEL *entry = MatchingEntry(table, virtualKey, shift, control, alt, character);
  return entry != nullptr ? entry->cmd : 0;
}

void ShareOwnerAccelerators(HWND window, bool share) {
  if (share && ::IsWindow(window)) {
    SharingWindows().insert(window);
  } else {
    SharingWindows().erase(window);
  }
}

bool SharesOwnerAccelerators(HWND window) { return SharingWindows().count(window) != 0; }

bool TranslateWindowAccelerator(HWND focus, UINT virtualKey, bool shift, bool control, bool alt,
                                UINT character) {
  // Set once the walk has gone on from a top-level window to its owner: the owner's
  // FOWNWINDOW keys were pressed in another window than its own.
  bool fromOwnedWindow = false;
  for (TWindow *window = WindowFromHandle(focus); window != nullptr; window = window->GetParentO()) {
    const HWND handle = window->GetHandle();
    const ACCEL *entry =
        MatchingEntry(GetWindowAccelerators(handle), virtualKey, shift, control, alt, character);
    if (entry != nullptr && fromOwnedWindow && (entry->fVirt & FOWNWINDOW) != 0) entry = nullptr;
    const UINT command = entry != nullptr ? entry->cmd : 0;
    if (!window->IsChild() && !SharesOwnerAccelerators(handle)) fromOwnedWindow = true;
    // A window running its modal loop keeps its keys: the windows behind it wait, as they
    // wait for the system's own dialogs, and the key acts on the dialog's control.
    if (command == 0 && window->IsModal()) return false;
    if (command == 0) continue;
    // The window brings its menu up to date first, as it does when the menu opens: a key
    // pressed right after a change (a selection made) finds its command as the menu would.
    if (HMENU menu = GetMenu(handle); menu != nullptr) ::SendMessage(handle, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    if (!::IsWindow(handle)) return true;
    if (!CommandEnabled(handle, command)) return true;  // a disabled command eats its key
    if (::IsWindow(handle)) ::SendMessage(handle, WM_COMMAND, MAKELPARAM(command, 1), 0);
    return true;
  }
  return false;
}

void InstallAcceleratorFilter() {
  static TAcceleratorFilter *filter = nullptr;
  if (filter != nullptr || qApp == nullptr) return;
  filter = new TAcceleratorFilter;
  filter->setParent(qApp);
  qApp->installEventFilter(filter);
}
