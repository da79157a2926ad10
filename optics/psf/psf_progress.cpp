#include "optics/psf/psf_progress.h"

#include <cstdio>

#include "foundation/interfaces/progress.h"
#include "platform/core/clock.h"

namespace {

TProgressGauge *gGauge = nullptr;
int gStepCounter = 0;
DWORD gStartTime = 0;
bool gCancelled = false;

}  // namespace

TProgressGauge *PsfGauge() { return gGauge; }
void SetPsfGauge(TProgressGauge *gauge) { gGauge = gauge; }
int &PsfStepCounter() { return gStepCounter; }
DWORD &PsfStartTime() { return gStartTime; }

void BeginPsfJob() {
  gStepCounter = 0;
  gStartTime = GetTickCount();
  gCancelled = false;
}

bool PsfCancelled() { return gCancelled; }
void ClearPsfCancel() { gCancelled = false; }

bool PsfProgressStep() {
  ++gStepCounter;
  if (gGauge == nullptr) return true;
  if (gGauge->StepAndPump(static_cast<double>(gStepCounter)) == 0) {
    gCancelled = true;
    return false;
  }
  // Unsigned difference: the tick counter may wrap during a long job.
  const long elapsed = static_cast<long>(static_cast<DWORD>(GetTickCount() - gStartTime) / 1000u);
  const long estimated =
      static_cast<long>(static_cast<double>(elapsed) / gStepCounter * gGauge->Maximum());
  // Once per row or ring, never per sample.
  char text[96];
  std::snprintf(text, sizeof text, "PSF nodes. Times: elapsed- %02ld:%02ld, estimated- %02ld:%02ld",
                elapsed / 60, elapsed % 60, estimated / 60, estimated % 60);
  gGauge->SetText(text);
  return true;
}
