#include "editor/optimize/cm_optimize.h"

#include "document/system/system_image.h"
#include "editor/optimize/edited_configurations.h"
#include "foundation/helpers/path_parts.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"

namespace {

// The host of the editor's run: the window host's, with the undo snapshot of the system
// as it is when the run begins, and the views redrawn after each accepted step while the
// panel's "show each step" is ticked.
class TSnapshotHost final : public TOptimizationRunHost {
 public:
  TSnapshotHost(TOptimizationRunHost &inner, TEditedConfigurations &system, const TOptimizationFunctions &functions)
      : inner_(inner), image_(system.Image()), system_(system), functions_(functions) {}
  int Pump() override { return inner_.Pump(); }
  void BeginRun() override {
    // Whatever was edited since the last snapshot is kept, so the step back from the run
    // lands exactly on the system before it.
    image_.SaveUndo("Optimization start");
    begun = true;
    inner_.BeginRun();
  }
  void IterationAccepted(const TKorvexOptz &optz) override {
    if (functions_.ShowEachStep != 0) system_.RefreshViews();
    inner_.IterationAccepted(optz);
  }
  void EndRun() override { inner_.EndRun(); }
  bool begun = false;

 private:
  TOptimizationRunHost &inner_;
  TSystemImage &image_;
  TEditedConfigurations &system_;
  const TOptimizationFunctions &functions_;
};

}  // namespace

std::string DefaultParameterFile(const TSystemImage &image) {
  // A system never named has no folder: its file would land wherever the program started.
  const std::string &file = image.name;
  const std::string base = BaseNameOfPath(file);
  if (base.empty()) return std::string();
  const std::string directory = DirectoryOfPath(file);
  return directory.empty() ? base + ".par" : directory + "/" + base + ".par";
}

TOptimizationRunResult CmOptimize(TEditedConfigurations &system, TOptimizationParameters &parameters,
                                  TOptimizationFunctions &functions, TOptimizationRunHost &host) {
  TSystemImage &image = system.Image();
  TSnapshotHost snapshots(host, system, functions);
  const TOptimizationRunResult result =
      RunOptimization(system, parameters, functions, snapshots, DefaultParameterFile(image));
  if (snapshots.begun) {
    image.SetUnsavedChanges(1);
    image.SaveUndo("Optimization");
  }
  return result;
}
