#pragma once
// The animation area holds the editor's lens and beam animations: the animation state of
// the main window, the animation file "<system>.anm", loading a lens animation into the
// state and applying its steps to the edited system, and the beam sweep. Those parts are
// Qt-free (library editor_model); the main window's commands around them are in
// optical_editor_animation.cpp (library editor).
//
// The animation state of the main window: one record per animated element, the surfaces'
// positions and angles when the animation was loaded, and the run's counters.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/model/element_animation_info.h"

// Indexes of an element record's six ranges and steps, in their order.
enum TAnimationAxis : int {
  kAnimPosZ = 0,  // position component 1 (along the axis)
  kAnimPosY = 1,  // position component 2
  kAnimPosX = 2,  // position component 3
  kAnimRotZ = 3,  // angle 1
  kAnimRotX = 4,  // angle 3
  kAnimRotY = 5,  // angle 2
};
// Indexes of an element record's six motion triples and their fields.
constexpr int kMotionAngle1 = 3;  // driven by RotZ
constexpr int kMotionAngle2 = 4;  // driven by RotY
constexpr int kMotionAngle3 = 5;  // driven by RotX
constexpr int kMotionCurrent = 0;
constexpr int kMotionLower = 1;
constexpr int kMotionUpper = 2;

class TCommonAnimationInfo {
 public:
  TCommonAnimationInfo() = default;
  ~TCommonAnimationInfo() { Reset(); }
  TCommonAnimationInfo(const TCommonAnimationInfo &) = delete;
  TCommonAnimationInfo &operator=(const TCommonAnimationInfo &) = delete;

  // Frees the records and both saved arrays (they become empty); the ints stay.
  void Reset();
  int RecordCount() const { return records.Cells(); }
  int SavedCount() const {
    return savedPositions.Cells();
  }

  Mem<TElementAnimationInfo> records;  // one row of animated elements
  Mem<DPOINT3> savedPositions;         // every surface's vertex (global) at the start
  Mem<DPOINT3> savedAngles;            // every surface's tilt angles (global) at the start
  int Continuous = 0;                  // nonzero: the animation repeats until stopped
  int cycleLength = 0;                 // steps of one lens-animation cycle
  int stepCounter = 0;                 // steps made since the start
};

// Swaps the two when the second is smaller, so that the first is the lower.
void SortPair(double &first, double &second);

// Keeps a stepped value inside [lower, upper], called after the step was added: past an
// end the value turns back (the step changes its sign and the value goes one step back
// from the end, but never past the other end) or, with wrap, jumps to the other end.
// lower must not exceed upper.
void AdvanceInRange(double &value, double &step, double lower, double upper, int wrap);
