#include "editor/launchers/launcher_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/legend/view_indication_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/narcissus/narciss_dlg.h"
#include "analysis/spot/spot_diagram.h"
#include "synthesis/folder/test_object_folder.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "editor/dialogs/preferences_folder.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/settings/editor_settings.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/bars/cursors.h"
#include "toolkit/help/win_help.h"
#include "toolkit/pump/message_queue.h"

namespace {

// An analysis needs an object side and an image side.
constexpr int kAnalysisSurfaceMinimum = 2;
// A mirror of a smaller radius than this is plane: the scanner of a scanning system.
constexpr double kPlaneMirrorRadius = 0.0001;

// A command whose work files need the private temporary directory is refused without one,
// with the reason; true when refused.
bool RefusedForTemporaryDirectory(HWND owner) {
  if (!TempDir().empty()) return false;
  MessageBox(owner, TempDirProblem(), "Warning", MB_OK | MB_ICONEXCLAMATION);
  return true;
}

}  // namespace

// The editor's table tells the windows' goings apart by their ids alone.
static_assert(CM_PSF_FOLDER_DESTROYED != CM_PROPERTIES_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_SPOT_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_ABERRATIONS_DESTROYED &&
                  CM_PSF_FOLDER_DESTROYED != CM_LEGEND_DESTROYED,
              "the PSF window's notice needs an id of its own");
static_assert(CM_SYNTHESIS_FOLDER_DESTROYED != CM_PSF_FOLDER_DESTROYED,
              "the synthesis folder's notice needs an id of its own");

TLauncherCommands::TLauncherCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

bool TLauncherCommands::AnalysisRefused() const {
  if (frame_.System().SurfaceCount() >= kAnalysisSurfaceMinimum) return false;
  MessageBeep(MB_SIMPLEBEEP);
  return true;
}

void TLauncherCommands::CloseAberrations() {
  TShowEasyAberrationsDlg *window = aberrations_;
  if (window == nullptr) return;
  aberrations_ = nullptr;
  window->Destroy(IDCANCEL);
  delete window;
}

void TLauncherCommands::CloseSpotDiagram() {
  TSpotDiagram *window = spot_;
  if (window == nullptr) return;
  spot_ = nullptr;
  // Its going stores its place and scale into the editor's spot settings.
  window->ShowWindow(SW_HIDE);
  window->Destroy(IDCANCEL);
  delete window;
}

void TLauncherCommands::CmAberrations() {
  frame_.DeleteRetiredWindows();
  if (aberrations_ != nullptr) {
    CloseAberrations();
  } else if (!AnalysisRefused()) {
    aberrations_ = new TShowEasyAberrationsDlg(&window_, &frame_.System(), frame_.SettingsPath());
    if (!aberrations_->Create()) {
      delete aberrations_;
      aberrations_ = nullptr;
    } else {
      // Its template leaves it hidden, as every modeless window until shown.
      aberrations_->ShowWindow(SW_SHOW);
    }
  }
  frame_.UpdateMenus();
}

void TLauncherCommands::CmSpotDiagram() {
  frame_.DeleteRetiredWindows();
  if (spot_ != nullptr) {
    CloseSpotDiagram();
  } else if (!AnalysisRefused()) {
    spot_ = new TSpotDiagram(&window_, &frame_.System(), &frame_.Settings().spot);
    if (!spot_->Create()) {
      delete spot_;
      spot_ = nullptr;
    } else {
      spot_->ShowWindow(SW_SHOW);
    }
  }
  frame_.UpdateMenus();
}

