#pragma once
// The PSF of every field node and spectral component of a system, each cut to the window
// where it rises above a fraction of its peak and written as a raster file of its own.
//
// A node is an entry of the system's field list, taken as the field point (value, 0). The
// records form a table of nodes columns and components rows; record (i, k) names
// "psf<100 k + i + 101>.img" in the temporary directory and holds the window's size, the
// cell where the node's chief ray meets the image (origin), the peak cell, the chief ray's
// image point (fieldX = z, fieldY = y; mm, or mrad for an image at infinity), the PSF
// sample step, the component's wavelength and weight.

#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

class TOpticalSystem;
class TSynthesisProgress;

// The window of an n x n raster holding every value >= peak x threshold: first and last
// column and row, inside the raster. An all-zero raster gives the whole raster.
struct TPsfWindow {
  int firstColumn = 0;
  int firstRow = 0;
  int lastColumn = 0;
  int lastRow = 0;
};
TPsfWindow FindPsfWindow(const float *psf, int n, float threshold);

// The first cell holding the largest positive value, scanning columns outer and rows inner;
// (w / 2, h / 2) when no value is positive.
void FindPsfPeak(const float *raster, int w, int h, int &peakColumn, int &peakRow);

// The file of node i at component k in `directory`.
std::string NodePsfFileName(const std::string &directory, int node, int component);

struct TNodePsfSettings {
  int gridSize = 128;        // N: side of every PSF grid, a power of two
  double sampleStep = 0.0;   // the PSF sample step given to the system before each node
  float threshold = 0.001f;  // window level relative to the peak
  std::string directory;     // where the files go (the temporary directory when empty)
};

// What one node's PSF windows keep of its light, by its own rays (a pupil grid traced to
// the image, FitPsfToField): over its components, the least share landing on the PSF grid
// about the chief ray, the farthest a ray lands from the chief ray along y or z, and the
// grid's side (mm, or mrad for an image at infinity).
struct TNodeLight {
  double field = 0.0;
  double share = 1.0;
  double spread = 0.0;
  double window = 0.0;
};

// Computes the table on `system`: prepared at each component's wavelength, its Nd set to
// N, each node sampled at the settings' step (the automatic interval of the wavelength
// when it is 0). The system's working wavelength and Nd are its own again afterwards and
// it is prepared at that wavelength.
// progress (may be null) gets a stage of N x components x nodes; the PSF sampling steps it
// through the PSF gauge. 1 when every node was made; 0 when a node PSF could not be
// computed (no light through the node, which is told; or Escape) or written, the table
// then empty. `light` (may be null) gets one entry per node.
int ComputeNodePsfs(TOpticalSystem &system, const TNodePsfSettings &settings,
                    Mem<TFileData> &table, TSynthesisProgress *progress,
                    std::vector<TNodeLight> *light = nullptr);
