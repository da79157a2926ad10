#include "editor/properties/system_properties_folder.h"

#include <algorithm>
#include <memory>

#include "document/system/system_image.h"
#include "editor/animation/animation_gate.h"
#include "editor/optimize/optimization_panel.h"
#include "editor/properties/aspherics_model.h"
#include "editor/properties/bounds_model.h"
#include "editor/properties/hoe_model.h"
#include "editor/properties/lens_array_model.h"
#include "editor/properties/object_pupil_model.h"
#include "editor/properties/positions_model.h"
#include "editor/properties/properties_grid_page.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_settings.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/variables_dlg.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/windows/optimization_functions_dlg.h"
#include "optimization/windows/viewer_run_host.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

TSystemPropertiesFolder *theFolder = nullptr;

// The pages are laid over the page area with their caption band (the tabs) above their
// client, so the buttons stand below the area by that band and a gap.
const TDialogTemplate kFolderTemplate{
    "SystemPropertiesFolder", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 20, 20,
    kPropertiesPageWidth + 8, 270,
    "Properties of optical system",
    {
        {"STATIC", "", kPageAreaId, SS_LEFT, 4, 4, kPropertiesPageWidth, kPropertiesPageHeight},
        {"BUTTON", "&Optimization", kOptimizationButtonId, BS_PUSHBUTTON | WS_TABSTOP, 4, 237, 52, 14},
        {"BUTTON", "&Variables...", kPanelVariablesId, BS_PUSHBUTTON | WS_TABSTOP, 60, 237, 48, 14},
        {"BUTTON", "&Merit functions...", kPanelFunctionsId, BS_PUSHBUTTON | WS_TABSTOP, 112, 237, 64, 14},
        {"BUTTON", "O&ptimize", kPanelOptimizeId, BS_PUSHBUTTON | WS_TABSTOP, 180, 237, 40, 14},
        {"STATIC", "", kPanelSummaryId, SS_LEFT, 60, 256, 200, 10},
        {"BUTTON", "&Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, kPropertiesPageWidth - 30, 237, 34, 14},
    }};
const TDialogRegistration kFolderRegistration(kFolderTemplate);

const TResponseTableEntry kFolderTable[] = {
    EvMessage<WM_DESTROY, &TSystemPropertiesFolder::EvDestroy>(),
    EvCommand<&TSystemPropertiesFolder::CmClose>(IDCANCEL),
    EvCommand<&TSystemPropertiesFolder::CmOptimization>(kOptimizationButtonId),
    EvCommand<&TSystemPropertiesFolder::CmMeritFunctions>(kPanelFunctionsId),
    EvCommand<&TSystemPropertiesFolder::CmVariables>(kPanelVariablesId),
    EvCommand<&TSystemPropertiesFolder::CmOptimize>(kPanelOptimizeId),
};

constexpr int kPanelControls[] = {kPanelSummaryId, kPanelVariablesId, kPanelFunctionsId, kPanelOptimizeId};

}  // namespace

TSystemPropertiesFolder *PropertiesFolder() { return theFolder; }
void SetPropertiesFolder(TSystemPropertiesFolder *folder) { theFolder = folder; }

bool OptimizationRunStopsCommand() { return theFolder != nullptr && theFolder->StopRunningOptimization(); }

bool OptimizationRunRefusesEdit() {
  if (theFolder == nullptr || !theFolder->OptimizationRunning()) return false;
  MessageBox(theFolder->GetHandle(),
             "An optimization is running: the system cannot be changed or saved until it ends.\n\n"
             "Stop it (Stop or Escape), then give the command again.",
             "Optimization", MB_OK | MB_ICONINFORMATION);
  return true;
}

TSystemPropertiesFolder::TSystemPropertiesFolder(TWindow *frame, TSystemImage *system)
    : TBookMarkFolder(frame, "SystemPropertiesFolder"),
      system_(system),
      general_(new TPropertiesGeneralPage(this, system)),
      surfaces_(new TPropertiesSurfacesPage(this, system)),
      beams_(new TPropertiesBeamsPage(this, system)) {
  AddPage(general_, "General");
  AddPage(surfaces_, "Surfaces");
  AddPage(beams_, "Beams and wavelengths");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<TAsphericsModel>()), "Aspherics");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<TPositionsModel>()), "Positions");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<TBoundsModel>()), "Bounds");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<THoeModel>()), "HOE");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<TLensArrayModel>()), "Lens arrays");
  AddPage(new TPropertiesGridPage(this, system, std::make_unique<TObjectPupilModel>()), "Object and pupil");
  if (system_ != nullptr) system_->AddObserver(this);
  // The table of surfaces is what the folder is mostly opened for.
  SetInitialPage(kSurfacesPage);
}

TSystemPropertiesFolder::~TSystemPropertiesFolder() {
  *living_ = false;
  if (system_ != nullptr) system_->RemoveObserver(this);
  if (theFolder == this) theFolder = nullptr;
}

bool TSystemPropertiesFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kFolderTable, info) || TBookMarkFolder::Find(info);
}

