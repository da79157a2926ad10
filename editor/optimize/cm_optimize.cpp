#include "editor/optimize/cm_optimize.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "document/system/system_image.h"
#include "editor/optimize/edited_configurations.h"
#include "foundation/helpers/file_list.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/model_globals.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "platform/core/paths.h"

namespace {

// The host of the editor's run: the window host's, with the undo snapshot of the system
// as it is when the run begins, and the views redrawn after each accepted step while the
// panel's "show each step" is ticked.
class TSnapshotHost final : public TOptimizationRunHost {
 public:
  TSnapshotHost(TOptimizationRunHost &inner, TEditedConfigurations &system, const TOptimizationFunctions &functions,
                TOptimizationParameters &parameters)
      : inner_(inner), image_(system.Image()), system_(system), functions_(functions), parameters_(parameters) {}
  int Pump() override { return inner_.Pump(); }
  void BeginRun() override {
    // Whatever was edited since the last snapshot is kept, so the step back from the run
    // lands exactly on the system before it.
    keptUndoIndex_ = image_.options.undoIndex;
    keptRedoBound_ = image_.options.redoBound;
    for (int i = 0; i < parameters_.Count(); ++i) startValues_.push_back(parameters_.Value(i));
    start_.Assign(image_, 0);
    SetRedoStepAside();
    image_.SaveUndo("Optimization start");
    begun = true;
    inner_.BeginRun();
  }
  // Some variable left its value of the start (every one is put back exactly when no step
  // was accepted).
  bool Changed() const {
    for (int i = 0; i < parameters_.Count(); ++i)
      if (i >= static_cast<int>(startValues_.size()) || parameters_.Value(i) != startValues_[i]) return true;
    return false;
  }
  // The snapshot of the start is no step when the run changed nothing (or failed): the
  // index goes back, and the redo step whose slot it took comes back with its label.
  void DropStartSnapshot() {
    if (image_.options.undoIndex != keptUndoIndex_) {
      image_.options.undoIndex = keptUndoIndex_;
      image_.options.redoBound = std::min(keptRedoBound_, keptUndoIndex_ + 1);
    }
    if (redoAside_.empty()) return;
    std::error_code failed, ignored;
    std::filesystem::rename(redoAside_, RedoSlot(), failed);
    redoAside_.clear();
    // The redo step's optimization setup comes back beside its snapshot (the start's is dropped).
    std::filesystem::remove(RedoSetupSlot(), ignored);
    if (!setupAside_.empty()) std::filesystem::rename(setupAside_, RedoSetupSlot(), ignored);
    setupAside_.clear();
    if (failed) return;
    image_.options.SetLabel(keptUndoIndex_ + 1, redoLabel_);
    image_.options.SetShown(keptUndoIndex_ + 1, redoShownBefore_, redoShownAfter_);
    image_.options.redoBound = keptRedoBound_;
  }
  ~TSnapshotHost() override {
    // A run that is a step of its own ended the redo steps.
    std::error_code ignored;
    if (!redoAside_.empty()) std::filesystem::remove(redoAside_, ignored);
    if (!setupAside_.empty()) std::filesystem::remove(setupAside_, ignored);
  }
  // The snapshot of the start is the step before it over again (nothing was edited since
  // that step): the run's own step takes its place, so one Undo goes back over the run.
  bool StartRepeatsTheStepBefore() const {
    const int ring = image_.options.RingSize();
    if (keptUndoIndex_ < 1 || image_.options.undoIndex != keptUndoIndex_ + 1) return false;
    auto same = [](const std::string &a, const std::string &b) {
      std::string x, y;
      const bool hasA = ReadFileBytes(a, x), hasB = ReadFileBytes(b, y);
      return hasA == hasB && x == y;
    };
    return FileExists(TempPath(UndoFileName(keptUndoIndex_ % ring))) &&
           same(TempPath(UndoFileName(keptUndoIndex_ % ring)), TempPath(UndoFileName((keptUndoIndex_ + 1) % ring))) &&
           same(TempPath(UndoSetupFileName(keptUndoIndex_ % ring)), TempPath(UndoSetupFileName((keptUndoIndex_ + 1) % ring)));
  }
  int KeptUndoIndex() const { return keptUndoIndex_; }
  void IterationAccepted(const TKorvexOptz &optz) override {
    if (functions_.ShowEachStep != 0) system_.RefreshViews();
    inner_.IterationAccepted(optz);
  }
  void EndRun() override { inner_.EndRun(); }
  bool LeaveSystemAsItWas() override {
    if (!begun) return false;
    const int modified = image_.HasUnsavedChanges();
    // The copy of the start, not the start values set again: a curvature's radius and the
    // surfaces after a distance would come back through a rounded inverse or difference.
    image_.Assign(start_, 1);
    for (int i = 0; i < parameters_.Count() && i < static_cast<int>(startValues_.size()); ++i)
      parameters_.StoreValue(i, startValues_[static_cast<std::size_t>(i)]);
    image_.SetUnsavedChanges(modified);
    // The views show it so while the run's fault box is up.
    system_.RefreshViews();
    return true;
  }
  bool begun = false;

