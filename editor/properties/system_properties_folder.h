#pragma once
// TSystemPropertiesFolder: the properties folder of the edited system, a modeless window
// on the editor's frame with its pages (General, Surfaces, Beams and wavelengths, then the
// surfaces' aspherics, positions and bounds, holograms, lens arrays, and the object and
// pupil settings) and the
// optimization panel, which the Optimization button shows under the pages: the merit
// functions and the run over the variable parameters kept beside the system. One folder
// exists at most; the program-wide pointer holds it while it is open. It follows the
// system's edits as one of its observers.

#include <functional>
#include <memory>
#include <string>

#include "document/system/system_observer.h"
#include "toolkit/folders/book_mark_folder.h"

class TOptimizationPanel;
class TPropertiesBeamsPage;
class TPropertiesGeneralPage;
class TPropertiesGridPage;
class TPropertiesPage;
class TPropertiesSurfacesPage;
class TSystemImage;
class TVariablesDlg;
class TViewerRunHost;
class TOptimizationFunctionsDlg;

// Sent to the parent as WM_COMMAND (lParam the folder) when the folder's window goes, so
// that the owner can let go of it.
constexpr int CM_PROPERTIES_DESTROYED = 1127;

// Control ids of the folder.
enum TPropertiesFolderControl : int {
  kOptimizationButtonId = 311,
  kPanelSummaryId = 312,
  kPanelFunctionsId = 313,
  kPanelOptimizeId = 314,
  kPanelVariablesId = 315,
};

// The page numbers of the folder.
enum TPropertiesPageNumber : int {
  kGeneralPage = 0,
  kSurfacesPage = 1,
  kBeamsPage = 2,
  kAsphericsPage = 3,
  kPositionsPage = 4,
  kBoundsPage = 5,
  kHoePage = 6,
  kLensArraysPage = 7,
  kObjectPupilPage = 8,
};

class TSystemPropertiesFolder : public TBookMarkFolder, public TSystemObserver {
 public:
  TSystemPropertiesFolder(TWindow *frame, TSystemImage *system);
  ~TSystemPropertiesFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Refills the page shown from the system.
  void Refresh();
  // TSystemObserver: the panel and the page shown follow the edit.
  void SystemEdited() override;
  // The optimization panel: whether it is shown; the toggle shows it or, when shown, closes
  // it (its parameters and functions go to the file beside the system); the update refills
  // it from the system.
  int OptimizationPanelShown() const { return panel_ != nullptr; }
  void ToggleOptimizationPanel();
  // Closes the optimization panel, writing its file: false (the panel stays, its values
  // kept) when the file was not written and the user kept them. True with no panel.
  [[nodiscard]] bool ReleasePanel();
  void UpdateOptimizationPanel();
  TOptimizationPanel *OptimizationPanel() const { return panel_.get(); }
  // Brings the folder to the front with its General page.
  void ShowGeneralInfoDlg();

  TPropertiesGeneralPage *GeneralPage() const { return general_; }
  TPropertiesSurfacesPage *SurfacesPage() const { return surfaces_; }
  TPropertiesBeamsPage *BeamsPage() const { return beams_; }
  // The table pages from kAsphericsPage on (null for another number).
  TPropertiesGridPage *GridPage(int page);
  // The panel's one-line summary.
  std::string PanelSummary() const;

  // The settings file that keeps the folder's place between openings ("" keeps none).
  std::string settingsPath;
  // The editor's undo command, for the optimization progress window.
  std::function<void()> undo;

  void EvDestroy();
  void CmClose();
  void CmOptimization() { ToggleOptimizationPanel(); }
  void CmMeritFunctions();
  // The variables dialog over the panel's parameters, proposing the surface selected in the
  // surfaces table.
  void CmVariables();
  // The variables dialog and the merit functions dialog while they run (null otherwise).
  TVariablesDlg *VariablesDialog() const { return variables_; }
  TOptimizationFunctionsDlg *FunctionsDialog() const { return functionsDialog_; }
  void CmOptimize();
  // While the panel's optimization runs: the run is stopped as the progress window's Stop
  // does, and true says so (the caller then leaves the folder and the system as they are).
  // False when no run is in progress.
  bool StopRunningOptimization();
  bool OptimizationRunning() const { return run_ != nullptr; }

 private:
  void ShowPanelControls(bool show);
  // Ends the panel's dialogs as Cancel does and takes their windows away, before the panel
  // they edit goes: nothing they hold is written or shown after that.
  void EndPanelDialogs();
  // A panel dialog open over a system that has changed since it opened (Undo, Redo, a
  // configuration, a command of the main window) ends with a word: what it holds was taken
  // from the system as it was, and its OK would write that over the system as it is. Asked
  // after every refresh and again by the dialog's OK; true when it ended one.
  bool EndDialogsOfAnotherSystem();
  // The system's state as the panel's dialogs see it.
  struct TSystemStamp {
    unsigned revision = 0;
    int configurations = 0;
    int currentConfiguration = 0;
    int surfaces = 0;
    bool operator==(const TSystemStamp &) const = default;
  };
  TSystemStamp Stamp() const;
  // After the folder's optimization changed the system: every view follows.
  void Changed();

  TSystemImage *system_;
  TPropertiesGeneralPage *general_;
  TPropertiesSurfacesPage *surfaces_;
  TPropertiesBeamsPage *beams_;
  std::unique_ptr<TOptimizationPanel> panel_;
  TVariablesDlg *variables_ = nullptr;
  TViewerRunHost *run_ = nullptr;  // the run in progress (its host lives in CmOptimize)
  TOptimizationFunctionsDlg *functionsDialog_ = nullptr;
  TSystemStamp dialogStamp_;  // the system as the open panel dialog took it
  // False once the folder is deleted: a dialog's loop that returns finds it gone.
  std::shared_ptr<bool> living_ = std::make_shared<bool>(true);
};

// The program-wide pointer to the open folder (null while it is closed).
TSystemPropertiesFolder *PropertiesFolder();
void SetPropertiesFolder(TSystemPropertiesFolder *folder);

// For a command that would close the folder or replace the edited system (Exit, Open, New):
// while the folder's optimization runs, the run is stopped as Stop does and true says that
// the command must not go on; the user gives it again once the run has ended.
bool OptimizationRunStopsCommand();

// For a command that would change or write the system (Undo, Delete, Paste, a new element or
// configuration, Save, a move on the canvas): while the folder's optimization runs, the user
// is told to stop it first and true says that the command must not go on; the run goes on.
// Under the run such a command would change the lens between its evaluations, or write one
// that a derivative or a trial displaced.
bool OptimizationRunRefusesEdit();
