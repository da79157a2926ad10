// The editor's analysis windows: the aberrations window and the spot diagram, each a
// modeless toggle on the frame, kept by one pointer that the window's own closing clears;
// the whole-system operations (turning the system, the plane of best installation) and
// the help.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/narcissus/narciss_dlg.h"
#include "analysis/spot/spot_diagram.h"
#include "synthesis/folder/test_object_folder.h"
#include "editor/dialogs/preferences_folder.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/bars/cursors.h"
#include "toolkit/help/win_help.h"

namespace {

// An analysis needs an object side and an image side.
constexpr int kAnalysisSurfaceMinimum = 2;
constexpr const char *kExamplesHelpName = "examples.hlp";
constexpr std::uintptr_t kExamplesContext = 3060;

}  // namespace

bool TOpticalEditor::AnalysisRefused() const {
  if (system_.SurfaceCount() >= kAnalysisSurfaceMinimum) return false;
  MessageBeep(MB_SIMPLEBEEP);
  return true;
}

void TOpticalEditor::DeleteRetiredWindows() {
  for (TWindow *window : retired_) delete window;
  retired_.clear();
}

void TOpticalEditor::CloseAberrations() {
  TShowEasyAberrationsDlg *window = aberrations_;
  if (window == nullptr) return;
  aberrations_ = nullptr;
  window->Destroy(IDCANCEL);
  delete window;
}

void TOpticalEditor::CloseSpotDiagram() {
  TSpotDiagram *window = spot_;
  if (window == nullptr) return;
  spot_ = nullptr;
  // Its going stores its place and scale into the editor's spot settings.
  window->ShowWindow(SW_HIDE);
  window->Destroy(IDCANCEL);
  delete window;
}

void TOpticalEditor::CmAberrations() {
  DeleteRetiredWindows();
  if (aberrations_ != nullptr) {
    CloseAberrations();
  } else if (!AnalysisRefused()) {
    aberrations_ = new TShowEasyAberrationsDlg(this, &system_, SettingsPath());
    if (!aberrations_->Create()) {
      delete aberrations_;
      aberrations_ = nullptr;
    } else {
      // Its template leaves it hidden, as every modeless window until shown.
      aberrations_->ShowWindow(SW_SHOW);
    }
  }
  UpdateMenus();
}

void TOpticalEditor::CmSpotDiagram() {
  DeleteRetiredWindows();
  if (spot_ != nullptr) {
    CloseSpotDiagram();
  } else if (!AnalysisRefused()) {
    spot_ = new TSpotDiagram(this, &system_, &settings_.spot);
    if (!spot_->Create()) {
      delete spot_;
      spot_ = nullptr;
    } else {
      spot_->ShowWindow(SW_SHOW);
    }
  }
  UpdateMenus();
}

void TOpticalEditor::CmNarcissus() {
  if (AnalysisRefused()) return;
  const std::string refusal = DefaultNarcissusParameters(system_, narcissus_);
  if (!refusal.empty()) {
    MessageBox(GetHandle(), refusal.c_str(), kNarcissCaption, MB_OK);
    return;
  }
  // The analysis runs from the detector out: a system imaging an object at infinity is
  // turned round on the copy, never on the edited system.
  auto copy = std::make_unique<TSystemImage>();
  copy->Assign(system_, 0);
  const int turned = system_.info.ObjectFinite == 0 && system_.info.ImageFinite != 0 ? 1 : 0;
  if (turned != 0) {
    copy->ForEachConfiguration();
    copy->Update();
    // A turn that could not be made (its work file not written) leaves the object at
    // infinity: the analysis would run the wrong way round.
    if (copy->info.ObjectFinite == 0) {
      MessageBox(GetHandle(), "System error...", kNarcissCaption, MB_OK);
      return;
    }
  }
  narcissus_.scannerSurface = copy->SurfaceCount() - 1;
  TNarcissDlg dialog(this, copy.get(), &narcissus_, turned);
  dialog.Execute();
  UpdateMenus();
}

void TOpticalEditor::AberrationsDestroyed(WPARAM, LPARAM window) {
  // A window the editor closes itself is let go of before it goes.
  if (aberrations_ == nullptr || reinterpret_cast<TWindow *>(window) != aberrations_) return;
  retired_.push_back(aberrations_);
  aberrations_ = nullptr;
  UpdateMenus();
}

void TOpticalEditor::SpotDestroyed(WPARAM, LPARAM window) {
  if (spot_ == nullptr || reinterpret_cast<TWindow *>(window) != spot_) return;
  retired_.push_back(spot_);
  spot_ = nullptr;
  UpdateMenus();
}

void TOpticalEditor::RefreshAnalyses(bool renewLabels) {
  RefreshProperties();  // the system's properties
  // A system left without an image side has nothing to show: its windows close.
  if (system_.SurfaceCount() < kAnalysisSurfaceMinimum) {
    CloseAberrations();
    CloseSpotDiagram();
    ClosePsfFolder();
    CloseSynthesisFolder();
    UpdateMenus();
    return;
  }
  // The PSF and MTF window and image synthesis compute anew at their next request.
  RefreshPsfFolder();
  RefreshSynthesisFolder();
  if (aberrations_ != nullptr && aberrations_->GetHandle() != nullptr) {
    if (renewLabels) aberrations_->UpdateLabels();
    aberrations_->Recalculate();
  }
  if (spot_ != nullptr && spot_->GetHandle() != nullptr) spot_->Recalculate();
}

void TOpticalEditor::CloseAnalyses() {
  CloseProperties(true);  // the system's properties
  CloseAberrations();
  CloseSpotDiagram();
  ClosePsfFolder();
  CloseSynthesisFolder();
  DeleteRetiredWindows();
}

void TOpticalEditor::CmTurnSystem() {
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  // Every configuration turns round; a second turn brings the system back.
  system_.ForEachConfiguration();
  system_.Update();
  system_.RebuildElements(nullptr);
  system_.SaveUndo("Turn system");
  // The canvas shows the turned lens at once.
  ShowSystem();
  RefreshAnalyses(true);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  UpdateMenus();
  UpdateCaption();
}

void TOpticalEditor::CmBestImagePlane() {
  if (AnalysisRefused()) return;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  // The fields of the system's own list, the axis when it has none.
  system_.AutoFocus(nullptr, nullptr);
  system_.SetModified(1);
  system_.Update();
  ShowSystem();
  RefreshAnalyses();
  system_.SaveUndo("Plane of best installation");
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  UpdateMenus();
  UpdateCaption();
}

void TOpticalEditor::CmHelpContents() { WinHelp(GetHandle(), helpFile_.c_str(), HELP_CONTENTS, 0); }

void TOpticalEditor::CmExamples() {
  const std::string directory = std::filesystem::path(helpFile_).parent_path().string();
  const std::string examples = JoinPath(directory, kExamplesHelpName);
  WinHelp(GetHandle(), examples.c_str(), HELP_CONTEXT, kExamplesContext);
}

void TOpticalEditor::CmSettings() {
  LeaveZoomMode();
  TPreferencesFolder preferences(this, &system_, 0);
  const int answer = preferences.Execute();
  // Drawn again only when there is a view to draw in.
  if (answer == IDOK && system_.viewWindow.xTo > 0.0 && system_.viewWindow.yTo > 0.0) ShowSystem();
  UpdateMenus();
}
