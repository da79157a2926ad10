#pragma once
// The message queue underneath the windows: posted messages and the loops that dispatch
// them together with Qt's own events.

#include "platform/core/types.h"

// Queues a message for the window (or, with a null handle, for the application: WM_QUIT
// ends the running message loop with wParam as its code). False when nothing can take it.
bool PostWindowMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

// Dispatches every message waiting now (input, paints, timers, posted messages) and
// returns. Every key press dispatched on the way is seen, whichever window or Qt control
// takes it: the result is true when one of them had the virtual-key code watchedKey (0
// watches nothing), with or without Alt. Keys that a modal loop opened meanwhile (a message
// box) takes are that loop's, as are those an inner pump sees. After the watched key the
// input and posted messages queued behind it are not dispatched: they wait, in order, for
// the next loop or pump.
bool ProcessWaitingMessages(UINT watchedKey = 0);

// Runs the main message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();
