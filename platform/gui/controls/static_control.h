#pragma once
// TStatic: a drawn text (SS_LEFT, SS_CENTER, SS_RIGHT, SS_SIMPLE, SS_LEFTNOWORDWRAP), or a
// filled or framed rectangle (SS_BLACKRECT ... SS_WHITEFRAME). Presses pass through it to
// the window beneath (HTTRANSPARENT), as a placeholder needs.

#include <string>

#include "platform/gui/controls/control.h"

class TStatic : public TControl {
 public:
  TStatic(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h, UINT textLimit = 0,
          TModule *module = nullptr);
  TStatic(TWindow *parent, int resourceId, UINT textLimit = 0, TModule *module = nullptr);

  void SetText(const char *text) { SetWindowText(text != nullptr ? text : ""); }
  int GetText(char *buffer, int size);
  int GetTextLen() { return GetWindowTextLength(); }

  void Paint(TDC &dc, bool erase, RECT &rect) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  UINT textLimit;
};
