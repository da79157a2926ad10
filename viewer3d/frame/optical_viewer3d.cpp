#include "viewer3d/frame/optical_viewer3d.h"

#include <algorithm>
#include <cmath>

#include "foundation/helpers/helpers.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/command_enabler.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/bars/o_control_bar.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/palette/viewer_commands.h"
#include "viewer3d/sections/section_dlg.h"
#include "viewer3d/stereo/stereo_driver.h"
#include "viewer3d/window/optic3dv.h"

namespace {

// The frame's first size exceeds the asked one by this much; it then snaps.
constexpr int kFrameRoom = 100;
constexpr int kSeparatorWidth = 5;
// The shift of one move command: a tenth of the scene's width, in scene units at scale 1.
constexpr double kMoveShare = 0.1;
constexpr COLORREF kHintBackground = 0x3FFFFF;
constexpr COLORREF kHintText = 0x7F7F7F;
// The heights of the control bar and the status bar together (26 and 20 pixels at their
// fonts), with a margin: the room a scene leaves on the screen for them.
constexpr int kBarsHeight = 50;

// The largest scene the screen shows whole in the frame: the screen less the frame's borders
// and caption and the bars.
SIZE SceneRoomOnScreen() {
  const int width = GetSystemMetrics(SM_CXSCREEN) - 2 * GetSystemMetrics(SM_CXFRAME);
  const int height = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYCAPTION) -
                     2 * GetSystemMetrics(SM_CYFRAME) - kBarsHeight;
  return SIZE{std::max(width, kSceneSizeMin), std::max(height, kSceneSizeMin)};
}

std::string &UserSettingsDirectoryValue() {
  static std::string directory;
  return directory;
}

TOptic3DV *MakeSceneWindow(SIZE size) {
  return new TOptic3DV(nullptr, "", 0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy),
                       static_cast<int>(size.cx), static_cast<int>(size.cy), WS_CHILD | WS_VISIBLE);
}

// The bar's buttons in order; 0 is a separator. The shifts' palette (821) and the sections
// (826) have buttons too, next to the turns' palette and the fits: without them nothing
// would reach them.
struct TBarButton {
  int command;
  TButtonGadget::TType type;
  TButtonGadget::TState state;
};
constexpr TBarButton kBar[] = {
    {CM_FAST_DRAFT_QUALITY, TButtonGadget::Exclusive, TButtonGadget::Up},
    {CM_DRAFT_QUALITY, TButtonGadget::Exclusive, TButtonGadget::Down},
    {CM_FINE_QUALITY, TButtonGadget::Exclusive, TButtonGadget::Up},
    {0, TButtonGadget::Command, TButtonGadget::Up},
    {CM_ZOOM_IN, TButtonGadget::Command, TButtonGadget::Up},
    {CM_ZOOM_OUT_VIEW, TButtonGadget::Command, TButtonGadget::Up},
    {CM_ACTUAL_VIEW, TButtonGadget::Command, TButtonGadget::Up},
    {0, TButtonGadget::Command, TButtonGadget::Up},
    {CM_ROTATE_TOOLS, TButtonGadget::Command, TButtonGadget::Up},
    {CM_MOVE_TOOLS, TButtonGadget::Command, TButtonGadget::Up},
    {CM_SHOW_AXES, TButtonGadget::Command, TButtonGadget::Up},
    {0, TButtonGadget::Command, TButtonGadget::Up},
    {CM_SHOW_RAYS, TButtonGadget::Command, TButtonGadget::Down},
    {CM_FIT_ELEMENTS, TButtonGadget::Command, TButtonGadget::Up},
    {CM_FIT_ELEMENTS_AND_RAYS, TButtonGadget::Command, TButtonGadget::Up},
    {CM_SECTIONS, TButtonGadget::Command, TButtonGadget::Up},
    {0, TButtonGadget::Command, TButtonGadget::Up},
    {CM_STEREO, TButtonGadget::Command, TButtonGadget::Up},
    {CM_SWAP_EYES, TButtonGadget::Command, TButtonGadget::Up},
    {0, TButtonGadget::Command, TButtonGadget::Up},
    {CM_CREATE_ANIMATION, TButtonGadget::Command, TButtonGadget::Up},
    {CM_PLAY_ANIMATION, TButtonGadget::Command, TButtonGadget::Up},
};

