#include "toolkit/dialogs/color_dlg.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {

constexpr COLORREF kLightGrey = 0xE0E0E0;
constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kWhite = 0xFFFFFF;

const TResponseTableEntry kColorDlgTable[] = {
    EvMessage<WM_CTLCOLOR, &TColorDlg::EvCtlColor>(),
};

}  // namespace

TColorDlg::TColorDlg(TWindow *parentWindow, const char *resource, TModule *module)
    : TDialog(parentWindow, resource, module),
      lightGreyBrush(CreateSolidBrush(kLightGrey)),
      greyBrush(CreateSolidBrush(kGrey)),
      whiteBrush(CreateSolidBrush(kWhite)) {}

TColorDlg::~TColorDlg() {
  // The controls go with the dialog before the brushes they may still be painted with.
  Destroy();
  DeleteObject(lightGreyBrush);
  DeleteObject(greyBrush);
  DeleteObject(whiteBrush);
}

bool TColorDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kColorDlgTable, info) || TDialog::Find(info);
}

LRESULT TColorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return TDialog::WindowProc(msg, wParam, lParam);
}

HBRUSH TColorDlg::EvCtlColor(HDC dc, HWND control, UINT kind) {
  switch (kind) {
    case CTLCOLOR_DLG:
      SetDialogBrush();
      return dialogBrush;
    case CTLCOLOR_EDIT:
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_BTN:
    case CTLCOLOR_STATIC: {
      currentKind = static_cast<WORD>(kind);
      currentId = control != nullptr ? GetDlgCtrlID(control) : 0;
      SetControlColors();
      if (TDC *context = TDC::FromHandle(dc)) {
        context->SetBkColor(backgroundColor);
        context->SetTextColor(textColor);
      }
      return controlBrush;
    }
    default:
      return reinterpret_cast<HBRUSH>(DefaultProcessing());
  }
}

void TColorDlg::SetControlColors() {
  if (currentKind == CTLCOLOR_EDIT || currentKind == CTLCOLOR_LISTBOX) {
    backgroundColor = kWhite;
    controlBrush = whiteBrush;
  } else {
    backgroundColor = kGrey;
    controlBrush = greyBrush;
  }
  textColor = 0;
}

void TColorDlg::SetDialogBrush() { dialogBrush = greyBrush; }
