#include "editor/shell/optical_editor.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <type_traits>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/animation/animation_gate.h"
#include "editor/animation/step_movie.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/shell/about_dlg.h"
#include "editor/shell/editor_menu.h"
#include "editor/shell/editor_startup.h"
#include "editor/canvas/scale_caption.h"
#include "editor/files/untitled_files.h"
#include "editor/shell/session_restore.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/temporary_directory.h"
#include "optimization/windows/optimization_viewer.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "editor/canvas/edit_graph.h"
#include "toolkit/help/win_help.h"
#include "synthesis/folder/test_object_folder.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/frame/optical_viewer3d.h"
// The system's properties folder.
#include "editor/properties/system_properties_folder.h"

namespace {

TOpticalEditor *theEditor = nullptr;

// A response-table entry that hands the command to one of the frame's command groups:
// Group is the frame's accessor of the group, Handler the group's member, taking () or
// (WPARAM, LPARAM) as a command handler does.
template <auto Group, auto Handler>
LRESULT ForwardToGroup(TWindow &window, UINT, WPARAM wParam, LPARAM lParam) {
  auto &group = (static_cast<TOpticalEditor &>(window).*Group)();
  if constexpr (std::is_invocable_v<decltype(Handler), decltype(group)>) {
    (group.*Handler)();
  } else {
    (group.*Handler)(wParam, lParam);
  }
  return 0;
}

template <auto Group, auto Handler>
constexpr TResponseTableEntry Forward(UINT id) {
  return {WM_COMMAND, id, 0, &ForwardToGroup<Group, Handler>};
}

// The commands whose handlers this window has; the other commands with an enabler stay
// grey until their windows exist.
constexpr int kAvailableCommands[] = {CM_NEW_SYSTEM,     CM_OPEN_SYSTEM, CM_SAVE_SYSTEM,
                                      CM_SAVE_SYSTEM_AS, CM_UNDO,        CM_REDO,
                                      CM_ABOUT,          CM_ABERRATIONS, CM_SPOT_DIAGRAM,
                                      CM_TURN_SYSTEM,    CM_BEST_IMAGE_PLANE, CM_HELP_CONTENTS,
                                      CM_EXAMPLES,       CM_SETTINGS,
                                      CM_IMAGE_SYNTHESIS, CM_3D_IMAGE,
                                      // Paste, new surface, new element, component library.
                                      CM_PASTE, CM_NEW_SINGLE_SURFACE, CM_NEW_ELEMENT,
                                      CM_COMPONENT_LIBRARY, CM_PRINT,
                                      // Edit, view, zoom, alignment, configurations, palettes.
                                      CM_DELETE, CM_SELECT, CM_CUT, CM_COPY, CM_REFRESH,
                                      CM_SELECT_ZOOM, CM_ZOOM_OUT, CM_ACTUAL_SIZE, CM_ALIGNMENT,
                                      CM_DECENTER, CM_TILT, CM_CARDINAL_PLANES, CM_REAL_BEAMS,
                                      CM_VIEW_PROPERTIES_OF_SELECTED, CM_INSERT_CONFIGURATION,
                                      CM_ADD_CONFIGURATION, CM_DELETE_CONFIGURATION,
                                      CM_BASE_CONFIGURATION, CM_NEXT_CONFIGURATION,
                                      CM_PREV_CONFIGURATION, CM_TOOLS_PALETTE, CM_ZOOM_PALETTE,
                                      CM_CONFIGURATIONS_PALETTE,
                                      // The PSF and MTF window, the narcissus analysis.
                                      CM_PSF_MTF, CM_NARCISSUS,
                                      // The system's properties.
                                      CM_EDIT_AS_TABLE, CM_GENERAL_PARAMETERS,
                                      // Lens and beam animations.
                                      CM_BEAM_ANIMATION, CM_LENS_ANIMATION, CM_EDIT_ANIMATION,
                                      // The step movie (its writing while a movie writer is
                                      // provided) and its player.
                                      CM_SAVE_CURRENT_STEP, CM_SAVE_EACH_STEP, CM_CANCEL_SAVING,
                                      CM_VIEW_REPORT};
// Menu items without an enabler whose windows do not exist yet.
// (none now: Thermo opens the general information of the system's properties)
constexpr std::array<int, 0> kMissingPlainCommands{};
// Items the menu rules check or uncheck.
constexpr int kCheckedCommands[] = {CM_TURN_SYSTEM, CM_VIEW_PROPERTIES_OF_SELECTED,
                                    CM_EDIT_AS_TABLE, CM_GENERAL_PARAMETERS, CM_3D_IMAGE};

constexpr int kFrameX = 80;
constexpr int kFrameY = 65;
constexpr const char *kPrintTextName = "print.tmp";
constexpr const char *kHelpFileName = "korvex.hlp";

const TResponseTableEntry kEditorTable[] = {
    EvMessage<WM_CLOSE, &TOpticalEditor::EvClose>(),
    EvMessage<WM_DESTROY, &TOpticalEditor::EvDestroy>(),
    EvCommand<&TOpticalEditor::CmExit>(CM_EXIT),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmNewSystem>(CM_NEW_SYSTEM),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenSystem>(CM_OPEN_SYSTEM),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmSaveSystem>(CM_SAVE_SYSTEM),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmSaveSystemAs>(CM_SAVE_SYSTEM_AS),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenRecent>(CM_OPEN_RECENT_FIRST),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenRecent>(CM_OPEN_RECENT_FIRST + 1),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenRecent>(CM_OPEN_RECENT_FIRST + 2),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenRecent>(CM_OPEN_RECENT_FIRST + 3),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmOpenRecent>(CM_OPEN_RECENT_LAST),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmUndo>(CM_UNDO),
    Forward<&TOpticalEditor::Files, &TFileCommands::CmRedo>(CM_REDO),
    EvCommand<&TOpticalEditor::CmNothing>(CM_NOTHING),
    EvCommand<&TOpticalEditor::CmAbout>(CM_ABOUT),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmAberrations>(CM_ABERRATIONS),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmSpotDiagram>(CM_SPOT_DIAGRAM),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmNarcissus>(CM_NARCISSUS),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmTurnSystem>(CM_TURN_SYSTEM),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmBestImagePlane>(CM_BEST_IMAGE_PLANE),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmHelpContents>(CM_HELP_CONTENTS),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmExamples>(CM_EXAMPLES),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmSettings>(CM_SETTINGS),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::AberrationsDestroyed>(CM_ABERRATIONS_DESTROYED),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::SpotDestroyed>(CM_SPOT_DESTROYED),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::Cm3DImage>(CM_3D_IMAGE),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::Viewer3DClosed>(CM_VIEWER3D_DESTROYED),
    // Paste, new single surface, new element, component library.
    Forward<&TOpticalEditor::Insertion, &TInsertCommands::CmPaste>(CM_PASTE),
    Forward<&TOpticalEditor::Insertion, &TInsertCommands::CmNewSingleSurface>(CM_NEW_SINGLE_SURFACE),
    Forward<&TOpticalEditor::Insertion, &TInsertCommands::CmNewElement>(CM_NEW_ELEMENT),
    Forward<&TOpticalEditor::Insertion, &TInsertCommands::CmComponentLibrary>(CM_COMPONENT_LIBRARY),
    // Print: the system report.
    Forward<&TOpticalEditor::Files, &TFileCommands::CmPrint>(CM_PRINT),
    // Edit, view, zoom, alignment and configuration commands, palettes, quick tables.
    Forward<&TOpticalEditor::Edit, &TEditCommands::CmDelete>(CM_DELETE),
    Forward<&TOpticalEditor::Edit, &TEditCommands::CmSelect>(CM_SELECT),
    Forward<&TOpticalEditor::Edit, &TEditCommands::CmCut>(CM_CUT),
    Forward<&TOpticalEditor::Edit, &TEditCommands::CmCopy>(CM_COPY),
    EvCommand<&TOpticalEditor::CmRefresh>(CM_REFRESH),
    Forward<&TOpticalEditor::View, &TViewCommands::CmSelectZoom>(CM_SELECT_ZOOM),
    Forward<&TOpticalEditor::View, &TViewCommands::CmZoomOut>(CM_ZOOM_OUT),
    Forward<&TOpticalEditor::View, &TViewCommands::CmActualSize>(CM_ACTUAL_SIZE),
    Forward<&TOpticalEditor::View, &TViewCommands::CmScaleSystem>(CM_SCALE_SYSTEM),
    Forward<&TOpticalEditor::Alignment, &TAlignmentCommands::CmAlignment>(CM_ALIGNMENT),
    Forward<&TOpticalEditor::Alignment, &TAlignmentCommands::CmDecenter>(CM_DECENTER),
    Forward<&TOpticalEditor::Alignment, &TAlignmentCommands::CmTilt>(CM_TILT),
    Forward<&TOpticalEditor::View, &TViewCommands::CmCardinalPlanes>(CM_CARDINAL_PLANES),
    Forward<&TOpticalEditor::View, &TViewCommands::CmRealBeams>(CM_REAL_BEAMS),
    Forward<&TOpticalEditor::View, &TViewCommands::CmViewPropertiesOfSelected>(CM_VIEW_PROPERTIES_OF_SELECTED),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmInsertConfiguration>(CM_INSERT_CONFIGURATION),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmAddConfiguration>(CM_ADD_CONFIGURATION),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmDeleteConfiguration>(CM_DELETE_CONFIGURATION),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmBaseConfiguration>(CM_BASE_CONFIGURATION),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmNextConfiguration>(CM_NEXT_CONFIGURATION),
    Forward<&TOpticalEditor::Configurations, &TConfigurationCommands::CmPrevConfiguration>(CM_PREV_CONFIGURATION),
    Forward<&TOpticalEditor::Palettes, &TPaletteCommands::CmToolsPalette>(CM_TOOLS_PALETTE),
    Forward<&TOpticalEditor::Palettes, &TPaletteCommands::CmZoomPalette>(CM_ZOOM_PALETTE),
    Forward<&TOpticalEditor::Palettes, &TPaletteCommands::CmConfigurationsPalette>(CM_CONFIGURATIONS_PALETTE),
    Forward<&TOpticalEditor::Alignment, &TAlignmentCommands::QuickTableClosed>(CM_QUICK_TABLE_CLOSED),
    // The PSF and MTF window.
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmPsfMtf>(CM_PSF_MTF),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::PsfFolderDestroyed>(CM_PSF_FOLDER_DESTROYED),
    // Image synthesis.
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::CmImageSynthesis>(CM_IMAGE_SYNTHESIS),
    Forward<&TOpticalEditor::Launchers, &TLauncherCommands::SynthesisFolderDestroyed>(CM_SYNTHESIS_FOLDER_DESTROYED),
    // The system's properties.
    Forward<&TOpticalEditor::Properties, &TPropertiesCommands::CmPropertiesOfSelected>(CM_PROPERTIES_OF_SELECTED),
    Forward<&TOpticalEditor::Properties, &TPropertiesCommands::CmEditAsTable>(CM_EDIT_AS_TABLE),
    Forward<&TOpticalEditor::Properties, &TPropertiesCommands::CmGeneralParameters>(CM_GENERAL_PARAMETERS),
    Forward<&TOpticalEditor::Properties, &TPropertiesCommands::CmGeneralParameters>(CM_THERMO),
    Forward<&TOpticalEditor::Properties, &TPropertiesCommands::PropertiesDestroyed>(CM_PROPERTIES_DESTROYED),
    // Lens and beam animations.
    Forward<&TOpticalEditor::Animations, &TAnimationCommands::CmBeamAnimation>(CM_BEAM_ANIMATION),
    Forward<&TOpticalEditor::Animations, &TAnimationCommands::CmLensAnimation>(CM_LENS_ANIMATION),
    Forward<&TOpticalEditor::Animations, &TAnimationCommands::CmPauseAnimation>(CM_PAUSE_ANIMATION),
    Forward<&TOpticalEditor::Animations, &TAnimationCommands::CmEditAnimation>(CM_EDIT_ANIMATION),
    // The step movie.
    Forward<&TOpticalEditor::Movie, &TMovieCommands::SaveReportStep>(CM_SAVE_CURRENT_STEP),
    Forward<&TOpticalEditor::Movie, &TMovieCommands::CmSaveEachStep>(CM_SAVE_EACH_STEP),
    Forward<&TOpticalEditor::Movie, &TMovieCommands::CmCancelSaving>(CM_CANCEL_SAVING),
    Forward<&TOpticalEditor::Movie, &TMovieCommands::CmViewReport>(CM_VIEW_REPORT),
    EvMessage<WM_COMMAND_ENABLE, &TOpticalEditor::CeAll>(),
    // The menu opens on the state as it is now (a selection made on the canvas, say).
    EvMessage<WM_INITMENU, &TOpticalEditor::UpdateMenus>(),
};

// The commands that change or write the system: while an optimization runs in it they are
// refused with a word (the run changes the lens between its evaluations, and a derivative or
// a trial may have it displaced when the command comes).
constexpr int kEditsRefusedDuringRun[] = {
    CM_SAVE_SYSTEM,         CM_SAVE_SYSTEM_AS,       CM_UNDO,           CM_REDO,
    CM_DELETE,              CM_CUT,                  CM_PASTE,          CM_NEW_SINGLE_SURFACE,
    CM_NEW_ELEMENT,         CM_COMPONENT_LIBRARY,    CM_ALIGNMENT,      CM_DECENTER,
    CM_TILT,                CM_TURN_SYSTEM,          CM_BEST_IMAGE_PLANE, CM_INSERT_CONFIGURATION,
    CM_ADD_CONFIGURATION,   CM_DELETE_CONFIGURATION, CM_BASE_CONFIGURATION, CM_NEXT_CONFIGURATION,
    CM_PREV_CONFIGURATION,  CM_BEAM_ANIMATION,       CM_LENS_ANIMATION, CM_EDIT_ANIMATION,
    CM_SETTINGS};

LRESULT RefuseDuringRun(TWindow &, UINT, WPARAM, LPARAM) {
  OptimizationRunRefusesEdit();
  return 0;
}
const TResponseTableEntry kRefusedDuringRun{WM_COMMAND, 0, 0, &RefuseDuringRun};

TEditGraph *MakeCanvas(COLORREF background) {
  return new TEditGraph(static_cast<TWindow *>(nullptr), background);
}

void DeleteIfExists(const std::string &path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

TOpticalEditor::TOpticalEditor(TWindow *parentWindow, const std::string &commandLine)
    : TDecoratedFrame(parentWindow, "Korvex", MakeCanvas(RGB(0, 0, 64)), true),
      canvas_(static_cast<TEditGraph *>(GetClientWindow())),
      commandLine_(commandLine),
      files_(*this, *this),
      edit_(*this, *this),
      view_(*this, *this),
      alignment_(*this, *this),
      configurations_(*this, *this),
      palettes_(*this, *this),
      properties_(*this, *this),
      launchers_(*this, *this),
      insertion_(*this, *this),
      animations_(*this, *this),
      movie_(*this) {
  RegisterEditorResources();
  Attr.X = kFrameX;
  Attr.Y = kFrameY;
  system_.Clear();
  system_.name = commandLine;
  AssignMenu("EditorMenu");
  statusBar_ = new TStatusBar(this, TGadget::Recessed);
  Insert(*statusBar_, Bottom);
  catalogs_ = std::make_unique<TGlassCatalog>(GlassDirectory(), "misc");
  SetGlassCatalog(catalogs_.get());
  canvas_->SetSystem(&system_);
  setup_.shownPanel = [] {
    TSystemPropertiesFolder *folder = PropertiesFolder();
    return folder != nullptr ? folder->OptimizationPanel() : nullptr;
  };
  // Canvas: its tool record, and the refresh of every view that a move by the mouse and
  // ctrl+R end with.
  canvas_->SetToolSelection(&tools_);
  canvas_->SetRefreshHook([this] { RefreshAll(); });
  canvas_->SetScaleHook([this] { UpdateCaption(); });
  system_.AddObserver(this);
}

TOpticalEditor::~TOpticalEditor() {
  system_.RemoveObserver(this);
  // The windows write into the editor's settings as they go: they go while it is whole.
  CloseAnalyses();
  if (GetGlassCatalog() == catalogs_.get()) SetGlassCatalog(nullptr);
  if (theEditor == this) {
    theEditor = nullptr;
    SetCurrentEditorFrame(nullptr);
  }
}

TOpticalEditor *TOpticalEditor::Current() { return theEditor; }

bool TOpticalEditor::IsCurrent() const { return theEditor == this; }

bool TOpticalEditor::Find(TEventInfo &info) {
  const TSystemPropertiesFolder *folder = PropertiesFolder();
  if (info.Msg == WM_COMMAND && folder != nullptr && folder->OptimizationRunning() &&
      std::ranges::find(kEditsRefusedDuringRun, static_cast<int>(info.Id)) != std::end(kEditsRefusedDuringRun)) {
    info.Entry = &kRefusedDuringRun;
    return true;
  }
  return SearchResponseTable(kEditorTable, info) || TDecoratedFrame::Find(info);
}

std::string TOpticalEditor::UntitledPath() const { return UntitledSystemPath(); }

std::string TOpticalEditor::SettingsPath() const { return SettingsFilePath(ProgramDir()); }

void TOpticalEditor::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  theEditor = this;
  SetCurrentEditorFrame(this);
  // Below 8 bits per pixel the shared palette's standard colours are given as indexes.
  const bool eightBits = ScreenBitsPerPixel() >= 8;
  if (!eightBits)
    MessageBox(GetHandle(), "This application requires 256 colors or higher!", "Warning", MB_ICONHAND);
  SetDisplayHasEightBits(eightBits);
  if (HACCEL table = LoadAccelerators(nullptr, "EDITORMENU")) SetWindowAccelerators(GetHandle(), table);
  ReadSettings();
  // Said once here; each command that needs the directory says it again when refused.
  if (const std::string problem = TempDirProblem(); !problem.empty())
    MessageBox(GetHandle(), problem, "Warning", MB_OK | MB_ICONEXCLAMATION);
  // A restored session is the first system: loading the named one (or a new one) now
  // would throw it away again, unsaved when it never had a file of its own. An unnamed
  // one keeps its variables and animation; declined, they go with it.
  if (!OfferSessionRestore()) {
    ForgetUntitledFiles();
    if (system_.name == UntitledPath()) system_.name.clear();
    if (system_.name.empty()) {
      files_.CmNewSystem();
      system_.options.ShowCourseBeam = 1;
    } else {
      files_.OpenStartupSystem(system_.name);
    }
  }
  files_.RecentFiles().Normalize(system_.name);
  files_.UpdateRecentMenu();
  FitCanvasBitmap();
  Layout();
  ShowSystem();
  palettes_.SetUpEditTools();
  if (system_.ConfigurationCount() > 1) palettes_.ShowConfigurationBar(1);
  UpdateMenus();
  UpdateCaption();
}

LRESULT TOpticalEditor::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A key pressed while the frame itself has the focus is its client's: the canvas's key
  // handler owns ctrl+R and ctrl+A (Edit animation), which no accelerator table holds.
  if (msg == WM_KEYDOWN && canvas_ != nullptr && canvas_->GetHandle() != nullptr)
    return canvas_->SendMessage(msg, wParam, lParam);
  // Menus, accelerators, palettes and the canvas's keys all come here.
  if (msg == WM_COMMAND && RefuseCommandDuringAnimation(GetHandle(), system_.options, LOWORD(wParam))) return 0;
  // The canvas never shows more than its bitmap: the bitmap takes the new size first, then
  // the frame places the canvas.
  const bool resized = msg == WM_SIZE && wParam != SIZE_MINIMIZED && theEditor == this;
  if (resized) FitCanvasBitmap();
  const LRESULT result = TDecoratedFrame::WindowProc(msg, wParam, lParam);
  if (resized) UpdateCaption();
  // The palettes hide and show with the frame, minimised or hidden.
  if (theEditor == this && (msg == WM_SHOWWINDOW || msg == WM_SIZE))
    palettes_.FollowFrame(msg == WM_SHOWWINDOW ? wParam != 0 : wParam != SIZE_MINIMIZED);
  // The visible palettes keep their offset from the canvas's corner.
  if ((resized || msg == WM_MOVE) && theEditor == this) palettes_.PlacePalettes();
  return result;
}

