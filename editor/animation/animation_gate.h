#pragma once
// The gate of the lens and beam runs. While a run goes on, moving or paused, the system on
// the canvas is one of the run's steps and the run's end goes back one undo step: an edit
// made then would be taken back with the run, and a save would file a step as the design.
// So the commands that edit the system or write, replace or reload it wait for the end.

#include "document/system/animation_hold.h"
#include "platform/core/types.h"

// Whether the command edits the system or writes, replaces or reloads it.
bool CommandWaitsForAnimation(int command);
// Says the word (owned by owner) and answers true while a run goes on.
bool RefuseDuringAnimation(HWND owner, const TOptionsImage &options);
// The same for a command of the main window: true only for a command that must wait.
bool RefuseCommandDuringAnimation(HWND owner, const TOptionsImage &options, int command);
