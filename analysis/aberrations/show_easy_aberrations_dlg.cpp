#include "analysis/aberrations/show_easy_aberrations_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "analysis/legend/view_indication_dlg.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/helpers.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/help/win_help.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/printing/direct_print.h"
#include "toolkit/render3d/o_palette.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

// The aberrations topic of the program's help file.

using W = TShowEasyAberrationsDlg;

// The report "As text" shows, and the one Print writes and removes.
constexpr const char *kReportViewName = "aberrat.txt";
constexpr const char *kReportPrintName = "aberrpr.txt";
constexpr int kWavelengthRampFirst = 9;
constexpr int kWavelengthRampLast = 13;
// Where a stored left or top that lies off the screen is put.
constexpr int kFallbackPlace = 100;
// The smallest window in which both fans and their scales read well.
constexpr SIZE kReadableWindow{640, 420};

const TDialogTemplate kAberrationsTemplate{
    "EasyAberrationsDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
    10, 77, 209, 116, "Aberrations", {
    {"STATIC", "", W::kTopLine, SS_GRAYRECT, -3, 0, 214, 1},
    {"STATIC", "Meridional", W::kLeftLabel, SS_CENTER, 22, 3, 64, 8},
    {"STATIC", "Sagittal", W::kRightLabel, SS_CENTER, 125, 3, 64, 8},
    {"STATIC", "", W::kLeftFrame, SS_BLACKFRAME, 4, 14, 100, 70},
    {"STATIC", "", W::kRightFrame, SS_BLACKFRAME, 107, 14, 100, 70},
    {"STATIC", "", W::kBottomLine, SS_GRAYRECT, -3, 88, 214, 1},
    {"STATIC", "Beams", W::kBeamsLabel, SS_LEFT, 63, 91, 23, 8},
    {"STATIC", "Lambda", W::kLambdaLabel, SS_LEFT, 117, 91, 27, 8},
    {"COMBOBOX", "", W::kBeamList, CBS_DROPDOWNLIST | WS_TABSTOP, 53, 101, 49, 63},
    {"COMBOBOX", "", W::kLambdaList, CBS_DROPDOWNLIST | WS_TABSTOP, 112, 101, 44, 63},
}, kFaceSansSerif, 8, "ABERRATION_MENU"};
const TDialogRegistration kAberrationsRegistration(kAberrationsTemplate);

