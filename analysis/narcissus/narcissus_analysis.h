#pragma once
// The narcissus analysis of a scanning infrared system (paraxial approximation): for each
// refracting surface, on either side of the scanner, and each scan position, the false
// temperature difference the detector sees from its own cold image reflected back by that
// surface, and the sum over the surfaces. Qt-free; the dialog TNarcissDlg shows the table.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TOpticalSystem;

// The narcissus parameter record the editor keeps and the dialog edits.
struct TNarcissusParameters {
  double housingTemperature = 20.0;     // degrees C
  double sceneTemperature = 20.0;       // degrees C
  double detectorTemperature = -195.86; // degrees C
  double fraction = 0.01;               // fraction of light reflected per surface
  double lambdaMin = 8.0;               // micrometres
  double lambdaMax = 14.0;              // micrometres
  int scannerSurface = 0;               // 0-based index in the analysed system
  int positions = 1;                    // scan positions computed: 1 or 5
  double maxScanAngle = 0.0;            // degrees
};

// The caption of every message of the analysis.
inline constexpr const char *kNarcissCaption = "Narcissus";

// The systems the analysis needs beside the one it analyses: copies of it to turn the
// scanner in, and a copy unfolded at a surface (that surface made a mirror, the surfaces
// before it repeated backwards, object and image finite). Null when one cannot be made.
class TNarcissusSystems {
 public:
  virtual ~TNarcissusSystems() = default;
  virtual std::unique_ptr<TOpticalSystem> Copy() = 0;
  virtual std::unique_ptr<TOpticalSystem> Unfold(TOpticalSystem &copy, int surface) = 0;
};

// One result cell: a temperature difference, "0" (a dummy surface or a mirror, which
// reflects nothing back) or "-" (a ray of the unfolded system failed: no value). A value
// that repeats the first column's (the surface's return never meets the scanner) shows as
// "=value"; a total that leaves failed cells out shows as ">=value", the least it can be.
struct TNarcissusCell {
  enum TKind { kEmpty, kValue, kNone, kFailed };
  TKind kind = kEmpty;
  double value = 0.0;
  bool repeated = false;
  bool partial = false;
};

// The result table: a row for every refracting surface that is not a dummy, on both sides
// of the scanner, from the far end towards the detector (surface 0), then the "All" row;
// column p is scan position p.
struct TNarcissusResult {
  std::string message;              // empty when the whole table was computed
  double factor = 0.0;              // the radiometric factor G
  double apertureLimit = 0.0;       // K: the system's own aperture limit
  std::vector<double> angles;       // scan angle of each position, degrees
  std::vector<int> labels;          // the editor's surface number of each row
  std::vector<int> surfaces;        // index in the analysed system of each row
  std::vector<bool> unscanned;      // the row lies between the detector and the scanner
  std::vector<std::vector<TNarcissusCell>> cells;  // [row][position]
  std::vector<TNarcissusCell> all;  // per position: G x the sum over the rows
  // The table as shown: every surface but the detector, in the order of the rows, with
  // its editor's number and its row in cells (-1: a dummy or a mirror, shown as "0").
  std::vector<int> shownLabels;
  std::vector<int> shownRows;
  bool Ok() const { return message.empty(); }
};

// The checks of the typed values (surface number 1-based, as typed), in this order: the
// scanner surface, the band, the temperatures. Empty when they pass.
std::string CheckNarcissusInput(int typedSurface, int surfaceCount, double lambdaMin,
                                double lambdaMax, const TNarcissusParameters &temperatures);

// The number the editor shows for surface index of the analysed system of count surfaces,
// and back: a turned system runs the other way round, its last surface being the editor's
// first. Rows and the scanner field speak the editor's numbers.
int EditorSurfaceNumber(int index, int count, bool turned);
int AnalysedSurfaceIndex(int editorNumber, int count, bool turned);

// The text of a cell as the table shows it.
std::string NarcissusCellText(const TNarcissusCell &cell);

// Runs the analysis of system with the record's values (the scanner surface 0-based,
// checked by CheckNarcissusInput first). turned: the system is the editor's system turned
// round, so rows are labelled with the surface numbers of the unturned system. progress
// (may be empty) gets the per-cent done after every row. The record's positions are set.
TNarcissusResult ComputeNarcissus(TOpticalSystem &system, TNarcissusSystems &systems,
                                  TNarcissusParameters &parameters, bool turned,
                                  const std::function<void(int)> &progress);

// The local heights (y in each surface's frame) of the ray from the axial object point
// through the first surface at offset aim (0: the chief ray), and its full-aperture
// marginal ray. Exposed for tests.
struct TNarcissusRays {
  std::vector<double> chief;     // [surface]
  std::vector<double> marginal;  // [surface], scaled to the full aperture
  double scale = 0.0;            // d: how far the marginal ray was scaled up
};
// 1 both traced; 0 the chief ray failed; -1 the marginal ray failed at every scale.
int TraceNarcissusRays(TOpticalSystem &system, TNarcissusRays &rays);

// The editor's record for a run on system: housing and scene 20, detector -195.86,
// fraction 0.01, the scanner the last surface, one position at angle 0; the band from the
// smallest to the largest wavelength of a polychromatic system, else 3 to 5 for a working
// wavelength from 3 up to 5 and 8 to 14 otherwise. Always filled; the answer is empty, or
// "Incorrect spectral interval." when a monochromatic system works outside both 3 up to 5
// and 8 up to 14 (the record then holds 8 to 14).
std::string DefaultNarcissusParameters(const TOpticalSystem &system, TNarcissusParameters &parameters);
