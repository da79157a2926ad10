#pragma once
// The PSF at an image point, blended from the two nodes whose image radii bracket the
// point's radius, over resampled node PSF files (node_psf_resample.h).
//
// The two node rasters in use are kept, so the files are read only when the bracket or the
// component changes; a row-by-row scan of the image changes it rarely.

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

class TNodePsfLookup {
 public:
  // table: nodes columns x components rows of resampled PSF records (not owned; it must
  // outlive the look-ups). nodeToImage converts the records' node coordinates to the
  // image units of the look-up (the node coordinates of an image at infinity are mrad).
  // Empties the cache.
  int Reset(const Mem<TFileData> *table, double nodeToImage);

  // The blended PSF at the image point (x, y) for component k into psf, with its size,
  // origin cell and peak in header. For the radius r of the point, the node whose radius
  // is nearest (the lower index on a tie) and its neighbour on the far side of r form the
  // pair; the blend weight is t = (r - rA) / (rB - rA) and both PSFs are laid peak on
  // peak, the peak moving by t between them. A point exactly at the outermost node takes
  // that node alone, and so does every point when there is one node. 0 when no pair
  // brackets the point (inside the innermost or past the outermost node), or when a
  // node's file cannot be read.
  int At(int k, double x, double y, Mem<float> &psf, TFileData &header);

  int Nodes() const { return nodes_; }

 private:
  struct TCached {
    int node = -1;
    Mem<float> raster;
    TFileData header;
  };
  // Loads node i of component k into slot unless it holds it already.
  bool Load(TCached &slot, int i, int k);

  const Mem<TFileData> *table_ = nullptr;
  int nodes_ = 0;
  int components_ = 0;
  Mem<float> radius_;  // per component row: the node radii in ascending order
  Mem<int> order_;     // per component row: node indices in that order
  TCached lower_;
  TCached upper_;
  int component_ = -1;
};