void TOpticalEditor::FitCanvasBitmap() {
  if (canvas_ == nullptr || canvas_->GetHandle() == nullptr) return;
  const RECT area = ClientArea();
  const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
  const SIZE bitmap = canvas_->GetBitmapSize();
  if (areaWidth > 0 && areaHeight > 0 && (bitmap.cx != areaWidth || bitmap.cy != areaHeight)) {
    canvas_->CreateBitmap(areaWidth, areaHeight);
    canvas_->Redraw();
  }
}

void TOpticalEditor::ShowSystem() {
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr) {
    system_.RebuildElements(canvas_);
    canvas_->Redraw();
    // The elements' regions follow the world window the picture was drawn in.
    system_.SetCanvas(canvas_);
  }
  // A system just opened warns at once of what its picture met (a beam whose chief ray
  // does not pass), not at the next refresh.
  ShowPendingMessage();
}

void TOpticalEditor::ShowPendingMessage() {
  // A warning of the model is shown by exactly one refresh.
  std::string message = TakePendingMessage();
  // The status bar has one line: every warning waiting is shown on it, one after another.
  for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at))
    message.replace(at, 1, "; ");
  if (TStatusBar *status = statusBar_) status->SetText(message.c_str());
}

namespace {

// The drawing and saving options live on the edited system; the settings file keeps them.
void OptionsToSettings(const TOptionsImage &options, TEditorSettings &settings) {
  settings.EnableSave = options.EnableSave;
  settings.NStepUndoMax = options.NStepUndoMax;
  settings.EnablePosition = options.EnablePosition;
  settings.EnableName = options.EnableName;
  settings.GridAxes = options.GridAxes;
  settings.FillComponent = options.FillComponent;
  settings.ShowCourseBeam = options.ShowCourseBeam;
  settings.ShowCardinalPlanes = options.ShowCardinalPlanes;
  settings.ViewPropertiesOfSelectedElements = options.ViewPropertiesOfSelectedElements;
}

void SettingsToOptions(const TEditorSettings &settings, TOptionsImage &options) {
  options.SetUndoDepth(settings.NStepUndoMax);
  options.EnableSave = settings.EnableSave;
  options.EnablePosition = settings.EnablePosition;
  options.EnableName = settings.EnableName;
  options.GridAxes = settings.GridAxes;
  options.FillComponent = settings.FillComponent;
  options.ShowCourseBeam = settings.ShowCourseBeam;
  options.ShowCardinalPlanes = settings.ShowCardinalPlanes;
  options.ViewPropertiesOfSelectedElements = settings.ViewPropertiesOfSelectedElements;
}

}  // namespace

