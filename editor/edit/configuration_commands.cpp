#include "editor/edit/configuration_commands.h"

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_tools.h"
#include "editor/properties/system_properties_folder.h"
#include "platform/gui/windows/window.h"
#include "platform/core/message_box.h"

TConfigurationCommands::TConfigurationCommands(TEditorFrame &frame, TWindow &window)
    : frame_(frame), window_(window) {}

void TConfigurationCommands::RememberConfiguration() {
  // The optimization panel and Actual size step from the configuration shown: an added or
  // deleted one moves it as Base, Next and Previous do.
  frame_.EditTools().rememberedConfiguration = frame_.System().currentConfiguration;
}

void TConfigurationCommands::CmInsertConfiguration() { InsertAfter(-1, "Insert new configuration"); }

void TConfigurationCommands::CmAddConfiguration() {
  InsertAfter(frame_.System().ConfigurationCount() - 1, "Add new configuration");
  frame_.UpdateMenus();
}

void TConfigurationCommands::InsertAfter(int at, const char *undoLabel) {
  frame_.EditTools().SetButtonDown(CM_INSERT_CONFIGURATION, true);
  const int answer = MessageBox(window_.GetHandle(), "New configuration will be created.",
                                "New configuration", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) {
    frame_.EditTools().SetButtonDown(CM_INSERT_CONFIGURATION, false);
    return;
  }
  // One command, one undo step, whose Undo shows the configuration shown before it.
  TSystemImage &system = frame_.System();
  const int shownBefore = system.currentConfiguration;
  if (at >= 0 && at != shownBefore) {
    system.StoreConfiguration(-1);
    system.SelectConfiguration(at);
  }
  // The optimization setup moves with the configurations (the system's keeper moves it).
  system.InsertConfiguration(system.currentConfiguration);
  RememberConfiguration();
  frame_.UpdateCaption();
  system.SaveUndo(undoLabel, shownBefore);
  frame_.ShowConfigurationBar(1);
  window_.SetFocus();
  frame_.RefreshAll();
  frame_.EditTools().SetButtonDown(CM_INSERT_CONFIGURATION, false);
}

void TConfigurationCommands::CmDeleteConfiguration() {
  const int answer = MessageBox(window_.GetHandle(), "Current configuration will be deleted.",
                                "Delete configuration", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return;
  const int shownBefore = frame_.System().currentConfiguration;
  frame_.System().DeleteConfiguration(shownBefore);
  RememberConfiguration();
  frame_.System().SaveUndo("Delete configuration", shownBefore);
  frame_.RefreshAll();
}

namespace {

enum class TStep { Base, Next, Previous };

void StepConfiguration(TEditorFrame &editor, TSystemImage &system, TStep step) {
  if (TEditGraph *canvas = editor.Canvas(); canvas != nullptr && canvas->GetSelectMode())
    canvas->SetSelectMode(false);
  const TSystemPropertiesFolder *folder = PropertiesFolder();
  if (folder != nullptr && folder->OptimizationPanelShown()) {
    // The optimization panel steps from the configuration it was told last; an index off
    // the list changes nothing.
    const int remembered = editor.EditTools().rememberedConfiguration;
    system.SelectConfiguration(step == TStep::Base   ? 0
                               : step == TStep::Next ? remembered + 1
                                                     : remembered - 1);
  } else {
    // The positions the user has moved the elements to belong to the configuration left.
    system.StoreConfiguration(-1);
    switch (step) {
      case TStep::Base: system.FirstConfiguration(); break;
      case TStep::Next: system.NextConfiguration(); break;
      case TStep::Previous: system.PrevConfiguration(); break;
    }
  }
  editor.EditTools().rememberedConfiguration = system.currentConfiguration;
  editor.RenewAberrationLabels();
  editor.RefreshAll();
}

}  // namespace

void TConfigurationCommands::CmBaseConfiguration() { StepConfiguration(frame_, frame_.System(), TStep::Base); }

void TConfigurationCommands::CmNextConfiguration() { StepConfiguration(frame_, frame_.System(), TStep::Next); }

void TConfigurationCommands::CmPrevConfiguration() { StepConfiguration(frame_, frame_.System(), TStep::Previous); }
