#include "analysis/psf/test_psf.h"

#include <cstdio>

#include "foundation/helpers/helpers.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/optical_system.h"
#include "optics/model/model_globals.h"
#include "optics/psf/psf_progress.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/folders/book_mark_folder.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/pump/o_gauge.h"

namespace {

TOGauge *gSharedGauge = nullptr;

constexpr COLORREF kGaugeColor = 128;
constexpr int kComboTextSize = 50;

const TDialogTemplate kTestPsfTemplate{
    "TestPSF", WS_CHILD | WS_CAPTION, 0, 0, 220, 144, "PSF",
    {
        {"BUTTON", " Beam coordinate ", 0, BS_GROUPBOX, 6, 18, 208, 50},
        {"STATIC", "From project:", 0, SS_LEFT, 12, 30, 50, 9},
        {"COMBOBOX", "", kPsfFieldCombo, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 66, 28, 80, 60},
        {"STATIC", "Custom:", 0, SS_LEFT, 12, 48, 40, 9},
        {"STATIC", "Y", 0, SS_LEFT, 56, 48, 8, 9},
        {"EDIT", "", kPsfYEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 66, 46, 50, 12},
        {"STATIC", "X", 0, SS_LEFT, 122, 48, 8, 9},
        {"EDIT", "", kPsfXEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 132, 46, 50, 12},
        // The settings line's three lines, each shown whole.
        {"BUTTON", " PSF settings ", 0, BS_GROUPBOX, 6, 72, 208, 46},
        {"STATIC", "", kPsfSettingsText, SS_LEFT, 12, 84, 196, 30},
        {"BUTTON", "Color map", kPsfColorMapButton, BS_PUSHBUTTON | WS_TABSTOP, 60, 124, 50, 14},
        {"BUTTON", "3D Plot", kPsf3DPlotButton, BS_PUSHBUTTON | WS_TABSTOP, 116, 124, 50, 14},
    }};
const TDialogRegistration kTestPsfRegistration(kTestPsfTemplate);

const TResponseTableEntry kTestPsfTable[] = {
    EvMessage<WM_DESTROY, &TTestPSF::EvDestroy>(),
    EvCommand<&TTestPSF::CmColorMap>(kPsfColorMapButton),
    EvCommand<&TTestPSF::Cm3DPlot>(kPsf3DPlotButton),
    EvChildNotify<&TTestPSF::EvFieldSelected>(kPsfFieldCombo, CBN_SELCHANGE),
};

bool GaugeBusy() {
  return gSharedGauge != nullptr && gSharedGauge->Queue().BusyCount() > 0;
}

// The passes a PSF costs: every diffraction order -b..b of a holographic surface.
int PassesPerPsf(const TOpticalSystem &system) {
  for (int i = 0; i < system.SurfaceCount(); ++i)
    if (system.Surface(i) != nullptr && system.Surface(i)->hoe != nullptr)
      return 2 * std::max(system.info.hoeOrderCount, 0) + 1;
  return 1;
}

// Whether a raster of this cell holds the diffraction image of the point (fieldA, fieldB):
// the cell is not coarser than the point's diffraction interval 0.5 lambda / NA, so that
// the whole pupil lies on the grid. The point's own aperture decides, not the widest spot
// of the system's field list: an aberrated edge of the field must not take diffraction
// from the PSF of a point on the axis.
bool ResolvesDiffraction(TOpticalSystem &system, double fieldA, double fieldB, double cell) {
  MarkModelChanged();
  const bool solved = system.UpdatePupils(fieldA, fieldB) >= 1;
  const double interval = solved ? system.DiffractionInterval(fieldA, fieldB) : 0.0;
  // The PSF run solves its own pupils again.
  MarkModelChanged();
  return interval > 0.0 && cell <= interval;
}

int PlannedPsfCount(const TOpticalSystem &system) {
  const Mem<TSpectralInfo> &s = system.info.Spectrum;
  const int count = s.Cells();
  return system.info.MonochromeSystem || count == 0 ? 1 : count;
}

// One run's hold on the gauge and the progress window: entered and stretched when made,
// left and given back its size on every way out. The window's lower edge goes down to the
// top of its marker control, which uncovers the gauge and the progress text.
class TProgressScope {
 public:
  TProgressScope(TOGauge *gauge, TWindow *window, double range) : gauge_(gauge), window_(window) {
    Stretch();
    if (gauge_ != nullptr) {
      gauge_->SetRange(0.0, range);
      gauge_->SetColor(kGaugeColor);
      gauge_->Enter();
      gauge_->SetPosition(0.0);
      gauge_->Pump();
    }
  }
  ~TProgressScope() {
    if (gauge_ != nullptr) gauge_->Leave();
    // An outer computation (the synthesis folder's) keeps the window as it needs it.
    if (stretched_ && !GaugeBusy() && window_->GetHandle() != nullptr)
      window_->SetWindowPos(nullptr, 0, 0, saved_.right - saved_.left, saved_.bottom - saved_.top,
                            SWP_NOMOVE | SWP_NOZORDER);
  }
  TProgressScope(const TProgressScope &) = delete;
  TProgressScope &operator=(const TProgressScope &) = delete;