void TOpticalEditor::ReadSettings() {
  // What the file does not say stays as the options and the canvas have it.
  OptionsToSettings(system_.options, settings_);
  if (canvas_ != nullptr) {
    const COLORREF canvasColor = canvas_->GetHandleField();
    settings_.bkColor[0] = GetRValue(canvasColor);
    settings_.bkColor[1] = GetGValue(canvasColor);
    settings_.bkColor[2] = GetBValue(canvasColor);
  }
  helpFile_ = JoinPath(ProgramDir(), kHelpFileName);
  settings_.helpFileName = helpFile_;
  SetApplicationHelpFile(helpFile_);
  std::string notes;
  if (!ReadEditorSettings(SettingsPath(), settings_, &notes)) return;
  if (!notes.empty())
    MessageBox(GetHandle(), "The settings file \"" + SettingsPath() + "\" holds what cannot be used:" + notes,
               "Warning", MB_OK | MB_ICONEXCLAMATION);
  if (!settings_.helpFileName.empty()) helpFile_ = settings_.helpFileName;
  SetApplicationHelpFile(helpFile_);
  SettingsToOptions(settings_, system_.options);
  if (canvas_ != nullptr)
    canvas_->SetBackColorValue(RGB(settings_.bkColor[0], settings_.bkColor[1], settings_.bkColor[2]));
  files_.RecentFiles().LoadFrom(settings_);
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr)
    canvas_->CreateBitmap(settings_.graphSize[0], settings_.graphSize[1]);
  // The place is taken when the file gave one and the user asked for it ("Restore the
  // window's place"); otherwise the frame opens where it would without a settings file.
  if (settings_.havePosition && settings_.EnablePosition != 0) PlaceFrame(settings_.position);
  if (settings_.EnableName && system_.name.empty() && !settings_.systemName.empty())
    system_.name = settings_.systemName;
}

