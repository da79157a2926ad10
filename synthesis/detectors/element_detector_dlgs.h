#pragma once
// The dialogs of the single-element detector models, shown one at a time on the detector
// type page: "None" says there is no detector, the round and rectangular models edit the
// element's size. Each is a model of element_detectors.h at once, so the synthesis uses
// the dialog object itself as its detector.

#include "synthesis/detectors/element_detectors.h"
#include "toolkit/dialogs/color_dlg.h"

class TDetectorSynthesisOwner;
class TMultiEdit;

// Controls of the model dialogs.
enum TElementDetectorControl : int {
  kDetectorFirstSizeEdit = 10285,   // Diameter, or Ly
  kDetectorSecondSizeEdit = 10290,  // Lz
  kDetectorUnitLabel = 2001,
};

// The focused edit of a detector dialog: blue text on white.
constexpr COLORREF kDetectorEditText = 0xC00000;
constexpr COLORREF kDetectorEditBackground = 0xFFFFFF;

// The refusal of a negative element side.
constexpr const char *kNegativeSideText = "The sides of the detector element can not be negative!";

// "(mrad)" for an image at infinity, else "(mm)".
const char *DetectorUnitText(TDetectorSynthesisOwner *owner);

class TDetectorNone : public TColorDlg, public TDetectorNoneModel {
 public:
  explicit TDetectorNone(TWindow *typePage);
  void SetupWindow() override;
};

class TDetectorRound : public TColorDlg, public TDetectorRoundModel {
 public:
  TDetectorRound(TWindow *typePage, TDetectorSynthesisOwner *owner);
  ~TDetectorRound() override;
  void SetupWindow() override;
  // The edit into Diameter (cut to the field's limit and shown again when too large); 1,
  // also after a cut.
  int ReadParameters() override;
  int ShowParameters() override;

 private:
  TDetectorSynthesisOwner *owner_;
  TMultiEdit *edits_;
};

class TDetectorRectangle : public TColorDlg, public TDetectorRectangleModel {
 public:
  TDetectorRectangle(TWindow *typePage, TDetectorSynthesisOwner *owner);
  ~TDetectorRectangle() override;
  void SetupWindow() override;
  // The edits into Ly and Lz; 0 when a side was cut to the field's limit (both shown), or
  // refused with a message for being negative (the sides then stay as they were).
  int ReadParameters() override;
  int ShowParameters() override;

 private:
  TDetectorSynthesisOwner *owner_;
  TMultiEdit *edits_;
};