const TMenuTemplateItem kAberrationMenu[] = {
    {"&Scale", 0, MF_POPUP},
    {"&Auto", CM_ABERR_AUTO, 0},
    {"&Keep", CM_ABERR_KEEP, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Fixed", CM_ABERR_FIXED, 0},
    {nullptr, 0, MF_END},
    {"&View", 0, MF_POPUP},
    {"&Transverse aberration", CM_ABERR_TRANSVERSE, 0},
    {"&Wave aberration", CM_ABERR_WAVE, 0},
    {"&Distortion", CM_ABERR_DISTORTION, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Colors", CM_ABERR_COLORS, 0},
    {nullptr, 0, MF_END},
    {"&Report", 0, MF_POPUP},
    {"&As text", CM_ABERR_REPORT_TEXT, 0},
    {"&Print", CM_ABERR_PRINT, 0},
    {nullptr, 0, MF_END},
    {"Help", CM_ABERR_HELP, 0},
};
struct TAberrationMenuRegistration {
  TAberrationMenuRegistration() {
    RegisterMenuResource("ABERRATION_MENU", kAberrationMenu, static_cast<int>(std::size(kAberrationMenu)));
  }
};
const TAberrationMenuRegistration kAberrationMenuRegistration;

const TResponseTableEntry kAberrationsTable[] = {
    EvMessage<&W::EvClose>(WM_CLOSE),
    EvMessage<&W::EvDestroy>(WM_DESTROY),
    EvMessage<&W::EvSysCommand>(WM_SYSCOMMAND),
    EvMessage<&W::EvSize>(WM_SIZE),
    EvMessage<&W::EvTimer>(WM_TIMER),
    EvCommand<&W::CmAuto>(CM_ABERR_AUTO),
    EvCommand<&W::CmKeep>(CM_ABERR_KEEP),
    EvCommand<&W::CmFixed>(CM_ABERR_FIXED),
    EvCommand<&W::CmTransverse>(CM_ABERR_TRANSVERSE),
    EvCommand<&W::CmWave>(CM_ABERR_WAVE),
    EvCommand<&W::CmDistortion>(CM_ABERR_DISTORTION),
    EvCommand<&W::CmColors>(CM_ABERR_COLORS),
    EvCommand<&W::CmReportAsText>(CM_ABERR_REPORT_TEXT),
    EvCommand<&W::CmPrint>(CM_ABERR_PRINT),
    EvCommand<&W::CmHelp>(CM_ABERR_HELP),
    EvCommand<&W::LegendClosed>(CM_LEGEND_DESTROYED),
    EvChildNotify<&W::BeamChanged>(W::kBeamList, CBN_SELCHANGE),
    EvChildNotify<&W::LambdaChanged>(W::kLambdaList, CBN_SELCHANGE),
    EvMessage<&W::BackColorChanged>(WM_GRAPH_BACKGROUND_CHANGED),
};

int ScaleOfCommand(int command) { return command == kScaleKeep ? 1 : command == kScaleFixed ? 2 : 0; }
int CommandOfScale(int scale) { return scale == 1 ? kScaleKeep : scale == 2 ? kScaleFixed : kScaleAuto; }

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

int CountOf(const Mem<double> &values) { return values.Cells(); }
int CountOf(const Mem<TSpectralInfo> &values) { return values.Cells(); }

// A child's rectangle in the client coordinates of its dialog.
RECT ChildRect(TWindow &dialog, int id) {
  RECT r{};
  TWindow *child = dialog.ChildWithId(id);
  if (child == nullptr || child->GetHandle() == nullptr) return r;
  r = child->GetWindowRect();
  POINT topLeft{r.left, r.top}, bottomRight{r.right, r.bottom};
  dialog.ScreenToClient(topLeft);
  dialog.ScreenToClient(bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// The graph fills the rectangle, its picture as large as its client there.
void FitGraph(TCGraph *graph, const RECT &r) {
  const RECT outer = graph->GetWindowRect();
  const RECT client = graph->GetClientRect();
  const int frameX = (outer.right - outer.left) - (client.right - client.left);
  const int frameY = (outer.bottom - outer.top) - (client.bottom - client.top);
  const int wide = std::max<int>(r.right - r.left, frameX + 1);
  const int high = std::max<int>(r.bottom - r.top, frameY + 1);
  graph->CreateBitmap(wide - frameX, high - frameY);
  graph->MoveWindow(r.left, r.top, wide, high, true);
}

}  // namespace

void TWindowAberrations::MeridionalDone() { window_->DrawFanGraph(true); }
void TWindowAberrations::SagittalDone() { window_->DrawFanGraph(false); }
void TWindowAberrations::DistortionDone() { window_->DrawDistortion(); }
void TWindowAberrations::WarnTooFewBeams() {
  window_->SetCaption("Distortion");
  TAberrationComputation::WarnTooFewBeams();
}

TShowEasyAberrationsDlg::TShowEasyAberrationsDlg(TWindow *parentWindow, TOpticalSystem *system,
                                                 std::string settingsPath)
    : TColorDlg(parentWindow, "EasyAberrationsDlg"),
      system_(system),
      settingsPath_(std::move(settingsPath)),
      run_(this) {
  ReadAberrationsSettings(settingsPath_, settings_);
  const TAberrationsSettings &s = settings_;
  run_.TransMmin = s.TransMmin, run_.TransMmax = s.TransMmax;
  run_.TransSmin = s.TransSmin, run_.TransSmax = s.TransSmax;
  run_.WaveMmin = s.WaveMmin, run_.WaveMmax = s.WaveMmax;
  run_.WaveSmin = s.WaveSmin, run_.WaveSmax = s.WaveSmax;
  run_.DistorMin = s.DistorMin, run_.DistorMax = s.DistorMax;
  run_.DistorRMin = s.DistorRMin, run_.DistorRMax = s.DistorRMax;
  run_.ScaleMode = CommandOfScale(s.scale);
  // Every window starts in the transverse view, all beams at one wavelength.
  run_.ViewMode = kViewTransverse;
  run_.BeamIndex = -1;
  run_.LambdaIndex = -1;
  const COLORREF back = RGB(s.bkColor[0], s.bkColor[1], s.bkColor[2]);
  left_ = new TCGraph(this, 0, 0, 100, 100, WS_CHILD | WS_VISIBLE | kGraphMenu, back, SharedPalette);
  right_ = new TCGraph(this, 0, 0, 100, 100, WS_CHILD | WS_VISIBLE | kGraphMenu, back, SharedPalette);
  left_->SetTitle("Meridional *");
  right_->SetTitle("Sagittal *");
  left_->SetFlag(parentWindow);
  right_->SetFlag(parentWindow);
}

TShowEasyAberrationsDlg::~TShowEasyAberrationsDlg() = default;

bool TShowEasyAberrationsDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kAberrationsTable, info) || TColorDlg::Find(info);
}

void TShowEasyAberrationsDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  beamList_ = dynamic_cast<TComboBox *>(ChildWithId(kBeamList));
  lambdaList_ = dynamic_cast<TComboBox *>(ChildWithId(kLambdaList));
  // Each graph fills its frame.
  for (auto [graph, frame] : {std::pair{left_, kLeftFrame}, std::pair{right_, kRightFrame}}) {
    FitGraph(graph, ChildRect(*this, frame));
  }
  UpdateLabels();
  CheckMenuItem(GetMenu(GetHandle()), run_.ScaleMode, MF_BYCOMMAND | MF_CHECKED);
  CheckMenuItem(GetMenu(GetHandle()), run_.ViewMode, MF_BYCOMMAND | MF_CHECKED);
  setupWindow_ = GetWindowRect();
  setupClient_ = GetClientRect();
  // The children stand where the template put them: a new size moves them from there.
  lastClient_ = setupClient_;
  PlaceOnScreen();
  lastClient_ = GetClientRect();
  CmView(run_.ViewMode);
}

