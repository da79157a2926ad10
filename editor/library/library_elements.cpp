#include "editor/library/library_elements.h"

#include "document/system/system_image.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/insert/element_insertion.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/controls/control_constants.h"

namespace {

const TDialogTemplate kLibraryElementsDlg{
    "LibraryElements", DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 210, 150,
    "Component library",
    {
        {"STATIC", "Elements", -1, SS_LEFT, 8, 6, 110, 10},
        {"LISTBOX", "", kLibraryListId, WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 8, 18, 120, 104},
        {"STATIC", "Name of the selected element", -1, SS_LEFT, 8, 126, 110, 10},
        {"EDIT", "", kElementNameId, WS_BORDER | WS_TABSTOP, 8, 134, 120, 12},
        {"BUTTON", "Add", kAddElementId, BS_PUSHBUTTON | WS_TABSTOP, 140, 18, 60, 14},
        {"BUTTON", "Delete", kDeleteElementId, BS_PUSHBUTTON | WS_TABSTOP, 140, 38, 60, 14},
        {"BUTTON", "Take", kTakeElementId, BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 58, 60, 14},
        {"BUTTON", "Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 140, 132, 60, 14},
    }};
const TDialogRegistration kLibraryRegistration(kLibraryElementsDlg);

const TResponseTableEntry kLibraryElementsTable[] = {
    EvCommand<&TLibraryElements::CmAdd>(kAddElementId),
    EvCommand<&TLibraryElements::CmDelete>(kDeleteElementId),
    EvCommand<&TLibraryElements::CmTake>(kTakeElementId),
};

}  // namespace

std::string DefaultLibraryPath() { return LibraryFilePath(ProgramDir()); }

TLibraryElements::TLibraryElements(TWindow *owner, TSystemImage &system, const std::string &path)
    : TColorDlg(owner, "LibraryElements"), system_(system), path_(path.empty() ? DefaultLibraryPath() : path) {}

bool TLibraryElements::Find(TEventInfo &info) {
  return SearchResponseTable(kLibraryElementsTable, info) || TColorDlg::Find(info);
}

void TLibraryElements::SetupWindow() {
  TColorDlg::SetupWindow();
  if (!library_.Open(path_)) Complain(library_.ErrorText());
  FillList();
  // Elements are placed in the base configuration only, as New Element and Paste are.
  if (TWindow *take = ChildWithId(kTakeElementId)) take->EnableWindow(system_.currentConfiguration == 0);
}

void TLibraryElements::Complain(const std::string &text) {
  MessageBox(GetHandle(), text, "Component library", MB_OK | MB_ICONEXCLAMATION);
}

void TLibraryElements::FillList() {
  SendDlgItemMessage(kLibraryListId, LB_RESETCONTENT);
  for (const std::string &name : library_.Names())
    SendDlgItemMessage(kLibraryListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  if (library_.Count() > 0) SendDlgItemMessage(kLibraryListId, LB_SETCURSEL, 0);
}

int TLibraryElements::ChosenIndex() const {
  const LRESULT chosen =
      const_cast<TLibraryElements *>(this)->SendDlgItemMessage(kLibraryListId, LB_GETCURSEL);
  return chosen >= 0 && chosen < library_.Count() ? static_cast<int>(chosen) : -1;
}

void TLibraryElements::CmAdd() {
  char name[64] = {};
  GetDlgItemText(kElementNameId, name, sizeof name);
  const int index = library_.Add(name, system_);
  if (index < 0) {
    Complain(library_.ErrorText());
    return;
  }
  FillList();
  SendDlgItemMessage(kLibraryListId, LB_SETCURSEL, static_cast<WPARAM>(index));
}

void TLibraryElements::CmDelete() {
  const int index = ChosenIndex();
  if (index < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (!library_.Delete(index)) Complain(library_.ErrorText());
  FillList();
}

void TLibraryElements::CmTake() {
  if (system_.currentConfiguration != 0) {
    Complain("Elements are placed in configuration 1 only: show it to take an element.");
    return;
  }
  const int index = ChosenIndex();
  if (index < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  TSystemImage element;
  if (!library_.Take(index, element)) {
    Complain(library_.ErrorText());
    return;
  }
  TSystemImage &clipboard = RenewEditClipboard();
  clipboard.Assign(element, 0);
  // The element's own system, traced, tells the beam its faces stood to; a file it cannot
  // be traced through places the element as its first face says.
  clipboard.copiedBeam = OwnBeamOf(clipboard);
  EndDialog(kTakeElementId);
}
