#pragma once
// TScrollBar: a scroll bar control shown by a Qt scroll bar. Like the window's own bars it
// tells its parent (WM_HSCROLL, or WM_VSCROLL with SBS_VERT; lParam is the control) and
// the parent decides where the box goes (SetPosition); only dragging moves it at once.

#include "platform/gui/controls/control.h"

class QScrollBar;

class TScrollBar : public TControl {
 public:
  TScrollBar(TWindow *parent, int id, int xPos, int yPos, int w, int h, bool isHorizontal, TModule *module = nullptr);
  TScrollBar(TWindow *parent, int resourceId, TModule *module = nullptr);

  void SetRange(int minValue, int maxValue) { SendMessage(SBM_SETRANGE, static_cast<WPARAM>(minValue), maxValue); }
  void GetRange(int &minValue, int &maxValue);
  int GetPosition() { return static_cast<int>(SendMessage(SBM_GETPOS)); }
  void SetPosition(int newPosition) { SendMessage(SBM_SETPOS, static_cast<WPARAM>(newPosition), 1); }

  void SetupWindow() override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Tell(UINT code, int position);

  QScrollBar *bar = nullptr;
  int minimum = 0;
  int maximum = 100;
  int position = 0;
};
