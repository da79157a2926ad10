// The main window's system files: New, Open, Save, Save as, the recent systems of the File
// menu, and Undo/Redo over the edited system's ring.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "editor/shell/optical_editor.h"
#include "editor/canvas/edit_graph.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "toolkit/dialogs/file_name.h"

namespace {

constexpr const char *kSystemFilter = "Optical System (*.os)|*.os|All files (*.*)|*.*|";
constexpr const char *kSystemsDirectoryName = "os";
// A system needs more than this many surfaces (object and image) to be one.
constexpr int kEmptySurfaceCount = 2;
constexpr int kMenuScanLimit = 20;
constexpr int kRecentMenuItems = 10;
constexpr const char *kSystemExtension = ".os";
// The system kept aside while another file is tried.
constexpr const char *kKeptSystemName = "~~kept.tmp";

std::string DirectoryOf(const std::string &path) {
  return std::filesystem::path(path).parent_path().string();
}

std::string FileNameOf(const std::string &path) {
  return std::filesystem::path(path).filename().string();
}

// The settings a new system starts with.
void SetNewSystemSettings(TSystemImage &system) {
  TOpticalSystemInformation &info = system.info;
  info.Coord = 0;
  info.Difrac = 1;
  info.N1 = 1.0;
  info.Naper = 1;
  info.Discrete = 0.0;
  info.TurnSystem = 0;
  info.Nray = 5;
  info.Unit = 0;
  info.Nd = 256;
  info.ShowRecommendation = 1;
  info.ObjectFinite = 0;
  info.ImageFinite = 1;
  info.AutoSetPupilParameters = 1;
  info.DrawAllRays = 0;
  info.Temperature = 20.0;
  info.Pressure = 760.0;
  if (info.Spectrum.Allocate(1, 1)) info.Spectrum.data[0] = TSpectralInfo{0.54, 1.0};
  info.LambdaW = 0.54;
  if (system.valueList.Allocate(1, 1)) {
    system.valueList.data[0] = 0.0;
  } else {
    ShowNotEnoughMemory();
  }
  system.valueListPair = 0.0;
  MarkModelChanged();
}

// The view window centred on the axis: across it, plus and minus the larger half.
void MakeViewSymmetric(TViewWindow &view) {
  const double y = std::max(std::fabs(view.yFrom), std::fabs(view.yTo));
  view.yFrom = -y;
  view.yTo = y;
}

void DeleteIfExists(const std::string &path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

int TOpticalEditor::LoadSystem(const std::string &fileName, int nameMode) {
  // Only system files are opened, never the untitled one (its extension in any case).
  const std::filesystem::path path(fileName);
  std::string extension = path.extension().string();
  for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension != kSystemExtension || fileName == UntitledPath()) return 0;
  if (!CloseSynthesisForNewSystem()) return 0;
  ClosePropertiesPanel();  // the system's properties
  // The system as it is, kept aside: a file that holds no system leaves it in place.
  const std::string keepPath = JoinPath(TempDir(), kKeptSystemName);
  const bool kept = system_.SurfaceCount() > 0 && system_.Save(keepPath) == 1;
  const std::string keptName = system_.name;
  const int keptModified = system_.IsModified();
  auto restore = [&]() {
    if (kept) {
      system_.Load(keepPath, kNameFromFileName);
    } else {
      system_.Clear();
    }
    system_.name = keptName;
    system_.SetModified(keptModified);
    system_.Update();
    ShowSystem();
    RefreshAnalyses(true);
  };
  const int read = system_.Load(fileName, nameMode);
  if (read == 1 && system_.SurfaceCount() <= kEmptySurfaceCount) {
    MessageBeep(MB_SIMPLEBEEP);
    MessageBox(GetHandle(), "System is empty!", "Warning", MB_OK | MB_ICONINFORMATION);
  }
  if (read != 1 || system_.SurfaceCount() <= kEmptySurfaceCount) {
    restore();
    DeleteIfExists(keepPath);
    return 0;
  }
  DeleteIfExists(keepPath);
  if (nameMode == kNameFromFileName) system_.name = fileName;
  system_.Update();
  RefreshAnalyses(true);
  DeleteUndoFiles();
  // The first snapshot holds the state as opened: nothing to undo yet.
  if (!system_.SaveUndo("")) return 0;
  system_.SetModified(0);
  ShowSystem();
  return 1;
}

void TOpticalEditor::CmNewSystem() {
  if (!AskToSave()) return;
  if (!CloseSynthesisForNewSystem()) return;
  ClosePropertiesPanel();  // the system's properties
  const std::string kept = system_.name;
  DeleteUndoFiles();
  system_.Clear();
  SetNewSystemSettings(system_);
  recent_.InsertFront(kept, UntitledPath());
  system_.name = UntitledPath();
  std::error_code error;
  std::filesystem::remove(UntitledPath(), error);
  // An object plane and an image plane: the system that elements are inserted into.
  // Replacing the surfaces drops the stop choice; the new system's own stands.
  const int newStop = system_.info.Naper;
  system_.NewDefault();
  system_.info.Naper = newStop;
  system_.Update();
  system_.RebuildElements(nullptr);
  system_.ComputeExtent();
  MakeViewSymmetric(system_.viewWindow);
  system_.StoreConfiguration(-1);
  system_.SetModified(0);
  lastOpen_ = true;
  ShowSystem();
  if (system_.SurfaceCount() > 0 && !system_.SaveUndo(""))
    MessageBox(GetHandle(), "Directory is marked as read-only!", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
  recent_.Normalize(system_.name);
  UpdateRecentMenu();
  RefreshAnalyses(true);
  ShowPropertiesAfterNew();  // the system's properties
  UpdateMenus();
  UpdateCaption();
}

bool TOpticalEditor::ReplaceSystem(const std::string &fileName) {
  const std::string kept = system_.name;
  if (!LoadSystem(fileName, kNameFromFileName)) return false;
  recent_.InsertFront(kept, UntitledPath());
  recent_.Normalize(system_.name);
  return true;
}

void TOpticalEditor::CmOpenSystem() {
  if (!AskToSave()) return;
  TFileName dialog(this, kSystemFilter, TFileName::kOpen);
  std::string directory = JoinPath(ProgramDir(), kSystemsDirectoryName);
  if (!system_.name.empty() && system_.name != UntitledPath()) {
    dialog.SetFileName(FileNameOf(system_.name));
    directory = DirectoryOf(system_.name);
  } else if (!systemsDirectory_.empty()) {
    directory = systemsDirectory_;
  }
  dialog.SetInitialDir(directory);
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return;
  systemsDirectory_ = DirectoryOf(chosen);
  // A file that cannot be read leaves the system and its name as they were, so a later
  // Save never writes the old system over the chosen file.
  if (ReplaceSystem(chosen)) {
    lastOpen_ = true;
    system_.Save(JoinPath(TempDir(), "~~system.tmp"));
  } else {
    UpdateCaption();
    MessageBox(GetHandle(),
               "File " + chosen + " is marked as read-only\n\tor can't create!\nSave file and continue your work.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    lastOpen_ = false;
  }
  UpdateRecentMenu();
  UpdateMenus();
  UpdateCaption();
}

void TOpticalEditor::CmSaveSystem() {
  if (system_.SurfaceCount() <= kEmptySurfaceCount) {
    MessageBox(GetHandle(), "System not exist!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (system_.name.empty() || system_.name == UntitledPath()) {
    CmSaveSystemAs();
    return;
  }
  if (SaveEditedSystem(system_.name) != 1) {
    MessageBox(GetHandle(), "File is marked as read-only!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  system_.SetModified(0);
  UpdateCaption();
}

void TOpticalEditor::CmSaveSystemAs() {
  if (system_.SurfaceCount() <= kEmptySurfaceCount) {
    MessageBox(GetHandle(), "System not exist!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const bool untitled = system_.name.empty() || system_.name == UntitledPath();
  TFileName dialog(this, kSystemFilter, TFileName::kSave);
  dialog.SetInitialDir(untitled ? JoinPath(ProgramDir(), kSystemsDirectoryName)
                                : DirectoryOf(system_.name));
  dialog.SetDefExt("os");
  if (!untitled) dialog.SetFileName(FileNameOf(system_.name));
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return;
  // The file carries the name it is written under; a failed write keeps the old one.
  const std::string kept = system_.name;
  system_.name = chosen;
  if (SaveEditedSystem(chosen) != 1) {
    system_.name = kept;
    MessageBox(GetHandle(), "File is marked as read-only!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  system_.SetModified(0);
  if (kept != chosen) recent_.InsertFront(kept, UntitledPath());
  recent_.Normalize(system_.name);
  UpdateRecentMenu();
  UpdateCaption();
}

void TOpticalEditor::CmOpenRecent(WPARAM wParam, LPARAM) {
  const int k = static_cast<int>(LOWORD(wParam)) - CM_OPEN_RECENT_FIRST;
  const std::vector<std::string> items = recent_.MenuItems();
  if (k < 0 || k >= static_cast<int>(items.size())) return;
  if (!AskToSave()) return;
  const std::string target = items[k];
  const std::string kept = system_.name;
  if (LoadSystem(target, kNameFromFileName)) {
    recent_.Remove(k);
    recent_.InsertFront(kept, UntitledPath());
    lastOpen_ = true;
  } else {
    MessageBox(GetHandle(), "System '" + target + "' does not exist!", "Warning",
               MB_OK | MB_ICONINFORMATION);
    // The system in the editor stayed as it was (LoadSystem keeps it), edits included.
    recent_.Remove(k);
  }
  recent_.Normalize(system_.name);
  UpdateRecentMenu();
  UpdateMenus();
  UpdateCaption();
}

void TOpticalEditor::UpdateRecentMenu() {
  HMENU bar = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr;
  HMENU file = bar != nullptr ? GetSubMenu(bar, 0) : nullptr;
  if (file == nullptr) return;
  int exitPosition = -1;
  for (int i = 0; i < kMenuScanLimit && i < GetMenuItemCount(file); ++i)
    if (GetMenuItemID(file, i) == CM_EXIT) exitPosition = i;
  if (exitPosition < 0) return;
  for (int i = 0; i < kRecentMenuItems && exitPosition < GetMenuItemCount(file); ++i)
    DeleteMenu(file, static_cast<UINT>(exitPosition), MF_BYPOSITION);
  AppendMenu(file, MF_STRING, CM_EXIT, "&Exit");
  const std::vector<std::string> items = recent_.MenuItems();
  if (!items.empty()) AppendMenu(file, MF_SEPARATOR, 0, nullptr);
  for (std::size_t i = 0; i < items.size(); ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "&%d ", static_cast<int>(i) + 1);
    AppendMenu(file, MF_STRING, CM_OPEN_RECENT_FIRST + i, (number + items[i]).c_str());
  }
  DrawMenuBar(GetHandle());
}

void TOpticalEditor::CmUndo() {
  // With no step to go back to the ring beeps and the system stays as it is.
  if (!system_.Undo(-1)) return;
  system_.Update();
  if (aberrations_ != nullptr && aberrations_->GetHandle() != nullptr) aberrations_->UpdateLabels();
  RefreshAll();
}

void TOpticalEditor::CmRedo() {
  if (!system_.Redo()) return;
  system_.Update();
  if (aberrations_ != nullptr && aberrations_->GetHandle() != nullptr) aberrations_->UpdateLabels();
  RefreshAll();
}
