// The handle forms of the window calls.

#include "platform/gui/windows/window_handles.h"

#include "platform/gui/windows/message_loop.h"
#include "platform/gui/windows/window.h"

LRESULT SendMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr ? window->SendMessage(msg, wParam, lParam) : 0;
}

BOOL PostMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (handle != nullptr && WindowFromHandle(handle) == nullptr) return 0;
  return PostWindowMessage(handle, msg, wParam, lParam) ? 1 : 0;
}

void PostQuitMessage(int exitCode) {
  PostWindowMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL InvalidateRect(HWND handle, const RECT *rect, BOOL erase) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  if (rect != nullptr) {
    window->InvalidateRect(*rect, erase != 0);
  } else {
    window->Invalidate(erase != 0);
  }
  return 1;
}

BOOL UpdateWindow(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  window->UpdateWindow();
  return 1;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->MoveWindow(x, y, width, height, repaint != 0) ? 1 : 0;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height,
                  UINT flags) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->SetWindowPos(insertAfter, x, y, width, height, flags) ? 1
                                                                                         : 0;
}

BOOL ShowWindow(HWND handle, int cmdShow) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->ShowWindow(cmdShow) ? 1 : 0;
}

BOOL IsIconic(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->IsIconic() ? 1 : 0;
}

BOOL GetWindowRect(HWND handle, RECT *rect) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr || rect == nullptr) return 0;
  window->GetWindowRect(*rect);
  return 1;
}

BOOL GetClientRect(HWND handle, RECT *rect) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr || rect == nullptr) return 0;
  window->GetClientRect(*rect);
  return 1;
}

BOOL ClientToScreen(HWND handle, POINT *point) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr || point == nullptr) return 0;
  window->ClientToScreen(*point);
  return 1;
}

BOOL ScreenToClient(HWND handle, POINT *point) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr || point == nullptr) return 0;
  window->ScreenToClient(*point);
  return 1;
}

UINT SetTimer(HWND handle, UINT timerId, UINT elapseMs) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr ? window->SetTimer(timerId, elapseMs) : 0;
}

BOOL KillTimer(HWND handle, UINT timerId) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->KillTimer(timerId) ? 1 : 0;
}
