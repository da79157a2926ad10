#pragma once
// The drawn buttons: push buttons (TButton), check boxes (TCheckBox), radio buttons
// (TRadioButton) and group boxes (TGroupBox). A click (mouse, Space, BM_CLICK) tells the
// parent BN_CLICKED; the automatic kinds check themselves first (an automatic radio button
// unchecks the others of its group: the siblings from the last WS_GROUP to the next).
// An owner-drawn button (BS_OWNERDRAW) clicks as a push button and is painted by its
// parent, which hears WM_DRAWITEM (ODT_BUTTON; ODS_SELECTED while pushed, ODS_FOCUS,
// ODS_DISABLED) each time it is drawn.

#include "platform/gui/controls/control.h"

class TButton : public TControl {
 public:
  TButton(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h, bool isDefault = false,
          TModule *module = nullptr);
  TButton(TWindow *parent, int resourceId, TModule *module = nullptr);

  // Presses the button as a click does.
  void Click() { SendMessage(BM_CLICK); }
  bool IsDefault() const { return (GetStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }
  UINT GetState() const { return state; }

  void Paint(TDC &dc, bool erase, RECT &rect) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  UINT Kind() const { return GetStyle() & BS_TYPEMASK; }
  // A click: automatic kinds change their check, then the parent hears BN_CLICKED.
  virtual void Clicked();
  void SetPushed(bool pushed);
  void PaintOwnerDrawn(TDC &dc);
  UINT check = BST_UNCHECKED;
  UINT state = 0;  // BST_PUSHED, BST_FOCUS

 private:
  bool tracking = false;
};

class TCheckBox : public TButton {
 public:
  TCheckBox(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h, TModule *module = nullptr);
  TCheckBox(TWindow *parent, int resourceId, TModule *module = nullptr);

  UINT GetCheck() const { return check; }
  void SetCheck(UINT newCheck) { SendMessage(BM_SETCHECK, newCheck); }
  void Check() { SetCheck(BST_CHECKED); }
  void Uncheck() { SetCheck(BST_UNCHECKED); }
  void Toggle() { SetCheck(check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED); }

  void Paint(TDC &dc, bool erase, RECT &rect) override;
  // The box (or circle) beside the text and where the text goes.
  void Layout(const RECT &client, RECT &box, RECT &text) const;

 protected:
  // The label in the text rectangle, with the focus frame when the button has the focus.
  void PaintLabel(TDC &dc, const RECT &text, COLORREF textColor);
};

class TRadioButton : public TCheckBox {
 public:
  TRadioButton(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h,
               TModule *module = nullptr);
  TRadioButton(TWindow *parent, int resourceId, TModule *module = nullptr);

  void Paint(TDC &dc, bool erase, RECT &rect) override;

 protected:
  void Clicked() override;
};

class TGroupBox : public TControl {
 public:
  TGroupBox(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h, TModule *module = nullptr);
  TGroupBox(TWindow *parent, int resourceId, TModule *module = nullptr);

  void Paint(TDC &dc, bool erase, RECT &rect) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
