#pragma once
// TPreferencesFolder: the editor's preferences: the undo ring's depth, what is kept between
// sessions and how the system is drawn. OK puts them on the edited system's options; a
// changed depth starts the ring afresh from the current state.

#include <memory>

#include "document/system/options_image.h"
#include "toolkit/dialogs/color_dlg.h"

class TMultiEdit;
class TSystemImage;

class TPreferencesFolder : public TColorDlg {
 public:
  static constexpr int kUndoSteps = 101;
  static constexpr int kEnableSave = 102;
  static constexpr int kEnablePosition = 103;
  static constexpr int kEnableName = 104;
  static constexpr int kGridAxes = 105;
  static constexpr int kFillComponent = 106;
  static constexpr int kRealBeams = 107;
  static constexpr int kCardinalPlanes = 108;
  static constexpr int kViewProperties = 109;
  static constexpr int kLargestUndoSteps = kMaxUndoSteps;

  // page: the page shown first (one page: 0).
  // The undo steps' field is bound to the dialog's value and shown in dark blue.
  TPreferencesFolder(TWindow *frame, TSystemImage *system, int page);
  ~TPreferencesFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void CmOk();

 protected:
  void SetControlColors() override;

 private:
  TSystemImage *system_;
  std::unique_ptr<TMultiEdit> fields_;
  double undoSteps_ = 0.0;  // a whole number is asked of it
};
