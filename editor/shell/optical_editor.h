#pragma once
// TOpticalEditor: the program's main window, a frame over the command groups. A decorated
// frame around the canvas with the menu bar "EditorMenu" and a status bar; it owns the
// edited system, the canvas's tool record, the palettes' states, the glass catalogs and the
// command-enable flags, applies the menu rules (editor/commands/menu_state.h) to its menu
// bar and its caption, and forwards each command of its response table to the group that
// owns it. The groups reach the frame and each other through TEditorFrame. The frame is
// the first observer of the edited system: an edit told by the system's one notice
// refreshes the canvas, the analyses, menus and caption here, and the properties folder
// and the general-information window, observers too, refill themselves.

#include <memory>
#include <string>
#include <vector>

#include "document/system/system_image.h"
#include "editor/animation/animation_commands.h"
#include "editor/animation/movie_commands.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_frame.h"
#include "editor/commands/menu_state.h"
#include "editor/edit/alignment_commands.h"
#include "editor/edit/configuration_commands.h"
#include "editor/edit/edit_commands.h"
#include "editor/edit/editor_palettes.h"
#include "editor/edit/editor_tools.h"
#include "editor/edit/view_commands.h"
#include "editor/files/file_commands.h"
#include "editor/insert/insert_commands.h"
#include "editor/optimize/optimization_setup.h"
#include "editor/launchers/launcher_commands.h"
#include "editor/properties/properties_commands.h"
#include "editor/settings/editor_settings.h"
#include "platform/gui/bars/frame_window.h"
#include "toolkit/pump/message_queue.h"

class TGlassCatalog;
class TStatusBar;

class TOpticalEditor : public TDecoratedFrame, public TEditorFrame, public TSystemObserver {
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

  // TEditorFrame: what the frame owns.
  TWindow &Window() override { return *this; }
  TSystemImage &System() override { return system_; }
  TEditGraph *Canvas() const override { return canvas_; }
  TToolSelection &Tools() override { return tools_; }
  TEditorTools &EditTools() override { return editTools_; }
  TEditorSettings &Settings() override { return settings_; }
  const TEditorSettings &Settings() const { return settings_; }
  TStatusBar *StatusBar() const override { return statusBar_; }
  TMessageQueue &Queue() override { return queue_; }
  // The settings file this editor reads and writes.
  std::string SettingsPath() const override;
  std::string UntitledPath() const override;
  // The program's help file (the settings may name another).
  const std::string &HelpFile() const override { return helpFile_; }
  bool IsCurrent() const override;

  // TEditorFrame: the views.
  // Recomputes the enable flags, checks and Undo/Redo texts and applies them to the menu.
  void UpdateMenus() override;
  // Builds the caption, sets it on the frame and answers it.
  std::string UpdateCaption() override;
  void ShowSystem() override;
  // Brings every view of the system up to date and shows the optical model's pending
  // message in the status bar (emptying it).
  void RefreshAll() override;
  void RefreshAnalyses(bool renewLabels = false) override;
  void RefreshProperties() override;
  void RenewAberrationLabels() override;
  void SetMouseMode(int mode) override;

  // TSystemObserver: after an edit told by the system, every view but the properties
  // windows (which follow by their own notices) shows it.
  void SystemEdited() override;

  // TEditorFrame: one group's command that another runs.
  void Undo() override;
  TScanAnimation *ScanAnimation() override;
  void LeaveZoomMode() override;
  void ShowConfigurationBar(int mode) override;
  void OpenPropertiesOfSelected() override;
  bool LetGoOfSystem() override;
  bool CloseOptimizationPanel() override;
  void ShowPropertiesAfterNew() override;
  int SaveEditedSystem(const std::string &fileName, TFileWriteResult *why) override;
  void RetireWindow(TWindow *window) override;
  void DeleteRetiredWindows() override;

  // Deletes the undo ring's files and the opened system's copy; resets the ring.
  void DeleteUndoFiles();
  // 1 when the command's item is enabled (commands without an enabler always are).
  int CommandFlag(int command) const;

  // The command groups the response table forwards to.
  TFileCommands &Files() { return files_; }
  TEditCommands &Edit() { return edit_; }
  TViewCommands &View() { return view_; }
  TAlignmentCommands &Alignment() { return alignment_; }
  TConfigurationCommands &Configurations() { return configurations_; }
  TPaletteCommands &Palettes() { return palettes_; }
  TPropertiesCommands &Properties() { return properties_; }
  TLauncherCommands &Launchers() { return launchers_; }
  TInsertCommands &Insertion() { return insertion_; }
  TAnimationCommands &Animations() { return animations_; }
  TMovieCommands &Movie() { return movie_; }

  // The frame's own commands.
  void CmExit();
  void CmNothing();
  void CmAbout();
  void CmRefresh() { RefreshAll(); }
  void CeAll(TCommandEnabler &enabler);
  void EvClose();
  void EvDestroy();

 private:
  // Places the frame at the settings' rectangle, kept on the screen.
  void PlaceFrame(const int position[4]);
  // Offers to restore a session whose undo files were left behind; true when the newest
  // of them was loaded.
  bool OfferSessionRestore();
  void ReadSettings();
  // The canvas's bitmap at the size of its window.
  void FitCanvasBitmap();
  void WriteSettings();
  TEditorStateView StateView() const;
  // Closes the properties folder and every launched window (their settings go into the
  // editor's record first).
  void CloseAnalyses();
  // Every view of the system: the canvas, the caption, the analyses, the selection's
  // note, the quick tables, menus, the movie's frame and the status bar; the properties
  // windows too unless they follow the same edit by a notice of their own.
  void RefreshViews(bool withProperties);
  // The model's waiting warnings into the status bar, which they leave empty when none wait.
  void ShowPendingMessage();

  TEditGraph *canvas_;
  // Canvas: the tool record (the palettes set its tool and mouse mode).
  TToolSelection tools_;
  TMessageQueue queue_;
  TSystemImage system_;
  // The system's optimization setup, kept with it through undo and configuration edits.
  TOptimizationSetup setup_{system_};
  TEditorMenuState menuState_;
  TEditorSettings settings_;
  std::unique_ptr<TGlassCatalog> catalogs_;
  TStatusBar *statusBar_ = nullptr;
  std::string commandLine_;
  std::string helpFile_;
  // Windows that closed themselves, deleted at the next launch or at the end.
  std::vector<TWindow *> retired_;
  // The palettes, their buttons' states and the quick tables.
  TEditorTools editTools_;
  // The command groups.
  TFileCommands files_;
  TEditCommands edit_;
  TViewCommands view_;
  TAlignmentCommands alignment_;
  TConfigurationCommands configurations_;
  TPaletteCommands palettes_;
  TPropertiesCommands properties_;
  TLauncherCommands launchers_;
  TInsertCommands insertion_;
  TAnimationCommands animations_;
  TMovieCommands movie_;
};
