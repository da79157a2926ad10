#include "editor/shell/about_dlg.h"

#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

constexpr COLORREF kNameColor = 0x000080;

const TDialogTemplate kAboutTemplate{"AboutDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                     40, 40, 170, 110, "About Korvex", {
    {"STATIC", "Korvex", TAboutDlg::kNameLine, SS_CENTER, 10, 8, 150, 10},
    {"STATIC", "Optical design and analysis workbench", 0, SS_CENTER, 10, 22, 150, 10},
    {"STATIC", TAboutDlg::kVersionText, TAboutDlg::kVersionLine, SS_CENTER, 10, 36, 150, 10},
    {"STATIC", TAboutDlg::kLicenceText, TAboutDlg::kLicenceLine, SS_CENTER, 10, 50, 150, 10},
    {"STATIC", "", 0, SS_GRAYRECT, 10, 66, 150, 2},
    {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 65, 78, 40, 14},
}};
const TDialogRegistration kAboutRegistration(kAboutTemplate);

}  // namespace

TAboutDlg::TAboutDlg(TWindow *parentWindow) : TColorDlg(parentWindow, "AboutDlg") {}

void TAboutDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  if (currentKind == CTLCOLOR_STATIC && currentId == kNameLine) textColor = kNameColor;
}
