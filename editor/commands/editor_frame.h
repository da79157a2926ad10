#pragma once
// TEditorFrame: what the main window's command groups (files, edit, view, alignment,
// configurations, palettes, properties, launchers, insertion, animation) ask of the frame
// and of each other. The frame owns the edited system, the canvas and its tool record, the
// settings and the status bar; every call from one group into another goes through here, so
// no group knows the frame's class or another group's.

#include <string>

class TEditGraph;
struct TFileWriteResult;
struct TEditorSettings;
class TEditorTools;
class TMessageQueue;
class TScanAnimation;
class TStatusBar;
class TSystemImage;
class TToolSelection;
class TWindow;

class TEditorFrame {
 public:
  virtual ~TEditorFrame() = default;

  // What the frame owns.
  // The frame's window: the parent of the groups' dialogs and windows, with the menu bar
  // and the caption.
  virtual TWindow &Window() = 0;
  virtual TSystemImage &System() = 0;
  virtual TEditGraph *Canvas() const = 0;
  // The canvas's tool record, read on every press.
  virtual TToolSelection &Tools() = 0;
  // The palettes, their buttons' down states and the quick tables.
  virtual TEditorTools &EditTools() = 0;
  virtual TEditorSettings &Settings() = 0;
  virtual TStatusBar *StatusBar() const = 0;
  // The queue that commands waiting for the user's clicks pump.
  virtual TMessageQueue &Queue() = 0;
  virtual std::string SettingsPath() const = 0;
  // The name a new system has until it is saved.
  virtual std::string UntitledPath() const = 0;
  virtual const std::string &HelpFile() const = 0;
  // False once the window is going: a command that pumped messages stops there.
  virtual bool IsCurrent() const = 0;

  // The views.
  virtual void UpdateMenus() = 0;
  virtual std::string UpdateCaption() = 0;
  // Regroups the system's elements for the canvas and redraws it.
  virtual void ShowSystem() = 0;
  // Brings every view of the system up to date.
  virtual void RefreshAll() = 0;
  // The properties folder and the open analysis windows after a change of the system
  // (renewLabels: the aberrations window refills its beam and wavelength lists too).
  virtual void RefreshAnalyses(bool renewLabels) = 0;
  virtual void RefreshProperties() = 0;
  // The open aberrations window refills its beam and wavelength lists.
  virtual void RenewAberrationLabels() = 0;
  // The canvas's mouse mode, kept in the tool record.
  virtual void SetMouseMode(int mode) = 0;

  // One group's command that another runs.
  virtual void Undo() = 0;
  // The lens animation as the image synthesis's scanner runs it.
  virtual TScanAnimation *ScanAnimation() = 0;
  // Runs Select Zoom when its button is down, which leaves zoom mode.
  virtual void LeaveZoomMode() = 0;
  // The configurations palette: mode 0 hides, 1 shows, 2 re-places only, else toggles.
  virtual void ShowConfigurationBar(int mode) = 0;
  // The properties folder of the selection: opened, restored or closed as its command does.
  virtual void OpenPropertiesOfSelected() = 0;
  // Before the edited system is replaced: the synthesis folder gives back what it borrowed
  // and closes, the optimization panel closes. False (nothing closed) while a synthesis runs;
  // false too when the panel's file was not written and the user kept its values.
  virtual bool LetGoOfSystem() = 0;
  // The optimization panel closes, its file written (before an unnamed system takes a name):
  // false when the file was not written and the user kept the panel's values.
  virtual bool CloseOptimizationPanel() = 0;
  // After New: the properties folder opens, or refreshes when it is open.
  virtual void ShowPropertiesAfterNew() = 0;
  // The system file as the user's: with the synthesis folder open, its own settings. why
  // (may be null) says why a save failed.
  virtual int SaveEditedSystem(const std::string &fileName, TFileWriteResult *why) = 0;
  // A window that closed itself: deleted at the next launch or with the frame, never
  // inside its own going.
  virtual void RetireWindow(TWindow *window) = 0;
  virtual void DeleteRetiredWindows() = 0;
};

// The program's editor while its window lives, else null.
TEditorFrame *CurrentEditorFrame();
void SetCurrentEditorFrame(TEditorFrame *frame);