// The turn or shift of one step command: angles (multiples of the step) or shift.
struct TStep {
  int command;
  double ax, ay, az;
  double dx, dy, dz;
};
constexpr TStep kSteps[] = {
    {CM_ROTATE_X_PLUS, 1, 0, 0, 0, 0, 0},  {CM_ROTATE_X_MINUS, -1, 0, 0, 0, 0, 0},
    {CM_ROTATE_Y_PLUS, 0, 1, 0, 0, 0, 0},  {CM_ROTATE_Y_MINUS, 0, -1, 0, 0, 0, 0},
    {CM_ROTATE_Z_PLUS, 0, 0, 1, 0, 0, 0},  {CM_ROTATE_Z_MINUS, 0, 0, -1, 0, 0, 0},
    {CM_MOVE_X_PLUS, 0, 0, 0, 1, 0, 0},    {CM_MOVE_X_MINUS, 0, 0, 0, -1, 0, 0},
    {CM_MOVE_Y_PLUS, 0, 0, 0, 0, 1, 0},    {CM_MOVE_Y_MINUS, 0, 0, 0, 0, -1, 0},
    {CM_MOVE_Z_PLUS, 0, 0, 0, 0, 0, 1},    {CM_MOVE_Z_MINUS, 0, 0, 0, 0, 0, -1},
};

// Every command of the bar and the palettes, for the enabler that keeps them the viewer's.
bool IsViewerCommand(UINT id) { return id >= CM_FAST_DRAFT_QUALITY && id <= CM_PLAY_ANIMATION; }

const TResponseTableEntry kViewerTable[] = {
    EvMessage<WM_SETFOCUS, &TOpticalViewer3D::EvSetFocus>(),
    EvMessage<WM_CLOSE, &TOpticalViewer3D::EvClose>(),
    EvCommand<&TOpticalViewer3D::CmQuality>(CM_FAST_DRAFT_QUALITY),
    EvCommand<&TOpticalViewer3D::CmQuality>(CM_DRAFT_QUALITY),
    EvCommand<&TOpticalViewer3D::CmQuality>(CM_FINE_QUALITY),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_X_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_X_MINUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_Y_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_Y_MINUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_Z_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_ROTATE_Z_MINUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_X_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_X_MINUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_Y_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_Y_MINUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_Z_PLUS),
    EvCommand<&TOpticalViewer3D::CmStep>(CM_MOVE_Z_MINUS),
    EvCommand<&TOpticalViewer3D::CmZoomIn>(CM_ZOOM_IN),
    EvCommand<&TOpticalViewer3D::CmZoomOut>(CM_ZOOM_OUT_VIEW),
    EvCommand<&TOpticalViewer3D::CmActualView>(CM_ACTUAL_VIEW),
    EvCommand<&TOpticalViewer3D::CmRotateTools>(CM_ROTATE_TOOLS),
    EvCommand<&TOpticalViewer3D::CmMoveTools>(CM_MOVE_TOOLS),
    EvCommand<&TOpticalViewer3D::CmAxes>(CM_SHOW_AXES),
    EvCommand<&TOpticalViewer3D::CmRays>(CM_SHOW_RAYS),
    EvCommand<&TOpticalViewer3D::CmFitElements>(CM_FIT_ELEMENTS),
    EvCommand<&TOpticalViewer3D::CmFitElementsAndRays>(CM_FIT_ELEMENTS_AND_RAYS),
    EvCommand<&TOpticalViewer3D::CmSections>(CM_SECTIONS),
    EvCommand<&TOpticalViewer3D::CmStereo>(CM_STEREO),
    EvCommand<&TOpticalViewer3D::CmSwapEyes>(CM_SWAP_EYES),
    EvCommand<&TOpticalViewer3D::CmCreateAnimation>(CM_CREATE_ANIMATION),
    EvCommand<&TOpticalViewer3D::CmPlayMovie>(CM_PLAY_ANIMATION),
    EvCommand<&TOpticalViewer3D::CmStartAnimation>(CM_VIEWER_ANIMATION + static_cast<int>(TViewerAnimation::kLens)),
    EvCommand<&TOpticalViewer3D::CmStartAnimation>(CM_VIEWER_ANIMATION + static_cast<int>(TViewerAnimation::kBeams)),
    EvCommand<&TOpticalViewer3D::CmStartAnimation>(CM_VIEWER_ANIMATION +
                                                   static_cast<int>(TViewerAnimation::kRotation)),
    EvCommandEnable<&TOpticalViewer3D::CeSwapEyes>(CM_SWAP_EYES),
    EvCommandEnable<&TOpticalViewer3D::CeStereo>(CM_STEREO),
};

