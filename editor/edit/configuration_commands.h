#pragma once
// TConfigurationCommands: insert, add and delete a configuration, and step to the base, next
// or previous one. The caption shows the current one as ", Configuration: c/n".

#include "editor/commands/editor_frame.h"

class TConfigurationCommands {
 public:
  TConfigurationCommands(TEditorFrame &frame, TWindow &window);

  void CmInsertConfiguration();
  void CmAddConfiguration();
  void CmDeleteConfiguration();
  void CmBaseConfiguration();
  void CmNextConfiguration();
  void CmPrevConfiguration();

 private:
  void RememberConfiguration();
  // Asks, then inserts a configuration after configuration `at` (-1: the one shown) and
  // takes one undo step under the label; nothing when the user says No.
  void InsertAfter(int at, const char *undoLabel);
  TEditorFrame &frame_;
  TWindow &window_;
};