void TOpticalEditor::WriteSettings() {
  // The frame's place as MoveWindow takes it, so the next start puts it back exactly.
  settings_.havePosition = true;
  settings_.position[0] = Attr.X;
  settings_.position[1] = Attr.Y;
  settings_.position[2] = Attr.X + Attr.W;
  settings_.position[3] = Attr.Y + Attr.H;
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr) {
    settings_.graphSize[0] = canvas_->GetBitmapSize().cx;
    settings_.graphSize[1] = canvas_->GetBitmapSize().cy;
  }
  if (canvas_ != nullptr) {
    const COLORREF canvasColor = canvas_->GetHandleField();
    settings_.bkColor[0] = GetRValue(canvasColor);
    settings_.bkColor[1] = GetGValue(canvasColor);
    settings_.bkColor[2] = GetBValue(canvasColor);
  }
  settings_.helpFileName = helpFile_;
  OptionsToSettings(system_.options, settings_);
  settings_.systemName = system_.name == UntitledPath() ? std::string() : system_.name;
  files_.RecentFiles().StoreTo(settings_);
  TFileWriteResult why;
  // A file marked read-only is the user's wish to keep it: nothing to tell.
  if (!WriteEditorSettings(SettingsPath(), settings_, &why) && why.fault != TFileWriteFault::kReadOnly)
    MessageBox(GetHandle(), FileWriteFaultText(SettingsPath(), why) + "\nThe settings of this session are lost.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
}

