#include "editor/optimize/cm_optimize.h"

#include "editor/model/system_image.h"
#include "editor/optimize/edited_configurations.h"
#include "foundation/helpers/path_parts.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"

namespace {

// The host of the editor's run: the window host's, with the undo snapshot of the system
// as it is when the run begins.
class TSnapshotHost final : public TOptimizationRunHost {
 public:
  TSnapshotHost(TOptimizationRunHost &inner, TSystemImage &image) : inner_(inner), image_(image) {}
  int Pump() override { return inner_.Pump(); }
  void BeginRun() override {
    // Whatever was edited since the last snapshot is kept, so the step back from the run
    // lands exactly on the system before it.
    image_.SaveUndo("Optimization start");
    begun = true;
    inner_.BeginRun();
  }
  void IterationAccepted(const TKorvexOptz &optz) override { inner_.IterationAccepted(optz); }
  void EndRun() override { inner_.EndRun(); }
  bool begun = false;

 private:
  TOptimizationRunHost &inner_;
  TSystemImage &image_;
};

}  // namespace

std::string DefaultParameterFile(const TSystemImage &image) {
  const std::string &file = image.name;
  std::string base = file.empty() ? std::string() : BaseNameOfPath(file);
  if (base.empty()) base = "untitled";
  const std::string directory = file.empty() ? std::string() : DirectoryOfPath(file);
  return directory.empty() ? base + ".par" : directory + "/" + base + ".par";
}

TOptimizationRunResult CmOptimize(TEditedConfigurations &system, TOptimizationParameters &parameters,
                                  TOptimizationFunctions &functions, TOptimizationRunHost &host) {
  TSystemImage &image = system.Image();
  TSnapshotHost snapshots(host, image);
  const TOptimizationRunResult result =
      RunOptimization(system, parameters, functions, snapshots, DefaultParameterFile(image));
  if (snapshots.begun) {
    image.SetModified(1);
    image.SaveUndo("Optimization");
  }
  return result;
}
