#include "synthesis/nonisoplanar/superposition.h"

#include "imaging/testobject/test_object.h"
#include "synthesis/nonisoplanar/image_object_maps.h"
#include "synthesis/nonisoplanar/node_psf_lookup.h"

int SuperposeComponent(int k, TTestObject &object, const TImageObjectMaps &maps,
                       TNodePsfLookup &lookup, double pitch, int centreColumn, int centreRow,
                       Mem<float> &raster, TSuperposeWork &work, TRowProgress *progress,
                       int &rowsDone) {
  const int W = raster.cols;
  const int H = raster.rows;
  raster.Zero();
  for (int i = 0; i < H; ++i) {
    const double y = (centreRow - i) * pitch;
    for (int j = 0; j < W; ++j) {
      const double x = (j - centreColumn) * pitch;
      double objectZ = 0.0, objectY = 0.0;
      maps.ObjectPoint(k, x, y, objectZ, objectY);
      const double v = object.ValueAt(k, objectZ, objectY);
      if (v == 0.0) continue;
      if (!lookup.At(k, x, y, work.psf, work.header)) continue;
      float c = 1.0f, s = 0.0f;
      PsfTurn(objectZ, objectY, c, s);
      AddTurnedPsf(raster.data, W, H, j, i, static_cast<float>(v), work.psf.data,
                   work.header.width, work.header.height, work.header.originColumn,
                   work.header.originRow, c, s);
    }
    ++rowsDone;
    if (progress != nullptr && !progress->RowDone(rowsDone)) return 0;
  }
  return 1;
}
