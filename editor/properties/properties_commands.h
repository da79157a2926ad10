#pragma once
// TPropertiesCommands: the editor's commands of the system's properties. The table editor
// (the properties folder, also Edit as table), General parameters and Thermo (the folder's
// General page, or the standalone general-information window), and the folder's refresh
// after every change of the system.

#include "editor/commands/editor_frame.h"
#include "platform/core/types.h"

class TPropertiesCommands {
 public:
  TPropertiesCommands(TEditorFrame &frame, TWindow &window);

  // The table editor opens or closes the folder (a minimised one is restored); General
  // parameters and Thermo show the folder's General page or the standalone window.
  void CmPropertiesOfSelected();
  void CmEditAsTable();
  void CmGeneralParameters();
  void PropertiesDestroyed(WPARAM wParam, LPARAM window);
  // After every change of the system: the folder's page and the standalone window refill.
  void RefreshProperties();
  // The optimization panel closes before the system is replaced or renamed: false when its
  // file was not written and the user kept its values (the command then stops).
  [[nodiscard]] bool ClosePropertiesPanel();
  // After New: the folder opens, or refreshes when it is open.
  void ShowPropertiesAfterNew();
  // Deletes the folder (and the standalone general-information window with it when asked).
  void CloseProperties(bool generalInfoToo);
  // Checks General parameters while the standalone general-information window is open.
  void UpdatePropertiesMenu();

 private:
  TEditorFrame &frame_;
  TWindow &window_;
};
