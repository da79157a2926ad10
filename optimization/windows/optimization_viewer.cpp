#include "optimization/windows/optimization_viewer.h"

#include <algorithm>

#include "platform/gui/controls/button.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/application.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

TOptimizationViewer *gExisting = nullptr;

// Wide enough for the fields' widest texts: numbers of nine characters with a sign and an
// exponent, "( ... )" around the unweighted merits, an hour's "Time", and the longest stage.
const TDialogTemplate kOptimizationViewerDlg{
    "OptimizationViewer", WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX, 0, 0, 120, 182, "Optimization",
    {
        {"STATIC", "Iteration :", -1, SS_LEFT, 30, 3, 38, 8},
        {"STATIC", "", kViewerIteration, SS_LEFT, 70, 3, 30, 8},
        {"STATIC", "", -1, SS_GRAYRECT, 0, 14, 122, 2},
        {"STATIC", "Current MF :", -1, SS_CENTER, 35, 19, 50, 8},
        {"STATIC", "", kViewerCurrentMerit, SS_CENTER, 2, 30, 50, 8},
        {"STATIC", "", kViewerCurrentUnweighted, SS_CENTER, 54, 30, 64, 8},
        {"STATIC", "Previous MF :", -1, SS_CENTER, 35, 43, 50, 8},
        {"STATIC", "", kViewerPreviousMerit, SS_CENTER, 2, 55, 50, 8},
        {"STATIC", "", kViewerPreviousUnweighted, SS_CENTER, 54, 55, 64, 8},
        {"STATIC", "Speed:", -1, SS_LEFT, 4, 68, 24, 8},
        {"STATIC", "", kViewerSpeed, SS_CENTER, 28, 68, 48, 8},
        {"STATIC", "Time:", -1, SS_LEFT, 79, 68, 18, 8},
        {"STATIC", "", kViewerTime, SS_LEFT, 98, 68, 20, 8},
        {"STATIC", "Stopped rays:", -1, SS_LEFT, 4, 79, 50, 8},
        {"STATIC", "", kViewerStoppedRays, SS_CENTER, 56, 79, 62, 8},
        {"STATIC", "", -1, SS_GRAYRECT, -1, 94, 122, 2},
        {"STATIC", "", kViewerStage, SS_CENTER, 2, 100, 116, 12},
        {"STATIC", "Param.:", -1, SS_LEFT, 3, 115, 29, 8},
        {"STATIC", "", kViewerParameter, SS_CENTER, 36, 115, 82, 8},
        {"STATIC", "Funct.:", 113, SS_LEFT, 3, 128, 27, 8},
        {"STATIC", "", kViewerFunction, SS_CENTER, 36, 129, 82, 8},
        {"STATIC", "", kViewerGauge, SS_LEFT, 4, 142, 112, 10},
        {"STATIC", "", -1, SS_GRAYRECT, -1, 155, 122, 2},
        {"BUTTON", "Stop", kViewerStopButton, BS_PUSHBUTTON | WS_TABSTOP, 2, 163, 37, 14},
        {"BUTTON", "UnDo", kViewerUndoButton, BS_PUSHBUTTON | WS_TABSTOP, 41, 163, 38, 14},
        {"BUTTON", "Ok", kViewerOkButton, BS_PUSHBUTTON | WS_TABSTOP, 81, 163, 37, 14},
    }};
const TDialogRegistration kOptimizationViewerRegistration(kOptimizationViewerDlg);

// The fields the optimizer writes.
constexpr int kFieldIds[] = {kViewerIteration, kViewerCurrentMerit, kViewerCurrentUnweighted, kViewerPreviousMerit,
                             kViewerPreviousUnweighted, kViewerSpeed, kViewerTime, kViewerStoppedRays, kViewerStage,
                             kViewerParameter, kViewerFunction};

// The gauge's LED segments: one every 4 per cent, 80 % of the pitch lit.
constexpr int kLedSpacing = 4;
constexpr int kLedThickness = 80;

// The window the progress window keeps clear of: the program's main window, else the
// outermost window above the owner; null when there is neither.
TWindow *MainWindowOf(TWindow *owner) {
  if (TApplication *application = TApplication::Current()) {
    TWindow *main = application->GetMainWindow();
    if (main != nullptr && main->IsWindow()) return main;
  }
  TWindow *outer = owner;
  while (outer != nullptr && outer->GetParentO() != nullptr) outer = outer->GetParentO();
  return outer != nullptr && outer->IsWindow() ? outer : nullptr;
}

}  // namespace

// The run's queue as the window's state sees it.
class TOptimizationViewer::TQueueLender final : public TRunQueue {
 public:
  void Leave() override {
    if (queue != nullptr) queue->Leave();
  }
  TMessageQueue *queue = nullptr;
};

TOptimizationViewer *TOptimizationViewer::Existing() { return gExisting; }

TOptimizationViewer::TOptimizationViewer(TWindow *owner) : TOptimizationViewer(owner, 0, 0) {
  placeNearMain = true;
}

