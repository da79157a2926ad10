#pragma once
// TShowHelpWnd: the tip window of the control bars and the floating palettes: a yellow
// pop-up with a thin border and a dark shadow, sized to its one line of text and placed
// just below the cursor (a cursor's height below its hot spot) and right of it, inside the
// screen.

#include "toolkit/graph/graph.h"

class TShowHelpWnd : public TGraph {
 public:
  // point: the cursor in screen coordinates. The text is not copied: it must live as long
  // as the window. The shadow lies 4 pixels right of and below the window.
  TShowHelpWnd(TWindow *parentWindow, POINT point, const char *text, COLORREF background,
               COLORREF shadowColor, TOPalette *palette);
  ~TShowHelpWnd() override;

  const char *GetClassName() override { return "TShowHelpWnd"; }
  bool Create() override;
  void SetupWindow() override;

  // Where the tip for `text` at the cursor point goes: its window rectangle in screen
  // coordinates, the one-pixel border around the text's box included.
  static RECT TipRect(POINT point, const char *text);
  TGraph *Shadow() const { return shadow; }

 private:
  TShowHelpWnd(TWindow *parentWindow, const RECT &window, const char *text,
               COLORREF background, COLORREF shadowColor, TOPalette *palette);

  const char *text;
  COLORREF shadowColor;
  TGraph *shadow = nullptr;  // owned
};