const TResponseTableEntry kEditViewerTable[] = {
    EvMessage<WM_DESTROY, &TOpticalViewer3DForEdit2D::EvDestroy>(),
};

}  // namespace

void TOpticalViewer3D::SetUserSettingsDirectory(const std::string &directory) {
  UserSettingsDirectoryValue() = directory;
}

std::string TOpticalViewer3D::SettingsPath() {
  return ViewerSettingsPath(ProgramDir(), UserSettingsDirectoryValue());
}

TOpticalViewer3D::TSceneSetup TOpticalViewer3D::ReadSetup(int sceneWidth, int sceneHeight) {
  TSceneSetup setup;
  int width = sceneWidth, height = sceneHeight;
  setup.fault = ReadSceneSize(SettingsPath(), width, height).fault;
  // A size the screen cannot show whole (one kept from a larger screen) is cut to what it
  // can: the frame then shows the whole scene and stands wholly on the screen.
  const SIZE room = SceneRoomOnScreen();
  setup.size = SIZE{std::min(width, static_cast<int>(room.cx)), std::min(height, static_cast<int>(room.cy))};
  return setup;
}

TOpticalViewer3D::TOpticalViewer3D(TWindow *parentWindow, const char *titleText, int sceneWidth, int sceneHeight,
                                   int left, int top, int w, int h)
    : TOpticalViewer3D(parentWindow, titleText, ReadSetup(sceneWidth, sceneHeight), left, top, w, h) {}

TOpticalViewer3D::TOpticalViewer3D(TWindow *parentWindow, const char *titleText, const TSceneSetup &setup,
                                   int left, int top, int w, int h)
    : TDecoratedFrame(parentWindow, titleText, MakeSceneWindow(setup.size)),
      sceneWindow_(static_cast<TOptic3DV *>(GetClientWindow())),
      sceneWidth_(static_cast<int>(setup.size.cx)),
      sceneHeight_(static_cast<int>(setup.size.cy)),
      lastFault_(setup.fault) {
  RegisterViewerResources();
  Attr.Style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
  Attr.X = left;
  Attr.Y = top;
  Attr.W = w + kFrameRoom;
  Attr.H = h + kFrameRoom;
  scene_ = std::make_unique<TViewerScene>(*sceneWindow_, sceneWidth_, sceneHeight_);
  sceneWindow_->AttachScene(scene_.get());
  movie_ = std::make_unique<TViewerMovie>([this]() -> const TDib * { return sceneWindow_->Renderer(); });
  scene_->SetRecorder(movie_.get());
  scene_->SetStereoGrid([this] { DrawStereoGrid(); });
  BuildControlBar();
  statusBar_ = new TStatusBar(this, TGadget::Recessed);
  Insert(*statusBar_, Bottom);
}

TOpticalViewer3D::~TOpticalViewer3D() {
  scene_->SetRecorder(nullptr);
  movie_->Finish();
  ClosePalettes();
  sceneWindow_->AttachScene(nullptr);
}

