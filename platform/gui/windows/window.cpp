#include "platform/gui/windows/window.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <unordered_map>

#include "platform/gui/windows/application.h"
#include "platform/gui/windows/message_loop.h"
#include "platform/gui/windows/native_input.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/window_host.h"
#include "platform/gui/windows/window_hooks.h"

namespace {

std::unordered_map<HWND, TWindow *> &Registry() {
  static std::unordered_map<HWND, TWindow *> registry;
  return registry;
}

// Handles are never reused, so a message posted to a destroyed window finds nothing.
HWND NewHandle() {
  static std::uintptr_t next = 0x1000;
  next += 4;
  return reinterpret_cast<HWND>(next);
}

TWindowHooks windowHooks;

HWND focusHandle = nullptr;
// The focus another top-level window held before the focus last moved into a new one.
HWND focusBeforeActivation = nullptr;
HWND captureHandle = nullptr;

const TResponseTableEntry kWindowTable[] = {
    EvMessage<WM_SIZE, &TWindow::EvSize>(),
    EvMessage<WM_HSCROLL, &TWindow::EvHScroll>(),
    EvMessage<WM_VSCROLL, &TWindow::EvVScroll>(),
};

}  // namespace

TWindowHooks SetWindowHooks(const TWindowHooks &hooks) {
  const TWindowHooks previous = windowHooks;
  windowHooks = hooks;
  return previous;
}

const TWindowHooks &CurrentWindowHooks() { return windowHooks; }

bool SearchResponseTable(std::span<const TResponseTableEntry> table, TEventInfo &info) {
  const bool colorMsg = info.Msg >= WM_CTLCOLORMSGBOX && info.Msg <= WM_CTLCOLORSTATIC;
  for (const TResponseTableEntry &entry : table) {
    if (entry.Msg != info.Msg && !(colorMsg && entry.Msg == WM_CTLCOLOR)) continue;
    if (entry.Id != kEveryCommand) {
      if ((info.Msg == WM_COMMAND || info.Msg == WM_COMMAND_ENABLE) && entry.Id != info.Id) continue;
      if (info.Msg == WM_COMMAND && entry.Code != info.Code) continue;
    }
    info.Entry = &entry;
    return true;
  }
  return false;
}

TWindow::TWindow(TWindow *parentWindow, const char *titleText, TModule *)
    : parent(parentWindow), alive(std::make_shared<bool>(true)) {
  if (titleText != nullptr) title = titleText;
  if (parent == nullptr) {
    Attr.Style = WS_OVERLAPPEDWINDOW;
    Attr.X = Attr.Y = Attr.W = Attr.H = CW_USEDEFAULT;
  }
  if (parent != nullptr) parent->children.push_back(this);
}

