#include "analysis/legend/view_indication_dlg.h"

#include <cstdio>

#include "analysis/aberrations/aberration_plot.h"
#include "analysis/spot/spot_computation.h"
#include "optics/model/optical_system.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// The palette run the analyses colour wavelengths with.
constexpr int kWavelengthRampFirst = 9;
constexpr int kWavelengthRampLast = 13;
constexpr COLORREF kGrey = 0xC0C0C0;

TDialogTemplate MakeTemplate() {
  TDialogTemplate t{"ViewIndicationDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 50, 209, "Colors", {}};
  t.Items.push_back({"STATIC", "Beams", TViewIndicationDlg::kHeadingId, SS_CENTER, 2, 3, 46, 8});
  for (int k = 0; k <= TViewIndicationDlg::kRowCount; ++k)
    t.Items.push_back({"STATIC", "", TViewIndicationDlg::kFirstRowId + k, SS_CENTER, 2, 14 + 9 * k, 46, 8});
  return t;
}
const TDialogTemplate kLegendTemplate = MakeTemplate();
const TDialogRegistration kLegendRegistration(kLegendTemplate);

const TResponseTableEntry kLegendTable[] = {
    EvMessage<WM_DESTROY, &TViewIndicationDlg::EvDestroy>(),
};

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

TViewIndicationDlg::TViewIndicationDlg(TWindow *parentWindow, TOpticalSystem *system, int beamIndex,
                                       int listSwitch, int mode)
    : TColorDlg(parentWindow, "ViewIndicationDlg"),
      system_(system),
      colorTable_(std::begin(kAberrationColorTable), std::end(kAberrationColorTable)),
      beamIndex_(beamIndex),
      listSwitch_(listSwitch),
      mode_(mode) {}

TViewIndicationDlg::~TViewIndicationDlg() = default;

bool TViewIndicationDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kLegendTable, info) || TColorDlg::Find(info);
}

void TViewIndicationDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  Layout(beamIndex_, listSwitch_);
}

void TViewIndicationDlg::EvDestroy() {
  if (TWindow *owner = GetParentO())
    owner->SendMessage(WM_COMMAND, CM_LEGEND_DESTROYED, 0);
  DefaultProcessing();
}

int TViewIndicationDlg::WavelengthRows() const {
  if (system_ == nullptr) return 0;
  if (mode_ == kLegendSpot && system_->info.MonochromeSystem) return 1;
  return system_->info.WavelengthCount();
}

int TViewIndicationDlg::BeamRows() const {
  if (system_ == nullptr) return 0;
  return system_->info.BeamCount();
}

void TViewIndicationDlg::Layout(int beamIndex, int listSwitch) {
  beamIndex_ = beamIndex;
  listSwitch_ = listSwitch;
  if (GetHandle() == nullptr || system_ == nullptr) return;
  int shown = 0;
  auto row = [&](int k, const std::string &text) {
    if (k < kRowCount) SetDlgItemText(kFirstRowId + k, text.c_str());
  };
  for (int k = 0; k < kRowCount; ++k) SetDlgItemText(kFirstRowId + k, "");
  if (listSwitch >= 0) {
    SetDlgItemText(kHeadingId, "Beams");
    const int beams = BeamRows();
    if (beamIndex >= 0 && beamIndex < beams) {
      row(0, Number(system_->info.AlfaM.data[beamIndex]));
      shown = 1;
    } else {
      for (int b = 0; b < beams; ++b) row(b, Number(system_->info.AlfaM.data[b]));
      shown = beams;
    }
  } else {
    SetDlgItemText(kHeadingId, "Lambda");
    if (mode_ == kLegendSpot && system_->info.MonochromeSystem) {
      row(0, Number(system_->info.LambdaW));
      shown = 1;
    } else {
      shown = WavelengthRows();
      for (int w = 0; w < shown; ++w) row(w, Number(system_->info.Spectrum.data[w].lambda));
    }
  }
  // Cut the window half-way down the first empty row.
  if (shown < kRowCount) {
    if (TWindow *empty = ChildWithId(kFirstRowId + shown)) {
      const RECT window = GetWindowRect();
      const RECT client = GetClientRect();
      const RECT rowRect = empty->GetWindowRect();
      POINT middle{rowRect.left, (rowRect.top + rowRect.bottom) / 2};
      ScreenToClient(middle);
      const int bottom = window.bottom + (middle.y - client.bottom);
      MoveWindow(window.left, window.top, window.right - window.left, bottom - window.top, true);
    }
  }
  Invalidate(true);
}

bool TViewIndicationDlg::RowBlank(int row) const {
  if (listSwitch_ >= 0) {
    if (beamIndex_ >= 0) return row != 0;
    return row > BeamRows() - 1;
  }
  return row >= WavelengthRows();
}

COLORREF TViewIndicationDlg::RowTextColor(int row) const {
  if (RowBlank(row)) return kGrey;
  if (listSwitch_ >= 0) return colorTable_[static_cast<std::size_t>(row % 6)];
  const int count = WavelengthRows();
  // The same rule the curves and the points are drawn by.
  if (mode_ == kLegendSpot) {
    if (SharedPalette == nullptr) return colorTable_[static_cast<std::size_t>(row % 6)];
    SharedPalette->SetRange(kWavelengthRampFirst, kWavelengthRampLast);
    return SharedPalette->ValueToColor(SpotColorFraction(row, count));
  }
  const TCurveColor color = AberrationCurveColor(row, count, count == 1);
  if (color.fromTable || SharedPalette == nullptr) return color.color;
  SharedPalette->SetRange(kWavelengthRampFirst, kWavelengthRampLast);
  return SharedPalette->ValueToColor(color.paletteFraction);
}

void TViewIndicationDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  if (currentKind != CTLCOLOR_STATIC || currentId == kHeadingId) return;
  const int row = currentId - kFirstRowId;
  if (row < 0 || row > kRowCount) return;
  if (row >= kRowCount || RowBlank(row)) {
    // An empty row disappears into the dialog.
    textColor = kGrey;
    backgroundColor = kGrey;
    controlBrush = dialogBrush;
    return;
  }
  controlBrush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  backgroundColor = 0;
  textColor = RowTextColor(row);
}