bool TOpticalViewer3D::Find(TEventInfo &info) {
  // The viewer answers whether each of its commands is enabled (most always are), so no
  // question about them reaches the window it stands on.
  if (SearchResponseTable(kViewerTable, info)) return true;
  if (info.Msg == WM_COMMAND_ENABLE && IsViewerCommand(info.Id)) {
    static const TResponseTableEntry always = EvCommandEnable<&TOpticalViewer3D::CeViewerCommand>(0);
    info.Entry = &always;
    return true;
  }
  return TDecoratedFrame::Find(info);
}

void TOpticalViewer3D::BuildControlBar() {
  controlBar_ = new TOControlBar(this);
  controlBar_->SetHintIdOffset(0);
  controlBar_->SetHintColors(kHintBackground, kHintText);
  controlBar_->EnableHints(0);
  for (const TBarButton &button : kBar) {
    if (button.command == 0) {
      controlBar_->Insert(*new TSeparatorGadget(kSeparatorWidth));
    } else {
      controlBar_->Insert(*new TButtonGadget(TResId(button.command), button.command, button.type, true, button.state));
    }
  }
  Insert(*controlBar_, Top);
}

TButtonGadget *TOpticalViewer3D::Button(int command) const {
  return controlBar_ != nullptr ? dynamic_cast<TButtonGadget *>(controlBar_->GadgetWithId(command)) : nullptr;
}

void TOpticalViewer3D::SetButtonDown(int command, bool down) {
  if (TButtonGadget *button = Button(command)) button->SetButtonState(down ? TButtonGadget::Down : TButtonGadget::Up);
}

void TOpticalViewer3D::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  sceneWindow_->ShowScene();
  SetViewport(sceneWidth_ * 0.5, sceneHeight_ * 0.5);
  sceneWindow_->SetViewTransform(DANGLE3(), DPOINT3());
  scene_->SetElementPlacement(DANGLE3(), DPOINT3());
  zoomLevel_ = 0;
  stereoOn_ = false;
  scene_->SetStereo(false, stereoRot_, coefStereoTrans_);
  TViewerSettings settings;
  const TSettingsReading read = ReadViewerSettings(SettingsPath(), settings);
  nQuality_ = settings.nQuality;
  rotStep_ = settings.rotStep;
  initialTurn_ = settings.initialTurn;
  scene_->SetQuality(nQuality_);
  baseMoveStep_ = kMoveShare * sceneWidth_;
  scene_->SetProgressive(true, false);
  scene_->SetRaysShown(true);
  TurnView(initialTurn_, DPOINT3());
  // The frame shows the whole scene and its bars, as far as the screen holds it, and stands
  // wholly on the screen.
  SendMessage(WM_SIZE, SIZE_RESTORED, 0);
  FitFrameToScene();
  const std::string sizeFault = lastFault_;
  lastFault_.clear();
  TellSettingsFault(sizeFault);
  TellSettingsFault(read.fault);
}

LRESULT TOpticalViewer3D::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND self = GetHandle();
  const LRESULT result = TDecoratedFrame::WindowProc(msg, wParam, lParam);
  if (msg == WM_SIZE && ::IsWindow(self) && WindowFromHandle(self) == this)
    EvSize(static_cast<UINT>(wParam), SIZE{LOWORD(lParam), HIWORD(lParam)});
  return result;
}

void TOpticalViewer3D::EvSize(UINT sizeType, const SIZE &) {
  if (snapping_ || sizeType == SIZE_MINIMIZED || controlBar_ == nullptr || statusBar_ == nullptr) return;
  if (!controlBar_->IsWindow() || !statusBar_->IsWindow()) return;
  const RECT client = GetClientRect();
  const int barHeight = static_cast<int>(controlBar_->GetWindowRect().Height());
  const int statusHeight = static_cast<int>(statusBar_->GetWindowRect().Height());
  const int excessWidth = std::max(0, static_cast<int>(client.Width()) - sceneWidth_);
  const int excessHeight = std::max(0, static_cast<int>(client.Height()) - sceneHeight_ - barHeight - statusHeight);
  if (excessWidth < 1 && excessHeight < 1) return;
  // Never more than the fixed scene and its bars; less is allowed.
  const RECT outer = GetWindowRect();
  snapping_ = true;
  SetWindowPos(nullptr, 0, 0, outer.Width() - excessWidth, outer.Height() - excessHeight,
               SWP_NOMOVE | SWP_NOZORDER);
  snapping_ = false;
}