void TLauncherCommands::CmNarcissus() {
  if (AnalysisRefused()) return;
  // The cold image the detector sees of itself needs an image on the detector.
  if (frame_.System().info.ImageFinite == 0) {
    MessageBeep(static_cast<UINT>(-1));
    MessageBox(window_.GetHandle(),
               "Narcissus effect can't be calculated for this system.\n           Image is not finite!\n",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // A working wavelength outside the infrared bands is reported; the dialog still opens,
  // on the long-wave band, where the user may type another.
  TNarcissusParameters defaults;
  const std::string doubt = DefaultNarcissusParameters(frame_.System(), defaults);
  if (!doubt.empty()) MessageBox(window_.GetHandle(), doubt.c_str(), kNarcissCaption, MB_OK);
  // The analysis runs from the detector out: a system imaging an object at infinity is
  // turned round on the copy, never on the edited system.
  auto copy = std::make_unique<TSystemImage>();
  copy->Assign(frame_.System(), 0);
  const int turned = frame_.System().info.ObjectFinite == 0 && frame_.System().info.ImageFinite != 0 ? 1 : 0;
  if (turned != 0) {
    if (RefusedForTemporaryDirectory(window_.GetHandle())) return;
    copy->ForEachConfiguration();
    copy->Update();
    // A turn that could not be made (its work file not written) leaves the object at
    // infinity: the analysis would run the wrong way round.
    if (copy->info.ObjectFinite == 0) {
      MessageBox(window_.GetHandle(), "System error...", kNarcissCaption, MB_OK);
      return;
    }
  }
  // The scanner: the first plane mirror of the system analysed, else the surface before
  // the last (the field shows it counted from 1).
  defaults.scannerSurface = std::max(0, copy->SurfaceCount() - 2);
  for (int i = 0; i < copy->SurfaceCount(); ++i) {
    const TGeneralParameters &g = copy->Surface(i)->general;
    if (g.materialKind != 0 && std::fabs(g.R) < kPlaneMirrorRadius) {
      defaults.scannerSurface = i;
      break;
    }
  }
  // The dialog opens with what it was last closed with. Another system (or one whose
  // surfaces changed in number) takes its own band and scanner; the temperatures, the
  // fraction and the scan angle stay, as they describe the detector and the scan.
  const TNarcissusRun run{frame_.System().name, copy->SurfaceCount()};
  if (!narcissusKept_) {
    narcissus_ = defaults;
  } else if (run.system != narcissusRun_.system || run.surfaces != narcissusRun_.surfaces) {
    narcissus_.lambdaMin = defaults.lambdaMin;
    narcissus_.lambdaMax = defaults.lambdaMax;
    narcissus_.scannerSurface = defaults.scannerSurface;
  }
  narcissusKept_ = true;
  narcissusRun_ = run;
  TNarcissDlg dialog(&window_, copy.get(), &narcissus_, turned);
  dialog.Execute();
  frame_.UpdateMenus();
}

void TLauncherCommands::AberrationsDestroyed(WPARAM, LPARAM window) {
  // A window the editor closes itself is let go of before it goes.
  if (aberrations_ == nullptr || reinterpret_cast<TWindow *>(window) != aberrations_) return;
  frame_.RetireWindow(aberrations_);
  aberrations_ = nullptr;
  frame_.UpdateMenus();
}

void TLauncherCommands::SpotDestroyed(WPARAM, LPARAM window) {
  if (spot_ == nullptr || reinterpret_cast<TWindow *>(window) != spot_) return;
  frame_.RetireWindow(spot_);
  spot_ = nullptr;
  frame_.UpdateMenus();
}

void TLauncherCommands::RefreshAnalyses(bool renewLabels) {
  if (viewer_ != nullptr && viewer_->IsWindow()) Show3DView(&window_, frame_.System(), viewer_);
  // A system left without an image side has nothing to show: its windows close.
  if (frame_.System().SurfaceCount() < kAnalysisSurfaceMinimum) {
    CloseAberrations();
    CloseSpotDiagram();
    ClosePsfFolder();
    CloseSynthesisFolder();
    frame_.UpdateMenus();
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

void TLauncherCommands::CloseWindows() {
  CloseViewer();
  CloseAberrations();
  CloseSpotDiagram();
  ClosePsfFolder();
  CloseSynthesisFolder();
  frame_.DeleteRetiredWindows();
}

void TLauncherCommands::CmTurnSystem() {
  if (RefusedForTemporaryDirectory(window_.GetHandle())) return;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  // Every configuration turns round; a second turn brings the system back.
  frame_.System().ForEachConfiguration();
  frame_.System().Update();
  frame_.System().RebuildElements(nullptr);
  frame_.System().SaveUndo("Turn system");
  // The canvas shows the turned lens at once, and every view follows: the note of the
  // selected elements closes with the selection the turn ended.
  frame_.ShowSystem();
  frame_.RenewAberrationLabels();
  frame_.RefreshAll();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  frame_.UpdateMenus();
  frame_.UpdateCaption();
}

void TLauncherCommands::CmBestImagePlane() {
  if (AnalysisRefused()) return;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  // The fields of the system's own list, the axis when it has none.
  frame_.System().AutoFocus(nullptr, nullptr);
  // The beams the plane was found without (no ray of theirs reached the image), and any
  // chief ray its solves did not find, are told at once: taken before the picture, whose
  // own warnings go to the status bar.
  const std::string note = TakePendingMessage();
  frame_.System().SetUnsavedChanges(1);
  frame_.System().Update();
  // The step is taken before the windows follow, so that each sees the change.
  frame_.System().SaveUndo("Plane of best installation");
  frame_.ShowSystem();
  frame_.RefreshAnalyses(false);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  frame_.UpdateMenus();
  frame_.UpdateCaption();
  if (!note.empty())
    MessageBox(window_.GetHandle(), note.c_str(), "Plane of best installation", MB_OK | MB_ICONINFORMATION);
}

void TLauncherCommands::CmHelpContents() { WinHelp(window_.GetHandle(), frame_.HelpFile().c_str(), HELP_CONTENTS, 0); }

void TLauncherCommands::CmExamples() {
  const std::string directory = std::filesystem::path(frame_.HelpFile()).parent_path().string();
  const std::string examples = JoinPath(directory, kExamplesHelpName);
  WinHelp(window_.GetHandle(), examples.c_str(), HELP_CONTEXT, kExamplesContext);
}

void TLauncherCommands::CmSettings() {
  frame_.LeaveZoomMode();
  TPreferencesFolder preferences(&window_, &frame_.System(), 0);
  const int answer = preferences.Execute();
  // Drawn again only when there is a view to draw in.
  if (answer == IDOK && frame_.System().viewWindow.xTo > 0.0 && frame_.System().viewWindow.yTo > 0.0) frame_.ShowSystem();
  frame_.UpdateMenus();
}

void TLauncherCommands::CmPsfMtf() {
  frame_.DeleteRetiredWindows();
  if (psf_ != nullptr) {
    // As the user's Cancel: at once, or after the running computation.
    psf_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  } else if (AnalysisRefused()) {
    // The beep is given.
  } else if (frame_.System().info.EnablePipe != 0 || synthesisOpen_) {
    MessageBeep(MB_SIMPLEBEEP);
  } else if (RefusedForTemporaryDirectory(window_.GetHandle())) {
    // Told why.
  } else {
    psf_ = new TShowPSFFolder(&window_, &frame_.System());
    if (!psf_->Create()) {
      delete psf_;
      psf_ = nullptr;
    } else {
      psf_->ShowWindow(SW_SHOW);
    }
  }
  frame_.UpdateMenus();
}

void TLauncherCommands::PsfFolderDestroyed(WPARAM, LPARAM window) {
  if (psf_ == nullptr || reinterpret_cast<TWindow *>(window) != psf_) return;
  frame_.RetireWindow(psf_);
  psf_ = nullptr;
  frame_.UpdateMenus();
}

void TLauncherCommands::ClosePsfFolder() {
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

void TLauncherCommands::RefreshPsfFolder() {
  if (psf_ != nullptr && psf_->GetHandle() != nullptr) psf_->Reset();
}

void TLauncherCommands::CmImageSynthesis() {
  frame_.DeleteRetiredWindows();
  if (synthesis_ != nullptr) {
    // As the folder's own Cancel: it stops a running synthesis, or closes.
    synthesis_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  } else if (frame_.System().SurfaceCount() < 2 || frame_.Queue().BusyCount() > 0 || psf_ != nullptr ||
             frame_.System().options.lensAnimationRunning != 0 ||
             frame_.System().options.beamAnimationRunning != 0 || frame_.System().info.EnablePipe != 0) {
    MessageBeep(static_cast<UINT>(-1));
  } else if (RefusedForTemporaryDirectory(window_.GetHandle())) {
    // Told why.
  } else {
    synthesis_ = new TTestObjectFolder(&window_, &frame_.System(),
                                       [this] { window_.SendMessage(WM_COMMAND, CM_REFRESH, 0); },
                                       frame_.ScanAnimation());
    if (!synthesis_->Create()) {
      delete synthesis_;
      synthesis_ = nullptr;
    } else {
      synthesis_->ShowWindow(SW_SHOW);
    }
  }
  synthesisOpen_ = synthesis_ != nullptr;
  frame_.UpdateMenus();
}

void TLauncherCommands::SynthesisFolderDestroyed(WPARAM, LPARAM window) {
  if (synthesis_ == nullptr || reinterpret_cast<TWindow *>(window) != synthesis_) return;
  frame_.RetireWindow(synthesis_);
  synthesis_ = nullptr;
  synthesisOpen_ = false;
  frame_.UpdateMenus();
}

void TLauncherCommands::CloseSynthesisFolder() {
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
    frame_.DeleteRetiredWindows();
  }
}

void TLauncherCommands::RefreshSynthesisFolder() {
  if (synthesis_ != nullptr && synthesis_->GetHandle() != nullptr) synthesis_->ResetCalculated();
}

bool TLauncherCommands::CloseSynthesisForNewSystem() {
  if (synthesis_ == nullptr) return true;
  if (synthesis_->Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return false;
  }
  CloseSynthesisFolder();
  synthesisOpen_ = synthesis_ != nullptr;
  frame_.UpdateMenus();
  return synthesis_ == nullptr;
}

int TLauncherCommands::SaveEditedSystem(const std::string &fileName, TFileWriteResult *why) {
  if (synthesis_ != nullptr) return synthesis_->SaveSystemWithItsOwnSettings(fileName, why);
  return frame_.System().Save(fileName, why);
}

void TLauncherCommands::RenewAberrationLabels() {
  if (aberrations_ != nullptr && aberrations_->GetHandle() != nullptr) aberrations_->UpdateLabels();
}
