#pragma once
// The PSF and MTF window: TShowPSFFolder, a modeless folder with one page TShowPSF under
// " Settings ", the Cancel and Help buttons and the progress gauge, which the editor's PSF
// and MTF command opens. The page computes the PSF of one object point (real or ideal) or
// the MTF taken from it, and shows either summed over the wavelengths as a 3-D plot or a
// colour map, and, from its "Concentration"/"Sections" button, the energy concentration or
// the MTF sections as a text report or a graph (psf_sections.cpp).
//
// The polychromatic MTF is the MTF of the PSF summed over the wavelengths (the modulus of
// the transform of the summed intensity), which is what a detector sees; the colour map of
// the MTF shows each wavelength's own MTF as its component.

#include <cstdint>
#include <vector>

#include "analysis/psf/test_psf.h"
#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "toolkit/folders/book_mark_folder.h"

class TGraph;
class TShowPSFFolder;

// Controls of the page beyond those of TTestPSF.
enum TShowPsfControl : int {
  kPsfSizeList = 10427,
  kPsfDiffractionCheck = 10296,
  kPsfDiscreteLabel = 1000,
  kPsfDiscreteEdit = 10297,
  kPsfOrderEdit = 1010,
  kPsfRecommendationCheck = 1011,
  kPsfApplyButton = 10205,
  kPsfRadioPsf = 1002,
  kPsfRadioMtf = 1003,
  kPsfRealCheck = 1001,
  kPsfSectionsButton = 10491,
};
// Commands of the concentration menu.
constexpr int CM_PSF_VIEW_AS_TEXT = 1025;
constexpr int CM_PSF_VIEW_AS_GRAPH = 1026;
// Controls of the folder.
constexpr int kPsfHelpButton = 10075;
constexpr int kPsfStatusText = 10221;
// Sent to the folder's parent as WM_COMMAND (lParam the folder) when the folder's window
// has gone, so that the owner lets go of it and deletes it later.
constexpr int CM_PSF_FOLDER_DESTROYED = 1128;
// The help topic of the window.
constexpr int kPsfHelpContext = 61;

// How "View as text" asks for the table's step: the modal "Section step" dialog unless a
// replacement is installed (tests give their answer without the dialog). IDOK when the
// step was given. Answers the asker replaced.
using TSectionStepAsker = int (*)(TWindow *owner, double *step);
TSectionStepAsker SetSectionStepAsker(TSectionStepAsker asker);

class TShowPSF : public TTestPSF {
 public:
  TShowPSF(TShowPSFFolder *folder, TOpticalSystem *system);
  ~TShowPSF() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Takes the typed settings (the compute buttons and Apply alike): those the system keeps
  // (Discrete, the diffraction on elements, the recommendation) are an undo step of their
  // own when one changed, except while an animation holds the system.
  int ReadParameters() override;
  int ShowParameters() override;
  int ComputePSF() override;
  void ShowGraph() override;
  void ShowColorImage() override;

  bool MtfChosen() const;
  bool RealChosen() const;
  // The sum over wavelengths of what the last run left: the PSF, or in MTF mode the MTF of
  // the summed PSF; into the shared raster of TTestImage. 0 when nothing could be summed.
  int SumOverWavelengths();
  // The sampling of the shown raster: the interval for the PSF, 1 / (nx interval) for the
  // MTF, the interval being TTestImage's pixel size.
  double PixelStep() const;
  // The node interval of the PSF shown: the system's Discrete when the user gave one, else
  // the interval of the last run (0 before any run).
  double ShownInterval() const;
  // "Real "/"Ideal " (PSF) or "Real MTF: "/"Ideal MTF: " before the object title, and the
  // system's file name after it: result windows outlive the window and the system they
  // were computed for, so each says whose it is.
  std::string ResultTitle() const;
  // " - <file name>" of the edited system, "" while it has none.
  std::string OfSystem() const;
  // What "View as text" wrote last ("section.txt" under the temporary directory, or the
  // next free name while a viewer still shows it).
  std::string SectionFile() const;
  TGraph *LastSectionGraph() const { return lastGraph_; }
  // The points (frequency, response) of each curve the last MTF sections graph drew,
  // meridional first.
  const std::vector<std::vector<DPOINT>> &LastSectionCurves() const { return lastCurves_; }

  // Response-table handlers.
  void EvDestroy();
  void CmSectionsMenu();
  void CmViewAsText();
  void CmViewAsGraph();
  void CmDiffractionToggled();
  void CmApply();
  void CmPsfChosen();
  void CmMtfChosen();
  void CmRealToggled();

 protected:
  void RunFinished() override;

 private:
  // Reads the controls into the system and the page, without an undo step.
  int ReadTypedParameters();
  // Whether the edit shows the value as the format writes it (the user did not change it).
  bool ShowsValue(int id, const char *format, double value) const;
  // Applies the rule of "Real/Ideal": checked and disabled without diffraction.
  void ApplyRealRule();
  // Prepares the summed raster for the sections views: 0 when busy or nothing was made.
  int PrepareSummedRaster();
  // The pixel size of the computed grid (the one the program chose when it is left to it).
  double ComputedPixelSize();
  // Where the next result window of this outer size goes (the cascade right of the
  // folder), and its parent.
  POINT NextResultPlace(SIZE outer);
  static SIZE ResultOuterSize();
  TWindow *ResultParent();

  // Offers a larger grid when the blur would wrap round this one; the size list follows.
  void CheckGridSize(int &nx);

  TShowPSFFolder *folder_;
  Mem<float> summedMtf_;  // the MTF of the summed PSF, after an MTF run
  Mem<float> summedPsf_;  // the summed PSF itself, which the MTF sections read
  // The settings whose grid question was last answered No: not asked again for them.
  struct TDeclinedGrid {
    int nodes = 0;
    double discrete = -1.0;
    int difrac = -1;
  } declinedGrid_;
  // The last grid recommendation (it computes PSFs): kept while the model and the
  // settings stay as they were.
  struct TGridRecommendation {
    std::uint64_t changeCount = 0;
    double discrete = -1.0;
    int difrac = -1;
    int nodes = 0;
    double reach = 0.0;
  } grid_;
  TGraph *lastGraph_ = nullptr;
  std::vector<std::vector<DPOINT>> lastCurves_;
  std::string sectionFile_;
};

class TShowPSFFolder : public TBookMarkFolder {
 public:
  TShowPSFFolder(TWindow *parentWindow, TOpticalSystem *system);
  ~TShowPSFFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // While the page computes, the window (and so its owner) refuses to close: the
  // computation is stopped and the window closes once it is back.
  bool CanClose() override;

  TShowPSF *Page() const { return page_; }
  TOGauge *Gauge() const { return gauge_; }
  // After every change of the edited system: compute anew at the next request.
  void Reset();
  // A Cancel that came during a computation: the window closes once the run is back.
  bool ClosePending() const { return closePending_; }
  void CloseIfPending();

  // Response-table handlers.
  void CmCancel();
  void CmHelp();
  LRESULT EvColorMode(WPARAM mode, LPARAM);
  void EvDestroy();

 private:
  TOpticalSystem *system_;
  TShowPSF *page_;
  TOGauge *gauge_ = nullptr;
  bool closePending_ = false;
  bool ownsTestImage_ = false;
};
