#pragma once
// TScaleImageDlg: "Scale", the picture's "Custom" zoom. The user types the drawing scale as
// 1 / N; "Apply" changes the picture's zoom so that it is drawn at that scale and redraws
// it, "Ok" does the same and closes.

#include <memory>
#include <string>

#include "toolkit/dialogs/color_dlg.h"

class TColorPicture;
class TMultiEdit;

constexpr int IDC_SCALE_VALUE = 101;
constexpr int IDC_SCALE_APPLY = 100;

class TScaleImageDlg : public TColorDlg {
 public:
  explicit TScaleImageDlg(TColorPicture &picture);
  ~TScaleImageDlg() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  void CmApply();
  void CmOkScale();
  float scale = 0.0f;  // N of 1 / N

 protected:
  void SetControlColors() override;

 private:
  // Reads the bound edit into scale; a text that is no float is refused by the field's
  // name and leaves it (false).
  bool ReadScale();
  // False when the entry was refused (the dialog then stays open on Ok).
  bool Apply();
  // Shows the picture's present scale in the edit.
  void ShowScale();
  TColorPicture &picture_;
  std::unique_ptr<TMultiEdit> fields_;  // the scale bound to its edit
  std::string shownText_;
};
