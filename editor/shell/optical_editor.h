#pragma once
// TOpticalEditor: the program's main window. A decorated frame around the canvas with the
// menu bar "EditorMenu" and a status bar; it owns the edited system, the recent-systems
// list, the glass catalogs and the command-enable flags, and applies the menu rules
// (editor/commands/menu_state.h) to its menu bar and its caption.

#include <memory>
#include <string>
#include <vector>

#include "analysis/narcissus/narcissus_analysis.h"
#include "document/system/system_image.h"
#include "editor/animation/animation_info.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/menu_state.h"
#include "editor/edit/editor_tools.h"
#include "editor/settings/editor_settings.h"
#include "editor/settings/recent_files.h"
#include "platform/gui/bars/frame_window.h"
#include "toolkit/pump/message_queue.h"

class TGlassCatalog;
class TStepMovieWriter;
struct TInsertedElementInfo;
class TShowEasyAberrationsDlg;
class TShowPSFFolder;
class TSpotDiagram;
class TTestObjectFolder;
class TStatusBar;

class TOpticalEditor : public TDecoratedFrame {
 public:
  // commandLine: the system to open first (empty: a new one).
  TOpticalEditor(TWindow *parentWindow, const std::string &commandLine);
  ~TOpticalEditor() override;

  // The one editor while its window lives, else null.
  static TOpticalEditor *Current();

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  bool CanClose() override;
  // After the frame has placed its decorations, the canvas's bitmap follows its window.
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Recomputes the enable flags, checks and Undo/Redo texts and applies them to the menu.
  void UpdateMenus();
  // Builds the caption, sets it on the frame and answers it.
  std::string UpdateCaption();
  // Deletes the undo ring's files and the opened system's copy; resets the ring.
  void DeleteUndoFiles();
  // Loads a system file as the edited system (the name as the file reader's nameMode
  // says); the undo ring starts afresh with it. 1 when loaded.
  int LoadSystem(const std::string &fileName, int nameMode);

  // 1 when the command's item is enabled (commands without an enabler always are).
  int CommandFlag(int command) const;
  TSystemImage &System() { return system_; }
  TRecentFiles &RecentFiles() { return recent_; }
  TEditGraph *Canvas() const { return canvas_; }
  // Canvas: the tool record the canvas reads on every press.
  TToolSelection &Tools() { return tools_; }
  bool LastOpenSucceeded() const { return lastOpen_; }
  // The settings file this editor reads and writes.
  std::string SettingsPath() const;

  // Commands.
  void CmExit();
  void CmNewSystem();
  void CmOpenSystem();
  void CmSaveSystem();
  void CmSaveSystemAs();
  void CmOpenRecent(WPARAM wParam, LPARAM lParam);
  void CmUndo();
  void CmRedo();
  void CmNothing();
  void CmAbout();
  // Modeless toggles: the command opens the window, the same command closes it; both beep
  // and open nothing for a system of fewer than 2 surfaces.
  void CmAberrations();
  void CmSpotDiagram();
  // The narcissus analysis, modally, on a copy of the system (turned round when the object
  // is at infinity and the image finite) with the record filled with its defaults; beeps
  // for a system of fewer than 2 surfaces.
  void CmNarcissus();
  const TNarcissusParameters &NarcissusParameters() const { return narcissus_; }
  // Turns every configuration of the system round (an undo step "Turn system").
  void CmTurnSystem();
  // Moves the image surface to the plane where the fields' ray fans spread least (an undo
  // step "Plane of best installation"); beeps for a system of fewer than 2 surfaces.
  void CmBestImagePlane();
  // The help file at its contents, and the examples file beside it at the examples page.
  void CmHelpContents();
  void CmExamples();
  // The preferences, modally; after OK the system is drawn with the options they set.
  void CmSettings();
  // The program's help file (the settings may name another).
  const std::string &HelpFile() const { return helpFile_; }
  // Notices of the analysis windows going (lParam the window).
  void AberrationsDestroyed(WPARAM wParam, LPARAM window);
  void SpotDestroyed(WPARAM wParam, LPARAM window);
  // Recomputes the open analysis windows after a change of the system (renewLabels: the
  // aberrations window refills its beam and wavelength lists too).
  void RefreshAnalyses(bool renewLabels = false);
  TShowEasyAberrationsDlg *AberrationsWindow() const { return aberrations_; }
  TSpotDiagram *SpotWindow() const { return spot_; }
  const TEditorSettings &Settings() const { return settings_; }
  // The PSF and MTF window: a modeless toggle that image synthesis excludes.
  void CmPsfMtf();
  void PsfFolderDestroyed(WPARAM wParam, LPARAM window);
  TShowPSFFolder *PsfWindow() const { return psf_; }
  // Whether the image-synthesis folder is open.
  bool SynthesisOpen() const { return synthesisOpen_; }
  // The image-synthesis folder: opened modeless on the system, closed by the same command;
  // the PSF and MTF window stays shut while it lives.
  void CmImageSynthesis();
  void SynthesisFolderDestroyed(WPARAM wParam, LPARAM window);
  TTestObjectFolder *SynthesisWindow() const { return synthesis_; }
  void CeAll(TCommandEnabler &enabler);
  // The system's properties folder and general-information window (editor/properties/).
  // The table editor opens or closes the folder (a minimised one is restored); General
  // parameters and Thermo show the folder's General page or the standalone window.
  void CmPropertiesOfSelected();
  void CmEditAsTable();
  void CmGeneralParameters();
  void PropertiesDestroyed(WPARAM wParam, LPARAM window);
  // After every change of the system: the folder's page and the standalone window refill.
  void RefreshProperties();
  // After the folder changed the system: the canvas, the analyses, menus and caption.
  void PropertiesChangedSystem();
  void EvClose();
  void EvDestroy();

