#include "synthesis/nonisoplanar/node_psf_lookup.h"

#include <algorithm>
#include <cmath>

int TNodePsfLookup::Reset(const Mem<TFileData> *table, double nodeToImage) {
  table_ = table;
  nodes_ = table != nullptr && table->data != nullptr ? table->cols : 0;
  components_ = nodes_ > 0 ? table->rows : 0;
  lower_.node = upper_.node = component_ = -1;
  if (nodes_ == 0 || components_ == 0) {
    nodes_ = components_ = 0;
    return 0;
  }
  if (!radius_.Allocate(nodes_, components_) || !order_.Allocate(nodes_, components_)) {
    nodes_ = components_ = 0;
    return 0;
  }
  for (int k = 0; k < components_; ++k) {
    int *order = order_.data + k * nodes_;
    float *radius = radius_.data + k * nodes_;
    Mem<float> unsorted(nodes_, 1);
    if (unsorted.data == nullptr) {
      nodes_ = components_ = 0;
      return 0;
    }
    for (int i = 0; i < nodes_; ++i) {
      const TFileData &record = table->data[k * nodes_ + i];
      const double z = record.fieldX * nodeToImage;
      const double y = record.fieldY * nodeToImage;
      unsorted.data[i] = static_cast<float>(std::sqrt(z * z + y * y));
      order[i] = i;
    }
    // Nodes may be listed in any order; equal radii keep the list's order.
    std::stable_sort(order, order + nodes_,
                     [&](int a, int b) { return unsorted.data[a] < unsorted.data[b]; });
    for (int i = 0; i < nodes_; ++i) radius[i] = unsorted.data[order[i]];
  }
  return 1;
}

bool TNodePsfLookup::Load(TCached &slot, int i, int k) {
  if (slot.node == i && component_ == k) return true;
  slot.node = -1;
  TFileData record = table_->data[k * nodes_ + i];
  record.handle = nullptr;
  if (!record.Read(slot.raster) || slot.raster.data == nullptr ||
      slot.raster.cols != record.width || slot.raster.rows != record.height)
    return false;
  slot.header = record;
  slot.node = i;
  return true;
}

int TNodePsfLookup::At(int k, double x, double y, Mem<float> &psf, TFileData &header) {
  if (k < 0 || k >= components_) return 0;
  const float *radius = radius_.data + k * nodes_;
  const int *order = order_.data + k * nodes_;
  const float r = static_cast<float>(std::sqrt(x * x + y * y));
  // The nearest node in radius order (the first of equals).
  int best = 0;
  float bestDiff = r - radius[0];
  for (int p = 1; p < nodes_; ++p) {
    const float diff = r - radius[p];
    if (std::fabs(diff) < std::fabs(bestDiff)) {
      best = p;
      bestDiff = diff;
    }
  }
  if (!std::isfinite(bestDiff)) return 0;
  int lower = bestDiff < 0.0f ? best - 1 : best;
  int upper = lower + 1;
  if (nodes_ == 1 || (bestDiff == 0.0f && best == nodes_ - 1)) lower = upper = best;
  if (lower < 0 || upper >= nodes_) return 0;

  if (component_ != k) lower_.node = upper_.node = -1;
  // The slots may swap roles as the scan crosses a node: reuse whichever holds a node.
  if (lower_.node != order[lower] && upper_.node == order[lower]) {
    lower_.raster.Swap(upper_.raster);
    std::swap(lower_.node, upper_.node);
    std::swap(lower_.header, upper_.header);
  }
  if (!Load(lower_, order[lower], k)) return 0;
  if (!Load(upper_, order[upper], k)) {
    component_ = k;
    return 0;
  }
  component_ = k;
  const TFileData &A = lower_.header;
  const TFileData &B = upper_.header;
  const float span = radius[upper] - radius[lower];
  const float t = span > 0.0f ? (r - radius[lower]) / span : 0.0f;

  const int colMin = std::min(-A.originColumn, -B.originColumn);
  const int colMax = std::max(A.width - 1 - A.originColumn, B.width - 1 - B.originColumn);
  const int rowMin = std::min(-A.originRow, -B.originRow);
  const int rowMax = std::max(A.height - 1 - A.originRow, B.height - 1 - B.originRow);
  const int width = colMax - colMin + 1;
  const int height = rowMax - rowMin + 1;
  if (psf.data == nullptr || psf.cols != width || psf.rows != height) {
    if (!psf.Allocate(width, height)) return 0;
  }
  header = A;
  header.handle = nullptr;
  header.width = width;
  header.height = height;
  header.originColumn = -colMin;
  header.originRow = -rowMin;

  // Peak on peak: each PSF is shifted so that its peak lands where the blend puts it.
  const int pAc = A.peakColumn - A.originColumn, pBc = B.peakColumn - B.originColumn;
  const int pAr = A.peakRow - A.originRow, pBr = B.peakRow - B.originRow;
  // Rounded, so that a point just past a node keeps that node's peak where it was.
  const int sc = static_cast<int>(std::lround(pAc + (pBc - pAc) * t));
  const int sr = static_cast<int>(std::lround(pAr + (pBr - pAr) * t));
  const int aShiftC = pAc - sc, aShiftR = pAr - sr, bShiftC = pBc - sc, bShiftR = pBr - sr;
  header.peakColumn = header.originColumn + sc;
  header.peakRow = header.originRow + sr;
  for (int v = rowMin; v <= rowMax; ++v) {
    const int ar = A.originRow + v + aShiftR;
    const int br = B.originRow + v + bShiftR;
    const bool aRow = ar >= 0 && ar < A.height;
    const bool bRow = br >= 0 && br < B.height;
    float *out = psf.data + (header.originRow + v) * width + header.originColumn;
    for (int u = colMin; u <= colMax; ++u) {
      const int ac = A.originColumn + u + aShiftC;
      const int bc = B.originColumn + u + bShiftC;
      const float a = aRow && ac >= 0 && ac < A.width ? lower_.raster.data[ar * A.width + ac] : 0.0f;
      const float b = bRow && bc >= 0 && bc < B.width ? upper_.raster.data[br * B.width + bc] : 0.0f;
      out[u] = a + (b - a) * t;
    }
  }
  return 1;
}
