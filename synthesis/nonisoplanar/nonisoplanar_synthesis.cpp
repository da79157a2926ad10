#include "synthesis/nonisoplanar/nonisoplanar_synthesis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "foundation/numerics/pi.h"
#include "imaging/filter/aperiodical_filter.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/clock.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/psf_fit.h"
#include "synthesis/nonisoplanar/node_psf_resample.h"
#include "synthesis/nonisoplanar/node_psfs.h"
#include "synthesis/nonisoplanar/superposition.h"
#include "synthesis/nonisoplanar/synthesis_progress.h"

namespace {

// Node coordinates of an image at infinity are mrad; the turned system's field is degrees.
constexpr double kMilliradiansToDegrees = 0.180 / kPi;

constexpr const char *kLargePsfQuestion =
    "        Size of PSF is too large!\n   Advice: calculate an isoplanar image.\n\n"
    "Do you want to continue calculating the non-isoplanar image?";
constexpr const char *kNoImageField = "The field of the system has no image: the image cannot be formed!";
constexpr const char *kTurnFailed = "System error...";
// The test object drawn from bitmaps, whose scene has a size of its own.
constexpr const char *kBitmapSceneName = "Custom object";

int Count(const Mem<double> &list) { return list.Cells(); }

// Steps the gauge once per row and shows the running times, the estimate smoothed.
class TRowTimes : public TRowProgress {
 public:
  TRowTimes(TSynthesisProgress *progress, int totalRows)
      : progress_(progress), totalRows_(totalRows), start_(GetTickCount()), filter_(1.0, 2.0) {}
  int RowDone(int rowsDone) override {
    if (progress_ == nullptr) return 1;
    if (!progress_->Step(rowsDone)) return 0;
    const long elapsed = static_cast<long>(static_cast<DWORD>(GetTickCount() - start_) / 1000u);
    const long estimate = static_cast<long>(static_cast<double>(elapsed) / rowsDone * totalRows_);
    const long smoothed = static_cast<long>(filter_.Step(static_cast<double>(estimate)));
    char text[96];
    std::snprintf(text, sizeof text, "Image. Times: elapsed- %02ld:%02ld, estimated- %02ld:%02ld",
                  elapsed / 60, elapsed % 60, smoothed / 60, smoothed % 60);
    progress_->SetText(text);
    return 1;
  }

 private:
  TSynthesisProgress *progress_;
  int totalRows_;
  DWORD start_;
  TAperiodicalFilter filter_;
};

}  // namespace

std::unique_ptr<TOpticalSystem> TPlainSystemTurner::TurnedCopy(const TOpticalSystem &system) {
  std::unique_ptr<TOpticalSystem> copy(new (std::nothrow) TOpticalSystem(system));
  if (copy) copy->TurnSystem();
  return copy;
}

int TNonIsoplanarSynthesis::PrepareSystemData(TNonIsoplanarJob &job) {
  TOpticalSystem &system = *job.system;
  TTestImage &image = *job.image;
  image.objectFieldHalf = TImageObjectMaps::ObjectFieldHalf(system);
  image.objectFieldWidth = 2.0 * image.objectFieldHalf;
  std::unique_ptr<TOpticalSystem> turned = job.turner->TurnedCopy(system);
  turnedCopyMade_ = turned != nullptr;
  maps.imageFieldHalf = 0.0;
  if (!turned) return 0;
  turned->Prepare(0.0, 1, 1);
  const int built = maps.Build(*turned, system.info.LambdaW);
  image.imageFieldHalf = maps.imageFieldHalf;
  image.imageFieldWidth = 2.0 * maps.imageFieldHalf;
  image.imageFieldTenth = maps.step;
  nodeToImage = system.info.ImageFinite == 0 ? kMilliradiansToDegrees : 1.0;
  return built;
}