 private:
  // Down to the marker, so that the gauge shows before the first pump.
  void Stretch() {
    if (window_ == nullptr || window_->GetHandle() == nullptr) return;
    saved_ = window_->GetWindowRect();
    TWindow *marker = window_->ChildWithId(kPsfProgressMarker);
    if (marker == nullptr || marker->GetHandle() == nullptr) return;
    const RECT edge = marker->GetWindowRect();
    if (edge.top <= saved_.bottom) return;
    stretched_ = true;
    window_->SetWindowPos(nullptr, 0, 0, saved_.right - saved_.left, edge.top - saved_.top,
                          SWP_NOMOVE | SWP_NOZORDER);
  }

  TOGauge *gauge_;
  TWindow *window_;
  RECT saved_{};
  bool stretched_ = false;
};

}  // namespace

TOGauge *SharedPsfGauge() { return gSharedGauge; }

void SetSharedPsfGauge(TOGauge *gauge) {
  gSharedGauge = gauge;
  SetPsfGauge(gauge);
}

std::string FieldPointText(double y, double x) {
  char text[64];
  if (x != 0.0)
    std::snprintf(text, sizeof text, "Y=%g, X=%g", y, x);
  else
    std::snprintf(text, sizeof text, "Y=%g", y);
  return text;
}

std::string PsfObjectTitle(double y, double x) { return "PSF (" + FieldPointText(y, x) + ")"; }

TTestPSF::TTestPSF(TWindow *folder, TOpticalSystem *system, TPsfSynthesisOwner *synthesis,
                   const char *resource)
    : TBookMarkDlg(folder, resource), TTestObject(nullptr), system_(system), synthesis_(synthesis) {
  name = "PSF";
  edits_ = new TMultiEdit(this, 5);
  edits_->AddEdit(kPsfYEdit, &Y, 'd', "%g");
  edits_->AddEdit(kPsfXEdit, &X, 'd', "%g");
}

TTestPSF::~TTestPSF() {
  delete edits_;
  edits_ = nullptr;
}

bool TTestPSF::Find(TEventInfo &info) {
  return SearchResponseTable(kTestPsfTable, info) || TBookMarkDlg::Find(info);
}

void TTestPSF::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  owner = GetHandle();
  edits_->WriteAll();
  ShowParameters();
  TakeFieldFromCombo();
}

int TTestPSF::EnterPage() {
  ShowParameters();
  return 1;
}

int TTestPSF::LeavePage() {
  ReadParameters();
  return 1;
}

double TTestPSF::FieldScale() const {
  return system_ != nullptr && system_->info.Unit == 1 ? 60.0 : 1.0;
}

int TTestPSF::CalculationState() const { return stopped_ ? -1 : run_.state; }

void TTestPSF::Invalidate() {
  stopped_ = false;
  run_.Invalidate();
  state = kNothingComputed;
}

void TTestPSF::Stop() {
  stopped_ = true;
  run_.Invalidate();
  state = kNothingComputed;
}

int TTestPSF::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const double formerY = Y, formerX = X;
  edits_->ReadAll();
  if (Y != formerY || X != formerX) {
    Invalidate();
    if (synthesis_ != nullptr) synthesis_->PsfPointChanged();
  }
  return 1;
}

void TTestPSF::FillFieldCombo() {
  auto *combo = dynamic_cast<TComboBox *>(ChildWithId(kPsfFieldCombo));
  if (combo == nullptr || combo->GetHandle() == nullptr || system_ == nullptr) return;
  int selected = combo->GetSelIndex();
  if (selected < 0) selected = 0;
  combo->ClearList();
  const Mem<double> &fields = system_->info.AlfaM;
  const int count = fields.Cells();
  for (int i = 0; i < count; ++i) {
    char text[kComboTextSize];
    std::snprintf(text, sizeof text, "%g, %g", fields.data[i] * FieldScale(), 0.0);
    combo->AddString(text);
  }
  if (selected < count) combo->SetSelIndex(selected);
}

