// The editor's Image Synthesis command: the folder opens modeless on the edited system and
// the same command closes it. While it is open its tool button stays pressed and the PSF
// and MTF window is shut; every change of the system marks its image to be computed anew.
// A folder whose synthesis is running closes only after a Cancel has stopped it.

#include "analysis/psf/show_psf.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/test_object_folder.h"

static_assert(CM_SYNTHESIS_FOLDER_DESTROYED != CM_PSF_FOLDER_DESTROYED,
              "the synthesis folder's notice needs an id of its own");

void TOpticalEditor::CmImageSynthesis() {
  DeleteRetiredWindows();
  if (synthesis_ != nullptr) {
    // As the folder's own Cancel: it stops a running synthesis, or closes.
    synthesis_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  } else if (system_.SurfaceCount() < 2 || queue_.BusyCount() > 0 || psf_ != nullptr ||
             system_.options.lensAnimationRunning != 0 ||
             system_.options.beamAnimationRunning != 0 || system_.info.EnablePipe != 0) {
    MessageBeep(static_cast<UINT>(-1));
  } else {
    synthesis_ = new TTestObjectFolder(this, &system_,
                                       [this] { SendMessage(WM_COMMAND, CM_REFRESH, 0); });
    if (!synthesis_->Create()) {
      delete synthesis_;
      synthesis_ = nullptr;
    } else {
      synthesis_->ShowWindow(SW_SHOW);
    }
  }
  synthesisOpen_ = synthesis_ != nullptr;
  UpdateMenus();
}

void TOpticalEditor::SynthesisFolderDestroyed(WPARAM, LPARAM window) {
  if (synthesis_ == nullptr || reinterpret_cast<TWindow *>(window) != synthesis_) return;
  retired_.push_back(synthesis_);
  synthesis_ = nullptr;
  synthesisOpen_ = false;
  UpdateMenus();
}

void TOpticalEditor::CloseSynthesisFolder() {
  TTestObjectFolder *window = synthesis_;
  if (window == nullptr) return;
  if (window->Busy()) {
    // The synthesis is on the stack below: it stops now, and the window goes later.
    window->SendMessage(WM_COMMAND, IDCANCEL, 0);
    return;
  }
  window->Destroy(IDCANCEL);
  if (synthesis_ == window) {
    synthesis_ = nullptr;
    synthesisOpen_ = false;
    delete window;
  } else {
    // Its notice has put it among the retired windows.
    DeleteRetiredWindows();
  }
}

void TOpticalEditor::RefreshSynthesisFolder() {
  if (synthesis_ != nullptr && synthesis_->GetHandle() != nullptr) synthesis_->ResetCalculated();
}

bool TOpticalEditor::CloseSynthesisForNewSystem() {
  if (synthesis_ == nullptr) return true;
  if (synthesis_->Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return false;
  }
  CloseSynthesisFolder();
  synthesisOpen_ = synthesis_ != nullptr;
  UpdateMenus();
  return synthesis_ == nullptr;
}

int TOpticalEditor::SaveEditedSystem(const std::string &fileName) {
  if (synthesis_ != nullptr) return synthesis_->SaveSystemWithItsOwnSettings(fileName);
  return system_.Save(fileName);
}
