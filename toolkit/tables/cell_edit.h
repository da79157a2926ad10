#pragma once
// TCellEdit: the borderless edit control over a table's current cell. It holds what a cell
// holds: 255 characters, so editing a long cell never cuts its text. A cell moved to is
// selected whole, and typing replaces its text, as in a spreadsheet; F2 or a double click
// edits it in place with the caret. Its keys move between cells; Enter puts the typed text
// into the cell and Escape drops it, showing the cell's text again (with nothing typed Escape
// is the dialog's Cancel); a read-only cell refuses changes with a beep; a dialog's close
// check commits a pending edit into its cell first.

#include "platform/gui/controls/edit.h"

class TWinTableEdit;

class TCellEdit : public TEdit {
 public:
  // Counting the terminating zero: the cell's own size.
  static constexpr UINT kTextLimit = 256;

  TCellEdit(TWinTableEdit *grid, int id, const char *text, int alignment);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool CanClose() override;
  // Select All has something to do: the text is not empty and not already wholly selected.
  bool CanSelectAll();

  // The cell selected whole: typing replaces its text, Left and Right go to the
  // neighbouring cells.
  void SelectCell();
  // Editing in place with the caret at `caret` (-1: the end of the text).
  void EditInPlace(int caret = -1);
  bool EditingInPlace() const { return editing != 0; }

  int readOnly = 0;
  int caretHidden = 0;

 private:
  void KeyDown(UINT key);
  void Char(UINT key, LPARAM keyData);
  void Command(int id);
  void HookKey(UINT key);
  void ChangedIfModified();
  int CaretStart();

  TWinTableEdit *grid;
  int editing = 0;
};