void TShowEasyAberrationsDlg::PlaceOnScreen() {
  const int setupWidth = setupWindow_.right - setupWindow_.left;
  const int setupHeight = setupWindow_.bottom - setupWindow_.top;
  // A stored size below the set-up size is not taken, and the window opens no smaller
  // than reads well, clear of the editor's menu bar.
  const int wide = std::max(settings_.position[2], setupWidth);
  const int high = std::max(settings_.position[3], setupHeight);
  // The readable size, as far as the screen holds it, is also the least the user can
  // shrink the window to.
  const RECT floor = PlaceReadable(GetParentO(), setupWindow_, kReadableWindow);
  setupClient_.right += floor.Width() - setupWidth;
  setupClient_.bottom += floor.Height() - setupHeight;
  const RECT stored{settings_.position[0], settings_.position[1], settings_.position[0] + wide,
                    settings_.position[1] + high};
  // Opened at the default corner, it steps aside from a window already open there.
  const RECT placed = PlaceCascaded(*this, stored, kReadableWindow);
  SetWindowPos(nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
               SWP_NOZORDER | SWP_NOREDRAW);
  if (placed.right - placed.left != setupWidth || placed.bottom - placed.top != setupHeight) Relayout();
}

void TShowEasyAberrationsDlg::UpdateLabels() {
  if (system_ == nullptr || beamList_ == nullptr || lambdaList_ == nullptr) return;
  const TOpticalSystemInformation &info = system_->info;
  const int beams = CountOf(info.AlfaM);
  int beamChoice = beamList_->GetSelIndex();
  if (beamChoice < 0 || beamChoice > beams) beamChoice = 0;
  beamList_->ClearList();
  beamList_->AddString("All beams");
  const double unitFactor = info.Unit == 1 ? 60.0 : 1.0;
  for (int b = 0; b < beams; ++b) beamList_->AddString(Number(info.AlfaM.data[b] * unitFactor).c_str());
  beamList_->SetSelIndex(beamChoice);
  run_.BeamIndex = beamChoice - 1;

  const int lambdaChoice = lambdaList_->GetSelIndex();
  const int waves = CountOf(info.Spectrum);
  lambdaList_->ClearList();
  lambdaList_->AddString("All");
  for (int w = 0; w < waves; ++w) lambdaList_->AddString(Number(info.Spectrum.data[w].lambda).c_str());
  if (waves == 0) lambdaList_->AddString(Number(info.LambdaW).c_str());
  if (lambdaChoice < 0 || lambdaChoice > std::max(waves, 1)) {
    SelectNearestLambda();
  } else {
    lambdaList_->SetSelIndex(lambdaChoice);
    run_.LambdaIndex = lambdaChoice - 1;
  }
  KeepListsApart(true);
  beamList_->EnableWindow(run_.ViewMode != kViewDistortion);

  const bool mm = info.ImageFinite != 0;
  switch (run_.ViewMode) {
    case kViewWave:
      SetDlgItemText(kLeftLabel, "Meridional");
      SetDlgItemText(kRightLabel, "Sagittal");
      break;
    case kViewDistortion:
      SetDlgItemText(kLeftLabel, "Distortion (%)");
      SetDlgItemText(kRightLabel, mm ? "Distortion (mm)" : "Distortion (mrad)");
      break;
    default:
      SetDlgItemText(kLeftLabel, mm ? "Meridional (mm)" : "Meridional (mrad)");
      SetDlgItemText(kRightLabel, mm ? "Sagittal (mm)" : "Sagittal (mrad)");
      break;
  }
}