  // Paste, new single surface, new element and the component library
  // (editor/insert/optical_editor_insert.cpp). PlaceNewElement waits, pumping messages, for
  // the element to follow and the new element's place: 1 when a surface was placed there
  // (count 1: with the preceding radius; -1: plane), 0 when cancelled or nothing chosen.
  int PlaceNewElement(int count, TInsertedElementInfo *info);
  void CmPaste();
  void CmNewSingleSurface();
  void CmNewElement();
  void CmComponentLibrary();
  // Print: the system report on the printer (editor/insert/optical_editor_print.cpp).
  void CmPrint();
  bool NewSingleSurfaceDown() const { return singleSurfaceDown_; }
  bool NewElementDown() const { return newElementDown_; }
  // Edit, view, zoom, alignment and configuration commands, the palettes and the quick
  // tables (editor/edit/).
  // Brings every view of the system up to date and shows the optical model's pending
  // message in the status bar (emptying it).
  void RefreshAll();
  void CmRefresh() { RefreshAll(); }
  void CmDelete();
  void CmSelect();
  void CmCut();
  void CmCopy();
  void CmSelectZoom();
  void CmZoomOut();
  void CmActualSize();
  void CmScaleSystem();
  void CmAlignment();
  void CmDecenter();
  void CmTilt();
  void CmCardinalPlanes();
  void CmRealBeams();
  void CmViewPropertiesOfSelected();
  void CmInsertConfiguration();
  void CmAddConfiguration();
  void CmDeleteConfiguration();
  void CmBaseConfiguration();
  void CmNextConfiguration();
  void CmPrevConfiguration();
  // Palettes: mode 0 hides, 1 shows, 2 re-places only, any other value toggles.
  void ShowToolsBar(int mode);
  void ShowAlignmentBar(int mode);
  void ShowConfigurationBar(int mode);
  // The View menu's palette items (the command id is the toggling mode).
  void CmToolsPalette(WPARAM wParam, LPARAM lParam);
  void CmZoomPalette(WPARAM wParam, LPARAM lParam);
  void CmConfigurationsPalette(WPARAM wParam, LPARAM lParam);
  // The visible palettes keep their offset from the canvas's top-right corner.
  void PlacePalettes();
  // At set-up: the canvas reads the tool record, and the tools and zoom palettes show.
  void SetUpEditTools();
  // One palette (0 tools, 1 zoom, 2 configurations) as the three functions above do it.
  void ShowPalette(int which, int mode);
  // Every palette's layout and place go into the settings the editor writes on closing.
  void StorePalettePlaces();
  // A quick table whose window went (lParam: the table).
  void QuickTableClosed(WPARAM wParam, LPARAM table);
  // Runs Select Zoom when its button is down, which leaves zoom mode.
  void LeaveZoomMode();
  // The canvas's mouse mode, kept in the tool record.
  void SetMouseMode(int mode);
  // Puts the menu rules' button states on the palettes.
  void ApplyPaletteStates();
  TEditorTools &EditTools() { return editTools_; }

  // Lens and beam animations (editor/animation/). The two runs are toggles that play inside
  // the command, pumping messages after every step, and put the system back at their end.
  void CmBeamAnimation();
  void CmLensAnimation();
  void CmPauseAnimation();
  // Writes the animation file's template when the file is missing, opens the file in the
  // text editor until it is closed, and restarts the animation that was running.
  void CmEditAnimation();
  // Reads the lens animation of the file into the animation state (a missing file is
  // offered for creation); takes the undo step "Lens animation" and marks the animation
  // running. 1 when at least one element is animated; it does not play the animation.
  int RunLensAnimation(const std::string &fileName);
  // One lens-animation step on the edited system.
  void ApplyAnimationStep();
  // Turns off each animation whose button is down.
  void StopAnimations();
  TCommonAnimationInfo &Animation() { return animation_; }
  // The animation file of the edited system.
  std::string AnimationFilePath() const;
  // The step movie (editor/animation/optical_editor_movie.cpp): the next frame is a
  // picture of the whole window with "Step <n>" in its title; the first asks for the movie
  // file. Save each step makes every refresh save one.
  void SaveReportStep();
  void CmSaveEachStep();
  void CmCancelSaving();
  bool SavesEachStep() const { return saveEachStep_; }
  int FrameCounter() const { return frameCounter_; }
  const std::string &ReportFileName() const { return reportFileName_; }