int TNonIsoplanarSynthesis::GatherNodePsfs(const Mem<TFileData> &nodeTable, double objectPixel) {
  nodePsfs.Clear();
  const int nodes = nodeTable.data != nullptr ? nodeTable.cols : 0;
  const int components = nodes > 0 ? nodeTable.rows : 0;
  if (nodes == 0 || components == 0) return 1;
  if (!nodePsfs.Allocate(nodes, components)) return 0;
  Mem<float> source, resampled;
  for (int i = 0; i < nodes; ++i) {
    for (int k = 0; k < components; ++k) {
      TFileData &record = nodePsfs.data[k * nodes + i];
      record = nodeTable.data[k * nodes + i];
      record.handle = nullptr;
      TFileData header = record;
      record.fileName = ResampledPsfName(header.fileName);
      if (!header.Read(source)) return 0;
      // The object-side size of one PSF sample, from the maps of the first component.
      double z0 = 0.0, y0 = 0.0, z1 = 0.0, y1 = 0.0;
      maps.ObjectPoint(0, 0.0, 0.0, z0, y0);
      maps.ObjectPoint(0, 0.0, header.sampleStep * nodeToImage, z1, y1);
      TFileData resampledHeader;
      if (!ResamplePsf(source, header, y1 - y0, objectPixel, resampled, resampledHeader)) return 0;
      // The node PSF has unit integral over the image plane (its cells sum to the
      // transmission over the step squared); times the step squared each cell holds the
      // share of the point's light that falls in it, whatever step each wavelength had.
      const float area = header.sampleStep * header.sampleStep;
      for (int c = 0; c < resampled.cols * resampled.rows; ++c) resampled.data[c] *= area;
      resampledHeader.fileName = record.fileName;
      if (!resampledHeader.Write(resampled)) return 0;
    }
  }
  return 1;
}

