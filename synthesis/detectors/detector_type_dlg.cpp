#include "synthesis/detectors/detector_type_dlg.h"

#include "imaging/testobject/detector_parameters.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/array_detector_dlgs.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/detectors/transformer_detector_dlgs.h"

namespace {

const TDialogTemplate kDetectorTypeTemplate{
    "T_DetectorTypeDlg", WS_CHILD | WS_CAPTION, 0, 0, 156, 106, "Detector Type",
    {
        {"STATIC", "Type", 0, SS_LEFT, 6, 6, 24, 9},
        {"COMBOBOX", "", kDetectorTypeList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 32, 4, 112, 90},
    }};
const TDialogRegistration kDetectorTypeRegistration(kDetectorTypeTemplate);

const TResponseTableEntry kDetectorTypeTable[] = {
    EvChildNotify<&TDetectorTypeDlg::CbnSelChange>(kDetectorTypeList, CBN_SELCHANGE),
};

constexpr const char *kTypeTexts[kDetectorTypeCount] = {
    "None",        "Round",       "Rectangle",           "Matrix",
    "Single line", "Double line", "Optical transformer", "Matrix & Transformer",
};

bool InList(int type) { return type >= 0 && type < kDetectorTypeCount; }

}  // namespace

const char *DetectorTypeText(int type) { return InList(type) ? kTypeTexts[type] : ""; }

TDetectorTypeDlg::TDetectorTypeDlg(TWindow *folder, TTestDetector *detectorPage, TDetectorSynthesisOwner *owner)
    : TBookMarkDlg(folder, "T_DetectorTypeDlg"),
      typeList(new TComboBox(this, kDetectorTypeList)),
      detectorPage_(detectorPage) {
  // The page's children: they go with it.
  models[kDetectorNone] = new TDetectorNone(this);
  models[kDetectorRound] = new TDetectorRound(this, owner);
  models[kDetectorRectangle] = new TDetectorRectangle(this, owner);
  models[kDetectorMatrix] = new TDetectorMatrix(this, owner);
  models[kDetectorSingleLine] = new TDetectorSingleLine(this, owner);
  models[kDetectorDoubleLine] = new TDetectorSlide(this, owner);
  auto *transformer = new TDetectorOpticalTransformer(this);
  auto *combined = new TDetectorMatrixTransformer(this);
  combined->Attach(static_cast<TDetectorMatrix *>(models[kDetectorMatrix]), transformer);
  models[kDetectorOpticalTransformer] = transformer;
  models[kDetectorMatrixTransformer] = combined;
}

bool TDetectorTypeDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kDetectorTypeTable, info) || TBookMarkDlg::Find(info);
}

int TDetectorTypeDlg::StartingType() const {
  const TDetectorParameters *parameters = GetDetectorParameters();
  const int type = parameters != nullptr ? parameters->detectorType : kDetectorNone;
  return InList(type) && models[type] != nullptr ? type : kDetectorNone;
}

void TDetectorTypeDlg::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  current = StartingType();
  if (TDetectorParameters *parameters = GetDetectorParameters()) parameters->detectorType = current;
  for (TWindow *model : models)
    if (model != nullptr) {
      if (!model->IsWindow()) model->Create();
      model->ShowWindow(SW_HIDE);
    }
  if (TWindow *shown = Dialog(current)) shown->ShowWindow(SW_SHOW);
  for (const char *text : kTypeTexts) typeList->AddString(text);
  SelectInList(current);
}

TWindow *TDetectorTypeDlg::Dialog(int type) { return InList(type) ? models[type] : nullptr; }

TTestObject *TDetectorTypeDlg::Model(int type) { return dynamic_cast<TTestObject *>(Dialog(type)); }

TTestObject *TDetectorTypeDlg::CurrentModel() { return Model(current); }

void TDetectorTypeDlg::SelectInList(int type) {
  if (typeList->GetHandle() != nullptr) typeList->SetSelIndex(type);
}

int TDetectorTypeDlg::ReadParameters() {
  // "Matrix & Transformer" has no values of its own: the matrix and the optical
  // transformer it combines take theirs through it, though neither page is shown.
  if (TTestObject *model = CurrentModel()) model->ReadParameters();
  return 1;
}

int TDetectorTypeDlg::ShowParameters() {
  if (TTestObject *model = CurrentModel()) model->ShowParameters();
  return 1;
}

int TDetectorTypeDlg::EnterPage() {
  ShowParameters();
  return 1;
}

int TDetectorTypeDlg::LeavePage() {
  ReadParameters();
  return 1;
}

void TDetectorTypeDlg::CbnSelChange() {
  const int selected = typeList->GetSelIndex();
  if (ChooseType(selected) == 0) SelectInList(current);
}

int TDetectorTypeDlg::ChooseType(int type) {
  if (!InList(type)) return 0;
  // The model being left keeps what its dialog shows.
  ReadParameters();
  if (type == current) {
    SelectInList(current);
    return 1;
  }
  if (TWindow *left = Dialog(current); left != nullptr && left->IsWindow()) left->ShowWindow(SW_HIDE);
  current = type;
  if (TWindow *shown = Dialog(current); shown != nullptr && shown->IsWindow()) shown->ShowWindow(SW_SHOW);
  SelectInList(current);
  if (TDetectorParameters *parameters = GetDetectorParameters()) parameters->detectorType = current;
  ShowParameters();
  if (detectorPage_ != nullptr) detectorPage_->DetectorTypeChanged(current);
  return 1;
}
