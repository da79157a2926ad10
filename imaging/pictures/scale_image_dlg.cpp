#include "imaging/pictures/scale_image_dlg.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "foundation/numtext/typed_number.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_scale.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

const TDialogTemplate kScaleImageDlg{
    "ScaleImageDlg",
    DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    0, 0, 132, 66, "Scale", {
        {"BUTTON", " Scale of image ", -1, BS_GROUPBOX, 6, 4, 120, 32},
        {"EDIT", "1", -1, ES_READONLY | ES_RIGHT | WS_BORDER, 14, 16, 24, 12},
        {"STATIC", "/", -1, SS_CENTER, 40, 18, 8, 10},
        {"EDIT", "", IDC_SCALE_VALUE, ES_LEFT | WS_BORDER | WS_TABSTOP, 50, 16, 68, 12},
        {"BUTTON", "Apply", IDC_SCALE_APPLY, BS_PUSHBUTTON | WS_TABSTOP, 10, 44, 50, 14},
        {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 72, 44, 50, 14},
    }};
const TDialogRegistration kScaleImageRegistration(kScaleImageDlg);

const TResponseTableEntry kScaleImageTable[] = {
    EvCommand<&TScaleImageDlg::CmApply>(IDC_SCALE_APPLY),
    EvCommand<&TScaleImageDlg::CmOkScale>(IDOK),
};

constexpr COLORREF kDarkBlue = RGB(0, 0, 192);

}  // namespace

TScaleImageDlg::TScaleImageDlg(TColorPicture &picture)
    : TColorDlg(&picture, "ScaleImageDlg"), picture_(picture) {}

bool TScaleImageDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kScaleImageTable, info) || TColorDlg::Find(info);
}

void TScaleImageDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  ShowScale();
}

void TScaleImageDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  if (currentId == IDC_SCALE_VALUE) textColor = kDarkBlue;
}

bool TScaleImageDlg::ReadScale() {
  char text[64] = {};
  GetDlgItemText(IDC_SCALE_VALUE, text, sizeof text);
  double value = 0.0;
  if (ReadTypedNumber(text, value) != TNumberRead::Number || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) return false;
  scale = static_cast<float>(value);
  return true;
}

void TScaleImageDlg::Apply() {
  // An entry that is no number, or 0 or below, leaves the zoom as it is, and so does the
  // scale as it was shown (the text carries only six digits of it).
  char text[64] = {};
  GetDlgItemText(IDC_SCALE_VALUE, text, sizeof text);
  if (!ReadScale() || shownText_ == text) {
    picture_.Redraw(true);
    return;
  }
  ApplyPictureScale(picture_, scale);
  ShowScale();
}

void TScaleImageDlg::ShowScale() {
  scale = static_cast<float>(PictureScale(picture_));
  char text[32];
  std::snprintf(text, sizeof text, "%g", scale);
  shownText_ = text;
  SetDlgItemText(IDC_SCALE_VALUE, text);
}

void TScaleImageDlg::CmApply() { Apply(); }

void TScaleImageDlg::CmOkScale() {
  Apply();
  CmOk();
}

void RunScaleDialog(TColorPicture &picture) {
  TScaleImageDlg dialog(picture);
  dialog.Execute();
}
