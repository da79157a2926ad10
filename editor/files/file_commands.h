#pragma once
// TFileCommands: the main window's system files. New, Open, Save, Save as, Print, the recent
// systems of the File menu, and Undo/Redo over the edited system's ring.

#include <string>

#include "editor/commands/editor_frame.h"
#include "editor/settings/recent_files.h"
#include "platform/core/types.h"

class TFileCommands {
 public:
  TFileCommands(TEditorFrame &frame, TWindow &window);

  // Loads a system file as the edited system (the name as the file reader's nameMode
  // says); the undo ring starts afresh with it. 1 when loaded.
  int LoadSystem(const std::string &fileName, int nameMode);
  // The save question; false when the user cancelled.
  bool AskToSave();
  void CmNewSystem();
  void CmOpenSystem();
  void CmSaveSystem();
  void CmSaveSystemAs();
  void CmOpenRecent(WPARAM wParam, LPARAM lParam);
  // The system report on the printer.
  void CmPrint();
  void CmUndo();
  void CmRedo();
  // The File menu's list of recent systems follows the list.
  void UpdateRecentMenu();
  TRecentFiles &RecentFiles() { return recent_; }
  bool LastOpenSucceeded() const { return lastOpen_; }

 private:
  // Opens the named system in place of the current one (the recent list follows).
  bool ReplaceSystem(const std::string &fileName);

  TEditorFrame &frame_;
  TWindow &window_;
  TRecentFiles recent_;
  std::string systemsDirectory_;
  bool lastOpen_ = true;
};
