#include "synthesis/detectors/detector_scanner_dlg.h"

#include <cstdio>
#include <cstdlib>

#include "document/system/system_image.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/window_handles.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "synthesis/detectors/scan_animation.h"
#include "synthesis/detectors/scan_simulation.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/graph/graph.h"
#include "toolkit/graph/graph_tracer.h"

namespace {

constexpr int kEditCapacity = 5;
// The track window: beside the page, dark blue, white axes, the scanned coordinate red
// and the cross coordinate green.
constexpr int kTrackWidth = 200;
constexpr int kTrackHeight = 100;
constexpr DWORD kTrackStyle = 0x80C60000u;
constexpr COLORREF kTrackBack = RGB(0, 0, 92);
constexpr COLORREF kTrackText = RGB(255, 255, 255);
constexpr COLORREF kScannedColor = RGB(255, 0, 0);
constexpr COLORREF kCrossColor = RGB(0, 255, 0);
// The time axis reaches a little past the scan period.
constexpr double kTimeAxisReach = 1.05;
constexpr int kSystemFontHeight = 16;
constexpr double kAxisFontShare = 0.6;
// A real sweep shorter than the image is answered with an image this much smaller.
constexpr double kReducedImageShare = 0.999;
// The units of the Object page's size, as its buttons name them (TTestImage::UnitBtn).
constexpr const char *kObjectSizeUnits[] = {"m", "min", "deg"};

const TDialogTemplate kDetectorScannerTemplate{
    "T_DetectorScannerDlg", WS_CHILD | WS_CAPTION, 0, 0, 156, 106, "Scaner Type",
    {
        {"BUTTON", " Common parameters ", 0, BS_GROUPBOX, 4, 2, 148, 58},
        {"BUTTON", "Real/Linear movement", kScannerRealMovementCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 11, 110, 10},
        {"STATIC", "Frequency", 0, SS_LEFT, 10, 24, 62, 9},
        {"EDIT", "", kScannerFrequencyEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 74, 22, 46, 11},
        {"STATIC", ", Hz", 0, SS_LEFT, 122, 24, 28, 9},
        {"STATIC", "Field", 0, SS_LEFT, 10, 36, 62, 9},
        {"EDIT", "", kScannerFieldEdit, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER, 74, 34, 46, 11},
        {"STATIC", ", mm", kScannerFieldUnit, SS_LEFT, 122, 36, 28, 9},
        {"STATIC", "Relaxation time", 0, SS_LEFT, 10, 48, 62, 9},
        {"EDIT", "", kScannerTauEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 74, 46, 46, 11},
        {"STATIC", ", sec", 0, SS_LEFT, 122, 48, 28, 9},
        {"BUTTON", " Advanced parameters ", 0, BS_GROUPBOX, 4, 62, 148, 42},
        {"BUTTON", "Initialization", kScannerInitializationButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 72, 50, 13},
        {"BUTTON", "Edit", kScannerEditButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 87, 50, 13},
        {"BUTTON", "Y/X scanning", kScannerYScanningCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 66, 71, 84, 10},
        {"BUTTON", "Show initialization", kScannerShowInitializationCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 66, 81, 84, 10},
        {"BUTTON", "Show image track", kScannerShowTrackCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 66, 91, 84, 10},
    }};
const TDialogRegistration kDetectorScannerRegistration(kDetectorScannerTemplate);

const TResponseTableEntry kDetectorScannerTable[] = {
    EvMessage<WM_DESTROY, &TDetectorScannerDlg::EvDestroy>(),
    EvCommand<&TDetectorScannerDlg::SimulateScanning>(kScannerInitializationButton),
    EvCommand<&TDetectorScannerDlg::CmEdit>(kScannerEditButton),
};

// The value as an edit shows it ("%g"), read back: what an untouched edit gives.
float AsShown(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return static_cast<float>(std::strtod(text, nullptr));
}

// The untouched edit keeps the value it had, to every digit.
void KeepIfUntouched(float &read, float former) {
  if (read == AsShown(former)) read = former;
}

}  // namespace

bool DetectorTypeScans(int type) {
  return type == kDetectorRound || type == kDetectorRectangle || type == kDetectorSingleLine ||
         type == kDetectorDoubleLine;
}

