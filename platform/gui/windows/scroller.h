#pragma once
// TScroller: scrolls a window's client area in units, keeping its scroll bars in step.
// Positions are in units; the window moves by position x unit pixels.

class TWindow;

class TScroller {
 public:
  TScroller(TWindow *window, int xUnit, int yUnit, long xRange, long yRange);
  virtual ~TScroller() = default;
  TScroller(const TScroller &) = delete;
  TScroller &operator=(const TScroller &) = delete;

  void SetUnits(int xUnit, int yUnit);
  void SetRange(long xRange, long yRange);
  // Page sizes from the client area (one page = the client's size in units).
  void SetPageSize();
  // Shows the scroll bars for the range, or hides them when it is empty.
  void SetSBarRange();
  // Moves to (x, y) clamped to 0..range, scrolling the picture and the scroll boxes.
  virtual void ScrollTo(long x, long y);
  void ScrollBy(long dx, long dy) { ScrollTo(XPos + dx, YPos + dy); }
  virtual void HScroll(unsigned scrollCode, int thumbPos);
  virtual void VScroll(unsigned scrollCode, int thumbPos);
  // The client pixel shown at the client's top-left corner.
  long OriginX() const { return XPos * XUnit; }
  long OriginY() const { return YPos * YUnit; }

  TWindow *Window;
  long XPos = 0;
  long YPos = 0;
  long XRange;
  long YRange;
  int XUnit;
  int YUnit;
  int XLine = 1;
  int YLine = 1;
  int XPage = 1;
  int YPage = 1;
  bool AutoMode = true;
  bool TrackMode = true;
  // When set, the picture is moved with the client pixels (ScrollWindow); otherwise the
  // whole client area is invalidated.
  bool AutoOrg = true;
  bool HasHScrollBar;
  bool HasVScrollBar;

 private:
  long Step(unsigned scrollCode, int thumbPos, long pos, long line, long page, long range) const;
};
