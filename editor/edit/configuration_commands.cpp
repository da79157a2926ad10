// The configuration commands: insert, add and delete a configuration, and step to the
// base, next or previous one. The caption shows the current one as ", Configuration: c/n".

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"

void TOpticalEditor::CmInsertConfiguration() {
  editTools_.SetButtonDown(CM_INSERT_CONFIGURATION, true);
  const int answer = MessageBox(GetHandle(), "New configuration will be created.",
                                "New configuration", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) {
    editTools_.SetButtonDown(CM_INSERT_CONFIGURATION, false);
    return;
  }
  system_.InsertConfiguration(system_.currentConfiguration);
  UpdateCaption();
  system_.SaveUndo("Insert new configuration");
  ShowConfigurationBar(1);
  SetFocus();
  RefreshAll();
  editTools_.SetButtonDown(CM_INSERT_CONFIGURATION, false);
}

void TOpticalEditor::CmAddConfiguration() {
  system_.SelectConfiguration(system_.ConfigurationCount() - 1);
  CmInsertConfiguration();
  system_.SaveUndo("Add new configuration");
  UpdateMenus();
}

void TOpticalEditor::CmDeleteConfiguration() {
  const int answer = MessageBox(GetHandle(), "Current configuration will be deleted.",
                                "Delete configuration", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return;
  system_.DeleteConfiguration(system_.currentConfiguration);
  system_.SaveUndo("Delete configuration");
  RefreshAll();
}

namespace {

enum class TStep { Base, Next, Previous };

void StepConfiguration(TOpticalEditor &editor, TSystemImage &system, TStep step) {
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
  if (TShowEasyAberrationsDlg *aberrations = editor.AberrationsWindow();
      aberrations != nullptr && aberrations->GetHandle() != nullptr)
    aberrations->UpdateLabels();
  editor.RefreshAll();
}

}  // namespace

void TOpticalEditor::CmBaseConfiguration() { StepConfiguration(*this, system_, TStep::Base); }

void TOpticalEditor::CmNextConfiguration() { StepConfiguration(*this, system_, TStep::Next); }

void TOpticalEditor::CmPrevConfiguration() { StepConfiguration(*this, system_, TStep::Previous); }
