#include "synthesis/detectors/detector_noise_dlg.h"

#include "imaging/testobject/detector_parameters.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/list_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr int kEditCapacity = 5;

const TDialogTemplate kDetectorNoiseTemplate{
    "T_DetectorNoiseDlg", WS_CHILD | WS_CAPTION, 0, 0, 156, 106, "Detector noise",
    {
        {"BUTTON", " Noise ", 0, BS_GROUPBOX, 4, 4, 148, 56},
        {"STATIC", "Type:", 0, SS_LEFT, 12, 20, 56, 9},
        {"COMBOBOX", "", kNoiseKindList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 72, 18, 70, 40},
        {"STATIC", "Noise/ Signal:", 0, SS_LEFT, 12, 40, 56, 9},
        {"EDIT", "", kNoiseLevelEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 72, 38, 70, 12},
    }};
const TDialogRegistration kDetectorNoiseRegistration(kDetectorNoiseTemplate);

const TDialogTemplate kDetectorFilterTemplate{
    "T_DetectorFilterDlg", WS_CHILD | WS_CAPTION, 0, 0, 156, 106, "Detector filter",
    {
        {"STATIC", "Typical electrical filters", 0, SS_LEFT, 4, 4, 70, 9},
        {"LISTBOX", "", kTypicalFilterList, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 4, 14, 64, 50},
        {"BUTTON", "+", kAddFilterButton, BS_PUSHBUTTON | WS_TABSTOP, 72, 24, 12, 12},
        {"BUTTON", "-", kRemoveFilterButton, BS_PUSHBUTTON | WS_TABSTOP, 72, 40, 12, 12},
        {"STATIC", "Chosen filters", 0, SS_LEFT, 88, 4, 64, 9},
        {"LISTBOX", "", kChosenFilterList, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 88, 14, 64, 50},
        {"STATIC", "Constants", 0, SS_LEFT, 4, 70, 64, 9},
        {"EDIT", "", kFilterConstantsEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 4, 80, 148, 12},
    }};
const TDialogRegistration kDetectorFilterRegistration(kDetectorFilterTemplate);

const TResponseTableEntry kDetectorNoiseTable[] = {
    EvMessage<WM_DESTROY, &TDetectorNoiseDlg::EvDestroy>(),
    EvChildNotify<&TDetectorNoiseDlg::CbnSelChange>(kNoiseKindList, CBN_SELCHANGE),
};

const TResponseTableEntry kDetectorFilterTable[] = {
    EvCommand<&TDetectorFilterDlg::CmAddFilter>(kAddFilterButton),
    EvCommand<&TDetectorFilterDlg::CmRemoveFilter>(kRemoveFilterButton),
};

constexpr const char *kNoiseKinds[] = {"None", "White"};
constexpr const char *kTypicalFilters[] = {"Aperiodical", "Differential", "Integro-differential"};

}  // namespace

TDetectorNoiseDlg::TDetectorNoiseDlg(TWindow *folder, TDetectorSynthesisOwner *owner)
    : TBookMarkDlg(folder, "T_DetectorNoiseDlg"),
      kindList(new TComboBox(this, kNoiseKindList)),
      owner_(owner) {
  if (TDetectorParameters *parameters = GetDetectorParameters()) {
    edits_ = new TMultiEdit(this, kEditCapacity);
    edits_->AddEdit(kNoiseLevelEdit, &parameters->noiseLevel, 'f', "%g");
  }
}

TDetectorNoiseDlg::~TDetectorNoiseDlg() { delete edits_; }

bool TDetectorNoiseDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kDetectorNoiseTable, info) || TBookMarkDlg::Find(info);
}

void TDetectorNoiseDlg::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  if (edits_ != nullptr) {
    edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
    edits_->WriteAll();
  }
  for (const char *kind : kNoiseKinds) kindList->AddString(kind);
  const TDetectorParameters *parameters = GetDetectorParameters();
  const int kind = parameters != nullptr ? parameters->noiseKind : kNoiseNone;
  kindList->SetSelIndex(kind == kNoiseWhite ? kNoiseWhite : kNoiseNone);
}

void TDetectorNoiseDlg::EvDestroy() {
  // The record the edit is bound to may go before this page object does.
  delete edits_;
  edits_ = nullptr;
  DefaultProcessing();
}

int TDetectorNoiseDlg::ReadParameters() {
  TDetectorParameters *parameters = GetDetectorParameters();
  if (edits_ == nullptr || parameters == nullptr || GetHandle() == nullptr) return 1;
  const float former = parameters->noiseLevel;
  edits_->ReadAll();
  // Even without a detector the next picture must carry the new noise.
  if (parameters->noiseLevel != former && owner_ != nullptr) owner_->DetectorChanged();
  return 1;
}

int TDetectorNoiseDlg::ShowParameters() {
  if (edits_ != nullptr && GetHandle() != nullptr) edits_->WriteAll();
  return 1;
}

int TDetectorNoiseDlg::EnterPage() {
  ShowParameters();
  return 1;
}

int TDetectorNoiseDlg::LeavePage() {
  ReadParameters();
  return 1;
}

void TDetectorNoiseDlg::CbnSelChange() {
  TDetectorParameters *parameters = GetDetectorParameters();
  const int selected = kindList->GetSelIndex();
  if (parameters == nullptr || selected < 0 || parameters->noiseKind == selected) return;
  parameters->noiseKind = selected;
  if (owner_ != nullptr) owner_->DetectorChanged();
}

TDetectorFilterDlg::TDetectorFilterDlg(TWindow *folder)
    : TBookMarkDlg(folder, "T_DetectorFilterDlg"),
      typicalList(new TListBox(this, kTypicalFilterList)),
      chosenList(new TListBox(this, kChosenFilterList)) {}

bool TDetectorFilterDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kDetectorFilterTable, info) || TBookMarkDlg::Find(info);
}

void TDetectorFilterDlg::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  for (const char *filter : kTypicalFilters) typicalList->AddString(filter);
}

void TDetectorFilterDlg::CmAddFilter() {
  const int selected = typicalList->GetSelIndex();
  if (selected < 0) return;
  const std::string text = typicalList->GetString(selected);
  chosenList->AddString(text.c_str());
  chosenList->SetSelIndex(chosenList->GetCount() - 1);
}

void TDetectorFilterDlg::CmRemoveFilter() {
  const int selected = chosenList->GetSelIndex();
  if (selected < 0) return;
  chosenList->DeleteString(selected);
  const int count = chosenList->GetCount();
  if (count > 0) chosenList->SetSelIndex(selected < count ? selected : count - 1);
}
