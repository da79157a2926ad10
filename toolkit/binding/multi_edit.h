#pragma once
// TMultiEdit: binds a dialog's edit controls to program variables by a type letter and a
// printf format ('S', 'b', 's', 'i', 'l', 'f', 'd'; see value_text.h), and moves all of
// them at once: variables into the fields when the dialog is set up, fields into the
// variables when the user confirms. Every bound control becomes a TBaseEdit.

#include <string>
#include <vector>

#include "foundation/interfaces/toolkit_records.h"
#include "platform/gui/drawing/gdi_types.h"

class TBaseEdit;
class TWindow;

class TMultiEdit {
 public:
  // capacity 0 means 5 (also the grow step); textLimit 0 means 256: the size of every
  // TBaseEdit and of the formatting buffer of 'S' fields.
  TMultiEdit(TWindow *dialog, int capacity = 0, int textLimit = 0, int value = 0);
  ~TMultiEdit();
  TMultiEdit(const TMultiEdit &) = delete;
  TMultiEdit &operator=(const TMultiEdit &) = delete;

  // Binds the dialog's control id to the variable, before the dialog window exists. For
  // 'S' give the size of the char buffer (0: the text limit is taken as its size).
  // 1, or 0 when the table could not grow.
  int AddEdit(int id, void *variable, char type, const char *format, int bufferSize = 0);

  // Variables into fields (WriteAll, TransferToControls) and back, active bindings in
  // order; 1 when every transfer succeeded. A refused text (not wholly a number, or a number
  // the variable cannot hold) leaves its variable as it was: a message box names the field
  // by its label and the field takes the focus. ReadAll reads every field and tells only
  // the first refusal.
  int WriteAll();
  int TransferToControls() { return WriteAll(); }
  int ReadAll();
  // One transfer: id 0 finds the binding by the variable; an id uses that control's
  // binding with the given variable instead of the bound one. 0 when nothing matches or
  // the value was refused.
  int WriteOne(void *variable, int id = 0);
  int ReadOne(void *variable, int id = 0);
  // The label a user sees for a bound control ("Field <id>" without one).
  std::string FieldName(int id);

  ValueParameters *FindByVariable(const void *variable);
  ValueParameters *FindByControlId(int id);
  ValueParameters *At(int i);
  int Count() const { return collection.count; }

  void SetActive(const void *variable, int flag);
  int IsActive(const void *variable);

  int IsModified(int index = -1);
  int IsModifiedById(int id);
  int IsEmpty(int id);
  int IsBoundControl(int id);
  int FocusedBoundId();
  void SetReadOnly(int id, int flag);
  void SetAllReadOnly(int flag);
  void ClearAll();

  void SetColors(COLORREF background, COLORREF text);
  int GetFocusColors(int id, COLORREF &text, COLORREF &background, HBRUSH &brush);
  // -1: the default focus field.
  void FocusControl(int id);
  // For a dialog's SetControlColors: a bound edit (kind CTLCOLOR_EDIT) takes the text
  // colour given to SetColors; true when the control is one of them.
  bool EditTextColor(UINT kind, int id, COLORREF &text);

 private:
  int Transfer(ValueParameters &binding, void *variable, int bufferSize, bool toControl, bool tell);
  TBaseEdit *EditOf(const ValueParameters &binding) const;
  int BufferSizeOf(const ValueParameters &binding) const;

  TWindow *dialog;
  int textLimit;
  TEditCollection collection;
  std::vector<int> bufferSizes;  // per binding, the byte size of an 'S' buffer
  COLORREF highlightText = 0;
  COLORREF highlightBack = 0xFFFFFF;
  HBRUSH brush = nullptr;
  int firstId = 0;
  int lastId = 0;
  int defaultFocusId = 0;
  int lastHighlightedId = 0;
};
