#pragma once
// The progress state of PSF work, shared by the window that owns the progress dialog and
// the node sampling: the active gauge, the step counter and the start time of the job.

#include "platform/core/types.h"

class TProgressGauge;

// The active gauge (not owned); null while no PSF window is open.
TProgressGauge *PsfGauge();
void SetPsfGauge(TProgressGauge *gauge);

// Steps of the current job; the PSF window sets it to 0 before each job.
int &PsfStepCounter();
// GetTickCount at the start of the current job.
DWORD &PsfStartTime();
// Starts a job: counter 0, start time now, cancel mark cleared.
void BeginPsfJob();

// Set when the user cancelled a step of the current job; cleared by BeginPsfJob and by the
// polychromatic computation when it starts.
bool PsfCancelled();
void ClearPsfCancel();

// One step of a sampling: counts it, moves the gauge and shows elapsed and estimated time.
// Answers false (and marks the job cancelled) when the user pressed Escape.
bool PsfProgressStep();