// Draws the track as it grows and shows the moving system when asked.
class TDetectorScannerDlg::TTrackDrawing final : public TScanTrackObserver {
 public:
  TTrackDrawing(TDetectorScannerDlg &page, TGraph *graph) : page_(page), graph_(graph) {}
  void SampleRecorded(const TScannerParameters &scanner, int i, double low, double high) override {
    if (graph_ == nullptr || !(low < high)) return;
    const bool alongY = scanner.Yscanning != 0;
    const double *scanned = alongY ? scanner.TrackY.data : scanner.TrackZ.data;
    const double *cross = alongY ? scanner.TrackZ.data : scanner.TrackY.data;
    graph_->SetPen(PS_INSIDEFRAME, 1, kTrackText);
    graph_->SetTextColor(kTrackText);
    // The whole picture anew: the labels of the last range go with it.
    graph_->SetPlotArea(0, 0, 0, 0, false, true);
    graph_->SetPlotArea(24, 4, -4, -14, true, true);
    graph_->SetWorld(0.0, kTimeAxisReach * scanner.ScanTime, low, high);
    TOFont axisFont(kFaceSerif, static_cast<int>(kSystemFontHeight * kAxisFontShare));
    graph_->DrawAxes(0.0, 2, 0.0, 2, 0, &axisFont);
    TGraphTracer red(graph_, kScannedColor, 1, PS_INSIDEFRAME);
    TGraphTracer green(graph_, kCrossColor, 1, PS_INSIDEFRAME);
    for (int k = 0; k <= i; ++k) {
      const double t = k * scanner.TimeStep;
      red.LineTo(t, scanned[k], k > 0);
      green.LineTo(t, cross[k], k > 0);
    }
    graph_->Refresh();
  }
  void Stepped() override {
    if (page_.ShowInitialization() && page_.owner_ != nullptr) page_.owner_->RefreshViews();
  }

 private:
  TDetectorScannerDlg &page_;
  TGraph *graph_;
};

TDetectorScannerDlg::TDetectorScannerDlg(TWindow *folder, TDetectorSynthesisOwner *owner)
    : TBookMarkDlg(folder, "T_DetectorScannerDlg"), owner_(owner), edits_(new TMultiEdit(this, kEditCapacity)) {
  if (GetScannerParameters() == nullptr) {
    ownRecord_ = new TScannerParameters;
    SetScannerParameters(ownRecord_);
  }
  edits_->AddEdit(kScannerFrequencyEdit, &frequency_, 'f', "%g");
  edits_->AddEdit(kScannerFieldEdit, &field_, 'f', "%g");
  edits_->AddEdit(kScannerTauEdit, &tau_, 'f', "%g");
}

TDetectorScannerDlg::~TDetectorScannerDlg() {
  delete edits_;
  // A page whose window never came still gives back the record it made.
  if (ownRecord_ != nullptr && GetScannerParameters() == ownRecord_) SetScannerParameters(nullptr);
  delete ownRecord_;
}

bool TDetectorScannerDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kDetectorScannerTable, info) || TBookMarkDlg::Find(info);
}

void TDetectorScannerDlg::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  edits_->SetColors(kDetectorEditBackground, kDetectorEditText);
  showInitialization_ = 0;
  showTrack_ = 1;
  field_ = static_cast<float>(ImageSize());
  // The field is in the unit of the image's pixels.
  const bool atInfinity = owner_ != nullptr && owner_->ImageAtInfinity();
  SetDlgItemText(kScannerFieldUnit, atInfinity ? ", mrad" : ", mm");
  ShowParameters();
}

int TDetectorScannerDlg::EnterPage() {
  const TDetectorParameters *detector = GetDetectorParameters();
  if (detector == nullptr || !DetectorTypeScans(detector->detectorType)) return 0;
  ShowParameters();
  return 1;
}

int TDetectorScannerDlg::LeavePage() {
  CloseTrackWindow();
  ReadParameters();
  return 1;
}

double TDetectorScannerDlg::ImageSize() {
  const TTestImage *image = GetTestImage();
  return image != nullptr ? image->fieldSize : 0.0;
}