void TShowEasyAberrationsDlg::SelectNearestLambda() {
  const TOpticalSystemInformation &info = system_->info;
  const int waves = CountOf(info.Spectrum);
  int nearest = 0;
  for (int w = 1; w < waves; ++w)
    if (std::fabs(info.Spectrum.data[w].lambda - info.LambdaW) <
        std::fabs(info.Spectrum.data[nearest].lambda - info.LambdaW))
      nearest = w;
  run_.LambdaIndex = nearest;
  lambdaList_->SetSelIndex(nearest + 1);
}

void TShowEasyAberrationsDlg::KeepListsApart(bool beamChosen) {
  // The computation never takes all beams at all wavelengths: the other list gives way.
  if (run_.BeamIndex >= 0 || run_.LambdaIndex >= 0) return;
  if (beamChosen) {
    run_.LambdaIndex = 0;
    if (lambdaList_ != nullptr) lambdaList_->SetSelIndex(1);
  } else {
    run_.BeamIndex = 0;
    if (beamList_ != nullptr) beamList_->SetSelIndex(1);
  }
}

void TShowEasyAberrationsDlg::BeamChanged() {
  if (beamList_ == nullptr) return;
  run_.BeamIndex = beamList_->GetSelIndex() - 1;
  KeepListsApart(true);
  Recalculate();
}

void TShowEasyAberrationsDlg::LambdaChanged() {
  if (lambdaList_ == nullptr) return;
  run_.LambdaIndex = lambdaList_->GetSelIndex() - 1;
  KeepListsApart(false);
  Recalculate();
}

void TShowEasyAberrationsDlg::CmScale(int command) {
  HMENU menu = GetMenu(GetHandle());
  CheckMenuItem(menu, run_.ScaleMode, MF_BYCOMMAND | MF_UNCHECKED);
  run_.ScaleMode = command;
  CheckMenuItem(menu, run_.ScaleMode, MF_BYCOMMAND | MF_CHECKED);
  Recalculate();
}

void TShowEasyAberrationsDlg::CmView(int command) {
  HMENU menu = GetMenu(GetHandle());
  CheckMenuItem(menu, run_.ViewMode, MF_BYCOMMAND | MF_UNCHECKED);
  run_.ViewMode = command;
  SetCaption(command == kViewWave         ? "Aberrations (Wave)"
             : command == kViewDistortion ? "Aberrations (Distortion)"
                                          : "Aberrations (Transverse)");
  CheckMenuItem(menu, run_.ViewMode, MF_BYCOMMAND | MF_CHECKED);
  UpdateLabels();
  Recalculate();
}

void TShowEasyAberrationsDlg::Recalculate() {
  if (system_ == nullptr || left_ == nullptr || right_ == nullptr || left_->GetHandle() == nullptr ||
      right_->GetHandle() == nullptr)
    return;
  SetWaitCursor();
  if (legend_ != nullptr) legend_->Layout(run_.BeamIndex, run_.LambdaIndex);
  PrepareGraph(left_);
  PrepareGraph(right_);
  if (SharedPalette != nullptr) SharedPalette->SetRange(kWavelengthRampFirst, kWavelengthRampLast);
  if (!run_.Compute(*system_)) {
    left_->Refresh();
    right_->Refresh();
  }
  SetArrowCursor();
}

void TShowEasyAberrationsDlg::CmColors() {
  if (legend_ != nullptr) return;
  legend_ = new TViewIndicationDlg(this, system_, run_.BeamIndex, run_.LambdaIndex, kLegendAberrations);
  if (!legend_->Create()) {
    legend_ = nullptr;
    return;
  }
  legend_->Layout(run_.BeamIndex, run_.LambdaIndex);
  POINT corner{0, 0};
  ClientToScreen(corner);
  const RECT own = legend_->GetWindowRect();
  legend_->MoveWindow(corner.x, corner.y, own.right - own.left, own.bottom - own.top, true);
  legend_->ShowWindow(SW_SHOW);
}

void TShowEasyAberrationsDlg::BackColorChanged(WPARAM, LPARAM color) {
  const auto back = static_cast<COLORREF>(color);
  for (TCGraph *graph : {left_, right_})
    if (graph != nullptr) graph->SetBackColorValue(back);
  Recalculate();
}

