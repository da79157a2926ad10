#pragma once
// The helpers area holds small stateless helpers: cursors, paths, file lists. It uses
// foundation/containers, foundation/textfiles and platform/core.
//
// Small stateless helpers the whole program shares: the cursor pair around long work, the
// "not ready" box, the range of an array and the platform version. Path and file helpers
// live in path_parts.h and file_list.h and are included here for the callers that want all.

#include "foundation/helpers/file_list.h"
#include "foundation/helpers/path_parts.h"
#include "platform/core/types.h"

// Long computations show the hourglass before they start and the arrow when they end.
void SetWaitCursor();
void SetArrowCursor();

// Tells the user (in Russian, as the program always has) that a dialog item is unfinished.
void ShowNotReadyBox(HWND owner);

// Smallest and largest of count values. With no values (count < 1 or no array) both
// outputs are 0, so a careless caller gets a harmless empty range.
void MinMaxOfArray(const double *values, int count, double &minimum, double &maximum);

// This platform's version as major.minor, formatted "%d.%d" and read back as a number
// (4.10 becomes 4.1); 0 when the platform does not tell.
double WindowsVersionText();
