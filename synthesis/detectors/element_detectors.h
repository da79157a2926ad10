#pragma once
// The synthesis side of the single-element detector models: test objects whose raster is
// the sensitive area of one detector element, 1.0 on the element and 0.0 elsewhere,
// centred on the raster's centre pixel (N/2, N/2). The synthesis multiplies the image's
// spectrum by the spectrum of this raster, so every image pixel becomes the sum of the
// image over an element centred on it. Their dialogs (the folder library) add the edits.
//
// Sizes are in the image plane's unit, that of the pixel size p of TTestImage: mm, or
// mrad when the image lies at infinity.

#include <string>
#include <vector>

#include "imaging/testobject/test_object.h"

// The state of the "None" model: it never has rasters.
constexpr std::int32_t kNoDetectorState = -1;

// The display names the synthesis and the settings file know the models by.
constexpr const char *kDetectorNoneName = "None";
constexpr const char *kDetectorRoundName = "Round";
constexpr const char *kDetectorRectangleName = "Rectangle";

// The share of the pixel (columnOffset, rowOffset) pixels from the centre that an element
// of side lz along the columns and ly along the rows, centred on the centre pixel, covers
// (0 .. 1): the product of the two sides' overlaps with the pixel. A side of 0 is one pixel
// thin, the centre's; a negative side covers nothing.
double RectangleShare(int columnOffset, int rowOffset, double p, float ly, float lz);
// The share of that pixel a disc of diameter d about the centre pixel's centre covers; a
// disc of diameter 0 is the centre pixel.
double DiscShare(int columnOffset, int rowOffset, double p, float d);

// Makes the model's raster and spectrum tables one record each, naming
// <temporary directory>/<stem>.img and <stem>.spc (wavelength 0, weight 1). False when a
// table cannot be allocated.
bool NameResponseFiles(TTestObject &model, const std::string &stem);

// What a response is made from: the kind, the raster's side N and pixel size p of the
// synthesis record, and the given values, each to the last bit.
std::string ResponseInputsText(const std::string &kind, const std::vector<double> &values);

// No detector: nothing to compute, no files; the synthesis knows it by its name.
class TDetectorNoneModel : public TTestObject {
 public:
  TDetectorNoneModel();
  int Calculate() override { return MakeResponse(); }
  int MakeResponse();
};

// A model with a response raster written as <temporary directory>/<stem>.img; its spectrum
// file <stem>.spc is named with it and written when the synthesis transforms the model.
class TElementDetectorModel : public TTestObject {
 public:
  TElementDetectorModel(const char *displayName, const char *fileStem);
  int Calculate() override { return MakeResponse(); }
  // Takes the dialog's values first (ReadParameters; its answer is not used), then writes
  // the N x N response raster and names both files in one-record tables. Leaves `state`
  // alone, so only TransformRasters moves the model on. 1 when the raster file stands;
  // 0 without a usable synthesis record or when the file cannot be written.
  virtual int MakeResponse();
  // The share of the pixel (column - N/2, N/2 - row) pixels from the centre that the
  // element covers, for pixel size p. The rows grow downwards, so the second offset grows
  // upwards. Shares, not whole pixels: an element only a few pixels across would else gain
  // or lose a large part of its area.
  virtual double CoveredShare(int columnOffset, int rowOffset, double p) const = 0;
  // Fills an n x n raster with the element for pixel size p: its cells sum to its area in
  // pixels.
  void FillResponse(Mem<float> &raster, int n, double p) const;
  // The kind, N, p and the sizes the element is drawn from.
  void ResponseInputs(std::vector<std::string> &inputs) const override;
  // The sizes CoveredShare draws the element from.
  virtual std::vector<double> ResponseSizes() const = 0;

  // The largest element side the models take: 0.8 N p as a float; 0 without a record.
  static float SizeLimit();
  // A size above the limit becomes just below it (0.99999 x limit); true when cut.
  static bool CutToLimit(float &size, float limit);

 protected:
  std::string fileStem_;
};

// A round element of diameter `Diameter`.
class TDetectorRoundModel : public TElementDetectorModel {
 public:
  TDetectorRoundModel();
  double CoveredShare(int columnOffset, int rowOffset, double p) const override;
  std::vector<double> ResponseSizes() const override;
  // A diameter typed by the user, cut to the limit; `state` 0 when the diameter changed.
  // True when it was cut (the round model still accepts the page). What is not a number
  // is not taken.
  bool TakeDiameter(float typed);

  float Diameter = 0.0f;
};

// A rectangular element: side Lz along the raster's columns, Ly along its rows.
class TDetectorRectangleModel : public TElementDetectorModel {
 public:
  TDetectorRectangleModel();
  double CoveredShare(int columnOffset, int rowOffset, double p) const override;
  std::vector<double> ResponseSizes() const override;
  // Sides typed by the user, both cut to the limit; `state` 0 when either changed. True
  // when a side was cut. A side that is not a number is not taken.
  bool TakeSides(float typedLy, float typedLz);

  float Lz = 0.0f;
  float Ly = 0.0f;
};
