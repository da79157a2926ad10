#include "editor/files/file_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "document/system/system_image.h"
#include "editor/files/untitled_files.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_tools.h"
#include "editor/insert/print_system_properties.h"
#include "editor/optimize/cm_optimize.h"
#include "editor/properties/system_properties_folder.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "toolkit/dialogs/file_name.h"

namespace {

constexpr const char *kSystemFilter = "Optical System (*.os)|*.os|All files (*.*)|*.*|";
// A system needs more than this many surfaces (object and image) to be one.
constexpr int kEmptySurfaceCount = 2;
// Fewer surfaces make no system to report.
constexpr int kPrintSurfaces = 2;
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

// The selection belongs to the system it was made on: its band goes with it, so the next
// placement asks for the element to follow.
void EndSelection(TEditorFrame &frame) {
  frame.System().ClearSelection();
  if (frame.Canvas() != nullptr) frame.Canvas()->SetSelectMode(false);
}

// A system replaced by Open or New ends the select tool too: its palette arrow comes up and
// the mouse pans, so that the menu's tick, which shows the mode, goes with them.
void LeaveSelectTool(TEditorFrame &frame) {
  if (frame.Tools().tool == kSelectTool) frame.Tools().tool = 0;
  frame.EditTools().SetButtonDown(CM_SELECT, false);
  if (frame.Tools().mouseMode == kSelectMouseMode) frame.SetMouseMode(kPanMouseMode);
}

// An undo step that took away elements (their count changed, or no mark is left) takes
// the selection of them with it; a step that kept the elements keeps their marks.
void EndSelectionOfGoneElements(TEditorFrame &frame, int elementsBefore) {
  const TSystemImage &system = frame.System();
  const bool kept = system.ElementCount() == elementsBefore && system.hasSelection != 0 &&
                    system.selectedElement < system.ElementCount();
  if (!kept) EndSelection(frame);
}

// The selection of a system that is put back from its kept copy after a refused Open:
// the same elements and surfaces are marked again, in the configuration that was shown (the
// copy is written and read in the base one), seen through the same world window.
struct TKeptSelection {
  explicit TKeptSelection(const TSystemImage &system)
      : has(system.hasSelection),
        element(system.selectedElement),
        surface(system.selectedSurface),
        configuration(system.currentConfiguration),
        view(system.viewWindow) {
    for (int e = 0; e < system.ElementCount(); ++e) elementMarks.push_back(system.elements.data[e].mark);
    for (int i = 0; i < system.SurfaceCount(); ++i)
      surfaceMarks.push_back(system.EditSurface(i) != nullptr && system.EditSurface(i)->Marked());
  }
  void GiveBack(TSystemImage &system) const {
    if (configuration > 0 && configuration < system.ConfigurationCount()) system.SelectConfiguration(configuration);
    if (system.ElementCount() != static_cast<int>(elementMarks.size()) ||
        system.SurfaceCount() != static_cast<int>(surfaceMarks.size()))
      return;
    for (int e = 0; e < system.ElementCount(); ++e) system.elements.data[e].mark = elementMarks[e];
    for (int i = 0; i < system.SurfaceCount(); ++i)
      if (TEditSurface *s = system.EditSurface(i)) s->SetMark(surfaceMarks[i] ? 1 : 0);
    system.hasSelection = has;
    system.selectedElement = element;
    system.selectedSurface = surface;
  }
  std::vector<int> elementMarks;
  std::vector<bool> surfaceMarks;
  int has, element, surface, configuration;
  TViewWindow view;
};

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
  // The canvas draws the beams' own count: the old system's must not outlive it.
  system.beams.Reset(info.Nray, 1);
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

// Whether the name is a system file's, its extension in any case.
bool IsSystemFileName(const std::string &fileName) {
  return LowerCaseAnsi(std::filesystem::path(fileName).extension().string()) == kSystemExtension;
}

// Why a chosen file could not be opened as a system, as the system tells it.
std::string OpenFailureText(const std::string &fileName) {
  const std::string file = "File " + fileName;
  if (!IsSystemFileName(fileName)) return file + " cannot be opened: it is not an optical system file (*.os).";
  const int handle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (handle < 0) return file + " cannot be read: " + std::strerror(errno) + ".";
  struct stat info {};
  const bool folder = ::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode);
  const bool ordinary = S_ISREG(info.st_mode);
  ::close(handle);
  if (folder) return file + " cannot be read: it is a folder.";
  if (!ordinary) return file + " cannot be read: it is not an ordinary file.";
  return file + " could not be opened.";
}

}  // namespace

