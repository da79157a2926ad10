#pragma once
// TYellowWindow: a small note with a thin border. It sizes itself around its text, opens at
// the mouse cursor or at a given point, and closes itself (deleting the object) as soon as
// it loses the focus or, when asked, as soon as the mouse leaves it or the button is
// released.

#include "toolkit/graph/graph.h"

class TYellowWindow : public TGraph {
 public:
  // x or y below 0 puts that axis at the mouse cursor. The text is not copied: it must live
  // as long as the note.
  TYellowWindow(TWindow *parentWindow, const char *text, COLORREF backColor, int atX, int atY,
                bool closeOnLeave, bool frame);
  ~TYellowWindow() override;

  bool Create() override;
  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // DrawText flags used to measure and draw the text (low 16 bits).
  UINT TextFormat = 0;
  // Bits 0-1: 0 left edge at the point, 1 centred, 2 right edge at it; bits 2-3: 0 top edge
  // at the point, 4 centred, 8 bottom edge at it.
  int Placement = 0;

  void EvKillFocus(HWND gettingFocus);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);

  // The note's window rectangle for a point, a size and a screen (the placement rules).
  static RECT PlaceNote(POINT point, SIZE size, int placement, bool closeOnLeave, SIZE screen);

 private:
  void Close();

  TOFont font_;
  const char *text_;
  int x_;
  int y_;
  bool closeOnLeave_;
  bool frame_;
  bool closing_ = false;
};
