#pragma once
// The scanned line arrays: rectangular elements Ly x Lz in a column across the scan, which
// runs along the raster rows (the image moves along x). Each element delivers the scanned
// signal of the raster row through its centre. The double array staggers its elements in
// two lines dZ0 apart, alternately right and left of the centre; the single line keeps
// them in one (dZ0 held at 0). Each writes its element to a file of its own ("d_slide" the
// double array, "d_sline" the single line), so neither ever takes the other's.
//
// The scan itself is the base CalcSignal's (the scanner record's time lag along each row);
// it acts once a scan was prepared on the scanner record.

#include "synthesis/detectors/array_detectors.h"

constexpr const char *kDetectorDoubleLineName = "Double line";
constexpr const char *kDetectorSingleLineName = "Single line";

class TDetectorSlideModel : public TArrayDetectorModel {
 public:
  TDetectorSlideModel();

  // Sizes typed by the user: what is not a number is not taken, each below the pixel size
  // p becomes p, element sizes above 0.8 N p are cut to 0.99999 x that (true when cut).
  // Centre distances below the element sizes are allowed: elements may overlap. `state`
  // 0 when anything ends up changed.
  // The single line takes no distance between lines: it stays 0, and raising it to a pixel
  // is no change.
  bool TakeSizes(float typedLy, float typedLz, float typedDY0, float typedDZ0);

  // Signal mode: the image is scanned (base CalcSignal), then each element's rows take the
  // scanned row through its centre, across the whole raster; rows of no element become 0.
  // Layout mode: the raster becomes N x N with the elements drawn, their edges at 0.5 where
  // they face a neighbour (1.0 where the raster clips them). A raster that is not N x N in
  // signal mode stays as it is.
  void CalcSignal(Mem<float> &raster, int mode) override;

  // The distance between the two lines the elements stand in: dZ0, 0 for the single line.
  float LineDistance() const { return singleLine_ ? 0.0f : dZ0; }
  bool SingleLine() const { return singleLine_; }

 protected:
  // singleLine: the single line's model (its name, dZ0 held at 0).
  explicit TDetectorSlideModel(bool singleLine);

 private:
  bool singleLine_ = false;
};

class TDetectorSingleLineModel : public TDetectorSlideModel {
 public:
  TDetectorSingleLineModel() : TDetectorSlideModel(true) {}
};
