#include "synthesis/detectors/test_detector.h"

#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/test_object.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/detector_noise_dlg.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/detector_scanner_dlg.h"
#include "synthesis/detectors/detector_type_dlg.h"

namespace {

// The page has the size of the folder's other pages; the inner folder fills its left part
// and the two buttons stand at its right.
const TDialogTemplate kDetectorPageTemplate{
    "T_DetectorFolder", WS_CHILD | WS_CAPTION, 0, 0, 220, 130, "Detector folder",
    {
        {"BUTTON", "Map", kDetectorMapButton, BS_PUSHBUTTON | WS_TABSTOP, 170, 40, 44, 14},
        {"BUTTON", "3D Plot", kDetector3DPlotButton, BS_PUSHBUTTON | WS_TABSTOP, 170, 60, 44, 14},
    }};
const TDialogRegistration kDetectorPageRegistration(kDetectorPageTemplate);

// Its page area starts below the row of tabs the pages' caption bands show.
const TDialogTemplate kDetectorFolderTemplate{
    "T_DetectorParametersFolder", WS_CHILD | WS_VISIBLE, 2, 2, 162, 126, "",
    {
        {"STATIC", "", kPageAreaId, SS_LEFT, 2, 4, 156, 118},
    }};
const TDialogRegistration kDetectorFolderRegistration(kDetectorFolderTemplate);

const TResponseTableEntry kTestDetectorTable[] = {
    EvMessage<WM_DESTROY, &TTestDetector::EvDestroy>(),
    EvCommand<&TTestDetector::CmMap>(kDetectorMapButton),
    EvCommand<&TTestDetector::Cm3DPlot>(kDetector3DPlotButton),
};

}  // namespace

TTestDetectorFolder::TTestDetectorFolder(TTestDetector *page, TDetectorSynthesisOwner *owner)
    : TBookMarkFolder(page, "T_DetectorParametersFolder", kPageAreaId, 1),
      typePage(new TDetectorTypeDlg(this, page, owner)),
      noisePage(new TDetectorNoiseDlg(this, owner)),
      filterPage(new TDetectorFilterDlg(this)),
      scannerPage(new TDetectorScannerDlg(this, owner)) {
  AddPage(typePage, "   Type  ");
  AddPage(noisePage, "  Noise  ");
  AddPage(filterPage, "  Filter ");
  AddPage(scannerPage, " Scanner ");
}

void TTestDetectorFolder::SetupWindow() {
  TBookMarkFolder::SetupWindow();
  // The filter kinds are offered but not modelled: their tab is never selectable.
  filterPage->SetPageEnabled(0);
  EnableScannerPage(typePage->CurrentType());
}

void TTestDetectorFolder::EnableScannerPage(int type) {
  scannerPage->SetPageEnabled(DetectorTypeScans(type) ? 1 : 0);
}

int TTestDetectorFolder::ReadParameters() {
  const int type = typePage->ReadParameters();
  const int noise = noisePage->ReadParameters();
  const int filter = filterPage->ReadParameters();
  const int scanner = scannerPage->ReadParameters();
  return type != 0 && noise != 0 && filter != 0 && scanner != 0 ? 1 : 0;
}

int TTestDetectorFolder::ShowParameters() {
  const int type = typePage->ShowParameters();
  const int noise = noisePage->ShowParameters();
  const int filter = filterPage->ShowParameters();
  const int scanner = scannerPage->ShowParameters();
  return type != 0 && noise != 0 && filter != 0 && scanner != 0 ? 1 : 0;
}

TTestDetector::TTestDetector(TWindow *folder, TDetectorSynthesisOwner *owner)
    : TBookMarkDlg(folder, "T_DetectorFolder"), owner_(owner) {
  // The record comes first: the noise page binds its edit to it.
  if (GetDetectorParameters() == nullptr) {
    ownParameters_ = new TDetectorParameters;
    SetDetectorParameters(ownParameters_);
  }
  folder_ = new TTestDetectorFolder(this, owner);
}

TTestDetector::~TTestDetector() {
  // A page whose window never came still gives back the record it made.
  if (ownParameters_ != nullptr && GetDetectorParameters() == ownParameters_) SetDetectorParameters(nullptr);
  delete ownParameters_;
}

bool TTestDetector::Find(TEventInfo &info) {
  return SearchResponseTable(kTestDetectorTable, info) || TBookMarkDlg::Find(info);
}

void TTestDetector::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  if (!folder_->IsWindow()) folder_->Create();
}

int TTestDetector::ReadParameters() { return folder_->ReadParameters(); }

int TTestDetector::ShowParameters() { return folder_->ShowParameters(); }

TTestObject *TTestDetector::CurrentModel() { return folder_->TypePage()->CurrentModel(); }

int TTestDetector::CalculateModel() {
  if (ReadParameters() == 0) return 0;
  TTestObject *model = CurrentModel();
  return model != nullptr ? model->Calculate() : 0;
}

int TTestDetector::DetectorType() const { return folder_->TypePage()->CurrentType(); }

TTestObject *TTestDetector::Model(int type) { return folder_->TypePage()->Model(type); }

int TTestDetector::ChooseDetectorType(int type) { return folder_->TypePage()->ChooseType(type); }

void TTestDetector::DetectorTypeChanged(int type) {
  ShowDetectorTabColor();
  folder_->EnableScannerPage(type);
  if (owner_ != nullptr) owner_->DetectorChanged();
}

void TTestDetector::PrepareScan() {
  if (DetectorTypeScans(DetectorType())) folder_->ScannerPage()->SimulateScanning();
}

void TTestDetector::ShowDetectorTabColor() {
  TBookMarkFolder *outer = Folder();
  if (outer == nullptr) return;
  outer->SetPageColors(this, DetectorType() != 0 ? kDetectorChosenTabColor : 0, 0);
  if (outer->IsWindow()) outer->PaintTabs();
}

void TTestDetector::CmMap() {
  if (CalculateModel() != 0) CurrentModel()->ShowColorImage();
}

void TTestDetector::Cm3DPlot() {
  if (CalculateModel() != 0) CurrentModel()->ShowGraph();
}

int TTestDetector::LeavePage() {
  if (ReadParameters() == 0) return 0;
  if (folder_ != nullptr && folder_->ScannerPage() != nullptr) folder_->ScannerPage()->CloseTrackWindow();
  return 1;
}

void TTestDetector::EvDestroy() {
  // The pages go before the record their edits are bound to.
  if (folder_->IsWindow()) folder_->Destroy(IDCANCEL);
  if (ownParameters_ != nullptr && GetDetectorParameters() == ownParameters_) SetDetectorParameters(nullptr);
  delete ownParameters_;
  ownParameters_ = nullptr;
  DefaultProcessing();
}