void TOpticalEditor::PlaceFrame(const int position[4]) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int left = position[0], top = position[1];
  int w = position[2] - position[0], h = position[3] - position[1];
  if (w <= 0 || h <= 0) return;
  if (w > screenWidth) {
    left = 0;
    w = screenWidth;
  }
  if (h > screenHeight) {
    top = 0;
    h = screenHeight;
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  if (left + w > screenWidth) left = screenWidth - w;
  if (top + h > screenHeight) top = screenHeight - h;
  MoveWindow(left, top, w, h, false);
}

bool TOpticalEditor::OfferSessionRestore() {
  // The newest snapshot of each folder a program of ours left (this one's own, and every
  // other that no running program holds), offered newest first until one is taken; one that
  // cannot be read gives way to its folder's next newest. Another folder's ring goes once
  // its snapshot was declined; one restored becomes this program's folder (its ring goes as
  // this one's would), and the folder left keeps its snapshots for the next start.
  struct TOffer {
    std::string snapshot, folder;
    std::filesystem::file_time_type time;
    std::vector<std::string> others;  // the folder's snapshots not yet offered
  };
  std::vector<TOffer> offers;
  std::vector<std::string> folders{TempDir()};
  if (!TempDir().empty())
    for (const std::string &other : AbandonedTemporaryDirectories(std::filesystem::path(TempDir()).parent_path().string(), TempDir()))
      folders.push_back(other);
  for (const std::string &folder : folders) {
    Mem<STRING> files;
    const int count = ListUndoFiles(folder, files);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.emplace_back(files.data[i]);
    std::error_code error;
    if (const std::string newest = NewestUndoFile(paths, system_.options.RingSize()); !newest.empty()) {
      std::erase(paths, newest);
      offers.push_back({newest, folder, std::filesystem::last_write_time(newest, error), std::move(paths)});
    }
  }
  const auto newer = [](const TOffer &a, const TOffer &b) { return a.time > b.time; };
  std::stable_sort(offers.begin(), offers.end(), newer);
  const std::string home = TempDir();
  for (std::size_t next = 0; next < offers.size(); ++next) {
    const TOffer offer = offers[next];
    const bool own = offer.folder == home;
    const int answer = MessageBox(GetHandle(),
                                  "     The previous session was aborted.\n"
                                  "Do you want to restore the previous session?",
                                  "Warning", MB_YESNO | MB_ICONINFORMATION);
    if (answer != IDYES) {
      if (!own) RemoveUndoFiles(offer.folder);
      continue;
    }
    const bool moved = !own && MoveToTemporaryDirectory(offer.folder);
    // The snapshot keeps the name of the system it was taken of. The file of that name holds
    // the user's last save: it changes only when the user saves the restored system.
    if (!TFileCommands::IsLoaded(files_.LoadSystem(offer.snapshot, kNameFromFile))) {
      // The load told why; the snapshot stays where it was for the next start, and the
      // folder's next newest is offered in its turn (this program's own ring goes once a
      // system is opened: its earlier steps must not go untried with it).
      if (moved) MoveToTemporaryDirectory(home);
      TOffer older{NewestUndoFile(offer.others, system_.options.RingSize()), offer.folder, {}, offer.others};
      if (older.snapshot.empty()) continue;
      std::error_code error;
      older.time = std::filesystem::last_write_time(older.snapshot, error);
      std::erase(older.others, older.snapshot);
      offers.insert(std::upper_bound(offers.begin() + static_cast<std::ptrdiff_t>(next) + 1, offers.end(), older, newer),
                    std::move(older));
      continue;
    }
    if (!own && !moved) RemoveUndoFiles(offer.folder);
    system_.SetUnsavedChanges(1);
    UpdateCaption();
    return true;
  }
  return false;
}

