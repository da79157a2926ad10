#pragma once
// TFastGraph: the 2-D sibling of the 3-D paint window: a scrollable window whose picture
// is a program DIB of a fixed virtual size, with the same drawing modes and painting but
// no depth buffer. A bitmap prepared elsewhere can be shown through LockDib: the window
// copies it, so the caller may free or reuse its own at any time.

#include <memory>

#include "toolkit/plot3d/dib_window.h"

class TFastGraph : public TDibWindow {
 public:
  TFastGraph(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
             int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
             COLORREF backColor, TOPalette *palette);
  ~TFastGraph() override;

  const char *GetClassName() override { return "FastGraph"; }
  void SetupWindow() override;

  // Mode 1. With a bitmap: one of the picture's size replaces the picture by a copy of
  // it; another size is refused with a message and the picture stays. Returns the picture.
  TODib *LockDib(const TODib *bitmap = nullptr);
  void GrabClient(bool show) override;
  TODib *Dib() const { return picture_.get(); }

 protected:
  TODib *Picture() const override { return picture_.get(); }

 private:
  std::unique_ptr<TODib> picture_;
};
