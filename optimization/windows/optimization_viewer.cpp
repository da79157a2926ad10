#include "optimization/windows/optimization_viewer.h"

#include <algorithm>

#include "platform/gui/controls/button.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/application.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/pump/o_gauge.h"

namespace {

TOptimizationViewer *gExisting = nullptr;

// The window's layout is given in dialog units of an 8-point font: 4 units across and 8
// down are one average character of 6 by 13 pixels.
int Across(int units) { return (units * 6 + 2) / 4; }
int Down(int units) { return (units * 13 + 4) / 8; }

// Wide enough for the fields' widest texts: numbers of nine characters with a sign and an
// exponent, "( ... )" around the unweighted merits, and the longest stage.
constexpr int kWidthUnits = 120;
constexpr int kHeightUnits = 171;

struct TFieldPlace {
  int id;
  const char *text;
  int x, y, w, h;
  bool centred;
};

// Labels (-1) and the fields the optimizer writes.
const TFieldPlace kPlaces[] = {
    {-1, "Iteration :", 30, 3, 38, 8, false},
    {kViewerIteration, "", 70, 3, 30, 8, false},
    {-1, "Current MF :", 35, 19, 50, 8, true},
    {kViewerCurrentMerit, "", 2, 30, 50, 8, true},
    {kViewerCurrentUnweighted, "", 54, 30, 64, 8, true},
    {-1, "Previous MF :", 35, 43, 50, 8, true},
    {kViewerPreviousMerit, "", 2, 55, 50, 8, true},
    {kViewerPreviousUnweighted, "", 54, 55, 64, 8, true},
    {-1, "Speed:", 4, 68, 24, 8, false},
    {kViewerSpeed, "", 28, 68, 48, 8, true},
    {-1, "Time:", 79, 68, 18, 8, false},
    {kViewerTime, "", 98, 68, 20, 8, false},
    {kViewerStage, "", 2, 89, 116, 12, true},
    {-1, "Param.:", 3, 104, 29, 8, false},
    {kViewerParameter, "", 36, 104, 82, 8, true},
    {113, "Funct.:", 3, 117, 27, 8, false},
    {kViewerFunction, "", 36, 118, 82, 8, true},
};

// The shaded lines between the groups: y and x of each, across the whole window.
const int kLines[][2] = {{14, 0}, {83, -1}, {144, -1}};
constexpr int kLineUnits = kWidthUnits + 2;

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
    : TWindow(owner, "Optimization"), lender(new TQueueLender) {
  gExisting = this;
  Attr.Style = WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX;
  Attr.X = left;
  Attr.Y = top;
  Attr.W = Across(kWidthUnits);
  Attr.H = Down(kHeightUnits);
  SetBkgndColor(GetSysColor(COLOR_BTNFACE));
  for (const TFieldPlace &place : kPlaces) {
    auto *field = new TStatic(this, place.id, place.text, Across(place.x), Down(place.y), Across(place.w),
                              Down(place.h));
    if (place.centred) field->Attr.Style |= SS_CENTER;
    if (place.id != -1) fields[place.id] = field;
  }
  for (const auto &line : kLines) {
    auto *shade = new TStatic(this, -1, "", Across(line[1]), Down(line[0]), Across(kLineUnits), 2);
    shade->Attr.Style |= SS_GRAYRECT;
  }
  gauge = new TOGauge(this, "%d %%", kViewerGauge, Across(4), Down(131), Across(kWidthUnits - 8), Down(10));
  stopButton = new TButton(this, kViewerStopButton, "Stop", Across(2), Down(152), Across(37), Down(14));
  undoButton = new TButton(this, kViewerUndoButton, "UnDo", Across(41), Down(152), Across(38), Down(14));
  okButton = new TButton(this, kViewerOkButton, "Ok", Across(81), Down(152), Across(37), Down(14));
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
  const POINT place = PlaceNear(mainRect, size, screen);
  MoveWindow(place.x, place.y, size.cx, size.cy, true);
}

void TOptimizationViewer::SetupWindow() {
  TWindow::SetupWindow();
  if (placeNearMain) PlaceBesideMainWindow();
  gauge->SetRange(TOptimizationViewerState::kGaugeMinimum, TOptimizationViewerState::kGaugeMaximum);
  gauge->SetColor(GetSysColor(COLOR_HIGHLIGHT));
  SetCurrentOptimizationViewer(&state);
  // Between runs Ok and UnDo wait for the first run's end.
  okButton->EnableWindow(!state.Running());
  undoButton->EnableWindow(!state.Running());
  stopButton->EnableWindow(state.Running());
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

void TOptimizationViewer::CmUndo() { state.Undo(); }

void TOptimizationViewer::EvKeyDown(UINT key, UINT, UINT) {
  // Escape closes the window as Ok does: a run in progress is stopped first.
  if (key == VK_ESCAPE) Close();
}

void TOptimizationViewer::EvClose() { Close(); }

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
    EvMessage<WM_KEYDOWN, &TOptimizationViewer::EvKeyDown>(),
    EvMessage<&TOptimizationViewer::EvClose>(WM_CLOSE),
};

}  // namespace

bool TOptimizationViewer::Find(TEventInfo &info) {
  return SearchResponseTable(kViewerTable, info) || TWindow::Find(info);
}
