#pragma once
// TBtn: an owner-painted push button of a dialog that shows one of three bitmaps (up, down,
// disabled), may act as a toggle, may take presses only inside a polygon, and tells its
// parent of presses, clicks and hovering with private messages.

#include <vector>

#include "platform/gui/controls/button.h"

// To the parent, wParam the button's control id, lParam 0.
constexpr UINT WM_BTN_CLICKED = WM_USER + 13;  // the button went up: a click
constexpr UINT WM_BTN_PRESSED = WM_USER + 14;  // the button went down
constexpr UINT WM_BTN_HOVER = WM_USER + 15;    // the mouse came onto another button

class TBtn : public TButton {
 public:
  static constexpr int kUp = 0;
  static constexpr int kDown = 1;
  static constexpr int kDisabled = -1;

  // Attaches to the dialog's button `controlId`. With points (count of them, copied), only
  // presses inside that polygon (client coordinates) count. A module given here is where
  // every TBtn loads its bitmaps from.
  TBtn(TWindow *parent, int controlId, const POINT *points = nullptr, int pointCount = 0,
       TModule *module = nullptr);
  ~TBtn() override;

  // Bitmaps first, first + 1 and first + 2 (up, down, disabled), or, for first 0, the
  // control id + 1000, + 1001, + 1002. Kind 2: the disabled picture is the up one; kind 1:
  // down and disabled are both the up one. The button goes up.
  void LoadBitmaps(int toggle, int kind, int firstBitmapId);
  // -1 disables; a toggle takes the state given; any other button goes up.
  void SetState(int newState);
  int GetState() const { return btnState; }

  bool Find(TEventInfo &info) override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;

  void EvLButtonDown(UINT keys, const POINT &point);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);
  void EvLButtonDblClk(UINT keys, const POINT &point);

  // The button the last hover report named (-1 before any): one record for all buttons.
  static int LastHoverId();

 private:
  void DrawState(TDC &dc);
  void Redraw();
  bool Inside(const POINT &point) const;
  void Notify(UINT msg);
  void Release(const POINT &point);
  void FreeBitmaps();

  int controlId;
  int bitmapIds[3] = {0, 0, 0};       // up, down, disabled
  HBITMAP bitmaps[3] = {nullptr, nullptr, nullptr};
  SIZE upSize{};
  int btnState = kUp;
  int toggleMode = 0;
  int bitmapKind = 0;
  int pressed = 0;
  std::vector<POINT> polygon;
  HRGN polygonRegion = nullptr;
};
