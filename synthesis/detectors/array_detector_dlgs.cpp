#include "synthesis/detectors/array_detector_dlgs.h"

#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/model_dialog_place.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr int kEditCapacity = 5;

// Two groups of a "y:" and an "x:" edit each, the unit at the right of the first.
TDialogTemplate ArrayDetectorTemplate(const char *name) {
  constexpr DWORD kEditStyle = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  return TDialogTemplate{name, kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
                         {
                             {"BUTTON", " Element size ", 0, BS_GROUPBOX, 2, 2, 144, 30},
                             {"STATIC", "y:", 0, SS_LEFT, 8, 16, 8, 9},
                             {"EDIT", "", kArrayElementYEdit, kEditStyle, 18, 14, 40, 12},
                             {"STATIC", "x:", 0, SS_LEFT, 64, 16, 8, 9},
                             {"EDIT", "", kArrayElementXEdit, kEditStyle, 74, 14, 40, 12},
                             {"STATIC", "(mm)", kDetectorUnitLabel, SS_LEFT, 118, 16, 26, 9},
                             {"BUTTON", " Centre to centre distance ", 0, BS_GROUPBOX, 2, 36, 144, 30},
                             {"STATIC", "y:", 0, SS_LEFT, 8, 50, 8, 9},
                             {"EDIT", "", kArrayDistanceYEdit, kEditStyle, 18, 48, 40, 12},
                             {"STATIC", "x:", 0, SS_LEFT, 64, 50, 8, 9},
                             {"EDIT", "", kArrayDistanceXEdit, kEditStyle, 74, 48, 40, 12},
                         }};
}

const TDialogTemplate kDetectorMatrixTemplate = ArrayDetectorTemplate("T_DetectorMatrix");
const TDialogRegistration kDetectorMatrixRegistration(kDetectorMatrixTemplate);
const TDialogTemplate kDetectorSlideTemplate = ArrayDetectorTemplate("T_DetectorSlide");
const TDialogRegistration kDetectorSlideRegistration(kDetectorSlideTemplate);

// Binds the four edits to the model's sizes.
TMultiEdit *BindSizes(TWindow *dialog, TArrayDetectorModel &model) {
  auto *edits = new TMultiEdit(dialog, kEditCapacity);
  edits->AddEdit(kArrayElementYEdit, &model.Ly, 'f', "%g");
  edits->AddEdit(kArrayElementXEdit, &model.Lz, 'f', "%g");
  edits->AddEdit(kArrayDistanceYEdit, &model.dY0, 'f', "%g");
  edits->AddEdit(kArrayDistanceXEdit, &model.dZ0, 'f', "%g");
  return edits;
}

// What the edits hold, leaving the model's sizes as they were.
struct TTypedSizes {
  float ly, lz, dy, dz;
};
TTypedSizes ReadTyped(TMultiEdit &edits, TArrayDetectorModel &model) {
  const TTypedSizes kept{model.Ly, model.Lz, model.dY0, model.dZ0};
  edits.ReadAll();
  const TTypedSizes typed{model.Ly, model.Lz, model.dY0, model.dZ0};
  model.Ly = kept.ly;
  model.Lz = kept.lz;
  model.dY0 = kept.dy;
  model.dZ0 = kept.dz;
  return typed;
}

bool SameSizes(const TTypedSizes &typed, const TArrayDetectorModel &model) {
  return typed.ly == model.Ly && typed.lz == model.Lz && typed.dy == model.dY0 && typed.dz == model.dZ0;
}

}  // namespace

TDetectorMatrix::TDetectorMatrix(TWindow *typePage, TDetectorSynthesisOwner *synthesis)
    : TColorDlg(typePage, "T_DetectorMatrix"), owner_(synthesis), edits_(BindSizes(this, *this)) {}

TDetectorMatrix::~TDetectorMatrix() { delete edits_; }

void TDetectorMatrix::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
  edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
  SetDlgItemText(kDetectorUnitLabel, DetectorUnitText(owner_));
  ShowParameters();
}

int TDetectorMatrix::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const TTypedSizes typed = ReadTyped(*edits_, *this);
  const TMatrixCorrection correction = TakeSizes(typed.ly, typed.lz, typed.dy, typed.dz);
  if (correction.gapRaised)
    MessageBox(GetHandle(), kMatrixGapText, "Warning", MB_OK | MB_ICONEXCLAMATION);
  // What was corrected is shown as it is now.
  if (!SameSizes(typed, *this)) ShowParameters();
  return correction.cut ? 0 : 1;
}

int TDetectorMatrix::ShowParameters() {
  if (GetHandle() != nullptr) edits_->WriteAll();
  return 1;
}

TDetectorSlide::TDetectorSlide(TWindow *typePage, TDetectorSynthesisOwner *synthesis)
    : TColorDlg(typePage, "T_DetectorSlide"), owner_(synthesis), edits_(BindSizes(this, *this)) {}

TDetectorSlide::TDetectorSlide(TWindow *typePage, TDetectorSynthesisOwner *synthesis, bool singleLine)
    : TColorDlg(typePage, "T_DetectorSlide"),
      TDetectorSlideModel(singleLine),
      owner_(synthesis),
      edits_(BindSizes(this, *this)) {}

TDetectorSlide::~TDetectorSlide() { delete edits_; }

void TDetectorSlide::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
  edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
  SetDlgItemText(kDetectorUnitLabel, DetectorUnitText(owner_));
  ShowParameters();
}

int TDetectorSlide::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const TTypedSizes typed = ReadTyped(*edits_, *this);
  const bool cut = TakeSizes(typed.ly, typed.lz, typed.dy, typed.dz);
  if (!SameSizes(typed, *this)) ShowParameters();
  return cut ? 0 : 1;
}

int TDetectorSlide::ShowParameters() {
  if (GetHandle() != nullptr) edits_->WriteAll();
  return 1;
}

TDetectorSingleLine::TDetectorSingleLine(TWindow *typePage, TDetectorSynthesisOwner *synthesis)
    : TDetectorSlide(typePage, synthesis, true) {}

void TDetectorSingleLine::SetupWindow() {
  TDetectorSlide::SetupWindow();
  // Its edit shows the 0 the single line holds and takes nothing.
  if (TWindow *edit = ChildWithId(kArrayDistanceXEdit)) edit->EnableWindow(false);
}
