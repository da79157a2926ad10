#pragma once
// TColorDlg: the base of the program's dialogs, giving them one look: a grey (0xC0C0C0)
// face, grey statics, buttons and check boxes, white edit fields and list boxes, all with
// black text. A derived dialog changes the colours of single controls by overriding
// SetControlColors (calling this class's first); it never handles the colour messages.

#include "platform/gui/dialogs/dialog.h"

class TColorDlg : public TDialog {
 public:
  // resource: the name of the dialog template, mostly the class name without the T.
  TColorDlg(TWindow *parentWindow, const char *resource, TModule *module = nullptr);
  ~TColorDlg() override;

  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // The colours of one control: background and text into the control's context, and the
  // brush handed back. Kind 4 (the dialog itself) gets the dialog brush; scroll bars and
  // message boxes keep the framework's colours.
  HBRUSH EvCtlColor(HDC dc, HWND control, UINT kind);

 protected:
  // Chooses background, text colour and brush for the control being coloured (its kind
  // and id in currentKind and currentId): edits and list boxes white, others grey, all
  // with black text.
  virtual void SetControlColors();
  // Chooses the dialog's background brush: the grey one.
  virtual void SetDialogBrush();

  int currentId = 0;
  WORD currentKind = 0;
  COLORREF backgroundColor = 0;
  COLORREF textColor = 0;
  HBRUSH controlBrush = nullptr;
  HBRUSH dialogBrush = nullptr;
  HBRUSH lightGreyBrush;
  HBRUSH greyBrush;
  HBRUSH whiteBrush;
};
