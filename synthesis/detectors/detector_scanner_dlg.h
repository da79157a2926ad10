#pragma once
// TDetectorScannerDlg: the " Scanner " tab of the Detector page's inner folder, for the
// detectors that scan ("Round", "Rectangle", "Single line", "Double line"). It sets the
// scan frequency, the detector's relaxation time and the motion: linear, or the real
// motion of the image that the editor's lens animation gives the system. "Initialization"
// (SimulateScanning, which the folder also runs before a colour picture) prepares the scan
// in the shared scanner record, which this page makes and deletes, and may show the chief
// ray's track in the window "Track of chief ray".

#include "toolkit/folders/book_mark_dlg.h"

class TDetectorSynthesisOwner;
class TGraph;
class TMultiEdit;
class TScannerParameters;

enum TDetectorScannerControl : int {
  kScannerRealMovementCheck = 10288,
  kScannerFrequencyEdit = 10281,
  kScannerFieldEdit = 10282,
  kScannerTauEdit = 10286,
  kScannerInitializationButton = 10284,
  kScannerEditButton = 10283,
  kScannerYScanningCheck = 10289,
  kScannerShowInitializationCheck = 10285,
  kScannerShowTrackCheck = 10287,
  kScannerFieldUnit = 10290,
};

// The texts of the scan's questions and refusals.
constexpr const char *kScannerNegativeText = "The frequency and the relaxation time can not be negative!";
constexpr const char *kScannerRayLostText = "The chief ray does not pass at step %d of the animation.\n\nLinear scanning is enabled.";
constexpr const char *kTrackCaption = "Track of chief ray";

// Whether a detector type scans (its Scanner tab can be entered).
bool DetectorTypeScans(int type);

class TDetectorScannerDlg : public TBookMarkDlg {
 public:
  // Makes the shared scanner record when none exists (the one made here goes with the
  // window). owner: the folder (may be null: nothing is scanned for real).
  TDetectorScannerDlg(TWindow *folder, TDetectorSynthesisOwner *owner);
  ~TDetectorScannerDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // Not entered while the detector does not scan; leaving closes the track window and
  // takes the values.
  int EnterPage() override;
  int LeavePage() override;

  // The controls into the record: a frequency of 0 is 1 Hz; a negative frequency or
  // relaxation time is refused with a message and the former value stays. 1.
  int ReadParameters();
  // The record into the controls; 1.
  int ShowParameters();
  // Prepares the scan in the shared record: linear, or the real sweep of the chief ray's
  // track when the real motion is chosen and the editor's animation moves the system far
  // enough (else the user chooses between a smaller image and linear scanning).
  void SimulateScanning();
  // Opens the animation file in the editor's text editor.
  void CmEdit();
  void EvDestroy();

  // The track window while it is open, else null.
  TGraph *TrackWindow() const;
  // Closes the track window when it is open: on leaving this page, and on leaving the
  // Detector page that holds it while this page shows.
  void CloseTrackWindow();
  bool ShowInitialization() const { return showInitialization_ != 0; }
  bool ShowTrack() const { return showTrack_ != 0; }

 private:
  class TTrackDrawing;
  // Linear scanning across the image-side size of the object.
  void PrepareLinear();
  // The real sweep just recorded (range in the track's unit), held against the image size.
  void TakeRealSweep(double range);
  // The track window, made when there is none; null when it cannot be made.
  TGraph *MakeTrackWindow();
  // The image-side size of the object from the shared record (0 without one).
  static double ImageSize();

  TDetectorSynthesisOwner *owner_;
  TMultiEdit *edits_;
  TScannerParameters *ownRecord_ = nullptr;  // the record this page made
  HWND trackHandle_ = nullptr;
  float frequency_ = 0.0f;
  float field_ = 0.0f;
  float tau_ = 0.0f;
  int showInitialization_ = 0;
  int showTrack_ = 1;
};
