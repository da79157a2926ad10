// The editor's commands of the system's properties: the table editor (the properties
// folder, also Edit as table), General parameters and Thermo (the folder's General page, or
// the standalone general-information window), and the folder's refresh after every change
// of the system.

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/properties_general_info_dlg.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/optical_editor.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

void TOpticalEditor::CmPropertiesOfSelected() {
  DeleteRetiredWindows();
  TSystemPropertiesFolder *folder = PropertiesFolder();
  if (folder == nullptr) {
    folder = new TSystemPropertiesFolder(this, &system_);
    folder->systemChanged = [this] { PropertiesChangedSystem(); };
    folder->undo = [this] { CmUndo(); };
    folder->settingsPath = SettingsPath();
    SetPropertiesFolder(folder);
    if (!folder->Create()) {
      SetPropertiesFolder(nullptr);
      delete folder;
    }
  } else if (folder->IsWindow() && folder->IsIconic()) {
    folder->ShowWindow(SW_RESTORE);
  } else {
    CloseProperties(false);
  }
  UpdateMenus();
  if (canvas_ != nullptr) canvas_->Redraw();
}

void TOpticalEditor::CmEditAsTable() { CmPropertiesOfSelected(); }

void TOpticalEditor::CmGeneralParameters() {
  DeleteRetiredWindows();
  // The window that is open decides: a second command closes it. The menu's check mark
  // only shows this, since the menu rules clear it whenever the folder is closed.
  if (TPropertiesGeneralInfoDlg *open = GeneralInfoWindow()) {
    SetGeneralInfoWindow(nullptr);
    open->Destroy(IDCANCEL);
    delete open;
  } else if (TSystemPropertiesFolder *folder = PropertiesFolder()) {
    folder->ShowGeneralInfoDlg();
  } else {
    auto *window = new TPropertiesGeneralInfoDlg(nullptr, &system_);
    window->systemChanged = [this] { PropertiesChangedSystem(); };
    window->closed = [this, window] {
      retired_.push_back(window);
      UpdateMenus();
    };
    SetGeneralInfoWindow(window);
    if (!window->Create()) {
      SetGeneralInfoWindow(nullptr);
      delete window;
    }
  }
  UpdateMenus();
}

void TOpticalEditor::PropertiesDestroyed(WPARAM, LPARAM window) {
  // The folder has already let go of the program-wide pointer; it is deleted later.
  retired_.push_back(reinterpret_cast<TWindow *>(window));
  UpdateMenus();
}

void TOpticalEditor::RefreshProperties() {
  if (TSystemPropertiesFolder *folder = PropertiesFolder()) {
    folder->UpdateOptimizationPanel();
    folder->Refresh();
  }
  if (TPropertiesGeneralInfoDlg *window = GeneralInfoWindow()) window->Fill();
}

void TOpticalEditor::PropertiesChangedSystem() {
  // Field points and wavelengths may have changed: the aberrations window's lists follow
  // before everything is refreshed.
  if (aberrations_ != nullptr && aberrations_->GetHandle() != nullptr) aberrations_->UpdateLabels();
  RefreshAll();
  // The elements' regions follow the picture just drawn.
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr) system_.SetCanvas(canvas_);
}

void TOpticalEditor::ClosePropertiesPanel() {
  TSystemPropertiesFolder *folder = PropertiesFolder();
  if (folder != nullptr && folder->OptimizationPanelShown()) folder->ToggleOptimizationPanel();
}

void TOpticalEditor::ShowPropertiesAfterNew() {
  if (PropertiesFolder() != nullptr)
    RefreshProperties();
  else
    CmPropertiesOfSelected();
}

void TOpticalEditor::CloseProperties(bool generalInfoToo) {
  if (TSystemPropertiesFolder *folder = PropertiesFolder()) {
    SetPropertiesFolder(nullptr);
    if (folder->IsWindow()) folder->Destroy(IDCANCEL);
    delete folder;
  }
  if (TPropertiesGeneralInfoDlg *window = GeneralInfoWindow(); window != nullptr && generalInfoToo) {
    SetGeneralInfoWindow(nullptr);
    window->Destroy(IDCANCEL);
    delete window;
  }
}

void TOpticalEditor::UpdatePropertiesMenu() {
  HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr;
  if (menu != nullptr && GeneralInfoWindow() != nullptr)
    CheckMenuItem(menu, CM_GENERAL_PARAMETERS, MF_BYCOMMAND | MF_CHECKED);
}
