#include "editor/animation/animation_commands.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "editor/animation/animation_file.h"
#include "editor/animation/animation_file_editor.h"
#include "editor/animation/beam_sweep.h"
#include "editor/animation/lens_animation.h"
#include "document/system/system_image.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_tools.h"
#include "editor/files/untitled_files.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/window.h"
#include "toolkit/palettes/tool_bar_wnd.h"
#include "toolkit/pump/message_queue.h"

namespace {

constexpr const char *kLensAnimationLabel = "Lens animation";
constexpr const char *kBeamAnimationLabel = "Beam animation";
constexpr int kDefaultBeamSteps = 20;
// While paused the loop looks for messages this often.
constexpr auto kPausePoll = std::chrono::milliseconds(10);

bool FileExists(const std::string &path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The queue the animations pump: reset when a computation still counts as running, then
// entered once.
void EnterAnimationQueue() {
  TMessageQueue &queue = ProgramMessageQueue();
  if (queue.BusyCount() > 0) queue.Leave(1);
  queue.Enter();
}

}  // namespace

TAnimationCommands::TAnimationCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

std::string TAnimationCommands::AnimationFilePath() const {
  const std::string &name = frame_.System().name;
  // Nothing of an unnamed system is written beside the program, where the next unnamed
  // system would find it: its animation lives in the private temporary directory.
  if (name.empty() || name == frame_.UntitledPath()) return UntitledAnimationPath();
  return AnimationFileName(name);
}

bool TAnimationCommands::HasAnimationPath(const std::string &path) {
  if (!path.empty()) return true;
  MessageBox(window_.GetHandle(), TempDirProblem(), "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void TAnimationCommands::SetAnimationButton(int command, bool down) {
  frame_.EditTools().SetButtonDown(command, down);
  if (HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr)
    CheckMenuItem(menu, command, MF_BYCOMMAND | (down ? MF_CHECKED : MF_UNCHECKED));
}

bool TAnimationCommands::OfferAnimationFile(const std::string &path) {
  MessageBeep(MB_SIMPLEBEEP);
  const std::string question = "File \"" + path + "\" not exist!\nCreate it?";
  return MessageBox(window_.GetHandle(), question, "Warning", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool TAnimationCommands::WaitWhilePaused(int command) {
  while (frame_.EditTools().ButtonDown(CM_PAUSE_ANIMATION) && frame_.EditTools().ButtonDown(command)) {
    if (ProgramMessageQueue().Pump() == 0) {
      SetAnimationButton(CM_PAUSE_ANIMATION, false);
      return false;
    }
    std::this_thread::sleep_for(kPausePoll);
  }
  return true;
}

void TAnimationCommands::BringPauseButtonToFront() {
  // Shown through its command, so that the View menu's check follows.
  TToolBarWnd *palette = frame_.EditTools().PaletteOf(CM_PAUSE_ANIMATION);
  if (palette == nullptr || !palette->IsWindowVisible()) window_.SendMessage(WM_COMMAND, CM_TOOLS_PALETTE);
  palette = frame_.EditTools().PaletteOf(CM_PAUSE_ANIMATION);
  if (palette != nullptr && palette->GetHandle() != nullptr)
    palette->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TAnimationCommands::CmPauseAnimation() {
  SetAnimationButton(CM_PAUSE_ANIMATION, !frame_.EditTools().ButtonDown(CM_PAUSE_ANIMATION));
}

void TAnimationCommands::StopAnimations() {
  if (frame_.EditTools().ButtonDown(CM_LENS_ANIMATION)) CmLensAnimation();
  if (frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION)) CmBeamAnimation();
}

void TAnimationCommands::CmEditAnimation() {
  const bool lensWasOn = frame_.EditTools().ButtonDown(CM_LENS_ANIMATION);
  const bool beamWasOn = frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION);
  StopAnimations();
  const std::string path = AnimationFilePath();
  if (!HasAnimationPath(path)) return;
  if (!FileExists(path)) {
    const TFileWriteResult written =
        WriteAnimationTemplate(path, frame_.System().beams.raysPerBeam, frame_.System().info.AlfaM);
    if (!written.Written()) {
      // Nothing to edit: starting again would only ask for the file once more.
      MessageBox(window_.GetHandle(), FileWriteFaultText(path, written), "Warning", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
  }
  EditAnimationFileModally(&window_, path);
  if (!frame_.IsCurrent()) return;
  if (lensWasOn) CmLensAnimation();
  if (beamWasOn) CmBeamAnimation();
}

bool TAnimationCommands::ReadLensAnimationFile(const std::string &fileName, TAnimationFile &file) {
  if (!HasAnimationPath(fileName)) return false;
  std::string problem;
  TAnimationFileStatus status = ReadAnimationFile(fileName, frame_.System().ElementCount(), file, problem);
  if (status == TAnimationFileStatus::kMissing) {
    if (!OfferAnimationFile(fileName)) return false;
    CmEditAnimation();
    status = ReadAnimationFile(fileName, frame_.System().ElementCount(), file, problem);
    if (status == TAnimationFileStatus::kMissing) return false;
  }
  if (status == TAnimationFileStatus::kDamaged) {
    MessageBox(window_.GetHandle(), AnimationFileProblemText(fileName, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!problem.empty())
    MessageBox(window_.GetHandle(), AnimationFileNoteText(fileName, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
  return true;
}

int TAnimationCommands::RunLensAnimation(const std::string &fileName) {
  TAnimationFile file;
  if (!ReadLensAnimationFile(fileName, file)) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    return 0;
  }
  // The run ends by going back one undo step: without its own step it would take back the
  // user's last edit instead.
  modifiedBeforeRun_ = frame_.System().HasUnsavedChanges();
  if (!frame_.System().SaveUndo(kLensAnimationLabel)) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    MessageBox(window_.GetHandle(),
               TempDir().empty() ? TempDirProblem()
                                 : "The animation cannot start: the system could not be kept for its undo.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  if (LoadLensAnimation(file, frame_.System(), animation_) == 0) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    MessageBox(window_.GetHandle(), "Animation element not exist", "Warning", MB_OK | MB_ICONINFORMATION);
    CmEditAnimation();
    return 0;
  }
  EnterAnimationQueue();
  animation_.stepCounter = 0;
  frame_.System().options.lensAnimationRunning = 1;
  return 1;
}

void TAnimationCommands::ApplyAnimationStep() { ApplyLensAnimationStep(frame_.System(), animation_); }

bool TAnimationCommands::BeginScan(int &steps) {
  steps = 0;
  TAnimationFile file;
  if (!ReadLensAnimationFile(AnimationFilePath(), file)) return false;
  // The scanner puts the system back itself: no undo step is taken, none is used up.
  if (LoadLensAnimation(file, frame_.System(), scan_) == 0) {
    MessageBox(window_.GetHandle(), "Animation element not exist", "Warning", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  ProgramMessageQueue().Enter();
  frame_.System().options.lensAnimationRunning = 1;
  scan_.stepCounter = 0;
  steps = scan_.cycleLength;
  return true;
}

void TAnimationCommands::StepScan() {
  ++scan_.stepCounter;
  ApplyLensAnimationStep(frame_.System(), scan_);
}

void TAnimationCommands::EndScan() {
  PumpWaitingMessages();
  ProgramMessageQueue().Leave();
  frame_.System().options.lensAnimationRunning = 0;
  scan_.Reset();
}

void TAnimationCommands::PutSystemBack() {
  frame_.Undo();
  // The run's step is no edit: the system is as changed or unchanged as the run found it.
  frame_.System().SetUnsavedChanges(modifiedBeforeRun_);
}

void TAnimationCommands::CmLensAnimation() {
  const bool on = !frame_.EditTools().ButtonDown(CM_LENS_ANIMATION);
  SetAnimationButton(CM_LENS_ANIMATION, on);
  frame_.System().options.lensAnimationRunning = 0;
  bool loaded = false;
  if (on) {
    animation_.Continuous = 1;
    loaded = RunLensAnimation(AnimationFilePath()) != 0;
    if (!loaded) {
      SetAnimationButton(CM_LENS_ANIMATION, false);
      frame_.UpdateMenus();
      return;
    }
    frame_.UpdateMenus();
    BringPauseButtonToFront();
    while (frame_.IsCurrent() && frame_.EditTools().ButtonDown(CM_LENS_ANIMATION)) {
      ++animation_.stepCounter;
      if (animation_.stepCounter > animation_.cycleLength && animation_.Continuous == 0) {
        frame_.System().options.lensAnimationRunning = 0;
        break;
      }
      if (!WaitWhilePaused(CM_LENS_ANIMATION)) {
        frame_.System().options.lensAnimationRunning = 0;
        break;
      }
      // A command handled while paused may have ended the run and reset its records.
      if (!frame_.EditTools().ButtonDown(CM_LENS_ANIMATION)) break;
      ApplyAnimationStep();
      frame_.RefreshAll();
      if (ProgramMessageQueue().Pump() == 0) {
        frame_.System().options.lensAnimationRunning = 0;
        break;
      }
    }
  }
  ProgramMessageQueue().Leave(1);
  if (!frame_.IsCurrent()) return;
  if (loaded) PutSystemBack();
  SetAnimationButton(CM_LENS_ANIMATION, false);
  // A stopped run lets its Pause up: the next run starts moving.
  SetAnimationButton(CM_PAUSE_ANIMATION, false);
  frame_.System().options.lensAnimationRunning = 0;
  animation_.Reset();
  frame_.UpdateMenus();
}

void TAnimationCommands::CmBeamAnimation() {
  const bool on = !frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION);
  SetAnimationButton(CM_BEAM_ANIMATION, on);
  const int raysPerBeam = frame_.System().beams.raysPerBeam;
  // A run that never started returns at once.
  if (on && !RunBeamAnimation(raysPerBeam)) return;
  ProgramMessageQueue().Leave(1);
  if (!frame_.IsCurrent()) return;
  SetAnimationButton(CM_BEAM_ANIMATION, false);
  SetAnimationButton(CM_PAUSE_ANIMATION, false);
  if (frame_.System().options.beamAnimationRunning != 0) PutSystemBack();
  frame_.System().beams.raysPerBeam = raysPerBeam;
  frame_.System().options.beamAnimationRunning = 0;
  frame_.RefreshAll();
}

bool TAnimationCommands::RunBeamAnimation(int raysPerBeam) {
  const std::string path = AnimationFilePath();
  if (!HasAnimationPath(path)) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    return false;
  }
  TAnimationFile file;
  std::string problem;
  TAnimationFileStatus status = ReadAnimationFile(path, 0, file, problem);
  if (status == TAnimationFileStatus::kMissing) {
    if (!OfferAnimationFile(path)) {
      SetAnimationButton(CM_BEAM_ANIMATION, false);
      return false;
    }
    // Restarted from the edited file, the animation plays in the editing command; this
    // run then finds its button up and only puts the system back.
    CmEditAnimation();
    status = ReadAnimationFile(path, 0, file, problem);
    if (status == TAnimationFileStatus::kMissing) {
      SetAnimationButton(CM_BEAM_ANIMATION, false);
      return false;
    }
  }
  if (status == TAnimationFileStatus::kDamaged) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    MessageBox(window_.GetHandle(), AnimationFileProblemText(path, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!problem.empty())
    MessageBox(window_.GetHandle(), AnimationFileNoteText(path, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
  modifiedBeforeRun_ = frame_.System().HasUnsavedChanges();
  if (!frame_.System().SaveUndo(kBeamAnimationLabel)) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    MessageBox(window_.GetHandle(),
               TempDir().empty() ? TempDirProblem()
                                 : "The animation cannot start: the system could not be kept for its undo.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const int steps = file.beam.NStep >= 1 ? file.beam.NStep : kDefaultBeamSteps;
  const int Nray = file.beam.Nray >= 1 ? file.beam.Nray : raysPerBeam;
  frame_.System().options.beamAnimationRunning = 1;
  double lowest = 0.0, highest = 0.0;
  if (!BeamAnimationRange(frame_.System().info.AlfaM, file.beam.beam, lowest, highest)) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    PumpWaitingMessages();
    frame_.System().options.beamAnimationRunning = 0;
    return false;
  }
  if (frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION)) RewriteAnimationBeam(path, Nray, lowest, highest, steps);
  // Without its one entry ("Not enough memory" was shown) the end of the run puts the
  // beams back.
  if (!frame_.System().info.AlfaM.Allocate(1, 1)) return true;
  frame_.System().beams.raysPerBeam = Nray;
  TBeamSweep sweep(lowest, highest, steps);
  EnterAnimationQueue();
  frame_.System().options.beamAnimationRunning = 1;
  animation_.stepCounter = 0;
  animation_.Continuous = file.common.Continuous;
  frame_.UpdateMenus();
  BringPauseButtonToFront();
  // However the run ends, the running flag stays set until the end of the run has put the
  // system back from the run's undo step: every field the sweep changed comes back.
  while (frame_.IsCurrent() && frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION)) {
    ++animation_.stepCounter;
    if (animation_.stepCounter > sweep.CycleLength() && animation_.Continuous == 0) break;
    if (!WaitWhilePaused(CM_BEAM_ANIMATION)) break;
    if (!frame_.EditTools().ButtonDown(CM_BEAM_ANIMATION)) break;
    frame_.System().info.AlfaM.data[0] = sweep.Next();
    frame_.RefreshAll();
    if (ProgramMessageQueue().Pump() == 0) break;
  }
  return true;
}
