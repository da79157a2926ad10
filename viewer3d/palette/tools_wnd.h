#pragma once
// TToolsWnd: the small floating window in which the 3-D viewer shows one of its two button
// palettes (turns or shifts). A floating frame with a tiny caption and a close box around
// the viewer's tool box; the first time a viewer shows a palette it stands 90 pixels left
// of its parent's right edge and 10 below its top, afterwards where the viewer's last one
// was. Its buttons' commands go to the viewer. Closing it by its close box releases the
// viewer's palette buttons and clears the viewer's references; the viewer closes its
// palettes when it closes itself, and a palette that goes any other way (with the window
// that is its parent) tells the viewer first, so no pointer to it is left behind.

#include "platform/gui/bars/floating_frame.h"

class TGadgetWindow;
class TToolsWnd;

// What a palette asks of the viewer that made it.
class TPaletteOwner {
 public:
  virtual ~TPaletteOwner() = default;
  // The window that takes the palette's button commands.
  virtual TWindow &PaletteCommandTarget() = 0;
  // The close box was pressed: both palette buttons up, both references cleared; the
  // palette then closes and the owner deletes it later.
  virtual void PaletteClosedByUser(TToolsWnd &palette) = 0;
  // The palette object is going (whoever deletes it): the owner forgets it.
  virtual void PaletteGone(TToolsWnd &palette) = 0;
};

class TToolsWnd : public TFloatingFrame {
 public:
  // The caption is 58 per cent of a normal one. (x, y) is the screen place to take, or
  // negative values for the first place near the parent's top right corner.
  TToolsWnd(TWindow *parentWindow, const char *titleText, TGadgetWindow *client, TPaletteOwner *owner,
            POINT place = POINT{-1, -1});
  ~TToolsWnd() override;

  void SetupWindow() override;
  void CleanupWindow() override;
  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void EvClose();

  // The window's screen place, as it was when the window went (or as it stands).
  POINT Place() const { return POINT{Attr.X, Attr.Y}; }
  TGadgetWindow *Box() const { return box_; }

 private:
  TPaletteOwner *owner_;
  TGadgetWindow *box_;
};

// The offsets of a palette's first place from its parent's right and top edges.
constexpr int kPaletteRightInset = 90;
constexpr int kPaletteTopInset = 10;
