#pragma once
// TEdit: a single-line or multi-line (ES_MULTILINE) edit control shown by a Qt widget. Its
// keys reach the window's handlers first (a derived edit sees WM_KEYDOWN and WM_CHAR before
// the text changes and swallows a key by not calling the default); the EM_* messages,
// WM_CUT/COPY/PASTE/CLEAR/UNDO and the text messages work on the widget's text. The parent
// hears EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS and EN_MAXTEXT (a typed character, paste or
// replacement the text limit cut), and is asked WM_CTLCOLOREDIT.

#include <QString>
#include <string>

#include "platform/gui/controls/control.h"

class QLineEdit;
class QPlainTextEdit;
class QWidget;
class TNativeColors;

class TEdit : public TControl {
 public:
  // textLimit counts the terminating zero (128 allows 127 characters); 0 means no limit
  // of ours (32767 characters).
  TEdit(TWindow *parent, int id, const char *text, int xPos, int yPos, int w, int h, UINT textLimit = 0,
        bool multiline = false, TModule *module = nullptr);
  TEdit(TWindow *parent, int resourceId, UINT textLimit = 0, TModule *module = nullptr);

  int GetText(char *buffer, int size) { return ::GetWindowText(GetHandle(), buffer, size); }
  void SetText(const char *text) { SetWindowText(text != nullptr ? text : ""); }
  int GetTextLen() { return GetWindowTextLength(); }
  void GetSelection(int &start, int &end);
  void SetSelection(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
  bool IsModified() { return SendMessage(EM_GETMODIFY) != 0; }
  void ClearModify() { SendMessage(EM_SETMODIFY, 0); }
  void SetReadOnly(bool readOnly) { SendMessage(EM_SETREADONLY, readOnly ? 1 : 0); }
  void LimitText(UINT limit) { SendMessage(EM_LIMITTEXT, limit); }
  int GetNumLines() { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
  int GetLineIndex(int lineNumber) { return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(lineNumber))); }
  int GetLineFromPos(int index) { return static_cast<int>(SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(index))); }
  void Insert(const char *text) { SendMessage(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(text)); }
  void Clear() { SetText(""); }
  void Undo() { SendMessage(WM_UNDO); }
  void Cut() { SendMessage(WM_CUT); }
  void Copy() { SendMessage(WM_COPY); }
  void Paste() { SendMessage(WM_PASTE); }
  // The caret shown or hidden (it shows again only as often as it was hidden).
  void ShowCaret(bool show);

  bool Create() override;
  void SetupWindow() override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // An edit whose owner shows its own menu on a right click shows none of the toolkit's
  // after it (set before the window is made).
  bool ownContextMenu = false;

 private:
  bool Multiline() const { return (GetStyle() & ES_MULTILINE) != 0; }
  QString Text() const;
  void ApplyLimit();
  // Whether inserting that many characters over the selection would pass the text limit
  // (single-line edits).
  bool WouldPassLimit(qsizetype inserted) const;
  void ApplyStyle();
  int CaretIndex() const;
  int SelectionStart() const;
  int SelectionEnd() const;
  void Select(int start, int end);
  LRESULT LineMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  UINT textLimit;
  QLineEdit *line = nullptr;      // owned by the window's host
  QPlainTextEdit *multi = nullptr;
  TNativeColors *colors = nullptr;
  int caretHidden = 0;
  DWORD scrollStyle = 0;
  bool settingText = false;
};

// The caret of the focused edit: where it is (client coordinates) and whether it shows.
BOOL GetCaretPos(POINT *point);
BOOL HideCaret(HWND handle);
BOOL ShowCaret(HWND handle);