 private:
  std::string RedoSlot() const {
    return TempPath(UndoFileName((keptUndoIndex_ + 1) % image_.options.RingSize()));
  }
  std::string RedoSetupSlot() const {
    return TempPath(UndoSetupFileName((keptUndoIndex_ + 1) % image_.options.RingSize()));
  }
  // The snapshot of the start takes the slot of the first redo step: that snapshot is kept
  // beside it until the run is known to be a step of its own.
  void SetRedoStepAside() {
    if (keptRedoBound_ <= keptUndoIndex_ + 1 || TempDir().empty()) return;
    const std::string slot = RedoSlot();
    std::error_code failed;
    std::filesystem::rename(slot, slot + ".redo", failed);
    if (failed) return;
    redoAside_ = slot + ".redo";
    // The optimization setup kept beside the redo step's snapshot goes aside with it.
    if (const std::string setup = RedoSetupSlot(); FileExists(setup)) {
      std::filesystem::rename(setup, setup + ".redo", failed);
      if (!failed) setupAside_ = setup + ".redo";
    }
    redoLabel_ = image_.options.Label(keptUndoIndex_ + 1);
    redoShownBefore_ = image_.options.ShownBefore(keptUndoIndex_ + 1);
    redoShownAfter_ = image_.options.ShownAfter(keptUndoIndex_ + 1);
  }
  TOptimizationRunHost &inner_;
  TSystemImage &image_;
  TEditedConfigurations &system_;
  const TOptimizationFunctions &functions_;
  TOptimizationParameters &parameters_;
  std::vector<double> startValues_;
  TSystemImage start_;  // the system as the run found it
  int keptUndoIndex_ = 0;
  int keptRedoBound_ = 0;
  std::string redoAside_;  // the first redo step's snapshot while the run goes on
  std::string setupAside_;  // and the setup kept beside it
  std::string redoLabel_;
  int redoShownBefore_ = -1, redoShownAfter_ = -1;  // the configurations its Undo and Redo show
};

}  // namespace

std::string DefaultParameterFile(const TSystemImage &image) { return ParameterFileBeside(image.name); }

std::string ParameterFileBeside(const std::string &file) {
  // A system never named has no folder: its file would land wherever the program started.
  const std::string base = BaseNameOfPath(file);
  if (base.empty()) return std::string();
  const std::string directory = DirectoryOfPath(file);
  return directory.empty() ? base + ".par" : directory + "/" + base + ".par";
}

TOptimizationRunResult CmOptimize(TEditedConfigurations &system, TOptimizationParameters &parameters,
                                  TOptimizationFunctions &functions, TOptimizationRunHost &host) {
  TSystemImage &image = system.Image();
  TSnapshotHost snapshots(host, system, functions, parameters);
  const TOptimizationRunResult result =
      RunOptimization(system, parameters, functions, snapshots, DefaultParameterFile(image));
  if (!snapshots.begun) return result;
  // Only a run that changed the system marks it modified and is a step to undo.
  if (snapshots.Changed()) {
    image.SetUnsavedChanges(1);
    if (snapshots.StartRepeatsTheStepBefore()) image.options.undoIndex = snapshots.KeptUndoIndex();
    image.SaveUndo("Optimization");
  } else {
    snapshots.DropStartSnapshot();
  }
  return result;
}