int TDetectorScannerDlg::ReadParameters() {
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr || GetHandle() == nullptr) return 1;
  record->RealMovement = IsDlgButtonChecked(kScannerRealMovementCheck) == BST_CHECKED ? 1 : 0;
  record->Yscanning = IsDlgButtonChecked(kScannerYScanningCheck) == BST_CHECKED ? 1 : 0;
  showInitialization_ = IsDlgButtonChecked(kScannerShowInitializationCheck) == BST_CHECKED ? 1 : 0;
  showTrack_ = IsDlgButtonChecked(kScannerShowTrackCheck) == BST_CHECKED ? 1 : 0;
  const float formerFrequency = frequency_;
  const float formerTau = tau_;
  const float formerField = field_;
  edits_->ReadAll();
  KeepIfUntouched(frequency_, formerFrequency);
  KeepIfUntouched(tau_, formerTau);
  field_ = formerField;  // shown only
  // A negative time would run the detector's lag backwards and blow the signal up.
  if (!(frequency_ >= 0.0f) || !(tau_ >= 0.0f)) {
    MessageBox(GetHandle(), kScannerNegativeText, "Warning", MB_OK | MB_ICONEXCLAMATION);
    frequency_ = formerFrequency;
    tau_ = formerTau;
  }
  if (frequency_ == 0.0f) frequency_ = 1.0f;
  record->Frequence = frequency_;
  record->Field = field_;
  record->Tau = tau_;
  edits_->WriteAll();
  return 1;
}

int TDetectorScannerDlg::ShowParameters() {
  const TScannerParameters *record = GetScannerParameters();
  if (record == nullptr || GetHandle() == nullptr) return 1;
  CheckDlgButton(kScannerRealMovementCheck, record->RealMovement != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kScannerYScanningCheck, record->Yscanning != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kScannerShowInitializationCheck, showInitialization_ != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kScannerShowTrackCheck, showTrack_ != 0 ? BST_CHECKED : BST_UNCHECKED);
  frequency_ = record->Frequence;
  tau_ = record->Tau;
  edits_->WriteAll();
  return 1;
}

void TDetectorScannerDlg::PrepareLinear() {
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr) return;
  record->RealMovement = 0;
  record->Prepared = 1;
  field_ = static_cast<float>(ImageSize());
  record->Field = field_;
  record->ScanTime = record->Frequence > 0.0f ? 1.0 / record->Frequence : 1.0;
  ShowParameters();
}

void TDetectorScannerDlg::SimulateScanning() {
  ReadParameters();
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr) return;
  TSystemImage *system = owner_ != nullptr ? owner_->ScanSystem() : nullptr;
  TScanAnimation *animation = owner_ != nullptr ? owner_->ScanAnimation() : nullptr;
  // Without a system and something to move it, the scan can only be linear.
  if (record->RealMovement == 0 || system == nullptr || animation == nullptr) {
    PrepareLinear();
    return;
  }
  TScanTrackRequest request;
  double fieldY = 0.0, fieldZ = 0.0;
  owner_->ScanField(fieldY, fieldZ);
  // Field lists in arc minutes: the rays are made from degrees.
  const double perDegree = system->info.Unit == 1 ? 60.0 : 1.0;
  request.fieldY = fieldY / perDegree;
  request.fieldZ = fieldZ / perDegree;
  request.imageAtInfinity = system->info.ImageFinite == 0;
  TTrackDrawing drawing(*this, showTrack_ != 0 ? MakeTrackWindow() : nullptr);
  TScanSweep sweep;
  int lostStep = -1;
  const TScanTrackResult result = RecordScanTrack(*system, *animation, request, *record, &drawing, sweep, lostStep);
  // The views showed the moving system: they show it back in its place.
  if (showInitialization_ != 0) owner_->RefreshViews();
  if (result == TScanTrackResult::kRecorded) {
    TakeRealSweep(sweep.range);
    return;
  }
  if (result == TScanTrackResult::kRayLost) {
    char text[256];
    std::snprintf(text, sizeof text, kScannerRayLostText, lostStep);
    MessageBox(GetHandle(), text, "Warning", MB_OK | MB_ICONEXCLAMATION);
  }
  PrepareLinear();
}

