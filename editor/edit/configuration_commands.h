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
  TEditorFrame &frame_;
  TWindow &window_;
};
