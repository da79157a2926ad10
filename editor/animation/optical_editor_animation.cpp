// The main window's lens and beam animations: the two toggles that play an animation in
// the canvas and every open view, the pause button, the animation file's editing and the
// loading of a lens animation that the image synthesis's scanner uses as well.

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "editor/animation/animation_file.h"
#include "editor/animation/animation_file_editor.h"
#include "editor/animation/beam_sweep.h"
#include "editor/animation/lens_animation.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
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

std::string TOpticalEditor::AnimationFilePath() const {
  return AnimationFileName(system_.name.empty() ? UntitledPath() : system_.name);
}

void TOpticalEditor::SetAnimationButton(int command, bool down) {
  editTools_.SetButtonDown(command, down);
  if (HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr)
    CheckMenuItem(menu, command, MF_BYCOMMAND | (down ? MF_CHECKED : MF_UNCHECKED));
}

bool TOpticalEditor::OfferAnimationFile(const std::string &path) {
  MessageBeep(MB_SIMPLEBEEP);
  const std::string question = "File \"" + path + "\" not exist!\nCreate it?";
  return MessageBox(GetHandle(), question, "Warning", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool TOpticalEditor::WaitWhilePaused(int command) {
  while (editTools_.ButtonDown(CM_PAUSE_ANIMATION) && editTools_.ButtonDown(command)) {
    if (ProgramMessageQueue().Pump() == 0) {
      SetAnimationButton(CM_PAUSE_ANIMATION, false);
      return false;
    }
    std::this_thread::sleep_for(kPausePoll);
  }
  return true;
}

void TOpticalEditor::CmPauseAnimation() {
  SetAnimationButton(CM_PAUSE_ANIMATION, !editTools_.ButtonDown(CM_PAUSE_ANIMATION));
}

void TOpticalEditor::StopAnimations() {
  if (editTools_.ButtonDown(CM_LENS_ANIMATION)) CmLensAnimation();
  if (editTools_.ButtonDown(CM_BEAM_ANIMATION)) CmBeamAnimation();
}

void TOpticalEditor::CmEditAnimation() {
  const bool lensWasOn = editTools_.ButtonDown(CM_LENS_ANIMATION);
  const bool beamWasOn = editTools_.ButtonDown(CM_BEAM_ANIMATION);
  StopAnimations();
  const std::string path = AnimationFilePath();
  if (!FileExists(path)) {
    const TFileWriteResult written = WriteAnimationTemplate(path, system_.beams.raysPerBeam, system_.info.AlfaM);
    if (!written.Written()) {
      // Nothing to edit: starting again would only ask for the file once more.
      MessageBox(GetHandle(), FileWriteFaultText(path, written), "Warning", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
  }
  EditAnimationFileModally(this, path);
  if (Current() != this) return;
  if (lensWasOn) CmLensAnimation();
  if (beamWasOn) CmBeamAnimation();
}

int TOpticalEditor::RunLensAnimation(const std::string &fileName) {
  TAnimationFile file;
  std::string problem;
  TAnimationFileStatus status = ReadAnimationFile(fileName, system_.ElementCount(), file, problem);
  if (status == TAnimationFileStatus::kMissing) {
    if (!OfferAnimationFile(fileName)) {
      SetAnimationButton(CM_LENS_ANIMATION, false);
      return 0;
    }
    CmEditAnimation();
    status = ReadAnimationFile(fileName, system_.ElementCount(), file, problem);
    if (status == TAnimationFileStatus::kMissing) {
      SetAnimationButton(CM_LENS_ANIMATION, false);
      return 0;
    }
  }
  if (status == TAnimationFileStatus::kDamaged) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    MessageBox(GetHandle(), AnimationFileProblemText(fileName, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  // The run ends by going back one undo step: without its own step it would take back the
  // user's last edit instead.
  if (!system_.SaveUndo(kLensAnimationLabel)) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    MessageBox(GetHandle(), "The animation cannot start: the system could not be kept for its undo.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  if (LoadLensAnimation(file, system_, animation_) == 0) {
    SetAnimationButton(CM_LENS_ANIMATION, false);
    MessageBox(GetHandle(), "Animation element not exist", "Warning", MB_OK | MB_ICONINFORMATION);
    CmEditAnimation();
    return 0;
  }
  EnterAnimationQueue();
  animation_.stepCounter = 0;
  system_.options.lensAnimationRunning = 1;
  return 1;
}

void TOpticalEditor::ApplyAnimationStep() { ApplyLensAnimationStep(system_, animation_); }

void TOpticalEditor::CmLensAnimation() {
  const bool on = !editTools_.ButtonDown(CM_LENS_ANIMATION);
  SetAnimationButton(CM_LENS_ANIMATION, on);
  system_.options.lensAnimationRunning = 0;
  bool loaded = false;
  if (on) {
    animation_.Continuous = 1;
    loaded = RunLensAnimation(AnimationFilePath()) != 0;
    if (!loaded) {
      SetAnimationButton(CM_LENS_ANIMATION, false);
      UpdateMenus();
      return;
    }
    UpdateMenus();
    while (Current() == this && editTools_.ButtonDown(CM_LENS_ANIMATION)) {
      ++animation_.stepCounter;
      if (animation_.stepCounter > animation_.cycleLength && animation_.Continuous == 0) {
        system_.options.lensAnimationRunning = 0;
        break;
      }
      if (!WaitWhilePaused(CM_LENS_ANIMATION)) {
        system_.options.lensAnimationRunning = 0;
        break;
      }
      // A command handled while paused may have ended the run and reset its records.
      if (!editTools_.ButtonDown(CM_LENS_ANIMATION)) break;
      ApplyAnimationStep();
      RefreshAll();
      if (ProgramMessageQueue().Pump() == 0) {
        system_.options.lensAnimationRunning = 0;
        break;
      }
    }
  }
  ProgramMessageQueue().Leave(1);
  if (Current() != this) return;
  if (loaded) CmUndo();
  SetAnimationButton(CM_LENS_ANIMATION, false);
  system_.options.lensAnimationRunning = 0;
  animation_.Reset();
  UpdateMenus();
}

void TOpticalEditor::CmBeamAnimation() {
  const bool on = !editTools_.ButtonDown(CM_BEAM_ANIMATION);
  SetAnimationButton(CM_BEAM_ANIMATION, on);
  const int raysPerBeam = system_.beams.raysPerBeam;
  // A run that never started returns at once.
  if (on && !RunBeamAnimation(raysPerBeam)) return;
  ProgramMessageQueue().Leave(1);
  if (Current() != this) return;
  SetAnimationButton(CM_BEAM_ANIMATION, false);
  if (system_.options.beamAnimationRunning != 0) CmUndo();
  system_.beams.raysPerBeam = raysPerBeam;
  system_.options.beamAnimationRunning = 0;
  RefreshAll();
}

bool TOpticalEditor::RunBeamAnimation(int raysPerBeam) {
  const std::string path = AnimationFilePath();
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
    MessageBox(GetHandle(), AnimationFileProblemText(path, problem), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (!system_.SaveUndo(kBeamAnimationLabel)) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    MessageBox(GetHandle(), "The animation cannot start: the system could not be kept for its undo.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const int steps = file.beam.NStep >= 1 ? file.beam.NStep : kDefaultBeamSteps;
  const int Nray = file.beam.Nray >= 1 ? file.beam.Nray : raysPerBeam;
  system_.options.beamAnimationRunning = 1;
  double lowest = 0.0, highest = 0.0;
  if (!BeamAnimationRange(system_.info.AlfaM, file.beam.beam, lowest, highest)) {
    SetAnimationButton(CM_BEAM_ANIMATION, false);
    PumpWaitingMessages();
    system_.options.beamAnimationRunning = 0;
    return false;
  }
  if (editTools_.ButtonDown(CM_BEAM_ANIMATION)) RewriteAnimationBeam(path, Nray, lowest, highest, steps);
  // Without its one entry ("Not enough memory" was shown) the end of the run puts the
  // beams back.
  if (!system_.info.AlfaM.Allocate(1, 1)) return true;
  system_.beams.raysPerBeam = Nray;
  TBeamSweep sweep(lowest, highest, steps);
  EnterAnimationQueue();
  system_.options.beamAnimationRunning = 1;
  animation_.stepCounter = 0;
  animation_.Continuous = file.common.Continuous;
  UpdateMenus();
  while (Current() == this && editTools_.ButtonDown(CM_BEAM_ANIMATION)) {
    ++animation_.stepCounter;
    if (animation_.stepCounter > sweep.CycleLength() && animation_.Continuous == 0) {
      system_.options.beamAnimationRunning = 0;
      break;
    }
    if (!WaitWhilePaused(CM_BEAM_ANIMATION)) {
      system_.options.beamAnimationRunning = 0;
      break;
    }
    if (!editTools_.ButtonDown(CM_BEAM_ANIMATION)) break;
    system_.info.AlfaM.data[0] = sweep.Next();
    RefreshAll();
    if (ProgramMessageQueue().Pump() == 0) break;
  }
  return true;
}