void TOpticalViewer3D::FitFrameToScene() {
  if (controlBar_ == nullptr || statusBar_ == nullptr || !controlBar_->IsWindow() || !statusBar_->IsWindow()) return;
  const RECT outer = GetWindowRect();
  const RECT client = GetClientRect();
  const int bars = static_cast<int>(controlBar_->GetWindowRect().Height() + statusBar_->GetWindowRect().Height());
  const int frameWidth = std::min(static_cast<int>(outer.Width() - client.Width()) + sceneWidth_,
                                  GetSystemMetrics(SM_CXSCREEN));
  const int frameHeight = std::min(static_cast<int>(outer.Height() - client.Height()) + sceneHeight_ + bars,
                                   GetSystemMetrics(SM_CYSCREEN));
  if (frameWidth != outer.Width() || frameHeight != outer.Height()) {
    snapping_ = true;
    SetWindowPos(nullptr, 0, 0, frameWidth, frameHeight, SWP_NOMOVE | SWP_NOZORDER);
    snapping_ = false;
  }
  const RECT sized = GetWindowRect();
  const POINT placed = PlaceOnScreen(sized);
  if (placed.x != sized.left || placed.y != sized.top)
    SetWindowPos(nullptr, placed.x, placed.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void TOpticalViewer3D::EvSetFocus(HWND) {
  DefaultProcessing();
  sceneWindow_->OnPaletteChanged(0);
}

void TOpticalViewer3D::TellSettingsFault(const std::string &fault) {
  if (fault.empty()) return;
  MessageBox(GetHandle(), fault.c_str(), "3-D viewer settings", MB_OK | MB_ICONEXCLAMATION);
}

void TOpticalViewer3D::SetScale(double scale) { scene_->SetScale(scale); }

double TOpticalViewer3D::Scale() const { return scene_->Scale(); }

void TOpticalViewer3D::SetViewport(double centreX, double centreY) { scene_->SetViewport(centreX, centreY); }

void TOpticalViewer3D::TurnView(const DANGLE3 &angles, const DPOINT3 &shift) { scene_->TurnView(angles, shift); }

void TOpticalViewer3D::SetElementPlacement(const DANGLE3 &angles, const DPOINT3 &position) {
  scene_->SetElementPlacement(angles, position);
}

void TOpticalViewer3D::CentreScene() {
  const TSceneRect rect = scene_->ElementExtents();
  if (rect.Empty()) return;
  const double s = Scale();
  SetViewport((sceneWidth_ - (rect.xmin + rect.xmax) * s) * 0.5, (sceneHeight_ - (rect.ymin + rect.ymax) * s) * 0.5);
}

void TOpticalViewer3D::Repaint() {
  scene_->ClearScene();
  scene_->PaintObjects(scene_->ObjectsProgressive());
  scene_->PaintRays(scene_->RaysProgressive());
}

void TOpticalViewer3D::CmQuality(WPARAM id, LPARAM) {
  const int command = static_cast<int>(LOWORD(id));
  const int quality = command == CM_FAST_DRAFT_QUALITY ? nQuality_ / 2
                      : command == CM_FINE_QUALITY     ? 2 * nQuality_
                                                       : nQuality_;
  scene_->SetQuality(quality);
  for (int c : {CM_FAST_DRAFT_QUALITY, CM_DRAFT_QUALITY, CM_FINE_QUALITY}) SetButtonDown(c, c == command);
  Repaint();
}

void TOpticalViewer3D::CmStep(WPARAM id, LPARAM) {
  const int command = static_cast<int>(LOWORD(id));
  for (const TStep &step : kSteps) {
    if (step.command != command) continue;
    const double move = MoveStep();
    SetWaitCursor();
    TurnView(DANGLE3(step.ax * rotStep_, step.ay * rotStep_, step.az * rotStep_),
             DPOINT3(step.dx * move, step.dy * move, step.dz * move));
    Repaint();
    SetArrowCursor();
    return;
  }
}

double TOpticalViewer3D::MoveStep() const { return baseMoveStep_ / Scale(); }

void TOpticalViewer3D::ZoomAboutCentre(double factor) {
  scene_->ScaleAbout(factor, sceneWidth_ * 0.5, sceneHeight_ * 0.5);
}

void TOpticalViewer3D::CmZoomIn() {
  if (!(Scale() * 2.0 <= kMaxViewScale)) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  ZoomAboutCentre(2.0);
  ++zoomLevel_;
  Repaint();
}

void TOpticalViewer3D::CmZoomOut() {
  if (!(Scale() * 0.5 >= kMinViewScale)) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  ZoomAboutCentre(0.5);
  --zoomLevel_;
  Repaint();
}

void TOpticalViewer3D::CmActualView() {
  ZoomAboutCentre(std::clamp(std::ldexp(Scale(), -zoomLevel_), kMinViewScale, kMaxViewScale) / Scale());
  zoomLevel_ = 0;
  Repaint();
}

void TOpticalViewer3D::CmAxes() {
  const bool shown = !sceneWindow_->ShowAxes();
  sceneWindow_->SetShowAxes(shown);
  SetButtonDown(CM_SHOW_AXES, shown);
  sceneWindow_->Invalidate(true);
}

void TOpticalViewer3D::CmRays() {
  if (scene_->RaysShown()) {
    scene_->SetRaysShown(false);
    SetButtonDown(CM_SHOW_RAYS, false);
    scene_->ClearScene();
    scene_->PaintObjects(scene_->ObjectsProgressive());
  } else {
    scene_->SetRaysShown(true);
    SetButtonDown(CM_SHOW_RAYS, true);
    scene_->PaintRays(scene_->RaysProgressive());
  }
}

void TOpticalViewer3D::CmFitElements() {
  Redraw(true);
  zoomLevel_ = 0;
}

void TOpticalViewer3D::CmFitElementsAndRays() {
  Redraw(false);
  zoomLevel_ = 0;
}

void TOpticalViewer3D::CmSections() {
  TSectionDlg(this, "SectionDlg", scene_->ElementList(), *scene_).Execute();
}

void TOpticalViewer3D::CeStereo(TCommandEnabler &enabler) { enabler.Enable(true); }

void TOpticalViewer3D::CeViewerCommand(TCommandEnabler &enabler) { enabler.Enable(true); }

void TOpticalViewer3D::CeSwapEyes(TCommandEnabler &enabler) { enabler.Enable(driverPresent_ == 1 && stereoOn_); }

void TOpticalViewer3D::EvClose() {
  ClosePalettes();
  scene_->ClearObjects();
  scene_->ClearRays();
  // The glasses are switched off by the viewer that may have switched them on.
  if (driverPresent_ == 1) RunStereoDriver(ProgramDir(), TempDir(), "Off", nullptr);
  // The movie being recorded is finished with the viewer.
  movie_->Finish();
  DefaultProcessing();
}

bool TOpticalViewer3DForEdit2D::Find(TEventInfo &info) {
  return SearchResponseTable(kEditViewerTable, info) || TOpticalViewer3D::Find(info);
}

void TOpticalViewer3DForEdit2D::EvDestroy() {
  DefaultProcessing();
  TWindow *owner = GetParentO();
  if (owner != nullptr && owner->IsWindow())
    owner->SendMessage(WM_COMMAND, CM_VIEWER3D_DESTROYED, reinterpret_cast<LPARAM>(this));
}
