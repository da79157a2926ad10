#pragma once
// TAboutDlg: the About box of the Help menu: the program's name (in dark red), what it is,
// its version and its licence.

#include "toolkit/dialogs/color_dlg.h"

class TAboutDlg : public TColorDlg {
 public:
  static constexpr int kNameLine = 10000;
  static constexpr int kVersionLine = 12345;
  static constexpr int kLicenceLine = 12346;
  static constexpr const char *kVersionText = "Version 1.0";
  static constexpr const char *kLicenceText = "Free software under the MIT licence";

  explicit TAboutDlg(TWindow *parentWindow);

 protected:
  void SetControlColors() override;
};
