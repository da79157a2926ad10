#pragma once
// TListBox: a list of strings (each with a value of the program's) shown by a Qt list.
// LBS_SORT keeps it sorted without case; LBS_MULTIPLESEL and LBS_EXTENDEDSEL select more
// than one. With LBS_NOTIFY the parent hears LBN_SELCHANGE when the user changes the
// selection and LBN_DBLCLK on a double click; it is asked WM_CTLCOLORLISTBOX.
// An owner-drawn list (LBS_OWNERDRAWFIXED: one height asked once; LBS_OWNERDRAWVARIABLE:
// each item's height asked) has its items measured by the parent (WM_MEASUREITEM) and
// painted by it (WM_DRAWITEM, ODT_LISTBOX, rcItem in the list's client coordinates,
// ODS_SELECTED and ODS_FOCUS). Without LBS_HASSTRINGS such a list keeps no strings: what
// LB_ADDSTRING and LB_INSERTSTRING pass is the item's value, as LB_GETITEMDATA gives it.

#include <string>

#include "platform/gui/controls/control.h"

class QListWidget;
class TNativeColors;

class TListBox : public TControl {
 public:
  TListBox(TWindow *parent, int id, int xPos, int yPos, int w, int h, TModule *module = nullptr);
  TListBox(TWindow *parent, int resourceId, TModule *module = nullptr);

  int AddString(const char *text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int InsertString(const char *text, int index) {
    return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) { return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index))); }
  void ClearList() { SendMessage(LB_RESETCONTENT); }
  int GetCount() { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
  int GetSelIndex() { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
  int SetSelIndex(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
  std::string GetString(int index);
  int FindString(const char *prefix, int startAfter = -1) {
    return static_cast<int>(SendMessage(LB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
  }
  int FindExactString(const char *text, int startAfter = -1) {
    return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
  }
  std::uintptr_t GetItemData(int index) { return static_cast<std::uintptr_t>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int SetItemData(int index, std::uintptr_t data) {
    return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
  }

  bool IsOwnerDrawn() const { return (GetStyle() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

  bool Create() override;
  void SetupWindow() override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int FindItem(int startAfter, const char *text, bool exact) const;
  int Insert(int index, const char *text);
  // LB_ADDSTRING / LB_INSERTSTRING: a string, or the item's value in a list without strings.
  int InsertItem(int index, LPARAM item);

  QListWidget *list = nullptr;
  TNativeColors *colors = nullptr;
  bool programmatic = false;  // selection changes of the program's own are not told
};