TWindow::~TWindow() {
  Destroy();
  *alive = false;
  // Each child takes itself off the list as it goes.
  while (!children.empty()) delete children.back();
  if (parent != nullptr) {
    auto &siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  delete Scroller;
}

HWND TWindow::GetParent() const { return parent != nullptr ? parent->handle : nullptr; }

TWindow *TWindow::ChildWithId(int id) const {
  for (TWindow *child : children) {
    if (child->Attr.Id == id) return child;
  }
  return nullptr;
}

void TWindow::SetChildOrder(const std::vector<TWindow *> &first) {
  std::vector<TWindow *> ordered;
  ordered.reserve(children.size());
  for (TWindow *child : first) {
    if (std::find(children.begin(), children.end(), child) != children.end() &&
        std::find(ordered.begin(), ordered.end(), child) == ordered.end()) {
      ordered.push_back(child);
    }
  }
  for (TWindow *child : children) {
    if (std::find(ordered.begin(), ordered.end(), child) == ordered.end()) ordered.push_back(child);
  }
  children = ordered;
}

bool TWindow::SetParent(TWindow *newParent) {
  if (handle != nullptr || newParent == this) return false;
  for (TWindow *above = newParent; above != nullptr; above = above->parent) {
    if (above == this) return false;  // no window becomes its own ancestor
  }
  if (parent != nullptr) {
    auto &siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent = newParent;
  if (parent != nullptr) parent->children.push_back(this);
  return true;
}

const char *TWindow::GetClassName() { return "TWindow"; }

void TWindow::GetWindowClass(TWindowClass &) {}

bool TWindow::Create() {
  if (handle != nullptr) return true;
  if (parent != nullptr && parent->handle == nullptr) return false;
  if (parent == nullptr) Attr.Style &= ~WS_CHILD;
  windowClass = TWindowClass{};
  windowClass.Background = background;
  GetWindowClass(windowClass);
  background = windowClass.Background;

  const bool child = IsChild();
  x = Attr.X == CW_USEDEFAULT ? (child ? 0 : 40) : Attr.X;
  y = Attr.Y == CW_USEDEFAULT ? (child ? 0 : 40) : Attr.Y;
  width = Attr.W == CW_USEDEFAULT ? (child ? 100 : 640) : std::clamp(Attr.W, 0, kMaxWindowExtent);
  height = Attr.H == CW_USEDEFAULT ? (child ? 100 : 480) : std::clamp(Attr.H, 0, kMaxWindowExtent);
  hBar = vBar = TScrollBarState{};
  reportedClient = {-1, -1};
  reportedOrigin = {-100000, -100000};

  handle = NewHandle();
  Registry()[handle] = this;
  CreateHost();

  std::shared_ptr<bool> token = alive;
  if (Dispatch(WM_CREATE, 0, 0) == -1) {
    if (*token) Destroy();
    return false;
  }
  if (!*token || handle == nullptr) return false;
  SetupWindow();
  if (!*token || handle == nullptr) return false;
  // Every dialog, palette and frame opens wholly on the screen, wherever its owner stands
  // and whatever size its set-up gave it.
  if (!child) KeepOnScreen(*this);
  if (!*token || handle == nullptr) return false;
  ReportGeometry();
  if (!*token || handle == nullptr) return false;
  SendNcPaint();
  Invalidate(true);
  if (Attr.Style & WS_VISIBLE) {
    host->show();
  } else {
    host->hide();
  }
  return true;
}

void TWindow::SetupWindow() {
  const std::vector<TWindow *> pending = children;
  for (TWindow *child : pending) {
    if (child->handle == nullptr) child->Create();
  }
}

void TWindow::CleanupWindow() {}

void TWindow::Paint(TDC &, bool, RECT &) {}

void TWindow::Destroy(int returnValue) {
  if (handle == nullptr || inDestroy) return;
  if (modalLoop != nullptr) EndModal(returnValue);
  inDestroy = true;
  std::shared_ptr<bool> token = alive;
  Dispatch(WM_DESTROY, 0, 0);
  if (!*token) return;
  CleanupWindow();
  if (windowHooks.Destroyed != nullptr) windowHooks.Destroyed(*this);
  if (!*token) return;
  // A child's destruction may delete a sibling: only children still here are destroyed.
  const std::vector<TWindow *> owned = children;
  for (TWindow *child : owned) {
    if (std::find(children.begin(), children.end(), child) != children.end()) child->Destroy();
    if (!*token) return;
  }
  for (const auto &[id, qtId] : timers) {
    if (host != nullptr) host->killTimer(qtId);
  }
  timers.clear();
  if (focusHandle == handle) focusHandle = nullptr;
  if (captureHandle == handle) {
    captureHandle = nullptr;
    if (host != nullptr) host->releaseMouse();
  }
  Registry().erase(handle);
  handle = nullptr;
  subclasses.clear();
  DeleteNativeInput(native);
  native = nullptr;
  DestroyHost();
  updatePending = false;
  inDestroy = false;
  TApplication *application = TApplication::Current();
  if (application != nullptr && application->GetMainWindow() == this) PostQuitMessage(0);
}

void TWindow::DestroyAndDelete() {
  Destroy();
  if (dispatchDepth > 0) {
    deletePending = true;
  } else {
    delete this;
  }
}

bool TWindow::CanClose() {
  for (TWindow *child : children) {
    if (child->handle != nullptr && !child->CanClose()) return false;
  }
  return true;
}

void TWindow::CloseWindow(int returnValue) {
  if (CanClose()) Destroy(returnValue);
}

LRESULT TWindow::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<bool> token = alive;
  const TCurrentEvent saved = current;
  current = {msg, wParam, lParam};
  ++dispatchDepth;
  const LRESULT result = subclasses.empty() ? WindowProc(msg, wParam, lParam)
                                            : CallSubclasses(subclasses.size(), msg, wParam, lParam);
  if (!*token) return result;  // deleted inside its own handler
  --dispatchDepth;
  current = saved;
  if (dispatchDepth == 0 && deletePending) delete this;
  return result;
}

LRESULT TWindow::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return Dispatch(msg, wParam, lParam);
}

bool TWindow::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return handle != nullptr && PostWindowMessage(handle, msg, wParam, lParam);
}