TOptimizationViewer::TOptimizationViewer(TWindow *owner, int left, int top)
    : TColorDlg(owner, "OptimizationViewer"), place{left, top}, lender(new TQueueLender) {
  gExisting = this;
  for (const int id : kFieldIds) fields[id] = new TStatic(this, id);
  gauge = new TOGauge(this, kViewerGauge);
  stopButton = new TButton(this, kViewerStopButton);
  undoButton = new TButton(this, kViewerUndoButton);
  okButton = new TButton(this, kViewerOkButton);
  state.changed = [this](int id) { Show(id); };
  state.undo = [this] {
    if (undo) undo();
  };
}

TOptimizationViewer::~TOptimizationViewer() {
  if (gExisting == this) gExisting = nullptr;
  delete lender;
}

POINT TOptimizationViewer::PlaceNear(const RECT &mainWindow, SIZE window, SIZE screen) {
  // Right of the main window when the screen has room there, else over its lower right
  // corner: the menu bar and most of the canvas stay in sight either way.
  POINT place{mainWindow.right - window.cx, mainWindow.bottom - window.cy};
  if (mainWindow.right + window.cx <= screen.cx) place.x = mainWindow.right;
  place.x = std::clamp<LONG>(place.x, 0, std::max<LONG>(0, screen.cx - window.cx));
  place.y = std::clamp<LONG>(place.y, 0, std::max<LONG>(0, screen.cy - window.cy));
  return place;
}

void TOptimizationViewer::PlaceBesideMainWindow() {
  const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const TWindow *main = MainWindowOf(GetParentO());
  // Without a main window the screen stands for it: its lower right corner.
  const RECT mainRect = main != nullptr ? main->GetWindowRect() : RECT{0, 0, screen.cx, screen.cy};
  const RECT frame = GetWindowRect();
  const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  const POINT near = PlaceNear(mainRect, size, screen);
  MoveWindow(near.x, near.y, size.cx, size.cy, true);
}

void TOptimizationViewer::ShowPlaced() {
  ShowWindow(SW_SHOW);
  // Placed once shown: the desktop's frame, added around the dialog's client, is known then,
  // so the whole window is measured.
  if (placeNearMain) {
    PlaceBesideMainWindow();
  } else {
    const RECT frame = GetWindowRect();
    MoveWindow(place.x, place.y, frame.right - frame.left, frame.bottom - frame.top, true);
  }
}

void TOptimizationViewer::SetupWindow() {
  TColorDlg::SetupWindow();
  gauge->MoveOverControl();
  gauge->SetRange(TOptimizationViewerState::kGaugeMinimum, TOptimizationViewerState::kGaugeMaximum);
  gauge->SetColor(GetSysColor(COLOR_HIGHLIGHT));
  gauge->SetLed(kLedSpacing, kLedThickness);
  SetCurrentOptimizationViewer(&state);
  // Between runs Ok and UnDo wait for the first run's end.
  okButton->EnableWindow(!state.Running());
  undoButton->EnableWindow(!state.Running());
  stopButton->EnableWindow(state.Running());
  // Every child in the stock GUI face.
  SetFontToChildren(GetHandle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

void TOptimizationViewer::Show(int id) {
  if (!IsWindow()) return;
  if (id == kViewerGauge) {
    gauge->SetPosition(state.Gauge());
    gauge->UpdateWindow();
    return;
  }
  if (id == kViewerStopButton) {
    okButton->EnableWindow(state.OkEnabled());
    undoButton->EnableWindow(state.UndoEnabled());
    stopButton->EnableWindow(state.StopEnabled());
    return;
  }
  const auto found = fields.find(id);
  if (found == fields.end()) return;
  found->second->SetText(state.Field(id).c_str());
  found->second->UpdateWindow();
}

void TOptimizationViewer::BeginRun(TMessageQueue *queue) {
  lender->queue = queue;
  state.AttachRun(queue != nullptr ? lender : nullptr);
}

void TOptimizationViewer::EndRun() {
  state.EndRun();
  lender->queue = nullptr;
}

void TOptimizationViewer::Close() {
  state.Ok();
  lender->queue = nullptr;
  DestroyAndDelete();
}

void TOptimizationViewer::CmOk() { Close(); }

void TOptimizationViewer::CmCancel() {
  if (state.Running())
    CmStop();
  else
    Close();
}

void TOptimizationViewer::CmUndo() { state.Undo(); }

std::string TOptimizationViewer::FieldText(int id) {
  const auto found = fields.find(id);
  return found != fields.end() ? found->second->GetWindowText() : std::string();
}

int TOptimizationViewer::GaugeValue() const { return gauge->GetValue(); }

namespace {

const TResponseTableEntry kViewerTable[] = {
    EvCommand<&TOptimizationViewer::CmOk>(kViewerOkButton),
    EvCommand<&TOptimizationViewer::CmUndo>(kViewerUndoButton),
    EvCommand<&TOptimizationViewer::CmStop>(kViewerStopButton),
    EvCommand<&TOptimizationViewer::CmCancel>(IDCANCEL),
};

}  // namespace

bool TOptimizationViewer::Find(TEventInfo &info) {
  return SearchResponseTable(kViewerTable, info) || TColorDlg::Find(info);
}
