#pragma once
// TTestDetector: the " Detector " page of the image-synthesis folder. It holds an inner
// folder of the detector's settings, TTestDetectorFolder: the type page with the chosen
// model's dialog, the noise page, the filter page (drawn, never selectable) and the
// scanner page (selectable while the detector scans); the buttons "Map" and "3D Plot" show
// the chosen model's element. The synthesis reaches the chosen model through CurrentModel.
//
// The page makes the shared detector record when none exists and deletes the one it made
// when its window goes.

#include "toolkit/folders/book_mark_dlg.h"
#include "toolkit/folders/book_mark_folder.h"

class TDetectorFilterDlg;
class TDetectorScannerDlg;
class TTestDetector;
class TDetectorNoiseDlg;
class TDetectorSynthesisOwner;
class TDetectorTypeDlg;
class TTestObject;
struct TDetectorParameters;

// Controls of the page.
enum TTestDetectorControl : int {
  kDetectorMapButton = 12090,
  kDetector3DPlotButton = 12080,
};

// The colour of the Detector tab's text while a detector is chosen (red 192).
constexpr COLORREF kDetectorChosenTabColor = 0xC0;

class TTestDetectorFolder : public TBookMarkFolder {
 public:
  // The folder lies on the Detector page.
  TTestDetectorFolder(TTestDetector *page, TDetectorSynthesisOwner *owner);

  void SetupWindow() override;
  // The type, noise, filter and scanner pages in this order, all four always (so that what
  // the scanner page shows is what a settings file gets); 1 when all accepted.
  int ReadParameters();
  int ShowParameters();
  // The Scanner tab is selectable only while the chosen type scans.
  void EnableScannerPage(int type);

  TDetectorTypeDlg *TypePage() const { return typePage; }
  TDetectorNoiseDlg *NoisePage() const { return noisePage; }
  TDetectorFilterDlg *FilterPage() const { return filterPage; }
  TDetectorScannerDlg *ScannerPage() const { return scannerPage; }

 private:
  TDetectorTypeDlg *typePage;
  TDetectorNoiseDlg *noisePage;
  TDetectorFilterDlg *filterPage;
  TDetectorScannerDlg *scannerPage;
};

class TTestDetector : public TBookMarkDlg {
 public:
  // owner: the image-synthesis folder (may be null: nothing is told).
  TTestDetector(TWindow *folder, TDetectorSynthesisOwner *owner);
  ~TTestDetector() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override { return ShowParameters() != 0 ? 1 : 0; }
  // Leaving takes the inner pages' values and closes the scanner's track window, which
  // belongs with this page whichever inner page shows.
  int LeavePage() override;

  // The inner folder's pages take their values from their controls, or show them.
  int ReadParameters();
  int ShowParameters();
  // The chosen model, or null.
  TTestObject *CurrentModel();
  // ReadParameters, then the chosen model's Calculate; 0 when either fails.
  int CalculateModel();

  // For the settings file: the chosen type, the model of a type (null out of the list),
  // and the choice of a type as the user makes it (0 out of the list).
  int DetectorType() const;
  TTestObject *Model(int type);
  int ChooseDetectorType(int type);

  // The type changed: the folder's image is out of date, the Detector tab shows red while
  // a detector is chosen, and the Scanner tab follows whether the type scans.
  void DetectorTypeChanged(int type);
  // Before a colour picture: the scan is prepared when the chosen detector scans (a
  // detector that does not scan has nothing for the scan to change).
  void PrepareScan();
  // The Detector tab's colour for the chosen type (the folder calls it after its set-up,
  // which gives every tab black text).
  void ShowDetectorTabColor();

  TTestDetectorFolder *InnerFolder() const { return folder_; }

  // Response-table handlers.
  void CmMap();
  void Cm3DPlot();
  void EvDestroy();

 private:
  TDetectorSynthesisOwner *owner_;
  TTestDetectorFolder *folder_;
  TDetectorParameters *ownParameters_ = nullptr;  // the record this page made
};