LRESULT TWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  TEventInfo info;
  info.Msg = msg;
  if (msg == WM_COMMAND) {
    info.Id = LOWORD(wParam);
    // Menus and accelerators (no control) are commands whatever their code says.
    info.Code = lParam == 0 ? 0 : HIWORD(wParam);
  } else if (msg == WM_COMMAND_ENABLE && lParam != 0) {
    info.Id = reinterpret_cast<TCommandEnabler *>(lParam)->GetId();
  }
  if (Find(info) && info.Entry != nullptr && info.Entry->Dispatch != nullptr) {
    return info.Entry->Dispatch(*this, msg, wParam, lParam);
  }
  return DefWindowProc(msg, wParam, lParam);
}

bool TWindow::Find(TEventInfo &info) { return SearchResponseTable(kWindowTable, info); }

LRESULT TWindow::DefaultProcessing() {
  return DefWindowProc(current.Msg, current.WParam, current.LParam);
}

LRESULT TWindow::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT nativeResult = 0;
  if (native != nullptr && NativeDefault(*native, msg, wParam, lParam, nativeResult)) return nativeResult;
  switch (msg) {
    case WM_PAINT:
      return DefaultPaint();
    case WM_ERASEBKGND:
      return DefaultErase();
    case WM_NCPAINT:
      PaintNonClient();
      return 0;
    case WM_NCHITTEST:
      return HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCLBUTTONDOWN:
      if ((wParam == static_cast<WPARAM>(HTMENU) || wParam == static_cast<WPARAM>(HTSYSMENU)) &&
          windowHooks.NonClientClick != nullptr) {
        windowHooks.NonClientClick(*this, static_cast<LRESULT>(wParam),
                                   POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      if (wParam == static_cast<WPARAM>(HTCAPTION) && host != nullptr && !UsesDesktopFrame()) {
        host->BeginCaptionDrag(QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      }
      return 0;
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_SYSCHAR:
    case WM_SYSKEYDOWN:
      if (windowHooks.SystemKey != nullptr) return windowHooks.SystemKey(*this, msg, wParam) ? 0 : 1;
      return 1;
    case WM_SETCURSOR:
      // A child's parent decides first, as a frame does for its client.
      if (IsChild() && parent != nullptr && parent->handle != nullptr &&
          parent->SendMessage(msg, wParam, lParam) != 0) {
        return 1;
      }
      if (windowHooks.SetCursor != nullptr) {
        return windowHooks.SetCursor(*this, static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)))) ? 1 : 0;
      }
      return 0;
    case WM_SETTEXT:
      StoreText(reinterpret_cast<const char *>(lParam));
      return 1;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(title.size());
    case WM_GETTEXT: {
      auto *buffer = reinterpret_cast<char *>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      const std::size_t copied = std::min<std::size_t>(title.size(), wParam - 1);
      title.copy(buffer, copied);
      buffer[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(WM_CLOSE);
          break;
        case SC_MINIMIZE:
          ShowWindow(SW_MINIMIZE);
          break;
        case SC_MAXIMIZE:
          ShowWindow(SW_MAXIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    case WM_COMMAND:
    case WM_COMMAND_ENABLE:
      // Menu and accelerator commands (no control handle), and the questions whether they
      // are enabled, travel up to the parent, so a frame's commands reach it from
      // whichever child has the focus.
      if ((lParam == 0 || msg == WM_COMMAND_ENABLE) && parent != nullptr && parent->handle != nullptr) {
        return parent->SendMessage(msg, wParam, lParam);
      }
      return 0;
    default:
      return 0;
  }
}

void TWindow::EvSize(UINT, const SIZE &) {
  if (Scroller != nullptr) {
    Scroller->SetPageSize();
    Scroller->SetSBarRange();
  }
  DefaultProcessing();
}

void TWindow::EvMove(const POINT &) { DefaultProcessing(); }

void TWindow::EvHScroll(UINT scrollCode, UINT thumbPos, HWND scrollBar) {
  if (scrollBar == nullptr && Scroller != nullptr) {
    Scroller->HScroll(scrollCode, static_cast<int>(thumbPos));
  } else {
    DefaultProcessing();
  }
}

void TWindow::EvVScroll(UINT scrollCode, UINT thumbPos, HWND scrollBar) {
  if (scrollBar == nullptr && Scroller != nullptr) {
    Scroller->VScroll(scrollCode, static_cast<int>(thumbPos));
  } else {
    DefaultProcessing();
  }
}

void TWindow::EvSetFocus(HWND) { DefaultProcessing(); }
void TWindow::EvKillFocus(HWND) { DefaultProcessing(); }
void TWindow::EvLButtonDown(UINT, const POINT &) { DefaultProcessing(); }
void TWindow::EvLButtonUp(UINT, const POINT &) { DefaultProcessing(); }
void TWindow::EvRButtonDown(UINT, const POINT &) { DefaultProcessing(); }
void TWindow::EvMouseMove(UINT, const POINT &) { DefaultProcessing(); }
void TWindow::EvTimer(UINT) { DefaultProcessing(); }
void TWindow::EvSysCommand(UINT, const POINT &) { DefaultProcessing(); }
void TWindow::EvClose() { DefaultProcessing(); }
void TWindow::EvDestroy() { DefaultProcessing(); }
void TWindow::EvPaint() { DefaultProcessing(); }

HWND TWindow::SetFocus() {
  const HWND previous = focusHandle;
  if (handle == nullptr || previous == handle) return previous;
  focusHandle = handle;
  // The top-level window remembers it, to give it back when it is activated again.
  TWindow *top = this;
  while (top->IsChild() && top->parent != nullptr) top = top->parent;
  top->lastFocus = handle;
  if (previous != nullptr && previous != top->handle && !::IsChild(top->handle, previous))
    focusBeforeActivation = previous;
  std::shared_ptr<bool> token = alive;
  if (TWindow *old = WindowFromHandle(previous)) old->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle));
  if (!*token || handle == nullptr || focusHandle != handle) return previous;
  // Qt's focus goes to the host (or the native control's widget) unless it is on a Qt
  // control inside it already.
  QWidget *qtFocus = QApplication::focusWidget();
  QWidget *focusTarget = native != nullptr ? NativeWidget() : host;
  if (focusTarget != nullptr && qtFocus != focusTarget && !focusTarget->isAncestorOf(qtFocus)) {
    focusTarget->setFocus(Qt::OtherFocusReason);
  }
  if (!*token || handle == nullptr || focusHandle != handle) return previous;
  SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous));
  return previous;
}

