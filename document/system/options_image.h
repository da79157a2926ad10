#pragma once
// The edited system's options: drawing switches, the animation flags and the undo ring
// (its size, the index of the current snapshot, the redo bound and one label per slot).

#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"

// A ring of one slot could not keep the state before an edit, and 0 would divide by zero:
// any smaller size given is taken as this.
constexpr int kMinUndoSteps = 2;
constexpr int kDefaultUndoSteps = 10;
// The deepest ring the preferences offer (each step is a file of the whole system).
constexpr int kMaxUndoSteps = 100;

class TOptionsImage {
 public:
  TOptionsImage();

  // The ring size actually used: NStepUndoMax, at least kMinUndoSteps.
  int RingSize() const;
  // Sets NStepUndoMax (kept at kMinUndoSteps or more) and empties the ring.
  void SetUndoDepth(int steps);
  // Index and redo bound 0, every label empty (the label list re-made at the ring size).
  void ResetUndoRing();
  // The label of slot k (taken modulo the ring size); empty when there is none.
  std::string Label(int k) const;
  void SetLabel(int k, const std::string &label);
  // The configurations shown before and after step k, for a step that changed the list of
  // configurations (Undo shows the one before again, Redo the one after); -1 for any other
  // step, whose Undo and Redo keep the configuration shown. Kept here, never in a snapshot.
  int ShownBefore(int k) const;
  int ShownAfter(int k) const;
  void SetShown(int k, int before, int after);

  int EnableSave = 1;
  int EnablePosition = 1;
  int EnableName = 1;
  int GridAxes = 0;
  int FillComponent = 1;
  int ShowCourseBeam = 1;  // a new system shows its beams
  int ShowCardinalPlanes = 0;
  int ViewPropertiesOfSelectedElements = 0;
  int NStepUndoMax = kDefaultUndoSteps;
  int undoIndex = 0;  // the snapshot that holds the current state; 0 before the first
  int redoBound = 0;  // one past the newest snapshot
  Mem<STRING> undoLabels;
  std::vector<int> undoShownBefore, undoShownAfter;
  int lensAnimationRunning = 0;
  int beamAnimationRunning = 0;
};
