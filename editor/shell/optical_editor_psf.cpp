// The editor's PSF and MTF window: a modeless toggle on the frame, refused for a system
// without an image side or with light pipes, and kept closed while image synthesis is
// open. The folder may be asked to close while its computation pumps the messages: it
// then goes once the computation is back, and tells the editor, which deletes it later.

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/legend/view_indication_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"

// The editor's table tells the windows' goings apart by their ids alone.
static_assert(CM_PSF_FOLDER_DESTROYED != CM_PROPERTIES_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_SPOT_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_ABERRATIONS_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_LEGEND_DESTROYED,
              "the PSF window's notice needs an id of its own");

void TOpticalEditor::CmPsfMtf() {
  DeleteRetiredWindows();
  if (psf_ != nullptr) {
    // As the user's Cancel: at once, or after the running computation.
    psf_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  } else if (AnalysisRefused()) {
    // The beep is given.
  } else if (system_.info.EnablePipe != 0 || synthesisOpen_) {
    MessageBeep(MB_SIMPLEBEEP);
  } else {
    psf_ = new TShowPSFFolder(this, &system_);
    if (!psf_->Create()) {
      delete psf_;
      psf_ = nullptr;
    } else {
      psf_->ShowWindow(SW_SHOW);
    }
  }
  UpdateMenus();
}

void TOpticalEditor::PsfFolderDestroyed(WPARAM, LPARAM window) {
  if (psf_ == nullptr || reinterpret_cast<TWindow *>(window) != psf_) return;
  retired_.push_back(psf_);
  psf_ = nullptr;
  UpdateMenus();
}

void TOpticalEditor::ClosePsfFolder() {
  TShowPSFFolder *window = psf_;
  if (window == nullptr) return;
  if (window->Page() != nullptr && window->Page()->Computing()) {
    // Its computation is on the stack below: it closes when that is back.
    window->SendMessage(WM_COMMAND, IDCANCEL, 0);
    return;
  }
  psf_ = nullptr;
  window->Destroy(IDCANCEL);
  delete window;
}

void TOpticalEditor::RefreshPsfFolder() {
  if (psf_ != nullptr && psf_->GetHandle() != nullptr) psf_->Reset();
}
