#include "viewer3d/movies/avi_codec_dlg.h"

#include <string>
#include <utility>

#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

constexpr int kLowestQuality = 1;
constexpr int kHighestQuality = 100;

const TDialogTemplate kCodecTemplate{"AviCodecDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40,
                                     160, 84, "Movie pictures", {
    {"BUTTON", "Full frames (uncompressed)", TAviCodecDlg::kFullFrames,
     BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 8, 140, 10},
    {"BUTTON", "Motion JPEG", TAviCodecDlg::kMotionJpeg, BS_AUTORADIOBUTTON, 10, 22, 140, 10},
    {"STATIC", "Quality:", -1, SS_RIGHT, 14, 40, 40, 9},
    {"EDIT", "", TAviCodecDlg::kQuality, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 58, 38, 30, 12},
    {"STATIC", "(1 - 100)", -1, 0, 92, 40, 50, 9},
    {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 22, 62, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 88, 62, 50, 14},
}};
const TDialogRegistration kCodecRegistration(kCodecTemplate);

const TResponseTableEntry kCodecTable[] = {
    EvCommand<&TAviCodecDlg::CmOk>(IDOK),
    EvCommand<&TAviCodecDlg::CmKind>(TAviCodecDlg::kFullFrames),
    EvCommand<&TAviCodecDlg::CmKind>(TAviCodecDlg::kMotionJpeg),
};

TAviCodecChooser &Chooser() {
  static TAviCodecChooser chooser;
  return chooser;
}

}  // namespace

TAviCodecDlg::TAviCodecDlg(TWindow *parentWindow, TAviCodec &codec)
    : TColorDlg(parentWindow, "AviCodecDlg"), codec_(codec) {}

bool TAviCodecDlg::Find(TEventInfo &info) { return SearchResponseTable(kCodecTable, info) || TColorDlg::Find(info); }

void TAviCodecDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  const bool jpeg = codec_.kind == TAviCodec::kMotionJpeg;
  CheckRadioButton(GetHandle(), kFullFrames, kMotionJpeg, jpeg ? kMotionJpeg : kFullFrames);
  SetDlgItemText(kQuality, std::to_string(codec_.quality).c_str());
  EnableDlgItem(GetHandle(), kQuality, jpeg ? 1 : 0);
}

void TAviCodecDlg::CmKind() {
  EnableDlgItem(GetHandle(), kQuality, IsDlgButtonChecked(kMotionJpeg) == BST_CHECKED ? 1 : 0);
}

void TAviCodecDlg::CmOk() {
  const bool jpeg = IsDlgButtonChecked(kMotionJpeg) == BST_CHECKED;
  BOOL number = 0;
  const int quality = static_cast<int>(GetDlgItemInt(GetHandle(), kQuality, &number, 1));
  if (jpeg && (!number || quality < kLowestQuality || quality > kHighestQuality)) {
    MessageBox(GetHandle(), "The quality is a whole number from 1 to 100.", "Movie pictures",
               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  codec_.kind = jpeg ? TAviCodec::kMotionJpeg : TAviCodec::kFullFrames;
  if (jpeg) codec_.quality = quality;
  EndDialog(IDOK);
}

TAviCodecChooser SetAviCodecChooser(TAviCodecChooser chooser) {
  std::swap(Chooser(), chooser);
  return chooser;
}

bool ChooseAviCodec(TAviCodec &codec) {
  if (Chooser()) return Chooser()(codec);
  TAviCodecDlg dialog(nullptr, codec);
  return dialog.Execute() == IDOK;
}
