#pragma once
// TDialog: a window made from a dialog template. Create makes it modeless, Execute modal
// (the owner takes no input until EndDialog). Its items are the control objects the
// derived dialog constructed for them (the resource form: TEdit(dialog, id, ...)) and, for
// every other item, an object of the item's class that the dialog owns. The dialog's
// keyboard interface: Tab and Shift+Tab walk the WS_TABSTOP items in template order
// (selecting an edit's text on the way in), arrows move within a WS_GROUP group, Enter
// presses the focused push button or the default one (IDOK), Escape presses IDCANCEL; a
// control keeps the keys its WM_GETDLGCODE answer asks for.

#include <string>

#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/window.h"

constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

class TDialog : public TWindow {
 public:
  TDialog(TWindow *parent, const char *resourceName, TModule *module = nullptr);

  const std::string &GetResourceName() const { return resourceName; }
  const TDialogTemplate *GetTemplate() const { return dialogTemplate; }
  const TDialogUnits &GetUnits() const { return units; }
  // The font of the dialog's text (its template's face and size, shared, not owned); null
  // before the dialog is made from its template.
  HFONT GetWindowFont() const { return font; }

  // Makes the dialog and its items (false when the template is missing or a window could
  // not be made); WM_INITDIALOG follows the set-up, then the focus goes to the first
  // tab stop unless the handler answered false.
  bool Create() override;
  // Modal: the result EndDialog gave (IDOK, IDCANCEL, ...), -1 when it could not be made.
  int Execute() override;
  // Ends a modal dialog with the value; a modeless one is destroyed.
  void EndDialog(int result);
  // OK: the children are asked CanClose first, and a refusal keeps the dialog open.
  void CmOk();
  void CmCancel();
  void CloseWindow(int returnValue = IDCANCEL) override;

  // The dialog's keyboard interface (see the top of this file).
  bool PreProcessMsg(MSG &msg) override;
  bool Find(TEventInfo &info) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetupWindow() override;

  // The items by id.
  HWND GetDlgItem(int id) const;
  void SetDlgItemText(int id, const char *text);
  int GetDlgItemText(int id, char *buffer, int size) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Focus to the item (an edit's text selected, as Tab does).
  void FocusItem(HWND item);

 protected:
  // WM_INITDIALOG: true lets the dialog give the focus to its first tab stop.
  virtual bool EvInitDialog(HWND focus);

 private:
  bool PlaceFromTemplate();
  void MakeItems();
  bool HandleKey(MSG &msg);
  // Alt+key: the control whose text marks the key as its mnemonic; false when none does.
  bool HandleMnemonic(UINT key);

  std::string resourceName;
  const TDialogTemplate *dialogTemplate = nullptr;
  TDialogUnits units;
  HFONT font = nullptr;  // shared by every dialog with the same face and size
  int defaultId = IDOK;
};

// Handle forms of the item calls.
HWND GetDlgItem(HWND dialog, int id);
BOOL SetDlgItemText(HWND dialog, int id, const char *text);
UINT GetDlgItemText(HWND dialog, int id, char *buffer, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// The item's text as an integer; *translated tells whether it was one.
UINT GetDlgItemInt(HWND dialog, int id, BOOL *translated, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks the other radio buttons with ids first..last.
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL EndDialog(HWND dialog, int result);
// The next (or previous) visible, enabled tab stop after `control` (the first with null).
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (or previous) visible, enabled item of `control`'s WS_GROUP group, round.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// Dialog units of the dialog's font to pixels.
BOOL MapDialogRect(HWND dialog, RECT *rect);
// The base units of the 8-point sans face: x in the low word, y in the high word.
LONG GetDialogBaseUnits();
// Runs the dialog keyboard interface on a message for a dialog; true when it took it.
BOOL IsDialogMessage(HWND dialog, MSG *msg);

// Enables (enable non-zero) or disables the dialog's item when it exists.
void EnableDlgItem(HWND dialog, int id, int enable);
// The control's text (at most 255 characters) as a decimal number; 0 when it is none.
double DoubleFromControl(HWND control);