 private:
  // The save question; false when the user cancelled.
  bool AskToSave();
  // Places the frame at the settings' rectangle, kept on the screen.
  void PlaceFrame(const int position[4]);
  // Offers to restore a session whose undo files were left behind; true when the newest
  // of them was loaded.
  bool OfferSessionRestore();
  void ReadSettings();
  // The canvas's bitmap at the size of its window.
  void FitCanvasBitmap();
  // Regroups the system's elements for the canvas, takes its view window and redraws it.
  void ShowSystem();
  void WriteSettings();
  void UpdateRecentMenu();
  // Opens the named system in place of the current one (the recent list follows).
  bool ReplaceSystem(const std::string &fileName);
  std::string UntitledPath() const;
  TEditorStateView StateView() const;
  // Beeps and answers true when the system is too small for an analysis.
  bool AnalysisRefused() const;
  void CloseAberrations();
  void CloseSpotDiagram();
  // Closes both analysis windows (their settings go into the editor's record first).
  void CloseAnalyses();
  void DeleteRetiredWindows();
  // Placement (editor/insert/optical_editor_insert.cpp).
  void SetPlacementCheck(int command, bool down);
  int EndPlacement(int result);
  void AfterInsertion();
  void RunElementFolder(TInsertedElementInfo &info, int firstPage, const char *label);
  // The PSF and MTF window: closes it (after its running computation, when one runs).
  void ClosePsfFolder();
  void RefreshPsfFolder();
  // The image-synthesis folder: closes it (a running synthesis is stopped first), and
  // marks its image to be computed anew.
  void CloseSynthesisFolder();
  void RefreshSynthesisFolder();
  // Before the system is replaced: the folder gives its borrowed settings back to the
  // system they came from and closes. False (a beep) while its synthesis runs.
  bool CloseSynthesisForNewSystem();
  // The system file as the user's: with the folder open, its own settings, not the loan.
  int SaveEditedSystem(const std::string &fileName);
  // The system's properties (editor/properties/): the optimization panel closes before
  // the system is replaced; New opens the folder or refreshes it; closing deletes the
  // folder (and the standalone general-information window with it when asked).
  void ClosePropertiesPanel();
  void ShowPropertiesAfterNew();
  void CloseProperties(bool generalInfoToo);
  // Checks General parameters while the standalone general-information window is open.
  void UpdatePropertiesMenu();
  // Animations: the button of the command and its menu check; the question for a missing
  // file (true: the user wants it made); the wait while the pause button is down (false
  // when Escape ended it); the beam run after its button went down (false when it never
  // started, and the command ends at once).
  void SetAnimationButton(int command, bool down);
  bool OfferAnimationFile(const std::string &path);
  bool WaitWhilePaused(int command);
  bool RunBeamAnimation(int raysPerBeam);
  // The check of Save each step follows its flag.
  void CheckSaveEachStep();

  TEditGraph *canvas_;
  // Canvas: the tool record (the palettes set its tool and mouse mode).
  TToolSelection tools_;
  TMessageQueue queue_;
  TRecentFiles recent_;
  TSystemImage system_;
  TEditorMenuState menuState_;
  TEditorSettings settings_;
  TNarcissusParameters narcissus_;
  std::unique_ptr<TGlassCatalog> catalogs_;
  TStatusBar *statusBar_ = nullptr;
  std::string systemsDirectory_;
  std::string commandLine_;
  std::string helpFile_;
  bool lastOpen_ = true;
  bool closing_ = false;
  TShowEasyAberrationsDlg *aberrations_ = nullptr;
  TSpotDiagram *spot_ = nullptr;
  // The PSF and MTF window and the image-synthesis flag that excludes it.
  TShowPSFFolder *psf_ = nullptr;
  bool synthesisOpen_ = false;
  TTestObjectFolder *synthesis_ = nullptr;
  // Analysis windows that closed themselves, deleted at the next launch or at the end.
  std::vector<TWindow *> retired_;
  // The New Single Surface and New Element toggles.
  bool singleSurfaceDown_ = false;
  bool newElementDown_ = false;
  // The palettes, their buttons' states and the quick tables (editor/edit/).
  TEditorTools editTools_;
  // The animation state: the lens animation's records and the runs' counters.
  TCommonAnimationInfo animation_;
  // The step movie: the file chosen last, its writer while one is open, whether every
  // refresh saves a frame, and the number of the next frame.
  std::string reportFileName_;
  std::unique_ptr<TStepMovieWriter> movieWriter_;
  bool saveEachStep_ = false;
  int frameCounter_ = 0;
};

// Save current step, Save each step and Cancel saving: enabled only while a movie writer
// is provided.
bool IsStepMovieCommand(int command);
