#pragma once
// TAnimationCommands: the main window's lens and beam animations. The two toggles play an
// animation in the canvas and every open view, pumping messages after every step, and put
// the system back at their end; the pause button, the animation file's editing, and the
// loading of a lens animation that the image synthesis's scanner uses as well.

#include <string>

#include "editor/animation/animation_info.h"
#include "editor/commands/editor_frame.h"
#include "synthesis/detectors/scan_animation.h"

struct TAnimationFile;

// It moves the system for the image synthesis's scanner as well (TScanAnimation).
class TAnimationCommands final : public TScanAnimation {
 public:
  TAnimationCommands(TEditorFrame &frame, TWindow &window);

  void CmBeamAnimation();
  void CmLensAnimation();
  void CmPauseAnimation();
  // Writes the animation file's template when the file is missing, opens the file in the
  // text editor until it is closed, and restarts the animation that was running.
  void CmEditAnimation();
  // Reads the lens animation of the file into the animation state (a missing file is
  // offered for creation); takes the undo step "Lens animation" and marks the animation
  // running. 1 when at least one element is animated; it does not play the animation.
  int RunLensAnimation(const std::string &fileName);
  // One lens-animation step on the edited system.
  void ApplyAnimationStep();
  // Turns off each animation whose button is down.
  void StopAnimations();
  TCommonAnimationInfo &Animation() { return animation_; }
  // The scanner's run of the lens animation: the edited system's animation file (a missing
  // one offered for creation), its own state apart from the toggle's, no undo step (the
  // scanner puts the system back), the editor busy until EndScan.
  bool BeginScan(int &steps) override;
  void StepScan() override;
  void EndScan() override;
  void EditAnimation() override { CmEditAnimation(); }
  // The animation file of the edited system: beside its file, or "untitled.anm" in the
  // private temporary directory for an unnamed one (empty when there is none).
  std::string AnimationFilePath() const;

 private:
  // The button of the command and its menu check; the question for a missing file (true:
  // the user wants it made); the wait while the pause button is down (false when Escape
  // ended it); the beam run after its button went down (false when it never started, and
  // the command ends at once).
  void SetAnimationButton(int command, bool down);
  bool OfferAnimationFile(const std::string &path);
  // False, the temporary directory's problem said, for the empty path of an unnamed
  // system without one.
  bool HasAnimationPath(const std::string &path);
  // Reads the lens animation's file for the system: a missing file is offered for
  // creation and edited, a damaged one told. False when there is none to run.
  bool ReadLensAnimationFile(const std::string &fileName, TAnimationFile &file);
  bool WaitWhilePaused(int command);
  // The tools palette, which holds the pause button, shown and put in front of the windows.
  void BringPauseButtonToFront();
  bool RunBeamAnimation(int raysPerBeam);
  // The end of a run: back one undo step to the system the run started from.
  void PutSystemBack();

  TEditorFrame &frame_;
  TWindow &window_;
  // The lens animation's records and the runs' counters; the scanner's run apart.
  TCommonAnimationInfo animation_;
  TCommonAnimationInfo scan_;
  // The modified flag as the run found it.
  int modifiedBeforeRun_ = 0;
};