TFileCommands::TFileCommands(TEditorFrame &frame, TWindow &window)
    : frame_(frame), window_(window), systemsDirectory_(SystemsDir()) {}

bool TFileCommands::AskToSave() {
  if (!frame_.System().HasUnsavedChanges()) return true;
  const int answer = MessageBox(window_.GetHandle(), "Save Optical System?", "Korvex",
                                MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  // A save that did not write the file (it failed, was refused, or Save as was cancelled)
  // stops the command as Cancel does: the system and its changes stay as they were.
  if (answer == IDYES) return SaveSystem();
  return true;
}

TFileCommands::TLoadOutcome TFileCommands::LoadSystem(const std::string &fileName, int nameMode) {
  // Only system files are opened, never the untitled one (its extension in any case).
  const std::filesystem::path path(fileName);
  if (!IsSystemFileName(fileName) || fileName == frame_.UntitledPath()) return kLoadFailed;
  // A file that cannot be opened is the caller's to report: the reader says nothing then.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || !std::ifstream(fileName).good()) return kLoadFailed;
  // A panel whose file was not written stopped the command and has said why.
  if (!frame_.LetGoOfSystem()) return kLoadStopped;
  // The system as it is, kept aside: a file that holds no system leaves it in place.
  const std::string keepPath = TempPath(kKeptSystemName);
  const bool kept = !keepPath.empty() && frame_.System().SurfaceCount() > 0 && frame_.System().Save(keepPath) == 1;
  const std::string keptName = frame_.System().name, keptOwnFile = frame_.System().ownFile;
  const int keptModified = frame_.System().HasUnsavedChanges();
  const TKeptSelection keptSelection(frame_.System());
  if (!kept && frame_.System().SurfaceCount() > 0) {
    // With no copy to come back to, the file is read aside first: one that holds no
    // system must leave the edited one as it is.
    TSystemImage probe;
    if (probe.Load(fileName, nameMode) != 1) return kLoadRefused;
    if (probe.SurfaceCount() <= kEmptySurfaceCount) {
      MessageBeep(MB_SIMPLEBEEP);
      MessageBox(window_.GetHandle(), "System is empty!", "Warning", MB_OK | MB_ICONINFORMATION);
      return kLoadRefused;
    }
  }
  auto restore = [&]() {
    if (kept) {
      frame_.System().Load(keepPath, kNameFromFileName);
      keptSelection.GiveBack(frame_.System());
    } else {
      frame_.System().Clear();
    }
    frame_.System().name = keptName;
    frame_.System().ownFile = keptOwnFile;
    frame_.System().SetUnsavedChanges(keptModified);
    frame_.System().Update();
    frame_.ShowSystem();
    // Showing fits the world window to the system; the user's own is given back.
    if (kept) {
      frame_.System().viewWindow = keptSelection.view;
      if (frame_.Canvas() != nullptr) {
        frame_.Canvas()->Redraw();
        frame_.System().SetCanvas(frame_.Canvas());
      }
    }
    frame_.RefreshAnalyses(true);
  };
  // Warnings still waiting (a chief ray a synthesis lost) are the system's before: the one
  // opened tells its own.
  TakePendingMessage();
  const int read = frame_.System().Load(fileName, nameMode);
  if (read == 1 && frame_.System().SurfaceCount() <= kEmptySurfaceCount) {
    MessageBeep(MB_SIMPLEBEEP);
    MessageBox(window_.GetHandle(), "System is empty!", "Warning", MB_OK | MB_ICONINFORMATION);
  }
  if (read != 1 || frame_.System().SurfaceCount() <= kEmptySurfaceCount) {
    restore();
    if (kept) DeleteIfExists(keepPath);
    return kLoadRefused;
  }
  if (kept) DeleteIfExists(keepPath);
  EndSelection(frame_);
  LeaveSelectTool(frame_);
  if (nameMode == kNameFromFileName) frame_.System().name = fileName;
  frame_.System().Update();
  frame_.RefreshAnalyses(true);
  frame_.System().DeleteUndoFiles();
  // The first snapshot holds the state as opened: nothing to undo yet. Without it the
  // system is still the one opened; only Undo has nothing to go back to.
  const bool snapshot = frame_.System().SaveUndo("") != 0;
  frame_.System().SetUnsavedChanges(0);
  // Next and Previous step from the configuration the file shows.
  frame_.EditTools().rememberedConfiguration = frame_.System().currentConfiguration;
  frame_.ShowSystem();
  frame_.EditTools().RefillTables();
  // Without a private directory Undo is off, as the start has said: the open is whole.
  if (!snapshot && TempDir().empty()) return kLoadedWithoutUndo;
  if (!snapshot) {
    MessageBox(window_.GetHandle(),
               "The system is open, but the temporary directory " + TempDir() +
                   " cannot take its undo copies: Undo will not reach back from here.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return kLoadedWithoutUndo;
  }
  return kLoaded;
}

void TFileCommands::OpenStartupSystem(const std::string &fileName) {
  const TLoadOutcome outcome = LoadSystem(fileName, kNameFromFileName);
  if (IsLoaded(outcome)) {
    frame_.System().name = fileName;
    return;
  }
  // A file that was read and refused has had its one message.
  if (outcome == kLoadFailed)
    MessageBox(window_.GetHandle(), OpenFailureText(fileName), "Warning", MB_OK | MB_ICONEXCLAMATION);
  // The empty system that stands is no file's: it shows as untitled until saved under a name.
  frame_.System().name = frame_.UntitledPath();
}

void TFileCommands::CmNewSystem() {
  if (OptimizationRunStopsCommand()) return;
  if (!AskToSave()) return;
  if (!frame_.LetGoOfSystem()) return;
  // Every selection ends with the system it was made on, so the next placement asks for
  // the element to follow with its Help box.
  EndSelection(frame_);
  LeaveSelectTool(frame_);
  const std::string kept = frame_.System().name;
  frame_.System().DeleteUndoFiles();
  frame_.System().Clear();
  SetNewSystemSettings(frame_.System());
  recent_.InsertFront(kept, frame_.UntitledPath());
  frame_.System().name = frame_.UntitledPath();
  ForgetUntitledFiles();
  // An object plane and an image plane: the system that elements are inserted into.
  // Replacing the surfaces drops the stop choice; the new system's own stands.
  const int newStop = frame_.System().info.Naper;
  frame_.System().NewDefault();
  frame_.System().info.Naper = newStop;
  frame_.System().Update();
  frame_.System().RebuildElements(nullptr);
  frame_.System().ComputeExtent();
  MakeViewSymmetric(frame_.System().viewWindow);
  frame_.System().StoreConfiguration(-1);
  frame_.System().SetUnsavedChanges(0);
  lastOpen_ = true;
  frame_.ShowSystem();
  frame_.EditTools().RefillTables();
  if (frame_.System().SurfaceCount() > 0 && !TempDir().empty() && !frame_.System().SaveUndo(""))
    MessageBox(window_.GetHandle(), "Directory is marked as read-only!", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
  recent_.Normalize(frame_.System().name);
  UpdateRecentMenu();
  frame_.RefreshAnalyses(true);
  frame_.ShowPropertiesAfterNew();
  frame_.UpdateMenus();
  frame_.UpdateCaption();
}

TFileCommands::TLoadOutcome TFileCommands::ReplaceSystem(const std::string &fileName) {
  const std::string kept = frame_.System().name;
  const TLoadOutcome outcome = LoadSystem(fileName, kNameFromFileName);
  if (!IsLoaded(outcome)) return outcome;
  // The configurations palette shows for a system of several configurations only.
  frame_.ShowConfigurationBar(frame_.System().ConfigurationCount() > 1 ? 1 : 0);
  recent_.InsertFront(kept, frame_.UntitledPath());
  recent_.Normalize(frame_.System().name);
  return outcome;
}

void TFileCommands::CmOpenSystem() {
  if (OptimizationRunStopsCommand()) return;
  if (!AskToSave()) return;
  TFileName dialog(&window_, kSystemFilter, TFileName::kOpen);
  std::string directory = SystemsDir();
  if (!Untitled()) {
    dialog.SetFileName(FileNameOf(frame_.System().name));
    directory = DirectoryOf(frame_.System().name);
  } else if (!systemsDirectory_.empty()) {
    directory = systemsDirectory_;
  }
  dialog.SetInitialDir(directory);
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return;
  systemsDirectory_ = DirectoryOf(chosen);
  // A file that cannot be read leaves the system and its name as they were, so a later
  // Save never writes the old system over the chosen file.
  const TLoadOutcome outcome = ReplaceSystem(chosen);
  if (IsLoaded(outcome)) {
    lastOpen_ = true;
    // A copy beside the undo ring that nothing reads back: one not written loses nothing.
    if (const std::string copy = TempPath("~~system.tmp"); !copy.empty()) static_cast<void>(frame_.System().Save(copy));
  } else {
    frame_.UpdateCaption();
    // A file that was read and refused has had its one message.
    if (outcome == kLoadFailed)
      MessageBox(window_.GetHandle(), OpenFailureText(chosen), "Warning", MB_OK | MB_ICONEXCLAMATION);
    // The old system stays, and every command with it: lastOpen_ keeps its value.
  }
  UpdateRecentMenu();
  frame_.UpdateMenus();
  frame_.UpdateCaption();
}

void TFileCommands::CmSaveSystem() { SaveSystem(); }

bool TFileCommands::Untitled() const {
  return frame_.System().name.empty() || frame_.System().name == frame_.UntitledPath();
}

void TFileCommands::CmSaveSystemAs() { SaveSystemAs(); }

bool TFileCommands::SaveSystem() {
  if (frame_.System().SurfaceCount() <= kEmptySurfaceCount) {
    MessageBox(window_.GetHandle(), "System not exist!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (Untitled()) return SaveSystemAs();
  TFileWriteResult why;
  if (frame_.SaveEditedSystem(frame_.System().name, &why) != 1) {
    // The true cause: a full disk or a missing directory is no read-only file.
    MessageBox(window_.GetHandle(), FileWriteFaultText(frame_.System().name, why), "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  frame_.System().SetUnsavedChanges(0);
  frame_.UpdateCaption();
  return true;
}

bool TFileCommands::SaveSystemAs() {
  if (frame_.System().SurfaceCount() <= kEmptySurfaceCount) {
    MessageBox(window_.GetHandle(), "System not exist!", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const bool untitled = Untitled();
  TFileName dialog(&window_, kSystemFilter, TFileName::kSave);
  dialog.SetInitialDir(untitled ? SystemsDir()
                                : DirectoryOf(frame_.System().name));
  dialog.SetDefExt("os");
  if (!untitled) dialog.SetFileName(FileNameOf(frame_.System().name));
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return false;
  // The variables and merit functions of a named system go under the new name with it: a
  // parameter file already there is another system's, replaced only when the user says so.
  // (An unnamed system's own file moves, and one already there is kept beside it.)
  const std::string keptSetup = untitled ? std::string() : DefaultParameterFile(frame_.System());
  const std::string newSetup = untitled ? std::string() : ParameterFileBeside(chosen);
  if (newSetup != keptSetup && FileExists(newSetup) &&
      MessageBox(window_.GetHandle(),
                 newSetup + " already exists.\nReplace its variables and merit functions with those of this system?",
                 "Save system as", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return false;
  // The panel's variables and functions reach the unnamed system's file before it moves
  // (without a temporary directory there is none: the panel keeps them for the new name).
  if (untitled && !UntitledSystemPath().empty() && !frame_.CloseOptimizationPanel()) return false;
  // The file carries the name it is written under; a failed write keeps the old one.
  const std::string kept = frame_.System().name;
  frame_.System().name = chosen;
  TFileWriteResult why;
  if (frame_.SaveEditedSystem(chosen, &why) != 1) {
    frame_.System().name = kept;
    MessageBox(window_.GetHandle(), FileWriteFaultText(chosen, why), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  frame_.System().SetUnsavedChanges(0);
  if (TSetupKeeper *setup = frame_.System().SetupKeeper(); setup != nullptr && newSetup != keptSetup &&
                                                               !setup->WriteSetupTo(keptSetup, newSetup, why))
    MessageBox(window_.GetHandle(), FileWriteFaultText(newSetup, why), "Warning", MB_OK | MB_ICONEXCLAMATION);
  if (const std::string notMoved = untitled ? KeepUntitledFiles(chosen) : std::string(); !notMoved.empty())
    MessageBox(window_.GetHandle(), notMoved, "Warning", MB_OK | MB_ICONEXCLAMATION);
  if (kept != chosen) recent_.InsertFront(kept, frame_.UntitledPath());
  recent_.Normalize(frame_.System().name);
  UpdateRecentMenu();
  frame_.UpdateCaption();
  return true;
}

void TFileCommands::CmOpenRecent(WPARAM wParam, LPARAM) {
  const int k = static_cast<int>(LOWORD(wParam)) - CM_OPEN_RECENT_FIRST;
  const std::vector<std::string> items = recent_.MenuItems();
  if (k < 0 || k >= static_cast<int>(items.size())) return;
  if (OptimizationRunStopsCommand()) return;
  if (!AskToSave()) return;
  const std::string target = items[k];
  const std::string kept = frame_.System().name;
  const TLoadOutcome outcome = LoadSystem(target, kNameFromFileName);
  if (IsLoaded(outcome)) {
    recent_.Remove(k);
    recent_.InsertFront(kept, frame_.UntitledPath());
    lastOpen_ = true;
  } else {
    if (outcome == kLoadFailed)
      MessageBox(window_.GetHandle(), "System '" + target + "' does not exist!", "Warning",
                 MB_OK | MB_ICONINFORMATION);
    // The system in the editor stayed as it was (LoadSystem keeps it), edits included; a
    // command stopped before the file was looked at keeps its item.
    if (outcome != kLoadStopped) recent_.Remove(k);
  }
  recent_.Normalize(frame_.System().name);
  UpdateRecentMenu();
  frame_.UpdateMenus();
  frame_.UpdateCaption();
}

void TFileCommands::UpdateRecentMenu() {
  HMENU bar = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr;
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
  DrawMenuBar(window_.GetHandle());
}

void TFileCommands::CmUndo() {
  // With no step to go back to the ring beeps and the system stays as it is.
  const int elements = frame_.System().ElementCount();
  if (!frame_.System().Undo(-1)) return;
  // Next and Previous step from the configuration the step shows.
  frame_.EditTools().rememberedConfiguration = frame_.System().currentConfiguration;
  EndSelectionOfGoneElements(frame_, elements);
  frame_.System().Update();
  frame_.RenewAberrationLabels();
  frame_.RefreshAll();
}

void TFileCommands::CmRedo() {
  const int elements = frame_.System().ElementCount();
  if (!frame_.System().Redo()) return;
  // Next and Previous step from the configuration the step shows.
  frame_.EditTools().rememberedConfiguration = frame_.System().currentConfiguration;
  EndSelectionOfGoneElements(frame_, elements);
  frame_.System().Update();
  frame_.RenewAberrationLabels();
  frame_.RefreshAll();
}

void TFileCommands::CmPrint() {
  if (frame_.System().SurfaceCount() < kPrintSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  // An unnamed system's name is a file of the program's own, never shown.
  const bool untitled = Untitled();
  TPrintSystemProperties(&window_, frame_.System(), untitled ? "Untitled" : "").Execute();
}
