#pragma once
// TOControlBar: a control bar that shows a tip (TShowHelpWnd) with a text of the string
// table when the mouse rests on one of its gadgets. A timer polls the cursor every 100 ms;
// after five ticks on the same gadget the tip of string (gadget id + offset) appears, and
// it goes when the mouse leaves the bar, moves to another gadget or presses.

#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/window_ptr.h"

class TFont;
class TOPalette;
class TShowHelpWnd;

constexpr UINT kTipTimerId = 10000;
constexpr UINT kTipTimerMs = 100;

class TOControlBar : public TControlBar {
 public:
  // The font (taken over by the bar; null: the layer's own small face) is the one the bar's
  // text gadgets draw and measure in.
  explicit TOControlBar(TWindow *parent = nullptr, TTileDirection direction = Horizontal,
                        TFont *font = nullptr, TModule *module = nullptr);
  ~TOControlBar() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  void EnableHints(int flag) { tipsEnabled = flag; }
  void SetHintIdOffset(int offset) { stringIdOffset = offset; }
  void SetHintColors(COLORREF backColor, COLORREF shadowColor);
  // 0: a tip only while the frame's client has the focus; 1: whenever the mouse rests.
  void SetHintMode(int mode) { tipMode = mode; }
  void SetPalette(TOPalette *newPalette) { palette = newPalette; }

  void EvTimer(UINT timerId);
  void EvLButtonDown(UINT keys, const POINT &point);

  TShowHelpWnd *TipWindow() const { return tip; }
  const char *TipText() const { return tipText; }

 protected:
  // A 2-pixel etched edge (white over grey) along the bar before the gadgets.
  void PaintGadgets(TDC &dc, bool erase, RECT &rect) override;

 private:
  void DeleteTip();
  // The cursor rests where a tip may count: over the bar, and (mode 0) with the frame's
  // client focused.
  bool RestCounts(const POINT &cursor) const;
  void ShowTip(const TGadget &gadget, const POINT &cursor);

  int tipsEnabled = 0;
  const TGadget *lastGadget = nullptr;
  int tickCount = 0;
  int ticksBeforeTip = 5;
  int stringIdOffset = 0;
  // The tip may be closed from outside: it deletes itself, and this reads null then.
  TWindowPtr<TShowHelpWnd> tip;
  char tipText[256] = {};
  COLORREF tipBackground = 0x40FFFF;
  COLORREF tipShadow = 0x404040;
  int tipMode = 0;
  TOPalette *palette = nullptr;
};
