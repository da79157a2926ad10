// The folder's Cancel and clean-up, the colour mode a picture window sends, the settings
// commands and the window's going.

#include "document/system/system_image.h"
#include "foundation/helpers/file_list.h"
#include "imaging/color/color_image.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "toolkit/pump/o_gauge.h"

namespace {

constexpr int kFolderColorMode = 17;

void DeleteMatching(const std::string &directory, const char *mask) {
  // Without a private temporary directory there are no work files; an empty name would
  // be the directory the program was started in.
  if (directory.empty()) return;
  Mem<STRING> files;
  const int count = ListFiles(directory, mask, files);
  for (int i = 0; i < count; ++i) DeleteFileIfExists(files.data[i]);
}

}  // namespace

void TTestObjectFolder::DeleteWorkFiles() {
  // Only the program's own temporary directory: rasters the user keeps elsewhere stay.
  DeleteMatching(TempDir(), "*.spc");
  DeleteMatching(TempDir(), "*.img");
  // What each detector response was made from, beside it.
  DeleteMatching(TempDir(), "*.img.from");
}

void TTestObjectFolder::CloseAndCleanup() {
  if (Busy()) {
    // The running synthesis sees the cleared count at its next pump and stops; the folder
    // stays until it is back (a second Cancel closes it).
    if (psfPage_ != nullptr && psfPage_->Computing()) psfPage_->Stop();
    gauge_->Leave(1);
    gauge_->SetPosition(0.0);
    gauge_->Pump();
    MessageBox(GetHandle(), "Process is canceled by user!", "Warning", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (SharedPsfGauge() == gauge_) SetSharedPsfGauge(nullptr);
  if (objectPage_ != nullptr) objectPage_->HidePictureWindows();
  if (TTestImage *shared = GetTestImage()) {
    shared->colorMode = kFolderColorMode;
    if (shared->colorImage != nullptr) shared->colorImage->Clear();
  }
  // The results, the rasters of every page and their spectra.
  DeleteWorkFiles();
  WriteSettings(std::string());
  TBookMarkFolder::CmCancel();
}

LRESULT TTestObjectFolder::SetColorMode(WPARAM mode, LPARAM) {
  const int word = static_cast<int>(mode);
  if (settingsPage_ != nullptr) settingsPage_->ShowColorMode(word);
  if (TTestImage *shared = GetTestImage()) shared->colorMode = word;
  return 1;
}

void TTestObjectFolder::EvDestroy() {
  GiveBackBorrowedSettings();
  DeleteWorkFiles();
  if (TTestImage *shared = GetTestImage()) {
    if (ownsTestImage_) {
      SetTestImage(nullptr);
      delete shared;
      ownsTestImage_ = false;
    } else if (shared->folderWindow == GetHandle()) {
      shared->folderWindow = nullptr;
    }
  }
  if (SharedPsfGauge() == gauge_) SetSharedPsfGauge(nullptr);
  if (current_ == this) current_ = nullptr;
  if (objectPage_ != nullptr) objectPage_->Release();
  if (detectorPage_ != nullptr) detectorPage_->Release();
  objectPage_ = nullptr;
  detectorPage_ = nullptr;
  if (TWindow *parentWindow = GetParentO())
    parentWindow->SendMessage(WM_COMMAND, CM_SYNTHESIS_FOLDER_DESTROYED, reinterpret_cast<LPARAM>(this));
  TBookMarkFolder::EvDestroy();
}
