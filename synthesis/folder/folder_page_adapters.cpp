#include "synthesis/folder/folder_page_adapters.h"

#include "document/system/animation_hold.h"
#include "document/system/system_image.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/dialogs/dialog.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tti_pages.h"
#include "synthesis/lightsource/light_source_choose_dlg.h"
#include "synthesis/nonisoplanar/folder_nonisoplanar.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/test_object_graphs.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

class TObjectParentPage final : public TSynthesisObjectPage {
 public:
  explicit TObjectParentPage(TTestObjectParent *page) : page_(page) {}
  TWindow *PageWindow() override { return page_; }
  int ReadObjectSize() override { return page_->ReadObjectSize(); }
  void ShowObjectSize() override { page_->ShowObjectSize(); }
  TTestObject *CurrentObject() override { return page_->CurrentObject(); }
  int CurrentType() const override { return page_->currentType; }
  // The page keeps the size it reads in the shared record itself.
  double SizeInChosenUnit() override {
    const TTestImage *shared = GetTestImage();
    return shared != nullptr ? shared->ObjectSize : 0.0;
  }
  int MayLeave() override { return page_->LeavePage(); }
  void TakeFields() override {
    page_->WriteEdits();
    page_->ReadObjectSize();
  }
  void PixelCountChanged() override {
    TCustomObject *custom = page_->CustomObject();
    if (custom != nullptr && page_->currentType == kObjectCustom) custom->PlaceSelection();
  }
  void HidePictureWindows() override {
    TCustomObject *custom = page_->CustomObject();
    if (custom == nullptr) return;
    if (custom->backgroundWindow != nullptr && custom->backgroundWindow->GetHandle() != nullptr)
      custom->backgroundWindow->ShowWindow(SW_HIDE);
    if (custom->objectWindow != nullptr && custom->objectWindow->GetHandle() != nullptr)
      custom->objectWindow->ShowWindow(SW_HIDE);
  }
  std::string LightSourceFile() override {
    return page_->LightSource() != nullptr ? page_->LightSource()->SourceFile() : std::string();
  }
  void TakeTtiSettings(TTtiSettings &values) override { TakeObjectTti(*page_, values); }
  void PutTtiSettings(const TTtiSettings &values, unsigned sections) override {
    PutObjectTti(*page_, values, sections);
  }
  void PutDefaultTtiSettings() override { PutObjectTtiDefaults(*page_); }
  void Release() override { delete this; }

 private:
  TTestObjectParent *page_;
};

class TTestDetectorPage final : public TSynthesisDetectorPage {
 public:
  explicit TTestDetectorPage(TTestDetector *page) : page_(page) {}
  TWindow *PageWindow() override { return page_; }
  void ReadParameters() override { page_->ReadParameters(); }
  void ShowParameters() override { page_->ShowParameters(); }
  TTestObject *CurrentModel() override { return page_->CurrentModel(); }
  void PrepareScan() override { page_->PrepareScan(); }
  void FolderReady() override { page_->ShowDetectorTabColor(); }
  void TakeTtiSettings(TTtiSettings &values) override { TakeDetectorTti(*page_, values); }
  void PutTtiSettings(const TTtiSettings &values, unsigned sections) override {
    PutDetectorTti(*page_, values, sections);
  }
  void PutDefaultTtiSettings() override { page_->ChooseDetectorType(0); }
  void Release() override { delete this; }

 private:
  TTestDetector *page_;
};

}  // namespace

TSynthesisObjectPage *MakeObjectParentPage(TTestObjectFolder &folder) {
  return new TObjectParentPage(new TTestObjectParent(&folder, folder.ObjectOwner()));
}

TSynthesisDetectorPage *MakeTestDetectorPage(TTestObjectFolder &folder) {
  return new TTestDetectorPage(new TTestDetector(&folder, folder.DetectorOwner()));
}

TOpticalSystem *TFolderObjectOwner::System() { return folder_.System(); }

bool TFolderObjectOwner::Computing() { return folder_.Busy(); }

void TFolderObjectOwner::UpdateImageSize() { folder_.UpdateImageSize(); }

void TFolderObjectOwner::UpdateObjectSize() { folder_.UpdateObjectSize(); }

void TFolderObjectOwner::ObjectDistanceChanged() {
  // The moved system's magnification and pupils, before the page converts the object's
  // size to the image field by them.
  if (folder_.System() != nullptr) folder_.System()->Prepare(0.0, 1, 1);
  folder_.ForgetSystemResults();
}

void TFolderObjectOwner::SaveUndo(const std::string &label) {
  if (folder_.System() != nullptr) folder_.System()->SaveUndo(label);
}

bool TFolderObjectOwner::SystemHeldByRun() {
  return folder_.System() != nullptr && AnimationRuns(folder_.System()->options);
}

void TFolderObjectOwner::RefreshViews() {
  // The editor redraws every view of the system (and tells this folder so).
  folder_.RefreshViews();
}

void TFolderObjectOwner::ObjectTypeChanged() {
  folder_.state = kNothingComputed;
  if (folder_.SettingsPage() != nullptr) folder_.SettingsPage()->state = kNothingComputed;
}

void TFolderObjectOwner::SetPsfPageEnabled(bool enabled) {
  if (folder_.PsfPage() != nullptr) folder_.PsfPage()->SetPageEnabled(enabled ? 1 : 0);
}

void TFolderObjectOwner::SetViewButtonsEnabled(bool enabled) {
  if (folder_.GetHandle() == nullptr) return;
  EnableDlgItem(folder_.GetHandle(), kFolderColorButton, enabled ? 1 : 0);
  // "3D" stays off for a system without surfaces to plot through.
  const bool plot = enabled && folder_.System() != nullptr && folder_.System()->SurfaceCount() >= 3;
  EnableDlgItem(folder_.GetHandle(), kFolder3DButton, plot ? 1 : 0);
}

TOGauge *TFolderObjectOwner::ProgressGauge() { return folder_.Gauge(); }

void TFolderObjectOwner::ShowProgress(bool shown) {
  if (folder_.GetHandle() == nullptr) return;
  if (shown && !stretched_) {
    normalPlace_ = folder_.GetWindowRect();
    stretched_ = true;
    StretchWindowToMarker(folder_, kFolderProgressMarker);
  } else if (!shown && stretched_) {
    stretched_ = false;
    folder_.SetWindowPos(nullptr, 0, 0, normalPlace_.right - normalPlace_.left,
                         normalPlace_.bottom - normalPlace_.top, SWP_NOMOVE | SWP_NOZORDER);
  }
}

void TFolderDetectorOwner::DetectorChanged() { folder_.state = kNothingComputed; }

bool TFolderDetectorOwner::ImageAtInfinity() {
  return folder_.System() != nullptr && folder_.System()->info.ImageFinite == 0;
}

TSystemImage *TFolderDetectorOwner::ScanSystem() { return folder_.System(); }

TScanAnimation *TFolderDetectorOwner::ScanAnimation() { return folder_.ScanAnimation(); }

bool TFolderDetectorOwner::ScanField(double &y, double &z) {
  const TTestPSF *psf = folder_.PsfPage();
  if (psf == nullptr) return false;
  y = psf->Y;
  z = psf->X;
  return true;
}

void TFolderDetectorOwner::RefreshViews() { folder_.RefreshViews(); }

void TFolderDetectorOwner::ReduceImageSize(double size) { folder_.ReduceImageSize(size); }

bool TFolderDetectorOwner::ObjectSizeForImageSize(double size, double &objectSize) {
  return folder_.ObjectSizeForField(size, objectSize);
}
