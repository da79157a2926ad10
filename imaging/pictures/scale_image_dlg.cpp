#include "imaging/pictures/scale_image_dlg.h"

#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_scale.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/binding/multi_edit.h"

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
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kFieldCapacity = 5;

}  // namespace

TScaleImageDlg::TScaleImageDlg(TColorPicture &picture)
    : TColorDlg(&picture, "ScaleImageDlg"), picture_(picture), fields_(std::make_unique<TMultiEdit>(this, kFieldCapacity)) {
  fields_->AddEdit(IDC_SCALE_VALUE, &scale, 'f', "%g");
}

TScaleImageDlg::~TScaleImageDlg() = default;

bool TScaleImageDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kScaleImageTable, info) || TColorDlg::Find(info);
}

void TScaleImageDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  fields_->SetColors(kWhite, kDarkBlue);
  ShowScale();
}

void TScaleImageDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  fields_->EditTextColor(currentKind, currentId, textColor);
}

bool TScaleImageDlg::ReadScale() { return fields_->ReadAll() != 0; }

bool TScaleImageDlg::Apply() {
  // An entry that is no number is refused by the field's name; one of 0 or below leaves
  // the zoom as it is, and so does the scale as it was shown (the text carries only six
  // digits of it).
  char text[64] = {};
  GetDlgItemText(IDC_SCALE_VALUE, text, sizeof text);
  if (shownText_ == text) {
    picture_.Redraw(true);
    return true;
  }
  if (!ReadScale()) return false;
  ApplyPictureScale(picture_, scale);
  ShowScale();
  return true;
}

void TScaleImageDlg::ShowScale() {
  scale = static_cast<float>(PictureScale(picture_));
  fields_->WriteAll();
  char text[64] = {};
  GetDlgItemText(IDC_SCALE_VALUE, text, sizeof text);
  shownText_ = text;
}

void TScaleImageDlg::CmApply() { Apply(); }

void TScaleImageDlg::CmOkScale() {
  if (Apply()) CmOk();
}

void RunScaleDialog(TColorPicture &picture) {
  TScaleImageDlg dialog(picture);
  dialog.Execute();
}
