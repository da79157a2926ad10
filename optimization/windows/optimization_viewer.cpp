#include "optimization/windows/optimization_viewer.h"

#include "platform/gui/controls/button.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/sys_colors.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/pump/o_gauge.h"

namespace {

TOptimizationViewer *gExisting = nullptr;

// The window's layout is given in dialog units of an 8-point font: 4 units across and 8
// down are one average character of 6 by 13 pixels.
int Across(int units) { return (units * 6 + 2) / 4; }
int Down(int units) { return (units * 13 + 4) / 8; }

constexpr int kWidthUnits = 83;
constexpr int kHeightUnits = 171;

struct TFieldPlace {
  int id;
  const char *text;
  int x, y, w, h;
  bool centred;
};

// Labels (-1) and the fields the optimizer writes.
const TFieldPlace kPlaces[] = {
    {-1, "Iteration :", 14, 3, 34, 8, false},
    {kViewerIteration, "", 51, 3, 18, 8, false},
    {-1, "Current MF :", 20, 19, 43, 8, true},
    {kViewerCurrentMerit, "", 2, 30, 36, 8, true},
    {kViewerCurrentUnweighted, "", 40, 30, 41, 8, true},
    {-1, "Previous MF :", 18, 43, 46, 8, true},
    {kViewerPreviousMerit, "", 2, 55, 36, 8, true},
    {kViewerPreviousUnweighted, "", 40, 55, 41, 8, true},
    {-1, "Speed:", 4, 68, 23, 8, false},
    {kViewerSpeed, "", 27, 68, 16, 8, true},
    {-1, "Time:", 46, 68, 17, 8, false},
    {kViewerTime, "", 64, 68, 17, 8, false},
    {kViewerStage, "", 2, 89, 78, 12, true},
    {-1, "Param.:", 3, 104, 29, 8, false},
    {kViewerParameter, "", 36, 104, 44, 8, true},
    {113, "Funct.:", 3, 117, 27, 8, false},
    {kViewerFunction, "", 36, 118, 44, 8, true},
};

// The shaded lines between the groups: y and x of each, 85 units long.
const int kLines[][2] = {{14, 0}, {83, -1}, {144, -1}};

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
    auto *shade = new TStatic(this, -1, "", Across(line[1]), Down(line[0]), Across(85), 2);
    shade->Attr.Style |= SS_GRAYRECT;
  }
  gauge = new TOGauge(this, "%d %%", kViewerGauge, Across(4), Down(131), Across(75), Down(10));
  stopButton = new TButton(this, kViewerStopButton, "Stop", Across(2), Down(152), Across(23), Down(14));
  undoButton = new TButton(this, kViewerUndoButton, "UnDo", Across(26), Down(152), Across(27), Down(14));
  okButton = new TButton(this, kViewerOkButton, "Ok", Across(54), Down(152), Across(27), Down(14));
  state.changed = [this](int id) { Show(id); };
  state.undo = [this] {
    if (undo) undo();
  };
}

TOptimizationViewer::~TOptimizationViewer() {
  if (gExisting == this) gExisting = nullptr;
  delete lender;
}

void TOptimizationViewer::SetupWindow() {
  TWindow::SetupWindow();
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
