#pragma once
// The lens animation on the edited system: loading the file's element sections into the
// animation state, and one step, which places every animated element at its start
// position plus the running offsets and turns it by the running angles.

#include "editor/animation/animation_file.h"
#include "editor/animation/animation_info.h"

class TSystemImage;

// Fills the state from the file for the system (whose elements must be grouped): one
// record per element section, AllRotation applied, the cycle length, the motion bounds
// from the elements' positions now, and every surface's position and angles saved. The
// step counter becomes 0; Continuous is the file's. Answers the number of records (0:
// nothing is animated and the state is left empty).
int LoadLensAnimation(const TAnimationFile &file, const TSystemImage &system,
                      TCommonAnimationInfo &state);

// One step: every surface goes back to its saved angles and position, then each record's
// element is moved by its position steps and turned by its angle steps (degrees) about its
// rotation origin, or about its current position when it has none. The system is updated.
void ApplyLensAnimationStep(TSystemImage &system, TCommonAnimationInfo &state);