void TSystemPropertiesFolder::SetupWindow() {
  TBookMarkFolder::SetupWindow();
  ShowPanelControls(false);
  const RECT own = GetWindowRect();
  const int folderWidth = own.right - own.left, folderHeight = own.bottom - own.top;
  int saved[4] = {0, 0, 0, 0};
  const bool haveSaved = ReadPropertiesPosition(settingsPath, saved) != 0;
  RECT owner{own.left, own.top, own.left, own.top};
  if (TWindow *frame = GetParentO(); frame != nullptr && frame->IsWindow()) owner = frame->GetWindowRect();
  int left = 0, top = 0;
  PlacePropertiesFolder(haveSaved ? saved : nullptr, owner, folderWidth, folderHeight, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN), left, top);
  MoveWindow(left, top, folderWidth, folderHeight, true);
}

void TSystemPropertiesFolder::Changed() {
  if (system_ != nullptr) system_->NotifyEdited();
}

void TSystemPropertiesFolder::SystemEdited() {
  UpdateOptimizationPanel();
  Refresh();
}

void TSystemPropertiesFolder::Refresh() {
  if (!IsWindow()) return;
  if (auto *page = dynamic_cast<TPropertiesPage *>(GetPage(CurrentPage()))) page->Fill();
}

TPropertiesGridPage *TSystemPropertiesFolder::GridPage(int page) {
  return page >= kAsphericsPage ? dynamic_cast<TPropertiesGridPage *>(GetPage(page)) : nullptr;
}

void TSystemPropertiesFolder::ShowGeneralInfoDlg() {
  if (!IsWindow()) return;
  if (IsIconic()) ShowWindow(SW_RESTORE);
  SelectPage(kGeneralPage);
  general_->Fill();
}

void TSystemPropertiesFolder::ShowPanelControls(bool show) {
  if (!IsWindow()) return;
  for (int id : kPanelControls)
    if (TWindow *control = WindowFromHandle(GetDlgItem(id))) control->ShowWindow(show ? SW_SHOW : SW_HIDE);
  SetDlgItemText(kOptimizationButtonId, show ? "Hide &panel" : "&Optimization");
}

std::string TSystemPropertiesFolder::PanelSummary() const {
  if (!panel_) return std::string();
  return "Variables: " + std::to_string(panel_->parameters.Count()) +
         ", functions: " + std::to_string(panel_->functions.Count());
}

void TSystemPropertiesFolder::ToggleOptimizationPanel() {
  // The run works on the panel's parameters and functions: Hide panel stops it instead.
  if (StopRunningOptimization()) return;
  if (panel_) {
    static_cast<void>(ReleasePanel());
    return;
  }
  panel_ = std::make_unique<TOptimizationPanel>(*system_);
  panel_->System().refreshViews = [this] { Changed(); };
  panel_->Setup();
  ShowPanelControls(true);
  UpdateOptimizationPanel();
}

bool TSystemPropertiesFolder::ReleasePanel() {
  if (!panel_) return true;
  EndPanelDialogs();
  if (!panel_->Close()) return false;
  panel_.reset();
  ShowPanelControls(false);
  return true;
}

void TSystemPropertiesFolder::UpdateOptimizationPanel() {
  if (!panel_ || !IsWindow()) return;
  EndDialogsOfAnotherSystem();
  // The functions follow the system's configurations and beams as they are now: those of
  // the configurations that remain stay, a new configuration comes without functions.
  TOptimizationFunctions &functions = panel_->functions;
  functions.Rebuild(&panel_->System());
  const int configurations = panel_->System().ConfigurationCount();
  if (configurations > 0 && functions.Beams() > 0 && functions.Configurations() != configurations)
    functions.SetConfigurations();
  SetDlgItemText(kPanelSummaryId, PanelSummary().c_str());
}

void TSystemPropertiesFolder::CmMeritFunctions() {
  if (!panel_ || functionsDialog_ != nullptr || run_ != nullptr) return;
  // A running animation moves the system under the values the dialog would take.
  if (system_ != nullptr && RefuseDuringAnimation(GetHandle(), system_->options)) return;
  TOptimizationFunctionsDlg dialog(this, &panel_->functions);
  functionsDialog_ = &dialog;
  dialogStamp_ = Stamp();
  dialog.endIfSystemChanged = [this] { return EndDialogsOfAnotherSystem(); };
  // The system may be replaced, or the editor closed, while the dialog runs: the folder
  // ended it then, and may itself be gone.
  const std::shared_ptr<bool> folderAlive = living_;
  dialog.Execute();
  if (!*folderAlive) return;
  functionsDialog_ = nullptr;
  UpdateOptimizationPanel();
}

void TSystemPropertiesFolder::EndPanelDialogs() {
  // The dialog lives on the stack of its command, below this one: once its window is gone
  // it leaves the folder's children, so a folder deleted before that loop returns (the
  // editor closing) does not delete it.
  for (TWindow *dialog : {static_cast<TWindow *>(variables_), static_cast<TWindow *>(functionsDialog_)}) {
    if (dialog == nullptr) continue;
    dialog->Destroy(IDCANCEL);
    dialog->SetParent(nullptr);
  }
  variables_ = nullptr;
  functionsDialog_ = nullptr;
}