void TDetectorScannerDlg::TakeRealSweep(double range) {
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr) return;
  const double imageSize = ImageSize();
  if (range > 0.0 && range >= imageSize) {
    record->Prepared = 1;
    record->RealMovement = 1;
    field_ = static_cast<float>(range);
    record->Field = field_;
    ShowParameters();
    return;
  }
  const bool atInfinity = owner_ != nullptr && owner_->ImageAtInfinity();
  const char *unit = atInfinity ? "mrad" : "mm";
  char text[512];
  const TTestImage *shared = GetTestImage();
  const double pixel = shared != nullptr && shared->pixelSize > 0.0 ? shared->pixelSize : 0.0;
  if (!(range > 0.0) || range < pixel) {
    // No sweep, or one that crosses less than a pixel (the image at rest but for the
    // trace's rounding): nothing but linear scanning is possible, and no image size could
    // fit it.
    std::snprintf(text, sizeof text,
                  "Real scanning %7.3f %s - too small!\n    %7.3f %s is required.\n\nLinear scanning is enabled.",
                  range, unit, imageSize, unit);
    MessageBox(GetHandle(), text, "Warning", MB_OK | MB_ICONEXCLAMATION);
    PrepareLinear();
    return;
  }
  // One pixel <= range < imageSize: the image size divides. The size named is the size
  // that No gives the object, in the unit of the Object page: the lines above are in mm or
  // mrad, and a bare number in metres would read as a thousandth of the size meant.
  const double objectSize = shared != nullptr ? shared->ObjectSize : 0.0;
  // An object at a distance measured in metres grows with the tangent of its angle: the
  // owner converts the size; a proportion is the estimate without one.
  double named = objectSize * kReducedImageShare * range / imageSize;
  double converted = 0.0;
  if (owner_ != nullptr && owner_->ObjectSizeForImageSize(kReducedImageShare * range, converted)) named = converted;
  const int unitButton = shared != nullptr ? shared->UnitBtn : 0;
  const char *sizeUnit = unitButton >= 0 && unitButton <= 2 ? kObjectSizeUnits[unitButton] : "";
  std::snprintf(text, sizeof text,
                "Real scanning %7.3f %s - too small!\n    %7.3f %s is required.\n\n"
                "Recommendation - reduce image size to %.4g %s\nor switch to Linear scanning\n\n"
                "Do you want to use Linear scanning?",
                range, unit, imageSize, unit, named, sizeUnit);
  if (MessageBox(GetHandle(), text, "Warning", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
    PrepareLinear();
    return;
  }
  // The image is made to fit the sweep: the real scan is ready.
  if (owner_ != nullptr) owner_->ReduceImageSize(kReducedImageShare * range);
  record->Prepared = 1;
  record->RealMovement = 1;
  field_ = static_cast<float>(range);
  record->Field = field_;
  ShowParameters();
}

TGraph *TDetectorScannerDlg::TrackWindow() const {
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr || record->TrackWindow == nullptr) return nullptr;
  // The user may have closed it: the window deletes itself then.
  if (trackHandle_ == nullptr || WindowFromHandle(trackHandle_) != record->TrackWindow) {
    record->TrackWindow = nullptr;
    return nullptr;
  }
  return record->TrackWindow;
}

TGraph *TDetectorScannerDlg::MakeTrackWindow() {
  if (TGraph *open = TrackWindow()) return open;
  TScannerParameters *record = GetScannerParameters();
  if (record == nullptr || GetHandle() == nullptr) return nullptr;
  // Beside the image-synthesis folder, so that it hides none of the folder's controls.
  RECT beside = GetWindowRect();
  const TTestImage *shared = GetTestImage();
  RECT folder{};
  if (shared != nullptr && shared->folderWindow != nullptr && ::GetWindowRect(shared->folderWindow, &folder))
    beside = folder;
  TGraph *graph = NewGraph(this, beside.right + 2, beside.top, kTrackWidth, kTrackHeight, kTrackStyle,
                           kTrackBack, nullptr);
  if (graph == nullptr || graph->GetHandle() == nullptr) return nullptr;
  graph->SetCaption(kTrackCaption);
  graph->SetPen(PS_INSIDEFRAME, 1, kTrackText);
  graph->SetTextColor(kTrackText);
  graph->ShowWindow(SW_SHOW);
  record->TrackWindow = graph;
  trackHandle_ = graph->GetHandle();
  return graph;
}

void TDetectorScannerDlg::CloseTrackWindow() {
  if (TGraph *open = TrackWindow()) open->DestroyAndDelete();
  if (TScannerParameters *record = GetScannerParameters()) record->TrackWindow = nullptr;
  trackHandle_ = nullptr;
}

void TDetectorScannerDlg::CmEdit() {
  TScanAnimation *animation = owner_ != nullptr ? owner_->ScanAnimation() : nullptr;
  if (animation == nullptr) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  animation->EditAnimation();
}

void TDetectorScannerDlg::EvDestroy() {
  CloseTrackWindow();
  if (ownRecord_ != nullptr && GetScannerParameters() == ownRecord_) SetScannerParameters(nullptr);
  delete ownRecord_;
  ownRecord_ = nullptr;
  DefaultProcessing();
}
