#include "synthesis/nonisoplanar/folder_nonisoplanar.h"

#include <new>

#include "document/system/system_image.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "synthesis/nonisoplanar/synthesis_progress.h"
#include "toolkit/pump/o_gauge.h"

namespace {

// The folder's gauge as the synthesis' progress.
class TGaugeProgress : public TSynthesisProgress {
 public:
  explicit TGaugeProgress(TOGauge *gauge) : gauge_(*gauge) {}
  void Begin(int maximum, COLORREF colour) override {
    gauge_.SetRange(0.0, maximum);
    gauge_.SetColor(colour);
    gauge_.SetPosition(0.0);
  }
  int Step(int position) override { return gauge_.StepAndPump(position); }
  void SetText(const char *text) override { gauge_.SetText(text); }

 private:
  TOGauge &gauge_;
};

}  // namespace

std::unique_ptr<TOpticalSystem> TSystemImageTurner::TurnedCopy(const TOpticalSystem &system) {
  const auto *image = dynamic_cast<const TSystemImage *>(&system);
  if (image == nullptr) return TPlainSystemTurner().TurnedCopy(system);
  std::unique_ptr<TSystemImage> copy(new (std::nothrow) TSystemImage);
  if (!copy) return nullptr;
  copy->Assign(*image, 0);
  copy->ForEachConfiguration();
  copy->Update();
  // A turn that could not be made (its work file not written) leaves the copy as it was.
  if (copy->info.TurnSystem == image->info.TurnSystem) return nullptr;
  return copy;
}

int TFolderNonIsoplanar::Run(TSystemImage &system, TTestObject &object, TTestImage &image,
                             TOGauge *gauge, Mem<TFileData> &results) {
  // Nodes made at another grid, step or level are made again.
  if (nodeGrid_ != image.pixelCount || nodeStep_ != image.savedDiscrete ||
      nodeLevel_ != image.psfCutLevel)
    nodeState_ = 0;
  TSystemImageTurner turner;
  TGaugeProgress progress(gauge);
  TNonIsoplanarJob job;
  job.system = &system;
  job.turner = &turner;
  job.object = &object;
  job.image = &image;
  job.nodeTable = &nodes_;
  job.nodeState = &nodeState_;
  job.results = &results;
  job.progress = gauge != nullptr ? &progress : nullptr;
  job.directory = TempDir();
  const int answer = synthesis_.Run(job);
  if (nodeState_ == 1) {
    nodeGrid_ = image.pixelCount;
    nodeStep_ = image.savedDiscrete;
    nodeLevel_ = image.psfCutLevel;
  }
  return answer;
}

void StretchWindowToMarker(TWindow &window, int markerId) {
  if (window.GetHandle() == nullptr) return;
  const RECT place = window.GetWindowRect();
  TWindow *marker = window.ChildWithId(markerId);
  if (marker == nullptr || marker->GetHandle() == nullptr) return;
  const RECT edge = marker->GetWindowRect();
  if (edge.top <= place.bottom) return;
  window.SetWindowPos(nullptr, 0, 0, place.right - place.left, edge.top - place.top,
                      SWP_NOMOVE | SWP_NOZORDER);
}
