#include "toolkit/texteditor/text_editor.h"

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/window_handles.h"

TTextEditor::TTextEditor(TWindow *parentWindow, const char *caption, const char *text,
                         const char *reportFile, int left, int top, int wide, int high)
    : TOEditor(parentWindow, caption, text, reportFile, left, top, wide, high),
      reportFile_(reportFile != nullptr ? reportFile : "") {}

void TTextEditor::SetupWindow() { TOEditor::SetupWindow(); }

namespace {

void SendFontToChildren(HWND window, HFONT font) {
  const WPARAM handle = reinterpret_cast<WPARAM>(
      font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(ANSI_VAR_FONT));
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessage(child, WM_SETFONT, handle, 0);
    SendFontToChildren(child, nullptr);
  }
}

}  // namespace

void SetFontToChildren(HWND window, HFONT font) {
  if (window == nullptr) return;
  SendFontToChildren(window, font);
}
