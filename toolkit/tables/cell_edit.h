#pragma once
// TCellEdit: the borderless edit control over a table's current cell. It holds what a cell
// holds: 255 characters, so editing a long cell never cuts its text. Its keys move between cells; a read-only cell refuses changes with a beep;
// a dialog's close check commits a pending edit into its cell first.

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
};
