#include "editor/properties/properties_commands.h"

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/properties_general_info_dlg.h"
#include "editor/properties/system_properties_folder.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

TPropertiesCommands::TPropertiesCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

void TPropertiesCommands::CmPropertiesOfSelected() {
  frame_.DeleteRetiredWindows();
  TSystemPropertiesFolder *folder = PropertiesFolder();
  if (folder == nullptr) {
    folder = new TSystemPropertiesFolder(&window_, &frame_.System());
    folder->undo = [this] { frame_.Undo(); };
    folder->settingsPath = frame_.SettingsPath();
    SetPropertiesFolder(folder);
    if (!folder->Create()) {
      SetPropertiesFolder(nullptr);
      delete folder;
    }
  } else if (folder->IsWindow() && folder->IsIconic()) {
    folder->ShowWindow(SW_RESTORE);
  } else if (!OptimizationRunStopsCommand() && folder->ReleasePanel()) {
    CloseProperties(false);
  }
  frame_.UpdateMenus();
  if (frame_.Canvas() != nullptr) frame_.Canvas()->Redraw();
}

void TPropertiesCommands::CmEditAsTable() { CmPropertiesOfSelected(); }

void TPropertiesCommands::CmGeneralParameters() {
  frame_.DeleteRetiredWindows();
  // The window that is open decides: a second command closes it. The menu's check mark
  // only shows this, since the menu rules clear it whenever the folder is closed.
  if (TPropertiesGeneralInfoDlg *open = GeneralInfoWindow()) {
    SetGeneralInfoWindow(nullptr);
    open->Destroy(IDCANCEL);
    delete open;
  } else if (TSystemPropertiesFolder *folder = PropertiesFolder()) {
    folder->ShowGeneralInfoDlg();
  } else {
    auto *window = new TPropertiesGeneralInfoDlg(nullptr, &frame_.System());
    window->closed = [this, window] {
      frame_.RetireWindow(window);
      frame_.UpdateMenus();
    };
    SetGeneralInfoWindow(window);
    if (!window->Create()) {
      SetGeneralInfoWindow(nullptr);
      delete window;
    }
  }
  frame_.UpdateMenus();
}

void TPropertiesCommands::PropertiesDestroyed(WPARAM, LPARAM window) {
  // The folder has already let go of the program-wide pointer; it is deleted later.
  frame_.RetireWindow(reinterpret_cast<TWindow *>(window));
  frame_.UpdateMenus();
}

void TPropertiesCommands::RefreshProperties() {
  if (TSystemPropertiesFolder *folder = PropertiesFolder()) {
    folder->UpdateOptimizationPanel();
    folder->Refresh();
  }
  if (TPropertiesGeneralInfoDlg *window = GeneralInfoWindow()) window->Fill();
}

bool TPropertiesCommands::ClosePropertiesPanel() {
  TSystemPropertiesFolder *folder = PropertiesFolder();
  return folder == nullptr || folder->ReleasePanel();
}

void TPropertiesCommands::ShowPropertiesAfterNew() {
  if (PropertiesFolder() != nullptr)
    RefreshProperties();
  else
    CmPropertiesOfSelected();
}

void TPropertiesCommands::CloseProperties(bool generalInfoToo) {
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

void TPropertiesCommands::UpdatePropertiesMenu() {
  HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr;
  if (menu != nullptr && GeneralInfoWindow() != nullptr)
    CheckMenuItem(menu, CM_GENERAL_PARAMETERS, MF_BYCOMMAND | MF_CHECKED);
}
