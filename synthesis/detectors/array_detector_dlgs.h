#pragma once
// The dialogs of the array detector models on the detector type page: the staring matrix
// and the two scanned line arrays. Each edits the element size and the centre-to-centre
// distances and is its model at once, so the synthesis uses the dialog object itself.

#include "synthesis/detectors/line_detectors.h"
#include "synthesis/detectors/matrix_detector.h"
#include "toolkit/dialogs/color_dlg.h"

class TDetectorSynthesisOwner;
class TMultiEdit;

// Controls of the array dialogs (the element sizes share the single-element models' ids).
enum TArrayDetectorControl : int {
  kArrayElementYEdit = 10285,    // Ly
  kArrayElementXEdit = 10290,    // Lz
  kArrayDistanceYEdit = 10286,   // dY0
  kArrayDistanceXEdit = 10287,   // dZ0
};

// The message of a centre distance below its element size.
constexpr const char *kMatrixGapText = "Gap between elements should be greate or equal 0";

class TDetectorMatrix : public TColorDlg, public TDetectorMatrixModel {
 public:
  TDetectorMatrix(TWindow *typePage, TDetectorSynthesisOwner *owner);
  ~TDetectorMatrix() override;
  void SetupWindow() override;
  // The edits into the four sizes, corrected (a distance below its element size is
  // reported, and both distances become the element sizes); 0 when an element size was cut
  // to the field. Corrected values are shown.
  int ReadParameters() override;
  int ShowParameters() override;

 private:
  TDetectorSynthesisOwner *owner_;
  TMultiEdit *edits_;
};

// The double array: no distance check (elements may overlap), sizes cut at 0.8 N p.
class TDetectorSlide : public TColorDlg, public TDetectorSlideModel {
 public:
  TDetectorSlide(TWindow *typePage, TDetectorSynthesisOwner *owner);
  ~TDetectorSlide() override;
  void SetupWindow() override;
  // The edits into the four sizes, corrected; 0 when an element size was cut (shown).
  int ReadParameters() override;
  int ShowParameters() override;

 protected:
  TDetectorSlide(TWindow *typePage, TDetectorSynthesisOwner *owner, bool singleLine);

 private:
  TDetectorSynthesisOwner *owner_;
  TMultiEdit *edits_;
};

// The single line: the double array with the distance between lines held at 0 (its edit
// shows 0 and is disabled).
class TDetectorSingleLine : public TDetectorSlide {
 public:
  TDetectorSingleLine(TWindow *typePage, TDetectorSynthesisOwner *owner);
  void SetupWindow() override;
};