void TShowEasyAberrationsDlg::CmHelp() {
  WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kAberrationsHelpContext);
}

void TShowEasyAberrationsDlg::FillRecord() {
  TAberrationsSettings &s = settings_;
  if (GetHandle() != nullptr) {
    const RECT r = GetWindowRect();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int left = r.left < 0 || r.left > screenWidth ? kFallbackPlace : r.left;
    const int top = r.top < 0 || r.top > screenHeight ? kFallbackPlace : r.top;
    s.position[0] = left;
    s.position[1] = top;
    s.position[2] = r.right - r.left;
    s.position[3] = r.bottom - r.top;
  }
  if (left_ != nullptr) {
    const COLORREF back = left_->GetHandleField();
    s.bkColor[0] = GetRValue(back);
    s.bkColor[1] = GetGValue(back);
    s.bkColor[2] = GetBValue(back);
  }
  s.scale = ScaleOfCommand(run_.ScaleMode);
  s.TransMmin = run_.TransMmin, s.TransMmax = run_.TransMmax;
  s.TransSmin = run_.TransSmin, s.TransSmax = run_.TransSmax;
  s.WaveMmin = run_.WaveMmin, s.WaveMmax = run_.WaveMmax;
  s.WaveSmin = run_.WaveSmin, s.WaveSmax = run_.WaveSmax;
  s.DistorMin = run_.DistorMin, s.DistorMax = run_.DistorMax;
  s.DistorRMin = run_.DistorRMin, s.DistorRMax = run_.DistorRMax;
}

int TShowEasyAberrationsDlg::SaveSettings() {
  FillRecord();
  return WriteAberrationsSettings(settingsPath_, settings_);
}

// The settings are stored on every way out: the close box, the system menu, and a window
// the editor destroys directly.
void TShowEasyAberrationsDlg::EvClose() {
  SaveSettings();
  DefaultProcessing();
}

void TShowEasyAberrationsDlg::EvSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) == SC_CLOSE) SaveSettings();
  DefaultProcessing();
}

void TShowEasyAberrationsDlg::EvDestroy() {
  KillTimer(kLayoutTimer);
  SaveSettings();
  if (legend_ != nullptr) {
    TViewIndicationDlg *legend = legend_;
    legend_ = nullptr;
    legend->Destroy();
  }
  left_ = right_ = nullptr;
  beamList_ = lambdaList_ = nullptr;
  if (TWindow *owner = GetParentO())
    owner->SendMessage(WM_COMMAND, CM_ABERRATIONS_DESTROYED, reinterpret_cast<LPARAM>(this));
  DefaultProcessing();
}

void TShowEasyAberrationsDlg::EvSize(WPARAM sizeType, LPARAM) {
  DefaultProcessing();
  // The layout waits until the resizing pauses.
  if (sizeType != SIZE_MINIMIZED && left_ != nullptr) SetTimer(kLayoutTimer, 200);
}

void TShowEasyAberrationsDlg::EvTimer(WPARAM timerId, LPARAM) {
  if (timerId != kLayoutTimer) {
    DefaultProcessing();
    return;
  }
  KillTimer(kLayoutTimer);
  Relayout();
}