TEditorStateView TOpticalEditor::StateView() const {
  TEditorStateView view;
  view.surfaceCount = system_.SurfaceCount();
  view.lastOpenSucceeded = files_.LastOpenSucceeded();
  view.turned = system_.info.TurnSystem != 0;
  view.beamAnimationRunning = system_.options.beamAnimationRunning != 0;
  view.lensAnimationRunning = system_.options.lensAnimationRunning != 0;
  view.pipesEnabled = system_.info.EnablePipe != 0;
  view.selectMode = canvas_ != nullptr && canvas_->GetSelectMode();
  view.configurationCount = std::max(1, system_.ConfigurationCount());
  view.currentConfiguration = system_.currentConfiguration;
  view.hasSelection = system_.hasSelection != 0;
  view.clipboardHoldsSystem = EditClipboard() != nullptr;
  view.viewPropertiesOfSelected = system_.options.ViewPropertiesOfSelectedElements == 1;
  view.configurationPaletteExists = editTools_.configPalette != nullptr;
  // The PSF and MTF window and image synthesis exclude each other.
  view.psfButtonPressed = launchers_.PsfWindow() != nullptr;
  view.synthesisButtonPressed = launchers_.SynthesisOpen();
  view.propertiesFolderOpen = PropertiesFolder() != nullptr;  // the system's properties
  view.viewerOpen = launchers_.ViewerWindow() != nullptr;
  view.undoSize = system_.options.RingSize();
  view.undoIndex = system_.options.undoIndex;
  view.redoBound = system_.options.redoBound;
  for (int k = 0; k < view.undoSize; ++k) view.undoLabels.push_back(system_.options.Label(k));
  return view;
}

