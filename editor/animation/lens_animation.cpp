#include "editor/animation/lens_animation.h"

#include <algorithm>
#include <cmath>

#include "document/system/system_image.h"
#include "optics/model/optical_system.h"

namespace {

constexpr double kRadiansPerDegree = 0.01745329251994;
// A cycle longer than this is cut to it: a step tiny against its range would otherwise
// count past what an int holds.
constexpr double kLongestCycle = 1e9;

// Which range and step drive each motion triple: position components 1, 2, 3, then
// angle 1 (RotZ), angle 2 (RotY), angle 3 (RotX).
constexpr int kMotionAxis[6] = {kAnimPosZ, kAnimPosY, kAnimPosX, kAnimRotZ, kAnimRotY, kAnimRotX};

void FillRecord(const TAnimationElement &section, const TAnimationCommon &common,
                TElementAnimationInfo &record) {
  record.elementIndex = section.elementIndex;
  for (int k = 0; k < 6; ++k) {
    record.ranges[k].data[0] = section.ranges[k][0];
    record.ranges[k].data[1] = section.ranges[k][1];
    record.steps[k] = section.steps[k];
  }
  record.rotationOrigin =
      DPOINT3(section.rotationOrigin[0], section.rotationOrigin[1], section.rotationOrigin[2]);
  record.GoBack = section.GoBack;
  if (common.AllRotation == 0) return;
  record.rotationOrigin = DPOINT3(common.rotationOriginAll[0], common.rotationOriginAll[1],
                                  common.rotationOriginAll[2]);
  for (int r = 0; r < 3; ++r) {
    record.ranges[kAnimRotZ + r].data[0] = common.rotationAll[r][0];
    record.ranges[kAnimRotZ + r].data[1] = common.rotationAll[r][1];
    if (record.steps[kAnimRotZ + r] == 0.0) record.steps[kAnimRotZ + r] = common.rotationStepAll[r];
  }
}

// Steps of one span of the record (twice that when it turns back), its zero steps made a
// tenth of their spans.
int RecordCycle(TElementAnimationInfo &record) {
  const double factor = record.GoBack != 0 ? 1.0 : 2.0;
  double cycle = 0.0;
  for (int k = 0; k < 6; ++k) {
    const double span = record.ranges[k].data[1] - record.ranges[k].data[0];
    if (record.steps[k] == 0.0) record.steps[k] = 0.1 * span;
    if (record.steps[k] == 0.0) continue;
    const double n = std::trunc(span / record.steps[k] + 0.5) * factor;
    cycle = std::max(cycle, std::min(n, kLongestCycle));
  }
  return static_cast<int>(cycle);
}

void SetBounds(TElementAnimationInfo &record, const DPOINT3 &start) {
  const double position[3] = {start.x, start.y, start.z};
  for (int m = 0; m < 6; ++m) {
    const Mem<double> &range = record.ranges[kMotionAxis[m]];
    const double origin = m < 3 ? position[m] : 0.0;
    record.motion[m][kMotionCurrent] = origin;
    record.motion[m][kMotionLower] = origin + range.data[0];
    record.motion[m][kMotionUpper] = origin + range.data[1];
    SortPair(record.motion[m][kMotionLower], record.motion[m][kMotionUpper]);
  }
}

// One motion triple advanced by its step.
void Advance(TElementAnimationInfo &record, int m) {
  double *motion = record.motion[m];
  double &step = record.steps[kMotionAxis[m]];
  motion[kMotionCurrent] += step;
  AdvanceInRange(motion[kMotionCurrent], step, motion[kMotionLower], motion[kMotionUpper], record.GoBack);
}

}  // namespace

