#pragma once
// TAboutDlg: the About box of the Help menu, with the program's name in dark red.

#include "toolkit/dialogs/color_dlg.h"

class TAboutDlg : public TColorDlg {
 public:
  static constexpr int kNameLine = 10000;
  static constexpr int kVersionLine = 12345;

  explicit TAboutDlg(TWindow *parentWindow);

 protected:
  void SetControlColors() override;
};
