#pragma once
// TOptimizationFunctions: the merit function of the optimizer. For every configuration
// (column) and beam (row) a TFunctionsParameters record keeps a target and a weight per
// kind of function and wavelength; the functions whose weight is not 0 are laid out as one
// flat index, the function values the engine drives towards their targets. Its text form
// is the merit-function file ("[Functions]", "[Functions 1]", ... sections).

#include <string>
#include <utility>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "foundation/textfiles/kept_sections.h"
#include "optimization/merit/functions_parameters.h"
#include "optimization/merit/optimization_fault.h"
#include "optics/model/eikonal_info.h"
#include "optics/model/ray.h"
#include "optics/pupils/chief_ray_aims.h"

class TConfiguredSystem;
struct TFileWriteResult;
class TRunPump;

// Kinds of merit function (TIndexOfFunction::Kind).
enum TFunctionKind : int {
  kFunctionNone = -1,
  kFunctionFocus = 0,           // focal length; beam 0, one per wavelength
  kFunctionSfs = 1,             // back focal length; beam 0
  kFunctionAberT = 2,           // transverse aberration of each meridional ray
  kFunctionAberTSag = 3,        // the same, sagittal fan (only with sagittal rays)
  kFunctionAberW = 4,           // wave aberration of each meridional ray
  kFunctionAberWSag = 5,        // the same, sagittal fan
  kFunctionDistor = 6,          // |distortion| of the chief ray, per cent; every beam
  kFunctionNarciss = 7,         // narcissus term; beam 0, one
  kFunctionLengthOfSystem = 8,  // sum of the vertex distances; beam 0
  kFunctionMagnification = 9,   // beam 0
  kFunctionStrehl = 10,         // beam 0
};

// How the evaluation places the image surface (SettingImageSurfaceType).
enum TImageSurfaceSetting : int {
  kImageSurfaceStays = 0,
  kImageSurfaceAtBackFocus = 1,
  kImageSurfaceAtBestFocus = 2,
};

// Why the last evaluation (Compute) answered 0.
enum TEvaluationFailure : int {
  kEvaluationDone = 0,        // it answered 1
  kEvaluationNotRunning,      // no run in progress (no pump published) or no system
  kEvaluationStopped,         // the user stopped the run
  kEvaluationUnknownGlass,    // a glass is not in the catalogs (UnknownGlasses names it)
  kEvaluationUnprepared,      // the system could not be prepared
  kEvaluationFault,           // a fault flag is set (the fault record says which)
};

class TOptimizationFunctions {
 public:
  // Beam records one section of the file holds.
  static constexpr int kMaxBeamsInFile = 20;
  // Rays per fan are held between these: fewer than 3 give no aberration curve, and a
  // file's count must not ask for tables beyond reason.
  static constexpr int kMaxRaysInBeam = 1000;

  TOptimizationFunctions() = default;
  TOptimizationFunctions(const TOptimizationFunctions &) = delete;
  TOptimizationFunctions &operator=(const TOptimizationFunctions &) = delete;
  ~TOptimizationFunctions() = default;

  // Builds the records for a system: one column per configuration, one row per beam, the
  // beam-0 targets from the prepared system with every weight 0. Holding the same system
  // already changes nothing. The index is built by the Read that follows.
  void Rebuild(TConfiguredSystem *owner);
  TConfiguredSystem *System() const { return system; }
  // Fits the records to the configurations, the wavelength count and each record's ray
  // count, copies entry 0 across the wavelengths and rays, and rebuilds the index.
  void SetConfigurations();
  // A configuration inserted at index at (the later ones move up, the new one has none),
  // or the one at at deleted (its own go, the later ones move down): the others keep theirs.
  void ConfigurationInserted(int at);
  void ConfigurationDeleted(int at);
  // The surface of index i moved to map[i] (-1: it is gone): every record's scanner surface
  // follows it. One that has no place after the move, or lands on index 0 (which names no
  // scanner), becomes 0 and is named in lost, once per configuration.
  void SurfacesRenumbered(const std::vector<int> &map, std::vector<std::string> &lost);
  // As TOptimizationParameters::surfacesNamed, for the scanner surfaces a file read names.
  int surfacesNamed = -1;
  void SetPolychrome(int flag);
  // The flat list of weighted functions in their fixed order; resets the fault record.
  void BuildIndex();

  int Count() const { return index.cols * index.rows; }
  // Function i of the index: its last value, target and weight (kinds 2 to 5 multiplied
  // by the beam's Wbeam); 0 for an i or an entry that names no record.
  double Value(int i) const;
  double Target(int i) const;
  double Weight(int i) const;
  // The entry's description, or null when it names no existing cell.
  const TFunctionDescription *Describe(int i) const;
  TFunctionDescription *Describe(int i);

