// A window's text: through WM_SETTEXT and WM_GETTEXT, so a control can keep its own.

#include <QWidget>
#include <algorithm>
#include <string>

#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

void TWindow::SetWindowText(const std::string &text) {
  SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TWindow::GetWindowText() {
  const LRESULT length = SendMessage(WM_GETTEXTLENGTH);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessage(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

int TWindow::GetWindowTextLength() { return static_cast<int>(SendMessage(WM_GETTEXTLENGTH)); }

void TWindow::StoreText(const char *text) {
  title = text != nullptr ? text : "";
  if (host == nullptr) return;
  if (!IsChild()) host->setWindowTitle(QString::fromStdString(text));
  if ((Attr.Style & WS_CAPTION) == WS_CAPTION && !UsesDesktopFrame()) SendNcPaint();
}

int GetWindowText(HWND handle, char *buffer, int size) {
  TWindow *window = WindowFromHandle(handle);
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  if (window == nullptr) return 0;
  return static_cast<int>(
      window->SendMessage(WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr ? window->GetWindowTextLength() : 0;
}

BOOL SetWindowText(HWND handle, const char *text) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  window->SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
  return 1;
}
