#include "synthesis/nonisoplanar/node_psfs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/helpers/helpers.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/psf/psf_progress.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/psf_fit.h"
#include "synthesis/nonisoplanar/image_object_maps.h"
#include "synthesis/nonisoplanar/synthesis_progress.h"

namespace {

constexpr int kNodesPerComponentNumber = 100;
constexpr int kFirstNodeNumber = 101;

bool EnsureGrid(Mem<float> &raster, int n) {
  if (raster.data != nullptr && raster.cols == n && raster.rows == n) return true;
  return raster.Allocate(n, n) != 0;
}

// Which ray of a node failed: the chief ray, or (the chief ray passing) every pupil ray.
void TellNodeFailed(TOpticalSystem &system, double field) {
  system.SolveChiefRay(field, 0.0);
  TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
  char text[96];
  if (system.TraceRay(chief, kTracePlain, nullptr, 0) != 1)
    std::snprintf(text, sizeof text, "Chief ray in beam %g does not pass!", field);
  else
    std::snprintf(text, sizeof text, "No ray of beam %g passes the system!", field);
  MessageBox(nullptr, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

TPsfWindow FindPsfWindow(const float *psf, int n, float threshold) {
  float peak = 0.0f;
  const long count = static_cast<long>(n) * n;
  for (long i = 0; i < count; ++i)
    if (psf[i] > peak) peak = psf[i];
  const float level = peak * threshold;
  TPsfWindow window{n, n, -1, -1};
  for (int r = 0; r < n; ++r) {
    const float *row = psf + static_cast<long>(r) * n;
    for (int c = 0; c < n; ++c) {
      if (!(row[c] >= level)) continue;
      if (c < window.firstColumn) window.firstColumn = c;
      if (c > window.lastColumn) window.lastColumn = c;
      if (r < window.firstRow) window.firstRow = r;
      if (r > window.lastRow) window.lastRow = r;
    }
  }
  // A grid of NaNs holds no cell at any level: it is kept whole.
  if (window.lastColumn < 0) window = TPsfWindow{0, 0, n - 1, n - 1};
  return window;
}

void FindPsfPeak(const float *raster, int w, int h, int &peakColumn, int &peakRow) {
  peakColumn = w / 2;
  peakRow = h / 2;
  float largest = 0.0f;
  for (int c = 0; c < w; ++c) {
    for (int r = 0; r < h; ++r) {
      const float v = raster[static_cast<long>(r) * w + c];
      if (v > largest) {
        largest = v;
        peakColumn = c;
        peakRow = r;
      }
    }
  }
}

std::string NodePsfFileName(const std::string &directory, int node, int component) {
  char name[64];
  // Past 99 nodes the number would meet the next component's: such nodes get a name of
  // their own form.
  if (node < kNodesPerComponentNumber - 1) {
    std::snprintf(name, sizeof name, "/psf%d.img",
                  kNodesPerComponentNumber * component + node + kFirstNodeNumber);
  } else {
    std::snprintf(name, sizeof name, "/psf%d_%d.img", component, node);
  }
  return directory + name;
}

int ComputeNodePsfs(TOpticalSystem &system, const TNodePsfSettings &settings,
                    Mem<TFileData> &table, TSynthesisProgress *progress,
                    std::vector<TNodeLight> *light) {
  TOpticalSystemInformation &info = system.info;
  const Mem<double> &fields = info.AlfaM;
  const int nodes = fields.Cells();
  const int components = TImageObjectMaps::ComponentCount(system);
  const int n = settings.gridSize;
  table.Clear();
  if (nodes == 0 || n < 4 || (n & (n - 1)) != 0) return 0;
  if (!EnsureGrid(system.workArray1, n) || !EnsureGrid(system.workArray2, n)) return 0;
  if (!table.Allocate(nodes, components)) return 0;

  const std::string directory = settings.directory.empty() ? TempDir() : settings.directory;
  // No private directory: no node files in the current one.
  if (directory.empty()) {
    table.Clear();
    return 0;
  }
  // Each component's preparation makes its wavelength the working one: the user's comes
  // back with the node count, prepared, on every way out.
  TWorkingWavelength working(system, TWavelengthRestore::kPrepare, 1);
  working.KeepNodeCount();
  const double workingLambda = working.Lambda();
  info.Nd = n;
  if (progress != nullptr) progress->Begin(n * components * nodes, RGB(128, 0, 0));
  BeginPsfJob();
  SetWaitCursor();

  Mem<float> window;
  int made = 1;
  if (light != nullptr) light->assign(static_cast<std::size_t>(nodes), TNodeLight{});
  for (int i = 0; i < nodes && made; ++i) {
    const double field = fields.data[i];
    if (light != nullptr) (*light)[static_cast<std::size_t>(i)].field = field;
    for (int k = 0; k < components && made; ++k) {
      const double lambda = TImageObjectMaps::ComponentWavelength(system, k, workingLambda);
      // Missing glasses are told once, by the first preparation, and end the nodes.
      if (system.Prepare(lambda, 1, 1) <= 0) {
        made = 0;
        break;
      }
      // The given step, or the automatic one of this wavelength when it is 0.
      system.SetupFieldSampling(settings.sampleStep);
      if (!system.ComputePSFNodes(field, 0.0, 1)) {
        // Not stopped by the user: the node has no light to give a PSF, and is named.
        if (!PsfCancelled()) TellNodeFailed(system, field);
        made = 0;
        break;
      }
      const TPsfWindow cut = FindPsfWindow(system.workArray1.data, n, settings.threshold);
      const int w = cut.lastColumn - cut.firstColumn + 1;
      const int h = cut.lastRow - cut.firstRow + 1;
      if (!window.Allocate(w, h)) {
        made = 0;
        break;
      }
      const float *grid = system.workArray1.data;
      double gridLight = 0.0, windowLight = 0.0;
      for (long c = 0; c < static_cast<long>(n) * n; ++c) gridLight += grid[c];
      for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
          const float value = grid[static_cast<long>(cut.firstRow + r) * n + cut.firstColumn + c];
          window.data[r * w + c] = value;
          windowLight += value;
        }
      // The tails below the cut level hold light too (a few per cent on a fine grid): the
      // window is scaled to keep the whole grid's light, so the image keeps the object's.
      if (windowLight > 0.0 && std::isfinite(gridLight / windowLight)) {
        const float keep = static_cast<float>(gridLight / windowLight);
        for (int c = 0; c < w * h; ++c) window.data[c] *= keep;
      }

      TFileData &record = table.data[k * nodes + i];
      record = TFileData();
      record.fileName = NodePsfFileName(directory, i, k);
      const Mem<TSpectralInfo> &list = info.Spectrum;
      const bool listed = info.MonochromeSystem == 0 && list.data != nullptr &&
                          k < list.cols * list.rows;
      record.wavelength = static_cast<float>(lambda);
      record.weight = listed ? static_cast<float>(list.data[k].weight) : 1.0f;
      record.sampleStep = static_cast<float>(info.discreteInEffect);
      record.originColumn = n / 2 - cut.firstColumn;
      record.originRow = n / 2 - cut.firstRow;
      FindPsfPeak(window.data, w, h, record.peakColumn, record.peakRow);
      // The chief ray's image point as the PSF sampling stored it: z, then y.
      record.fieldX = info.psfResults[1];
      record.fieldY = info.psfResults[2];
      if (!record.Write(window)) made = 0;
      // The node's own rays against the grid the PSF was sampled on, about its chief ray.
      if (light != nullptr) {
        TNodeLight &node = (*light)[static_cast<std::size_t>(i)];
        const double side = n * static_cast<double>(record.sampleStep);
        const TPsfFit fit = FitPsfToField(system, field, 0.0, 0.5 * side);
        node.share = std::min(node.share, fit.share);
        node.spread = std::max(node.spread, fit.spread);
        node.window = side;
      }
    }
  }

  working.Restore();
  SetArrowCursor();
  if (!made) table.Clear();
  return made;
}
