#pragma once
// The floating tool palettes: TOToolBox, a tool box that remembers the grid it was made
// with, and TToolBarWnd, the small floating frame around one with a tiny caption, a system
// menu ("&Always on top", three layouts, "&Close"), hover tips, a hint hook for the owner's
// status bar and access to its buttons by command id.

#include "platform/gui/bars/floating_frame.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/window_ptr.h"

class TShowHelpWnd;

class TOToolBox : public TToolBox {
 public:
  TOToolBox(TWindow *parent = nullptr, int columns = 2, int rows = kAsManyAsNeeded,
            TTileDirection direction = Horizontal, TModule *module = nullptr);

  // The grid given at construction: the palette's "&Default" layout.
  int DefaultColumns() const { return defaultColumns; }
  int DefaultRows() const { return defaultRows; }
  TTileDirection DefaultDirection() const { return defaultDirection; }

 private:
  int defaultColumns;
  int defaultRows;
  TTileDirection defaultDirection;
};

// System-menu commands of a palette (they arrive as WM_COMMAND).
constexpr UINT CM_PALETTE_HORIZONTAL = 1000;
constexpr UINT CM_PALETTE_VERTICAL = 1001;
constexpr UINT CM_PALETTE_DEFAULT = 1002;
constexpr UINT CM_PALETTE_ON_TOP = 1003;
constexpr UINT CM_PALETTE_CLOSE = 16;

constexpr UINT kPaletteTipTimerId = 10000;
constexpr UINT kPaletteTipTimerMs = 100;

class TToolBarWnd : public TFloatingFrame {
 public:
  enum TLayout { DefaultLayout = 0, ColumnLayout = 1, RowLayout = 2 };
  // Button states as GetButtonState gives them (the button gadget's own).
  static constexpr int kNoButton = -1;

  // The palette owns the tool box (its client). The parent gets the buttons' commands.
  TToolBarWnd(TWindow *parent, const char *title, TOToolBox *toolBox, TModule *module = nullptr);
  ~TToolBarWnd() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  // The hint of the button under the mouse ("" when it has none). Nothing by default; the
  // editor's palettes show it in the main window's status bar.
  virtual void ShowHint(const char *text);
  // "&Close": by default the window closes with result 0.
  virtual void ClosePalette();

  TOToolBox *GetToolBox() const { return toolBox; }
  // TButtonGadget::Up, Down or Indeterminate; kNoButton without a button of that id.
  int GetButtonState(int commandId) const;
  void SetButtonState(int commandId, int state);
  void EnableGadget(int commandId, bool flag);
  // Enables or disables every gadget of the box, in order.
  void ForEachGadget(bool flag);

  void EnableHints(int flag) { tipsEnabled = flag; }
  void SetHintColors(COLORREF background, COLORREF shadow);
  void SetHintIdOffset(int offset) { stringIdOffset = offset; }
  // 1: a tip whenever the mouse rests on a button; 0: only while the box has the focus.
  void SetHintMode(int mode) { tipMode = mode; }
  // Stores and applies DefaultLayout, ColumnLayout or RowLayout; the palette's top-left
  // corner stays where it is.
  void SetLayout(int newLayout);
  int GetLayout() const { return layout; }
  // Whether "&Always on top" is checked.
  bool IsAlwaysOnTop() const;

  void EvTimer(UINT timerId);
  void CmAlwaysOnTop();
  void CmHorizontal() { SetLayout(RowLayout); }
  void CmVertical() { SetLayout(ColumnLayout); }
  void CmDefault() { SetLayout(DefaultLayout); }
  void CmClosePalette() { ClosePalette(); }

  TShowHelpWnd *TipWindow() const { return tip; }
  const char *TipText() const { return text; }

 private:
  void DeleteTip();
  // Whether a resting cursor counts towards a tip; -1: leave the count as it is.
  int RestStep(const POINT &cursor) const;
  void ShowTip(const TGadget &gadget, const POINT &cursor);

  TOToolBox *toolBox;
  int tipMode = 1;
  int layout = DefaultLayout;
  int tipsEnabled = 1;
  const TGadget *lastGadget = nullptr;
  int tickCount = 0;
  int ticksBeforeTip = 5;
  int stringIdOffset = 0;
  // The tip may be closed from outside: it deletes itself, and this reads null then.
  TWindowPtr<TShowHelpWnd> tip;
  char text[256] = {};
  COLORREF tipBackground = 0x40FFFF;
  COLORREF tipShadow = 0x404040;
};