bool OfferNodeWindow(const std::vector<TNodeLight> &light, bool atInfinity, double &wanted) {
  std::string lines;
  double spread = 0.0;
  const char *unit = atInfinity ? "mrad" : "mm";
  for (const TNodeLight &node : light) {
    spread = std::max(spread, node.spread);
    if (node.share >= kPsfShareKept) continue;
    char line[200];
    std::snprintf(line, sizeof line, "Beam %g: its window of %.3g %s holds %.1f %% of its light; its rays spread %.3g %s round the chief ray.\n",
                  node.field, node.window, unit, 100.0 * node.share, node.spread, unit);
    lines += line;
  }
  if (lines.empty()) return false;
  // A tenth to spare round the farthest ray.
  wanted = 2.2 * spread;
  char question[160];
  std::snprintf(question, sizeof question,
                "The picture loses the rest.\nCompute the node PSFs on a window of %.3g %s, which holds every beam's light?",
                wanted, unit);
  return MessageBox(nullptr, "The PSFs of the field nodes are sampled on windows narrower than their blur:\n" + lines + question,
                    "Warning", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

TRunRaster RunRaster(const TTestObject &object, int pixelCount) {
  TRunRaster run;
  if (object.name == kBitmapSceneName) {
    run.width = static_cast<int>(object.pictureSize.cx);
    run.height = static_cast<int>(object.pictureSize.cy);
    run.centreColumn = static_cast<int>(object.pictureCentre.x);
    run.centreRow = static_cast<int>(object.pictureCentre.y);
    return run;
  }
  // Not the last picture shown: that may be another Quality's, or a small preview.
  const int n = pixelCount > 0 ? pixelCount : 0;
  run.width = run.height = n;
  run.centreColumn = run.centreRow = n / 2;
  return run;
}

int TNonIsoplanarSynthesis::Run(TNonIsoplanarJob &job) {
  if (job.system == nullptr || job.turner == nullptr || job.object == nullptr ||
      job.image == nullptr || job.nodeTable == nullptr || job.nodeState == nullptr ||
      job.results == nullptr)
    return kNonIsoplanarFailed;
  TOpticalSystem &system = *job.system;
  TTestImage &image = *job.image;
  TTestObject &object = *job.object;
  if (Count(system.info.AlfaM) == 0) return kNonIsoplanarUseIsoplanar;

  if (!PrepareSystemData(job)) {
    // A turned system without glasses has said so itself.
    if (!turnedCopyMade_)
      MessageBox(nullptr, kTurnFailed, "Warning", MB_OK | MB_ICONINFORMATION);
    else if (maps.imageFieldHalf == 0.0)
      MessageBox(nullptr, kNoImageField, "Warning", MB_OK | MB_ICONINFORMATION);
    return kNonIsoplanarFailed;
  }
  image.customObject = object.name == kBitmapSceneName ? 1 : 0;
  if (!object.Calculate()) return kNonIsoplanarFailed;
  const TRunRaster run = RunRaster(object, image.pixelCount);
  const int W = run.width;
  const int H = run.height;
  if (W < 1 || H < 1) return kNonIsoplanarFailed;
  const int n = W > H ? W : H;
  image.objectStep = image.objectFieldWidth / n;
  const double pitch = image.imageFieldWidth / n;
  const double objectPixel = image.objectStep;

  // Node PSFs of an earlier synthesis serve while they match the system's nodes.
  const int nodes = Count(system.info.AlfaM);
  const int components = TImageObjectMaps::ComponentCount(system);
  Mem<TFileData> &table = *job.nodeTable;
  const bool reusable = *job.nodeState == 1 && table.data != nullptr && table.cols == nodes &&
                        table.rows == components;
  if (!reusable) {
    *job.nodeState = 0;
    TNodePsfSettings settings;
    settings.gridSize = image.pixelCount;
    settings.sampleStep = image.savedDiscrete;
    settings.threshold = image.psfCutLevel;
    settings.directory = job.directory;
    std::vector<TNodeLight> light;
    if (!ComputeNodePsfs(system, settings, table, job.progress, &light)) return kNonIsoplanarFailed;
    // A node whose blur its PSF's window does not hold is told, with a window that holds
    // every node's: the picture would else show a lens better than it is.
    double wanted = 0.0;
    if (OfferNodeWindow(light, system.info.ImageFinite == 0, wanted)) {
      settings.sampleStep = wanted / settings.gridSize;
      if (!ComputeNodePsfs(system, settings, table, job.progress)) return kNonIsoplanarFailed;
    }
    *job.nodeState = 1;
  }
  if (!GatherNodePsfs(table, objectPixel)) return kNonIsoplanarFailed;

  // A PSF sample wider than an object pixel: the image grid cannot show the PSF's form.
  double z0 = 0.0, y0 = 0.0, z1 = 0.0, y1 = 0.0;
  maps.ObjectPoint(0, 0.0, 0.0, z0, y0);
  maps.ObjectPoint(0, 0.0, nodePsfs.data[0].sampleStep * nodeToImage, z1, y1);
  if (std::fabs(y1 - y0) / objectPixel > 1.0) {
    MessageBeep(MB_SIMPLEBEEP);
    if (MessageBox(nullptr, kLargePsfQuestion, "Warning", MB_YESNO | MB_ICONINFORMATION) == IDNO)
      return kNonIsoplanarFailed;
  }

  const int C = table.rows;
  Mem<float> raster;
  Mem<TFileData> &results = *job.results;
  results.Clear();
  if (!raster.Allocate(W, H) || !results.Allocate(C, 1)) {
    results.Clear();
    return kNonIsoplanarFailed;
  }
  if (job.progress != nullptr) job.progress->Begin(H * C, RGB(0, 0, 192));
  lookup.Reset(&nodePsfs, nodeToImage);
  const std::string directory = job.directory.empty() ? TempDir() : job.directory;
  // No private directory: no results at the root.
  if (directory.empty()) {
    results.Clear();
    return kNonIsoplanarFailed;
  }
  TRowTimes times(job.progress, H * C);
  TSuperposeWork work;
  int rowsDone = 0;
  int written = 0;
  for (int k = 0; k < C; ++k) {
    if (!SuperposeComponent(k, object, maps, lookup, pitch, run.centreColumn, run.centreRow, raster, work,
                            &times, rowsDone))
      break;
    TFileData &record = results.data[k];
    char name[32];
    std::snprintf(name, sizeof name, "/img%d.img", k);
    record = TFileData();
    record.fileName = directory + name;
    record.wavelength = table.data[k * table.cols].wavelength;
    record.weight = table.data[k * table.cols].weight;
    if (!record.Write(raster)) {
      results.Clear();
      return kNonIsoplanarFailed;
    }
    ++written;
  }
  // A stop keeps the components finished before it, and no record without its file.
  if (written < C) {
    if (written == 0)
      results.Clear();
    else
      results.Resize(written, 1);
    return kNonIsoplanarStopped;
  }
  return kNonIsoplanarDone;
}
