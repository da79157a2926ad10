#pragma once
// What the merit-function editor transfers, without its window: one configuration's page of
// the merit functions (the beams table, the functions table, the rays per beam, the unit,
// the narcissus term, the options), shown from the set and stored back into it, with the
// page turns, unit changes, "Init parameters", Load and Save. The dialog binds its controls
// to these fields and forwards its commands here.

#include <string>

class TOptimizationFunctions;
class TFunctionsParameters;

class TOptimizationFunctionsPage {
 public:
  // Rows of the beams table and of the functions table.
  static constexpr int kBeamRows = 10;
  static constexpr int kFunctionRows = 8;
  // Wavelengths above this (micrometres) make a narcissus term possible.
  static constexpr double kNarcissusWavelength = 2.0;

  enum TFunctionRow : int {
    kRowFocus = 0,
    kRowSfs,
    kRowMagnification,
    kRowLength,
    kRowTransverse,
    kRowWave,
    kRowDistortion,
    kRowStrehl,
  };

  // Over the set of its system; the page of the system's current configuration.
  explicit TOptimizationFunctionsPage(TOptimizationFunctions &functions);

  // The dialog's set-up: what the system allows, then the page.
  void Setup();
  // The set's values of the shown configuration into the page.
  void ShowPage();
  // The page into the set (also its targets into every beam of the configuration), then
  // the set refitted.
  void StorePage();
  // Unit buttons: 0 degrees, 1 arc minutes, 2 millimetres.
  void SelectUnit(int unit);
  void Previous();
  void Next();
  void SelectPolychrome(int index);
  void SelectImagePlacement(int index);
  // Targets and beams of the shown configuration from the system as it is.
  void InitParameters();
  // Load: the file read into the set, the page shown (unstored edits are lost). Save: the
  // page stored, then the set written. 1 when done.
  int Load(const std::string &fileName);
  int Save(const std::string &fileName);

  std::string Caption() const;
  int ConfigurationCountShown() const;

  // Texts of the functions table's row captions and the tables' cells.
  static const char *RowName(int row);
  // A weight as the functions table shows it: every digit it holds ("%g"), so 0.5 stays 0.5.
  static std::string FormatWeight(double weight);
  // A beam coordinate or weight as the beams table shows it; 0 as an empty cell.
  static std::string FormatBeamValue(double value);

  // The page.
  int configuration = 0;
  int unit = 0;  // the selected unit button
  double beamY[kBeamRows] = {};
  double beamZ[kBeamRows] = {};
  double beamWeight[kBeamRows] = {};
  int beamNumbers[kBeamRows] = {};
  double required[kFunctionRows] = {};
  double weight[kFunctionRows] = {};
  int raysPerBeam = 3;
  double narcissusWeight = 0.0;
  int scannerSurface = 0;
  int sagittal = 0;
  int polychromeIndex = 0;
  int imagePlacementIndex = 0;
  // What the system allows.
  int narcissusAllowed = 0;
  bool millimetresEnabled = false;
  bool polychromeEnabled = false;
  bool narcissusEnabled = false;
  bool previousEnabled = false;
  bool nextEnabled = false;

 private:
  TFunctionsParameters *BeamRecord(int beam);
  // Targets and weights of the functions table into one record.
  void StoreTargets(TFunctionsParameters &record) const;

  TOptimizationFunctions &functions_;
};
