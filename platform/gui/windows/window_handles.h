#pragma once
// The calls window code makes with window handles: each finds the window (nothing
// happens for a handle that names none) and asks it. Included by window.h.

#include "platform/core/types.h"
#include "platform/gui/windows/messages.h"

class TWindow;

// Handles.
TWindow *WindowFromHandle(HWND handle);
BOOL IsWindow(HWND handle);

// The calls window code makes with handles.
LRESULT SendMessage(HWND handle, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message; null handle messages go to the application (WM_QUIT ends the loop).
BOOL PostMessage(HWND handle, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
void PostQuitMessage(int exitCode);
HWND GetFocus();
HWND SetFocus(HWND handle);
// The focus another top-level window held before the focus last moved into a new one, until
// a later click or key has been handled (null then): a look at the menus of a window just
// clicked gives the focus back to it.
HWND FocusBeforeActivation();
void ForgetFocusBeforeActivation();
// The top-level window that holds the window, activated, and the focus on the window.
void ActivateAndFocus(HWND handle);
HWND GetCapture();
BOOL ReleaseCapture();
BOOL InvalidateRect(HWND handle, const RECT *rect, BOOL erase);
BOOL UpdateWindow(HWND handle);
BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL ShowWindow(HWND handle, int cmdShow);
BOOL IsIconic(HWND handle);
BOOL GetWindowRect(HWND handle, RECT *rect);
BOOL GetClientRect(HWND handle, RECT *rect);
BOOL ClientToScreen(HWND handle, POINT *point);
BOOL ScreenToClient(HWND handle, POINT *point);
UINT SetTimer(HWND handle, UINT timerId, UINT elapseMs);
// The window rectangle around a client rectangle for a style (and a menu bar).
BOOL AdjustWindowRect(RECT *rect, DWORD style, BOOL menu);
LONG GetWindowLong(HWND handle, int index);  // GWL_STYLE, GWL_EXSTYLE, GWL_ID
LONG SetWindowLong(HWND handle, int index, LONG value);
BOOL KillTimer(HWND handle, UINT timerId);
// Copies at most size - 1 bytes and a terminating zero; returns the bytes copied.
int GetWindowText(HWND handle, char *buffer, int size);
int GetWindowTextLength(HWND handle);
BOOL SetWindowText(HWND handle, const char *text);

// The window tree and state by handle.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
// Siblings in creation order (the order of the dialog's items); GW_OWNER is the parent of
// a top-level window made with one.
HWND GetWindow(HWND handle, UINT relation);
HWND GetParent(HWND handle);
HWND GetTopWindow(HWND handle);  // the first child
BOOL IsChild(HWND parent, HWND handle);  // a descendant through child windows
BOOL EnableWindow(HWND handle, BOOL enable);
BOOL IsWindowEnabled(HWND handle);
BOOL IsWindowVisible(HWND handle);
int GetDlgCtrlID(HWND handle);
// The deepest visible window under a screen point (child windows before their parent).
HWND WindowFromPoint(POINT screenPoint);
// Bit 0x8000: the key (a VK_* code, the mouse buttons included) is down now.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
