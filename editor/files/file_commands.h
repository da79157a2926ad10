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

  // How a load ended. A file that holds no system is refused by the one who read it (the
  // reader names the fault, or "System is empty!"), so the caller adds nothing; a file that
  // cannot be opened at all is the caller's to report; a system loaded whose first undo
  // snapshot could not be written is loaded, and that was said.
  enum TLoadOutcome : int {
    kLoadFailed = 0,         // no system file, or it cannot be opened: nothing was said
    kLoaded = 1,
    kLoadRefused = 2,        // the file was read and refused; the user was told why
    kLoadedWithoutUndo = 3,  // loaded; the user was told that Undo has no snapshot
    kLoadStopped = 4,        // the edited system could not be let go (a run, or values the
                             // panel kept); the file was not looked at
  };
  static bool IsLoaded(TLoadOutcome outcome) { return outcome == kLoaded || outcome == kLoadedWithoutUndo; }

  // Loads a system file as the edited system (the name as the file reader's nameMode
  // says); the undo ring starts afresh with it.
  TLoadOutcome LoadSystem(const std::string &fileName, int nameMode);
  // The system named at start: loaded, or (it cannot be opened or is refused) the user is
  // told why and the empty system stands untitled, so the caption never names a file it
  // does not show.
  void OpenStartupSystem(const std::string &fileName);
  // The save question; false when the user cancelled or the save asked for did not write the
  // file: the caller stops, the system and its changes as they were.
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
  // Whether the system has no name of the user's yet.
  bool Untitled() const;
  // Save and Save as; true when the file was written.
  bool SaveSystem();
  bool SaveSystemAs();
  // Opens the named system in place of the current one (the recent list follows).
  TLoadOutcome ReplaceSystem(const std::string &fileName);

  TEditorFrame &frame_;
  TWindow &window_;
  TRecentFiles recent_;
  std::string systemsDirectory_;
  bool lastOpen_ = true;
};