void TShowEasyAberrationsDlg::Relayout() {
  if (left_ == nullptr || right_ == nullptr) return;
  // Never smaller than at set-up: the client keeps at least its set-up size.
  const RECT now = GetClientRect();
  const int needX = std::max<int>(0, (setupClient_.right - setupClient_.left) - (now.right - now.left));
  const int needY = std::max<int>(0, (setupClient_.bottom - setupClient_.top) - (now.bottom - now.top));
  if (needX > 0 || needY > 0) {
    const RECT window = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, window.right - window.left + needX, window.bottom - window.top + needY,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  const RECT client = GetClientRect();
  const int dx = (client.right - client.left) - (lastClient_.right - lastClient_.left);
  const int dy = (client.bottom - client.top) - (lastClient_.bottom - lastClient_.top);
  if (dx == 0 && dy == 0) return;
  auto shift = [this](int id, int moveX, int moveY, int growX, int growY) {
    TWindow *child = ChildWithId(id);
    if (child == nullptr) return RECT{};
    const RECT r = ChildRect(*this, id);
    const RECT moved{r.left + moveX, r.top + moveY, r.right + moveX + growX, r.bottom + moveY + growY};
    child->MoveWindow(moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, true);
    return moved;
  };
  const int half = dx / 2;
  shift(kTopLine, 0, 0, dx, 0);
  shift(kBottomLine, 0, dy, dx, 0);
  for (int id : {kBeamList, kLambdaList, kBeamsLabel, kLambdaLabel}) shift(id, half, dy, 0, 0);
  // Each graph's title stays centred over its graph.
  shift(kLeftLabel, dx / 4, 0, 0, 0);
  shift(kRightLabel, half + dx / 4, 0, 0, 0);
  const RECT leftFrame = shift(kLeftFrame, 0, 0, half, dy);
  const RECT rightFrame = shift(kRightFrame, half, 0, half, dy);
  FitGraph(left_, leftFrame);
  FitGraph(right_, rightFrame);
  Invalidate(true);
  lastClient_ = client;
  Recalculate();
}

TAberrationReportLabels TShowEasyAberrationsDlg::ReportLabels() const {
  TAberrationReportLabels labels;
  const TOpticalSystemInformation &info = system_->info;
  labels.systemName = BaseNameOfPath(system_->name);
  labels.turned = info.TurnSystem != 0;
  labels.allWavelengths = run_.LambdaIndex < 0;
  labels.unit = info.Unit;
  labels.objectFinite = info.ObjectFinite;
  labels.imageFinite = info.ImageFinite;
  if (beamList_ == nullptr || lambdaList_ == nullptr) return labels;
  labels.wavelengthText = lambdaList_->GetString(lambdaList_->GetSelIndex());
  labels.beamText = beamList_->GetString(beamList_->GetSelIndex());
  labels.curvesAreWavelengths = run_.LambdaIndex < 0;
  TComboBox *list = labels.curvesAreWavelengths ? lambdaList_ : beamList_;
  const int chosen = labels.curvesAreWavelengths ? -1 : run_.BeamIndex;
  if (chosen >= 0) {
    labels.curveLabels.push_back(list->GetString(chosen + 1));
  } else {
    for (int k = 1; k < list->GetCount(); ++k) labels.curveLabels.push_back(list->GetString(k));
  }
  return labels;
}

std::string TShowEasyAberrationsDlg::WriteReportFile(const char *name) {
  const std::string path = TempPath(name);
  if (path.empty()) {
    MessageBox(GetHandle(), TempDirProblem(), "Aberrations", MB_OK | MB_ICONEXCLAMATION);
    return "";
  }
  // Built in memory, then written beside and renamed: a failure never leaves half a report.
  char *bytes = nullptr;
  std::size_t size = 0;
  bool built = false;
  if (std::FILE *memory = ::open_memstream(&bytes, &size)) {
    built = system_ != nullptr && WriteAberrationReport(memory, run_, ReportLabels()) == 1;
    built = std::fclose(memory) == 0 && built;
  }
  const std::string text = built && bytes != nullptr ? std::string(bytes, size) : std::string();
  std::free(bytes);
  TFileWriteResult written{TFileWriteFault::kNothingToWrite, 0};
  if (built) written = ReplaceFileContents(path, text);
  if (written.Written()) return path;
  MessageBox(GetHandle(), FileWriteFaultText(path, written), "Aberrations",
             MB_OK | MB_ICONEXCLAMATION);
  return "";
}

void TShowEasyAberrationsDlg::CmReportAsText() {
  // A report still open in an earlier viewer, edited and saved or not, is never rewritten
  // under it: the new report takes the next name no open viewer shows.
  const std::string path = WriteReportFile(ReportNameNoViewerShows(*this, kReportViewName).c_str());
  if (!path.empty()) ShowAberrationReport(this, path);
}

void TShowEasyAberrationsDlg::CmPrint() {
  // A file of its own: the one "As text" shows is the user's while its window is open.
  const std::string path = WriteReportFile(kReportPrintName);
  if (!path.empty()) PrintAberrationReport(this, path);
}

// The report opens in a text window of its own, in "Courier New" 9.
void ShowAberrationReport(TWindow *owner, const std::string &path) {
  auto *editor = new TTextEditor(owner, "Aberrations", nullptr, path.c_str());
  editor->SetFontFrom(TOFont(kFaceCourierNew, 9, 0, true));
  editor->SetTitle("System aberrations");
  editor->Create();
}

// The report prints in "Courier New", tables ruled with '=' drawn as lines; the file is
// removed once printed.
void PrintAberrationReport(TWindow *owner, const std::string &path) {
  PrintReportFile(owner, path, "System aberrations", 4.0);
  std::remove(path.c_str());
}