HWND TWindow::SetCapture() {
  const HWND previous = captureHandle;
  if (handle == nullptr) return previous;
  captureHandle = handle;
  if (host != nullptr && host->isVisible()) host->grabMouse();
  return previous;
}

void TWindow::FocusLeftProgram() {
  if (focusHandle != handle || handle == nullptr) return;
  focusHandle = nullptr;
  SendMessage(WM_KILLFOCUS, 0);
}

UINT TWindow::SetTimer(UINT timerId, UINT elapseMs) {
  if (host == nullptr) return 0;
  KillTimer(timerId);
  // Qt timers fire once however long the loop was busy, so ticks never pile up.
  const int qtId = host->startTimer(static_cast<int>(std::clamp<UINT>(elapseMs, 1, 0x7FFFFFFF)),
                                    Qt::PreciseTimer);
  if (qtId == 0) return 0;
  timers[timerId] = qtId;
  return timerId;
}

bool TWindow::KillTimer(UINT timerId) {
  auto found = timers.find(timerId);
  if (found == timers.end()) return false;
  if (host != nullptr) host->killTimer(found->second);
  timers.erase(found);
  return true;
}

std::vector<UINT> TWindow::TimerIds() const {
  std::vector<UINT> ids;
  ids.reserve(timers.size());
  for (const auto &[id, qtId] : timers) ids.push_back(id);
  return ids;
}

void TWindow::TimerFired(int qtTimerId) {
  for (const auto &[id, qtId] : timers) {
    if (qtId == qtTimerId) {
      SendMessage(WM_TIMER, id, 0);
      return;
    }
  }
}

TWindow *WindowFromHandle(HWND handle) {
  if (handle == nullptr) return nullptr;
  auto found = Registry().find(handle);
  return found != Registry().end() ? found->second : nullptr;
}

BOOL IsWindow(HWND handle) { return WindowFromHandle(handle) != nullptr ? 1 : 0; }

HWND GetFocus() { return focusHandle; }

HWND FocusBeforeActivation() { return IsWindow(focusBeforeActivation) ? focusBeforeActivation : nullptr; }

void ForgetFocusBeforeActivation() { focusBeforeActivation = nullptr; }

void ActivateAndFocus(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return;
  TWindow *top = window;
  while (top->IsChild() && top->GetParentO() != nullptr) top = top->GetParentO();
  if (QWidget *host = top->HostWidget()) host->activateWindow();
  window->SetFocus();
}

HWND SetFocus(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  if (window != nullptr) return window->SetFocus();
  const HWND previous = focusHandle;
  if (handle == nullptr && previous != nullptr) {
    focusHandle = nullptr;
    if (TWindow *old = WindowFromHandle(previous)) old->SendMessage(WM_KILLFOCUS, 0);
  }
  return previous;
}

HWND GetCapture() { return captureHandle; }

BOOL ReleaseCapture() {
  TWindow *window = WindowFromHandle(captureHandle);
  captureHandle = nullptr;
  if (window != nullptr && window->HostWidget() != nullptr) window->HostWidget()->releaseMouse();
  return 1;
}
