#pragma once
// The records of a merit-function set: one function (target, weight, last value), the
// functions of one beam in one configuration, and one entry of the flat index of active
// functions. They live in Mem containers, so each copies deeply and has a default state.

#include "foundation/containers/mem.h"

// One merit function. It takes part in the optimization only while Weight is not 0.
struct TFunctionDescription {
  double Target = 0.0;  // the value the optimizer drives the function towards
  double Weight = 0.0;
  double Value = 0.0;  // found by the last evaluation
};

// The functions of one beam in one configuration. The per-wavelength tables are n x 1;
// the ray tables are n columns (wavelengths) by NrayInBeam rows (rays).
class TFunctionsParameters {
 public:
  // The fewest rays a fan may have.
  static constexpr int kMinRaysInBeam = 3;

  // Unit 0, three rays per fan, no scanner surface, a zero beam; one zeroed entry in each
  // per-wavelength table and 1 x 3 zeroed ray tables. No function is weighted: a Focus
  // weight on the target 0 would drive the focal length of a new configuration to 0.
  TFunctionsParameters();
  TFunctionsParameters(const TFunctionsParameters &) = default;
  TFunctionsParameters &operator=(const TFunctionsParameters &) = default;
  ~TFunctionsParameters() = default;

  int Unit = 0;  // field unit shown and filed: 0 degrees, 1 arc minutes, 2 millimetres
  int NrayInBeam = kMinRaysInBeam;
  int ScannerSurface = 0;
  Mem<TFunctionDescription> Focus;
  Mem<TFunctionDescription> Magnification;
  Mem<TFunctionDescription> Sfs;
  Mem<TFunctionDescription> LengthOfSystem;
  TFunctionDescription Narciss;
  Mem<TFunctionDescription> AberT;
  Mem<TFunctionDescription> AberTSag;
  Mem<TFunctionDescription> AberW;
  Mem<TFunctionDescription> AberWSag;
  Mem<TFunctionDescription> Distor;
  Mem<TFunctionDescription> Strehl;
  double Ybeam = 0.0;
  double Zbeam = 0.0;
  double Wbeam = 0.0;  // multiplies the weights of the four ray tables
};

// One entry of the flat list of active functions: which record (configuration column,
// beam row), which kind of function, which ray (-1 for kinds without rays) and which
// wavelength.
struct TIndexOfFunction {
  int Configuration = 0;
  int Beam = 0;
  int Kind = -1;
  int Ray = 0;
  int Wavelength = 0;
};
