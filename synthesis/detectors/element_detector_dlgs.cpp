#include "synthesis/detectors/element_detector_dlgs.h"

#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/model_dialog_place.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr int kEditCapacity = 5;

const TDialogTemplate kDetectorNoneTemplate{
    "T_DetectorNone", kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
    {
        {"STATIC", "No detector.", 0, SS_LEFT, 8, 10, 130, 9},
    }};
const TDialogRegistration kDetectorNoneRegistration(kDetectorNoneTemplate);

const TDialogTemplate kDetectorRoundTemplate{
    "T_DetectorRound", kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
    {
        {"BUTTON", " Round element ", 0, BS_GROUPBOX, 2, 2, 144, 44},
        {"STATIC", "Diameter", 0, SS_LEFT, 10, 14, 60, 9},
        {"EDIT", "", kDetectorFirstSizeEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 26, 60, 12},
        {"STATIC", "(mm)", kDetectorUnitLabel, SS_LEFT, 76, 28, 34, 9},
    }};
const TDialogRegistration kDetectorRoundRegistration(kDetectorRoundTemplate);

const TDialogTemplate kDetectorRectangleTemplate{
    "T_DetectorRectangle", kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
    {
        {"BUTTON", " Size ", 0, BS_GROUPBOX, 2, 2, 144, 58},
        {"STATIC", "Y", 0, SS_LEFT, 10, 18, 10, 9},
        {"EDIT", "", kDetectorFirstSizeEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 22, 16, 60, 12},
        {"STATIC", "X", 0, SS_LEFT, 10, 38, 10, 9},
        {"EDIT", "", kDetectorSecondSizeEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 22, 36, 60, 12},
        {"STATIC", "(mm)", kDetectorUnitLabel, SS_LEFT, 88, 28, 34, 9},
    }};
const TDialogRegistration kDetectorRectangleRegistration(kDetectorRectangleTemplate);

float PixelSize() {
  const TTestImage *image = GetTestImage();
  return image != nullptr ? static_cast<float>(image->pixelSize) : 0.0f;
}

}  // namespace

const char *DetectorUnitText(TDetectorSynthesisOwner *owner) {
  return owner != nullptr && owner->ImageAtInfinity() ? "(mrad)" : "(mm)";
}

TDetectorNone::TDetectorNone(TWindow *typePage) : TColorDlg(typePage, "T_DetectorNone") {}

void TDetectorNone::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
}

TDetectorRound::TDetectorRound(TWindow *typePage, TDetectorSynthesisOwner *synthesis)
    : TColorDlg(typePage, "T_DetectorRound"), owner_(synthesis), edits_(new TMultiEdit(this, kEditCapacity)) {
  edits_->AddEdit(kDetectorFirstSizeEdit, &Diameter, 'f', "%g");
}

TDetectorRound::~TDetectorRound() { delete edits_; }

void TDetectorRound::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
  Diameter = PixelSize();
  edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
  // The diameter is in the image plane's unit like every other detector size.
  SetDlgItemText(kDetectorUnitLabel, DetectorUnitText(owner_));
  edits_->WriteAll();
}

int TDetectorRound::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const float kept = Diameter;
  edits_->ReadAll();
  const float typed = Diameter;
  Diameter = kept;
  if (TakeDiameter(typed)) edits_->WriteAll();
  return 1;
}

int TDetectorRound::ShowParameters() {
  if (GetHandle() != nullptr) edits_->WriteAll();
  return 1;
}

TDetectorRectangle::TDetectorRectangle(TWindow *typePage, TDetectorSynthesisOwner *synthesis)
    : TColorDlg(typePage, "T_DetectorRectangle"),
      owner_(synthesis),
      edits_(new TMultiEdit(this, kEditCapacity)) {
  edits_->AddEdit(kDetectorFirstSizeEdit, &Ly, 'f', "%g");
  edits_->AddEdit(kDetectorSecondSizeEdit, &Lz, 'f', "%g");
}

TDetectorRectangle::~TDetectorRectangle() { delete edits_; }

void TDetectorRectangle::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
  Ly = Lz = 2.0f * PixelSize();
  edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
  SetDlgItemText(kDetectorUnitLabel, DetectorUnitText(owner_));
  ShowParameters();
}

int TDetectorRectangle::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const float keptLy = Ly, keptLz = Lz;
  edits_->ReadAll();
  const float typedLy = Ly, typedLz = Lz;
  Ly = keptLy;
  Lz = keptLz;
  // A negative side covers nothing and would turn every image black: it is refused.
  if (typedLy < 0.0f || typedLz < 0.0f) {
    MessageBox(GetHandle(), kNegativeSideText, "Warning", MB_OK | MB_ICONEXCLAMATION);
    edits_->WriteAll();
    return 0;
  }
  if (!TakeSides(typedLy, typedLz)) return 1;
  edits_->WriteAll();
  return 0;
}

int TDetectorRectangle::ShowParameters() {
  if (GetHandle() != nullptr) edits_->WriteAll();
  return 1;
}
