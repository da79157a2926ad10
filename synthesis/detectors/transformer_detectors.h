#pragma once
// The optical-transformer detector models. The optical transformer stands before the
// detector and is described by its spatial-frequency response, a table of gains read from
// a *.otd file; its response raster is the real inverse transform of that response laid
// out radially over the raster's frequency grid: the transformer's signed point response
// in the detector plane, summing to the gain at frequency 0, so that it passes each
// frequency by the table's gain. The matrix-and-transformer model combines the
// matrix detector's element with it: its response is the linear convolution of both
// responses, cut to the raster, as the picture passes them.

#include <string>

#include "imaging/testobject/test_object.h"
#include "synthesis/detectors/transformer_file.h"

class TDetectorMatrixModel;

constexpr const char *kDetectorTransformerName = "Optical transformer";
constexpr const char *kDetectorMatrixTransformerName = "Matrix & Transformer";
// The file name before one is chosen.
constexpr const char *kUntitledTransformerFile = "Untitled";

class TDetectorOpticalTransformerModel : public TTestObject {
 public:
  TDetectorOpticalTransformerModel();
  int Calculate() override { return MakeResponse(); }
  // The file is read again first: a response whose file changed or went is made anew, or
  // refused with the file's problem.
  int TransformRasters() override;
  // Reads the response table from FileName with the raster's step 1/(N p) as the default
  // frequency step. 1 when read; 0 when refused (the table stays, Problem() says why, and
  // `state` is 0: the response made before is stale). `state` 0 also when the table, the
  // raster's frequency step or its pixel count differs from the response's.
  int ReadParameters() override;
  // The image passes the transformer unchanged: it acts through its response only.
  void CalcSignal(Mem<float> &, int) override {}
  // The response raster "d_trans.img" in the temporary directory; `state` 1. 0, after a
  // beep and a box with the reason, when the table cannot be read; 0 without a usable
  // synthesis record or when the file cannot be written.
  virtual int MakeResponse();

  // The raster's frequency step 1/(N p), 0 without a usable record.
  static float RasterFrequencyStep();
  // Fills the n x n raster with the response from the table as it is, laid on the
  // raster's frequencies k/(n p) (p from the synthesis record). false without a usable
  // pixel size or when a work raster cannot be allocated.
  bool FillResponse(Mem<float> &raster, int n) const;

  // The kind, N, p, the file's name and a digest of its bytes as they are now.
  void ResponseInputs(std::vector<std::string> &inputs) const override;
  const TTransformerTable &Table() const { return table_; }
  const std::string &Problem() const { return problem_; }

  std::string FileName = kUntitledTransformerFile;

 protected:
  // Tells the user why the table cannot be had (a box owned by the model's window).
  void ShowProblem() const;

 private:
  TTransformerTable table_;
  float rasterStep_ = 0.0f;  // the raster's frequency step when the table was read
  int rasterCount_ = 0;      // and its pixel count
  std::string problem_;
};

class TDetectorMatrixTransformerModel : public TTestObject {
 public:
  TDetectorMatrixTransformerModel();
  // The matrix and the optical transformer of the same detector page (not owned).
  void Attach(TDetectorMatrixModel *matrix, TDetectorOpticalTransformerModel *transformer);
  int Calculate() override { return MakeResponse(); }
  // The transformer's file is read again first (see ReadParameters).
  int TransformRasters() override;
  // The matrix and the optical transformer take their values; the combined response is
  // out of date (`state` 0) when either of theirs is. 1.
  int ReadParameters() override;
  // Both models take their values, the matrix element and the transformer's response are
  // made, and their linear convolution (light carried past an edge lost, not wrapped to
  // the opposite edge) is written as "d_m_tran.img", not normalised; `state` 1. 0 when
  // either model has no response or a raster cannot be read or written.
  virtual int MakeResponse();
  // The image passes the matrix element and the transformer one after the other: their
  // product, a response reaching as far as both together, needs no raster of its own.
  void ResponseFiles(std::vector<const TFileData *> &files) const override;
  // The matrix's inputs, then the transformer's: those of the two files it passes.
  void ResponseInputs(std::vector<std::string> &inputs) const override;
  // The matrix model's signal: the element grid samples the image.
  void CalcSignal(Mem<float> &raster, int mode) override;

 private:
  TDetectorMatrixModel *matrix_ = nullptr;
  TDetectorOpticalTransformerModel *transformer_ = nullptr;
};