int TTestPSF::ShowParameters() {
  if (GetHandle() == nullptr) return 1;
  FillFieldCombo();
  edits_->WriteAll();
  return 1;
}

void TTestPSF::TakeFieldFromCombo() {
  auto *combo = dynamic_cast<TComboBox *>(ChildWithId(kPsfFieldCombo));
  if (combo == nullptr || combo->GetHandle() == nullptr) return;
  const int index = combo->GetSelIndex();
  if (index < 0) return;
  const std::string text = combo->GetString(index);
  double fieldY = 0.0, fieldX = 0.0;
  if (std::sscanf(text.c_str(), "%lg, %lg", &fieldY, &fieldX) != 2) return;
  Y = fieldY;
  X = fieldX;
  edits_->WriteAll();
  Invalidate();
  if (synthesis_ != nullptr) synthesis_->PsfPointChanged();
}

void TTestPSF::EvFieldSelected() { TakeFieldFromCombo(); }

void TTestPSF::EvDestroy() {
  // A window going while its run pumps is stopped first; the run itself ends in its
  // handler, which this page outlives (its folder defers deleting it).
  if (GaugeBusy() && Computing()) {
    Stop();
    gSharedGauge->Leave(1);
  }
  DefaultProcessing();
}

TWindow *TTestPSF::ProgressWindow() {
  if (synthesis_ != nullptr) return synthesis_->ProgressWindow();
  return GetParentO();
}

void TTestPSF::ShowGraph() {
  if (GaugeBusy()) {
    MessageBeep(MB_OK);
    return;
  }
  TTestObject::ShowGraph();
}

int TTestPSF::ComputePSF() {
  ReadParameters();
  if (run_.state == TPsfRun::kComputed && !stopped_) return 1;
  if (system_ == nullptr) return 0;
  TTestImage *shared = GetTestImage();
  const int nx = shared != nullptr ? shared->pixelCount : system_->info.Nd;
  bool ideal = false;
  if (synthesis_ != nullptr) {
    ideal = synthesis_->IdealPointWanted();
    if (!ideal && shared != nullptr) {
      system_->info.Discrete = shared->pixelSize;
      system_->info.Difrac =
          shared->savedDifrac != 0 && ResolvesDiffraction(*system_, Y / FieldScale(), X / FieldScale(),
                                                          shared->pixelSize)
              ? 1
              : 0;
      // One line each for the grid, diffraction and the holographic orders: at tab stops
      // the parts would wrap wherever the numbers' widths put them.
      char line[192];
      std::snprintf(line, sizeof line,
                    "Pixel number: %d, Discrete: %g %s\nDiffraction on elements: %s\nBounds of "
                    "diffraction order in HOE's: %d",
                    nx, shared->pixelSize, system_->info.ImageFinite == 0 ? "mrad" : "mm",
                    system_->info.Difrac ? "Yes" : " No",
                    system_->info.hoeOrderCount);
      SetDlgItemText(kPsfSettingsText, line);
    }
  }
  return RunPsf(nx, ideal);
}

int TTestPSF::RunPsf(int nx, bool idealPoint) {
  SetWaitCursor();
  stopped_ = false;
  int made = 0;
  // Running from the first pump on: a Cancel met there already finds the run going.
  ++running_;
  {
    const double range = static_cast<double>(PassesPerPsf(*system_)) * PlannedPsfCount(*system_) * nx;
    TProgressScope scope(gSharedGauge, ProgressWindow(), range);
    if (!stopped_) made = run_.Compute(*system_, Y, X, nx, idealPoint);
    if (stopped_) made = 0;
  }
  --running_;
  if (!GaugeBusy()) {
    // No outer computation needs the PSF grids any more.
    system_->workArray1.Clear();
    system_->workArray2.Clear();
  }
  rasterFiles = run_.images;
  frameFiles = run_.spectra;
  state = made ? kRastersWritten : kNothingComputed;
  name = PsfObjectTitle(Y, X);
  SetArrowCursor();
  return made;
}

void TTestPSF::CmColorMap() {
  if (GaugeBusy()) {
    MessageBeep(MB_OK);
    return;
  }
  const int made = ComputePSF();
  const bool shown = made == 1 && CalculationState() != -1;
  RunFinished();
  if (shown && GetHandle() != nullptr) ShowColorImage();
}

void TTestPSF::Cm3DPlot() {
  if (GaugeBusy()) {
    MessageBeep(MB_OK);
    return;
  }
  const int made = ComputePSF();
  const bool shown = made == 1 && CalculationState() != -1;
  RunFinished();
  if (shown && GetHandle() != nullptr) ShowGraph();
}