int LoadLensAnimation(const TAnimationFile &file, const TSystemImage &system,
                      TCommonAnimationInfo &state) {
  state.Reset();
  state.Continuous = file.common.Continuous;
  state.cycleLength = 0;
  state.stepCounter = 0;
  const int elementCount = system.ElementCount();
  int filled = 0;
  for (const TAnimationElement &section : file.elements)
    if (section.elementIndex >= 0 && section.elementIndex < elementCount &&
        system.elements.data[section.elementIndex].FirstSurface() != nullptr)
      ++filled;
  if (filled == 0 || !state.records.Allocate(filled, 1)) return 0;
  int r = 0;
  bool anyGoBack = false;
  for (const TAnimationElement &section : file.elements) {
    if (section.elementIndex < 0 || section.elementIndex >= elementCount) continue;
    const TOpticalElement &element = system.elements.data[section.elementIndex];
    const TEditSurface *first = element.FirstSurface();
    if (first == nullptr) continue;
    TElementAnimationInfo &record = state.records.data[r++];
    FillRecord(section, file.common, record);
    state.cycleLength = std::max(state.cycleLength, RecordCycle(record));
    SetBounds(record, system.GetSurfacePosition(system.IndexOfSurface(first), 0, kGlobalFrame));
    anyGoBack = anyGoBack || record.GoBack != 0;
  }
  if (anyGoBack) ++state.cycleLength;
  const int surfaces = system.SurfaceCount();
  if (!state.savedPositions.Allocate(surfaces, 1) || !state.savedAngles.Allocate(surfaces, 1)) {
    state.Reset();
    return 0;
  }
  for (int i = 0; i < surfaces; ++i) {
    state.savedPositions.data[i] = system.GetSurfacePosition(i, 0, kGlobalFrame);
    state.savedAngles.data[i] = system.GetSurfaceAngles(i, 0, kGlobalFrame);
  }
  return filled;
}

void ApplyLensAnimationStep(TSystemImage &system, TCommonAnimationInfo &state) {
  const int surfaces = std::min(system.SurfaceCount(), state.SavedCount());
  for (int i = 0; i < surfaces; ++i) {
    const DPOINT3 vertex = system.GetSurfacePosition(i, 0, kGlobalFrame);
    system.SetSurfaceAngles(i, 0, vertex, state.savedAngles.data[i], kGlobalFrame);
    system.SetSurfacePosition(i, 0, state.savedPositions.data[i], kGlobalFrame);
  }
  for (int r = 0; r < state.RecordCount(); ++r) {
    TElementAnimationInfo &record = state.records.data[r];
    if (record.elementIndex < 0 || record.elementIndex >= system.ElementCount()) continue;
    TOpticalElement &element = system.elements.data[record.elementIndex];
    const int first = system.IndexOfSurface(element.FirstSurface());
    const int last = system.IndexOfSurface(element.LastSurface());
    if (first < 0 || last < first || last >= surfaces) continue;
    element.referencePoint = state.savedPositions.data[first];
    for (int m = 0; m < 3; ++m) Advance(record, m);
    const DPOINT3 position(record.motion[0][kMotionCurrent], record.motion[1][kMotionCurrent],
                           record.motion[2][kMotionCurrent]);
    element.MoveTo(position.x, position.y, position.z);
    for (int i = first; i <= last; ++i) state.savedPositions.data[i] = system.GetSurfacePosition(i, 0, kGlobalFrame);
    Advance(record, kMotionAngle3);
    Advance(record, kMotionAngle2);
    Advance(record, kMotionAngle1);
    const DPOINT3 origin =
        record.rotationOrigin.x == kRotationOriginNotGiven ? position : record.rotationOrigin;
    const DPOINT3 turn(record.motion[kMotionAngle1][kMotionCurrent] * kRadiansPerDegree,
                       record.motion[kMotionAngle2][kMotionCurrent] * kRadiansPerDegree,
                       record.motion[kMotionAngle3][kMotionCurrent] * kRadiansPerDegree);
    for (int i = first; i <= last; ++i) {
      const DPOINT3 angles = system.GetSurfaceAngles(i, 0, kGlobalFrame);
      system.SetSurfaceAngles(i, 0, origin,
                              DPOINT3(angles.x + turn.x, angles.y + turn.y, angles.z + turn.z),
                              kGlobalFrame);
    }
  }
  system.Update();
}
