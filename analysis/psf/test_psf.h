#pragma once
// TTestPSF: the PSF computation page. A folder page and at the same time a test object of
// image synthesis: it takes the object point from the system's field list or from two
// edits, runs the PSF of every wavelength into raster files of its own (analysis/psf's
// TPsfRun), shows the progress on its progress window's gauge and opens the colour map or
// the 3-D plot of the result. TShowPSF (show_psf.h) builds the PSF and MTF window on it.
//
// A run goes on inside a button handler while the gauge pumps the window messages; the
// window that owns the page is never destroyed under it (its owner defers that, see
// TShowPSFFolder), and every way out of a run gives back the gauge, the progress window's
// size, the working wavelength and the PSF grid size.

#include <memory>
#include <string>

#include "analysis/psf/psf_run.h"
#include "imaging/testobject/test_object.h"
#include "toolkit/folders/book_mark_dlg.h"

class TComboBox;
class TMultiEdit;
class TOGauge;
class TOpticalSystem;

// Controls of the page.
enum TTestPsfControl : int {
  kPsfFieldCombo = 12130,
  kPsfYEdit = 10490,
  kPsfXEdit = 10495,
  kPsfSettingsText = 10491,
  kPsfColorMapButton = 12090,
  kPsf3DPlotButton = 12080,
};
// The progress window's controls: the gauge's place, the progress text and the marker
// whose top edge a running computation stretches the window down to.
constexpr int kPsfGaugePlace = 11799;
constexpr int kPsfProgressMarker = 15001;

// The gauge every PSF computation of the program steps and pumps (null while none is
// open). The PSF window owns it; setting it also hands it to the optics' PSF progress.
TOGauge *SharedPsfGauge();
void SetSharedPsfGauge(TOGauge *gauge);

// What the page needs of the image-synthesis folder it may lie in.
class TPsfSynthesisOwner {
 public:
  virtual ~TPsfSynthesisOwner() = default;
  // The object point changed: the folder's image and its settings page are out of date.
  virtual void PsfPointChanged() = 0;
  // The folder's object is the ideal point (a one-pixel PSF).
  virtual bool IdealPointWanted() = 0;
  // The window that shows the progress (stretched during a run).
  virtual TWindow *ProgressWindow() = 0;
};

class TTestPSF : public TBookMarkDlg, public TTestObject {
 public:
  // synthesis: the folder the page lies in, or null (the PSF and MTF window).
  TTestPSF(TWindow *folder, TOpticalSystem *system, TPsfSynthesisOwner *synthesis,
           const char *resource = "TestPSF");
  ~TTestPSF() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override;
  int LeavePage() override;

  // The test-object operations lead here.
  int ReadParameters() override;
  int ShowParameters() override;
  int Calculate() override { return ComputePSF(); }
  void ShowGraph() override;
  // The PSF run: 1 when the PSF files stand (at once when they stood already), 0 when
  // nothing usable was made, the user pressed Escape or the run was cancelled.
  virtual int ComputePSF();

  // A run is going on in this page.
  bool Computing() const { return running_ > 0; }
  // Compute anew at the next request.
  void Invalidate();
  // The window's Cancel: the running computation stops at its next pump (state -1).
  void Stop();
  int CalculationState() const;
  TPsfRun &Run() { return run_; }
  TOpticalSystem *System() const { return system_; }

  double Y = 0.0;
  double X = 0.0;

  // Response-table handlers.
  void EvDestroy();
  void CmColorMap();
  void Cm3DPlot();
  void EvFieldSelected();

 protected:
  // The object point from the combo box's text "Y, X".
  void TakeFieldFromCombo();
  void FillFieldCombo();
  // The PSF run proper (steps 3 to 15): nx nodes, the ideal point or the system's PSF.
  int RunPsf(int nx, bool idealPoint);
  virtual TWindow *ProgressWindow();
  // After a button's run has come back to the handler: where a closing left waiting is
  // carried out. The base does nothing.
  virtual void RunFinished() {}
  // The system's field values as the user sees them (x 60 in arc minutes).
  double FieldScale() const;

  TOpticalSystem *system_;
  TPsfSynthesisOwner *synthesis_;
  TMultiEdit *edits_ = nullptr;
  TPsfRun run_;
  int running_ = 0;
  bool stopped_ = false;
};

// A field point as the user gave it: "Y=%g", and ", X=%g" when X is not 0.
std::string FieldPointText(double y, double x);
// "PSF (<field point>)".
std::string PsfObjectTitle(double y, double x);