int TOpticalEditor::CommandFlag(int command) const {
  const bool hasEnabler =
      std::find(std::begin(kEnabledCommands), std::end(kEnabledCommands), command) !=
      std::end(kEnabledCommands);
  if (!hasEnabler) {
    const bool missing = std::find(std::begin(kMissingPlainCommands), std::end(kMissingPlainCommands),
                                   command) != std::end(kMissingPlainCommands);
    return missing ? 0 : 1;
  }
  const bool available = std::find(std::begin(kAvailableCommands), std::end(kAvailableCommands),
                                   command) != std::end(kAvailableCommands);
  if (available && IsStepMovieCommand(command) && !StepMovieWriterFactory()) return 0;
  return available ? menuState_.Flag(command) : 0;
}

void TOpticalEditor::CeAll(TCommandEnabler &enabler) {
  enabler.Enable(CommandFlag(static_cast<int>(enabler.GetId())) != 0);
}

void TOpticalEditor::UpdateMenus() {
  menuState_.Update(StateView());
  HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr;
  if (menu == nullptr) return;
  ModifyMenu(menu, CM_UNDO, MF_BYCOMMAND | MF_STRING, CM_UNDO, menuState_.UndoText().c_str());
  ModifyMenu(menu, CM_REDO, MF_BYCOMMAND | MF_STRING, CM_REDO, menuState_.RedoText().c_str());
  for (int command : kEnabledCommands)
    EnableMenuItem(menu, command, MF_BYCOMMAND | (CommandFlag(command) ? MF_ENABLED : MF_GRAYED));
  for (int command : kMissingPlainCommands) EnableMenuItem(menu, command, MF_BYCOMMAND | MF_GRAYED);
  for (int command : kCheckedCommands)
    CheckMenuItem(menu, command,
                  MF_BYCOMMAND | (menuState_.Checked(command) ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, CM_ABERRATIONS,
                MF_BYCOMMAND | (launchers_.AberrationsWindow() != nullptr ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, CM_SPOT_DIAGRAM,
                MF_BYCOMMAND | (launchers_.SpotWindow() != nullptr ? MF_CHECKED : MF_UNCHECKED));
  // The PSF and MTF window.
  CheckMenuItem(menu, CM_PSF_MTF,
                MF_BYCOMMAND | (launchers_.PsfWindow() != nullptr ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, CM_REAL_BEAMS,
                MF_BYCOMMAND | (system_.options.ShowCourseBeam == 1 ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, CM_CARDINAL_PLANES,
                MF_BYCOMMAND | (system_.options.ShowCardinalPlanes == 1 ? MF_CHECKED : MF_UNCHECKED));
  properties_.UpdatePropertiesMenu();
  // Edit > Select's tick shows the mode, whichever command left it.
  CheckMenuItem(menu, CM_SELECT,
                MF_BYCOMMAND | (tools_.mouseMode == kSelectMouseMode ? MF_CHECKED : MF_UNCHECKED));
  // The animations' checks follow their buttons.
  for (int command : {CM_BEAM_ANIMATION, CM_LENS_ANIMATION})
    CheckMenuItem(menu, command,
                  MF_BYCOMMAND | (editTools_.ButtonDown(command) ? MF_CHECKED : MF_UNCHECKED));
  movie_.CheckSaveEachStep();
  DrawMenuBar(GetHandle());
  palettes_.ApplyPaletteStates(menuState_, launchers_.AberrationsWindow() != nullptr,
                               launchers_.SpotWindow() != nullptr);
}

std::string TOpticalEditor::UpdateCaption() {
  const std::string scale = canvas_ != nullptr ? FormatScaleCaption(*canvas_) : std::string();
  // A new system is "Untitled" until it is saved under a name.
  const std::string shownName = system_.name == UntitledPath() ? std::string("Untitled") : system_.name;
  const std::string caption =
      EditorCaption(shownName, std::max(1, system_.ConfigurationCount()),
                    system_.currentConfiguration, scale, system_.info.TurnSystem != 0);
  SetCaption(movie_.Captioned(caption));
  return caption;
}

void TOpticalEditor::DeleteUndoFiles() { system_.DeleteUndoFiles(); }

bool TOpticalEditor::CanClose() {
  // A running optimization works in the windows that closing would take away.
  if (OptimizationRunStopsCommand()) return false;
  if (RefuseDuringAnimation(GetHandle(), system_.options)) return false;
  // The movie's writer lives until the frame it writes is through.
  if (movie_.WritingFrame()) return false;
  // The computations counted as running end only once the close is decided.
  if (!files_.AskToSave()) return false;
  // The panel's variables and functions live only in their file.
  if (!properties_.ClosePropertiesPanel()) return false;
  if (!TDecoratedFrame::CanClose()) return false;
  queue_.Leave();
  ProgramMessageQueue().Leave();
  return true;
}

void TOpticalEditor::CmExit() { PostMessage(WM_CLOSE); }

void TOpticalEditor::EvClose() {
  if (theEditor != this || !CanClose()) return;
  // The spot diagram's place and scale reach the settings file.
  CloseAnalyses();
  WriteSettings();
  system_.SetUnsavedChanges(0);
  DeleteUndoFiles();
  if (const std::string report = TempPath(kPrintTextName); !report.empty()) DeleteIfExists(report);
  Destroy();
}

void TOpticalEditor::EvDestroy() {
  CloseAnalyses();
  // The help window is the frame's: it goes with it.
  WinHelp(GetHandle(), nullptr, HELP_QUIT, 0);
  if (theEditor == this) {
    // Computations still counted as running see their end; nothing is dispatched here, so
    // no command reaches a window that is going.
    ProgramMessageQueue().Leave(1);
    queue_.Leave();
    system_.Clear();
    DeleteUndoFiles();
    if (GetGlassCatalog() == catalogs_.get()) SetGlassCatalog(nullptr);
    catalogs_.reset();
    theEditor = nullptr;
  }
  DefaultProcessing();
}

void TOpticalEditor::CmNothing() {}

void TOpticalEditor::CmAbout() { TAboutDlg(this).Execute(); }

void TOpticalEditor::RefreshAll() { RefreshViews(true); }

void TOpticalEditor::SystemEdited() {
  // Field points and wavelengths may have changed: the aberrations window's lists follow
  // before everything is refreshed.
  RenewAberrationLabels();
  RefreshViews(false);
  // The elements' regions follow the picture just drawn.
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr) system_.SetCanvas(canvas_);
}

void TOpticalEditor::RefreshViews(bool withProperties) {
  if (Current() != this) return;
  // The selection is drawn highlighted by the canvas itself.
  if (canvas_ != nullptr) canvas_->Redraw();
  UpdateCaption();
  if (withProperties) properties_.RefreshProperties();
  launchers_.RefreshAnalyses(false);
  // The focal length and apertures of the selected elements, in a note on the canvas.
  if (canvas_ != nullptr) {
    if (system_.options.ViewPropertiesOfSelectedElements != 0)
      system_.ShowGeneralParameters(canvas_);
    else
      canvas_->CloseNote();
  }
  editTools_.RefillTables();
  UpdateMenus();
  // While every step is saved, the movie takes this state as its next frame.
  if (movie_.SavesEachStep()) movie_.SaveReportStep();
  ShowPendingMessage();
}

void TOpticalEditor::RefreshAnalyses(bool renewLabels) {
  properties_.RefreshProperties();
  launchers_.RefreshAnalyses(renewLabels);
}

void TOpticalEditor::RefreshProperties() { properties_.RefreshProperties(); }

void TOpticalEditor::RenewAberrationLabels() { launchers_.RenewAberrationLabels(); }

void TOpticalEditor::SetMouseMode(int mode) {
  tools_.mouseMode = mode;
  if (canvas_ != nullptr) canvas_->SetMouseMode(mode);
}

void TOpticalEditor::Undo() { files_.CmUndo(); }

TScanAnimation *TOpticalEditor::ScanAnimation() { return &animations_; }

void TOpticalEditor::LeaveZoomMode() { view_.LeaveZoomMode(); }

void TOpticalEditor::ShowConfigurationBar(int mode) { palettes_.ShowConfigurationBar(mode); }

void TOpticalEditor::OpenPropertiesOfSelected() { properties_.CmPropertiesOfSelected(); }

bool TOpticalEditor::LetGoOfSystem() {
  if (!launchers_.CloseSynthesisForNewSystem()) return false;
  if (!properties_.ClosePropertiesPanel()) return false;
  // The progress window of the last run holds that system's figures and takes back its step.
  if (TOptimizationViewer *viewer = TOptimizationViewer::Existing(); viewer != nullptr && !viewer->State().Running())
    viewer->CmOk();
  return true;
}

bool TOpticalEditor::CloseOptimizationPanel() { return properties_.ClosePropertiesPanel(); }

void TOpticalEditor::ShowPropertiesAfterNew() { properties_.ShowPropertiesAfterNew(); }

int TOpticalEditor::SaveEditedSystem(const std::string &fileName, TFileWriteResult *why) {
  return launchers_.SaveEditedSystem(fileName, why);
}

void TOpticalEditor::RetireWindow(TWindow *window) { retired_.push_back(window); }

void TOpticalEditor::DeleteRetiredWindows() {
  for (TWindow *window : retired_) delete window;
  retired_.clear();
}

void TOpticalEditor::CloseAnalyses() {
  properties_.CloseProperties(true);
  launchers_.CloseWindows();
}