  // The merit-function file. Read answers 1 when the file opened and every configuration
  // found its section; whatever it answers, the records are complete afterwards (defaults
  // where sections are missing) and the index is rebuilt. Write answers 1 when the file
  // was written (why, when given, says why not); every other section of the file stays as
  // it was. A file that is empty, not whole, not a merit-function file or holds a value
  // that is no finite number is refused: Read then says why and changes nothing; a ray
  // count held to its range is said so. A file without "[Functions]" or with a value that
  // is not wholly a number, empty, a weight below 0 or a ray count below the least is
  // refused too, naming the key. The writer promises its sections in "[Functions]"
  // (Sections=) and closes each with SectionEnd=1; a file cut short before a promised
  // section or its closing line, or an older file without the promise whose section stops
  // before its beam records, is refused the same way. Configurations whose sections
  // the file lacks take their defaults, and that is said. sharedWithParameters: the file
  // the optimization panel keeps beside the system, which may hold the parameters alone;
  // its missing sections then give the defaults without a word.
  int Read(const std::string &fileName, bool sharedWithParameters = false);
  [[nodiscard]] int Write(const std::string &fileName, TFileWriteResult *why = nullptr);

  // Evaluates every function for the present state of the system: per configuration the
  // image surface is placed once (when asked) at the working wavelength, then every beam
  // that takes part is traced at every wavelength. 1 when no fault occurred; 0 when no run
  // is in progress, the run was stopped, a glass is unknown, the system cannot be prepared
  // or a fault flag was set (Failure says which).
  int Compute();
  TEvaluationFailure Failure() const { return failure; }
  const std::string &UnknownGlasses() const { return unknownGlasses; }

  // Makes the configuration current at the start of the run current again and redraws the
  // views.
  void RestoreSystem();

  // Record of configuration c, beam r; null outside the table.
  TFunctionsParameters *Record(int c, int r);
  const TFunctionsParameters *Record(int c, int r) const;
  int Configurations() const { return records.cols; }
  int Beams() const { return records.rows; }
  // 1, or the number of wavelengths of the system when PolychromeOptimization is set.
  int WavelengthCount() const;

  int PolychromeOptimization = 0;
  Mem<TFunctionsParameters> records;  // columns: configurations; rows: beams
  Mem<TIndexOfFunction> index;        // one entry per weighted function
  Mem<DPOINT3> footprint;             // per surface: largest |x|, |y|, |z| of the fan hits
  int ShowEachStep = 1;
  int RefreshViews = 0;
  int EnableSagittalRays = 0;
  int SettingImageSurfaceType = kImageSurfaceStays;
  int RunStartConfiguration = 0;  // the configuration RestoreSystem makes current
  TOptimizationFault fault;
  // The run's pump, published for the time of a run; Compute answers 0 without one.
  TRunPump *runPump = nullptr;
  // 1: the evaluation gathers the footprint of the fan rays (their hits on every surface,
  // so each fan ray is traced with a hit list); 0 leaves the footprint of the evaluation
  // before and sends the fans through the batch trace. The binding asks for it only where
  // the derivative steps are taken from it.
  int GatherFootprint = 1;
  // Where the evaluations aimed each beam's chief ray, per configuration and wavelength:
  // the next evaluation starts its chief-ray solves there.
  TChiefRayAims chiefRayAims;
  // Sections of the file last read that no reader takes (header, body): the next Write
  // carries them into its file, so that a save to a new file keeps the user's notes.
  TKeptSections sectionsKept;
  // Whether Read names those sections: not when it reads the program's own copy (an undo step).
  bool keptSectionsTold = true;

 private:
  struct TWorkingTargets;

  // n wavelength columns in every table and NrayInBeam (held to 3 .. kMaxRaysInBeam) rows
  // in the ray tables, keeping what overlaps; entry 0 copied across the wavelengths.
  static void FitRecord(TFunctionsParameters &r, int n);
  // Calls visit(entry) for every weighted function in index order.
  template <class Visit>
  void VisitWeighted(Visit visit) const;
  // The section of configuration c: "[Functions]" or "[Functions c]".
  static std::string SectionName(int c);
  // Defaults for configuration c when its section is missing (see Read).
  void ApplyMissingSectionDefaults(int c, TWorkingTargets &working);
  // Record (c, 0) after its section was parsed: n entries of every per-wavelength table
  // from the working targets, the ray tables from the section's aberration pairs.
  void ApplySection(int c, const TWorkingTargets &working, const double aberT[2], const double aberW[2]);
  // Makes rows first..last of configuration c beams that take no part: copies of its
  // beam-0 record on the axis with weight 0 and no distortion function.
  void ClearBeams(int c, int first, int last);

  // The evaluation's passes (merit_evaluation.cpp).
  struct TPass;
  int EvaluateConfiguration(int c);
  int PlaceImageSurface(int listed);
  int EvaluateBeam(TFunctionsParameters &record, int w, bool active, TPass &pass);
  void TraceFan(TFunctionsParameters &record, int w, bool sagittal, TPass &pass);
  // solved: the pupils were solved for this beam's field point already.
  void EvaluateDistortion(TFunctionsParameters &record, int w, bool solved);
  void KeepFootprint(bool sagittal);
  void NoteFailedRay(const TCurrentRay &ray, double p);
  // Keeps where the chief ray of the record's beam was stopped, for the fault report.
  void NoteStoppedChief(const TCurrentRay &chief, const TFunctionsParameters &record, bool traced);

  TConfiguredSystem *system = nullptr;
  TEvaluationFailure failure = kEvaluationDone;
  std::string unknownGlasses;
  // Work lists of the evaluation, kept between calls so that no ray allocates.
  Mem<double> fieldY, fieldZ;
  Mem<TCurrentRay> fanRays;
  Mem<int> fanResults;
  Mem<TRayWavefront> fanWavefronts;
  Mem<TIntersectionPoint> hits;
};