TSystemPropertiesFolder::TSystemStamp TSystemPropertiesFolder::Stamp() const {
  if (system_ == nullptr) return {};
  return {system_->Revision(), system_->ConfigurationCount(), system_->currentConfiguration, system_->SurfaceCount()};
}

bool TSystemPropertiesFolder::EndDialogsOfAnotherSystem() {
  if ((variables_ == nullptr && functionsDialog_ == nullptr) || Stamp() == dialogStamp_) return false;
  const char *name = variables_ != nullptr ? "Variable parameters" : "Optimization functions";
  EndPanelDialogs();
  MessageBox(GetHandle(),
             std::string("The system changed while the \"") + name +
                 "\" dialog was open, so the dialog was closed and nothing it held was stored.\n\n"
                 "Open it again to work on the system as it is now.",
             "Optimization", MB_OK | MB_ICONINFORMATION);
  return true;
}

void TSystemPropertiesFolder::CmVariables() {
  if (!panel_ || variables_ != nullptr || run_ != nullptr) return;
  if (system_ != nullptr && RefuseDuringAnimation(GetHandle(), system_->options)) return;
  // The surface selected in the surfaces table (its row captions number from 1); the first
  // surface after the object when none is.
  int surface = 2;
  if (TPropertiesTable *table = surfaces_->Table(); table != nullptr && table->Grid() != nullptr)
    surface = std::max(surface, table->Grid()->CurrentRow() + 1);
  TVariablesDlg dialog(this, panel_->parameters, panel_->System(), surface);
  variables_ = &dialog;
  dialogStamp_ = Stamp();
  dialog.endIfSystemChanged = [this] { return EndDialogsOfAnotherSystem(); };
  const std::shared_ptr<bool> folderAlive = living_;
  dialog.Execute();
  if (!*folderAlive) return;
  variables_ = nullptr;
  UpdateOptimizationPanel();
}

void TSystemPropertiesFolder::CmOptimize() {
  if (!panel_ || run_ != nullptr) return;
  // The run's end would take the optimized system back to the design.
  if (system_ != nullptr && RefuseDuringAnimation(GetHandle(), system_->options)) return;
  // The progress window belongs to the main window: closing the folder after the run
  // leaves its figures and its UnDo.
  TWindow *owner = GetParentO() != nullptr ? GetParentO() : this;
  TViewerRunHost runHost(owner);
  runHost.refreshViews = [this] { Changed(); };
  // UnDo takes back the run's own step, never an edit made before a run that changed nothing,
  // and only while the system is as the run left it: after another file, an edit or an Undo
  // the same undo index names another step.
  struct TRunStep {
    int index = -1;
    unsigned revision = 0;
  };
  auto runStep = std::make_shared<TRunStep>();
  runHost.undo = [editorUndo = undo, runStep, system = system_] {
    if (editorUndo && system != nullptr && system->options.undoIndex == runStep->index &&
        system->Revision() == runStep->revision)
      editorUndo();
  };
  const int stepBefore = system_ != nullptr ? system_->options.undoIndex : -1;
  run_ = &runHost;
  panel_->Optimize(runHost);
  run_ = nullptr;
  // The panel and the page follow with every other view.
  Changed();
  if (system_ != nullptr && system_->options.undoIndex != stepBefore)
    *runStep = {system_->options.undoIndex, system_->Revision()};
}

bool TSystemPropertiesFolder::StopRunningOptimization() {
  if (run_ == nullptr) return false;
  // The run ends at its next pump and keeps its last accepted step.
  run_->queue.Leave(1);
  return true;
}

void TSystemPropertiesFolder::CmClose() {
  // Escape and Close during a run stop it; the folder, which the run works in, stays.
  if (StopRunningOptimization()) return;
  if (!ReleasePanel()) return;
  Destroy(IDCANCEL);
}

void TSystemPropertiesFolder::EvDestroy() {
  if (system_ != nullptr) system_->RemoveObserver(this);
  if (!IsIconic()) {
    const RECT place = GetWindowRect();
    const int position[4] = {place.left, place.top, place.right, place.bottom};
    WritePropertiesPosition(settingsPath, position);
  }
  // The roads that close the folder released the panel first; a folder that goes with the
  // program's end still tries to write it (and tells when it cannot).
  if (panel_) {
    EndPanelDialogs();
    static_cast<void>(panel_->Close());
    panel_.reset();
  }
  // A folder the editor closes itself was let go of first; one the user closes tells the
  // editor, which deletes it later.
  if (theFolder == this) {
    theFolder = nullptr;
    if (TWindow *owner = GetParentO())
      owner->SendMessage(WM_COMMAND, CM_PROPERTIES_DESTROYED, reinterpret_cast<LPARAM>(this));
  }
  TBookMarkFolder::EvDestroy();
}
