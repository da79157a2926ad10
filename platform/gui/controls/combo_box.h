#pragma once
// TComboBox: a drop-down list (CBS_DROPDOWNLIST) or a list with an edit field
// (CBS_DROPDOWN, CBS_SIMPLE), shown by a Qt combo box. The parent hears CBN_SELCHANGE when
// the user picks another item, CBN_EDITCHANGE when the user edits the field and
// CBN_DROPDOWN just before the list opens (so it may fill the list first).

#include <string>

#include "platform/gui/controls/control.h"

class QComboBox;
class TNativeColors;

class TComboBox : public TControl {
 public:
  TComboBox(TWindow *parent, int id, int xPos, int yPos, int w, int h, DWORD style, UINT textLimit = 0,
            TModule *module = nullptr);
  TComboBox(TWindow *parent, int resourceId, UINT textLimit = 0, TModule *module = nullptr);

  int AddString(const char *text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int InsertString(const char *text, int index) {
    return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index))); }
  void ClearList() { SendMessage(CB_RESETCONTENT); }
  int GetCount() { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetSelIndex() { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetSelIndex(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  std::string GetString(int index);
  std::uintptr_t GetItemData(int index) { return static_cast<std::uintptr_t>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int SetItemData(int index, std::uintptr_t data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
  }

  bool Create() override;
  void SetupWindow() override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool Editable() const { return (GetStyle() & 0x3) != CBS_DROPDOWNLIST; }
  int FindItem(int startAfter, const char *text, bool exact) const;

  UINT textLimit;
  QComboBox *combo = nullptr;
  TNativeColors *colors = nullptr;
  bool programmatic = false;
};
