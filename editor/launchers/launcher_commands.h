#pragma once
// TLauncherCommands: the editor's analysis and synthesis windows and the whole-system
// operations. The aberrations window, the spot diagram, the PSF and MTF window and the
// image-synthesis folder are modeless toggles on the frame, each kept by one pointer that
// the window's own closing clears; the narcissus analysis runs modally. Turning the system,
// the plane of best installation, the help and the preferences go with them.

#include <cstdint>
#include <string>

#include "analysis/narcissus/narcissus_analysis.h"
#include "editor/commands/editor_frame.h"
#include "platform/core/types.h"

class TOpticalViewer3DForEdit2D;
class TShowEasyAberrationsDlg;
class TShowPSFFolder;
class TSpotDiagram;
class TTestObjectFolder;

// The examples' help file, beside the program's, and its one page.
constexpr const char *kExamplesHelpName = "examples.hlp";
constexpr std::uintptr_t kExamplesContext = 3060;

class TLauncherCommands {
 public:
  TLauncherCommands(TEditorFrame &frame, TWindow &window);

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
  // Notices of the analysis windows going (lParam the window).
  void AberrationsDestroyed(WPARAM wParam, LPARAM window);
  void SpotDestroyed(WPARAM wParam, LPARAM window);
  // The PSF and MTF window: a modeless toggle that image synthesis excludes, refused for a
  // system with light pipes. The folder may be asked to close while its computation pumps
  // the messages: it then goes once the computation is back, and tells the editor.
  void CmPsfMtf();
  void PsfFolderDestroyed(WPARAM wParam, LPARAM window);
  // The image-synthesis folder: opened modeless on the system, closed by the same command;
  // the PSF and MTF window stays shut while it lives, and every change of the system marks
  // its image to be computed anew. A running synthesis closes only after a Cancel stopped it.
  void CmImageSynthesis();
  void SynthesisFolderDestroyed(WPARAM wParam, LPARAM window);

  // The 3-D image: a modeless toggle, refused (a beep) for a system of fewer than 2
  // surfaces; zoom mode is left first. The viewer's own closing clears the pointer.
  void Cm3DImage();
  void Viewer3DClosed(WPARAM wParam, LPARAM window);
  // Creates the viewer (none given) or refills it with the system's solids and rays, then
  // redraws it fitted to the elements. A new viewer stands at the parent's client point
  // (2, 2), 550 x 410, and is turned once to look across the optical axis; a refill keeps
  // the user's view. The caption is the system's name as it stands. Null when the window
  // cannot be made.
  TOpticalViewer3DForEdit2D *Show3DView(TWindow *parent, TSystemImage &system, TOpticalViewer3DForEdit2D *viewer);
  TOpticalViewer3DForEdit2D *ViewerWindow() const { return viewer_; }

  // Recomputes the open windows after a change of the system (renewLabels: the aberrations
  // window refills its beam and wavelength lists too); a system without an image side
  // closes them. The 3-D image is rebuilt whatever the system holds.
  void RefreshAnalyses(bool renewLabels);
  // The open aberrations window refills its beam and wavelength lists.
  void RenewAberrationLabels();
  // Closes every window of the group (their settings go into the editor's record first).
  void CloseWindows();
  // Before the system is replaced: the folder gives its borrowed settings back to the
  // system they came from and closes. False (a beep) while its synthesis runs.
  bool CloseSynthesisForNewSystem();
  // The system file as the user's: with the folder open, its own settings, not the loan.
  int SaveEditedSystem(const std::string &fileName, TFileWriteResult *why);

  TShowEasyAberrationsDlg *AberrationsWindow() const { return aberrations_; }
  TSpotDiagram *SpotWindow() const { return spot_; }
  TShowPSFFolder *PsfWindow() const { return psf_; }
  TTestObjectFolder *SynthesisWindow() const { return synthesis_; }
  // Whether the image-synthesis folder is open.
  bool SynthesisOpen() const { return synthesisOpen_; }

 private:
  // Beeps and answers true when the system is too small for an analysis.
  bool AnalysisRefused() const;
  void CloseAberrations();
  void CloseSpotDiagram();
  // Closes the viewer as its close box does (its palettes and the glasses go with it).
  void CloseViewer();
  // Closes the PSF and MTF window (after its running computation, when one runs).
  void ClosePsfFolder();
  void RefreshPsfFolder();
  // Closes the folder (a running synthesis is stopped first), and marks its image to be
  // computed anew.
  void CloseSynthesisFolder();
  void RefreshSynthesisFolder();

  TEditorFrame &frame_;
  TWindow &window_;
  // The narcissus dialog's last values and the system they were typed for.
  struct TNarcissusRun {
    std::string system;
    int surfaces = 0;
  };
  TNarcissusParameters narcissus_;
  TNarcissusRun narcissusRun_;
  bool narcissusKept_ = false;
  TShowEasyAberrationsDlg *aberrations_ = nullptr;
  TSpotDiagram *spot_ = nullptr;
  // The PSF and MTF window and the image-synthesis flag that excludes it.
  TShowPSFFolder *psf_ = nullptr;
  bool synthesisOpen_ = false;
  TTestObjectFolder *synthesis_ = nullptr;
  TOpticalViewer3DForEdit2D *viewer_ = nullptr;
};
