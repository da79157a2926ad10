#pragma once
// The nonisoplanar area holds the image synthesis with a PSF per field node: the maps from
// image points to object points traced through the system turned round, the node PSFs and
// their resampling to the image grid, the look-up and blending of the two nodes that
// bracket an image point, and the cell-by-cell superposition. It uses optics/model,
// optics/psf, optics/trace, synthesis/testobject and synthesis/filter; its window side
// (the turning of the edited system) lives in the folder library.
//
// TImageObjectMaps: for every spectral component, an 11 x 11 grid of image points and the
// object points their chief rays come from, found by tracing the system turned round from
// the image side. Cell (a, b) of a map is the image point z = (a - 5) step, y = (5 - b)
// step (rows grow downwards, as in every raster of the synthesis).

#include "foundation/containers/mem.h"

class TOpticalSystem;

constexpr int kMapSide = 11;

class TImageObjectMaps {
 public:
  // The extents of the system's own field: the largest |field value|, in radians for an
  // object at infinity (the field list holds degrees) and in mm for a finite object.
  static double ObjectFieldHalf(const TOpticalSystem &system);

  // The spectral components of a system: 1 when it is monochrome or has no wavelength
  // list, else the length of the list.
  static int ComponentCount(const TOpticalSystem &system);
  // The wavelength of component k: the working one when monochrome, else entry k.
  static double ComponentWavelength(const TOpticalSystem &system, int k, double workingLambda);

  // Builds the maps on `turned`, the system turned round (its field list holds image
  // points: heights in mm, or angles in degrees for an image at infinity), one per
  // spectral component, the turned system prepared at each component's wavelength
  // (workingLambda for a monochrome system). Each map value is the object-side y or z of
  // the chief ray that leaves the turned system: its height in mm when its image (the
  // original object) is finite, else its angle ImageAngle(M, L) in radians. The chief rays of
  // one map are traced as one batch; a ray that does not pass leaves its cell 0. 0 (maps
  // empty) when the image field is 0, the turned system cannot be prepared or memory runs
  // out; the field half and step are set.
  int Build(TOpticalSystem &turned, double workingLambda);

  // The object point of the image point (x, y): bilinear in map k, a cell outside the map
  // counting as 0. first = object z, second = object y.
  void ObjectPoint(int k, double x, double y, double &objectZ, double &objectY) const;

  // The map grid as given values (tests, and the identity of a system without distortion).
  int SetUniform(int components, double imageHalf, double scale);

  int Components() const { return mapY.cols > 0 ? mapY.rows : 0; }

  double imageFieldHalf = 0.0;  // largest |image field value| of the turned system
  double step = 0.0;            // the map's cell: 2 imageFieldHalf / (kMapSide - 1)
  // Row k of each holds map k, kMapSide x kMapSide floats, cell (a, b) at b * side + a.
  Mem<float> mapY;
  Mem<float> mapZ;

 private:
  static float Interpolate(const float *map, double x, double y, double step);
};
