#include "editor/dialogs/scale_system_dlg.h"

#include <algorithm>
#include <string>

#include "editor/canvas/edit_graph.h"
#include "editor/canvas/scale_caption.h"
#include "editor/commands/editor_frame.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr double kMillimetresPerInch = 25.4;
// The bound field: dark blue on white.
constexpr COLORREF kFieldText = 0xC00000;
constexpr COLORREF kFieldBack = 0xFFFFFF;

const TDialogTemplate kScaleTemplate{"ScaleSystemDlg",
                                     DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40,
                                     150, 56, "Scale", {
    {"STATIC", "Scale  1 :", 0, SS_RIGHT, 6, 10, 44, 9},
    {"EDIT", "", TScaleSystemDlg::kScale, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 54, 8, 88, 12},
    {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 22, 34, 48, 14},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 80, 34, 48, 14},
}};
const TDialogRegistration kScaleRegistration(kScaleTemplate);

const TResponseTableEntry kScaleTable[] = {
    EvCommand<&TScaleSystemDlg::CmOk>(IDOK),
};

// The plot of the editor's canvas, in pixels, and the resolution the caption reads it at.
bool PlotSize(TEditorFrame *editor, int &width, int &height, double &pixelsPerInch) {
  if (editor == nullptr || editor->Canvas() == nullptr) return false;
  const RECT plot = editor->Canvas()->GetPlotRect();
  width = plot.right - plot.left;
  height = plot.bottom - plot.top;
  pixelsPerInch = GraphPixelsPerInch(*editor->Canvas());
  return width > 0 && height > 0;
}

}  // namespace

double ViewScale(const TViewWindow &view, int plotWidth, int plotHeight, double pixelsPerInch) {
  const double spanX = view.xTo - view.xFrom, spanY = view.yTo - view.yFrom;
  if (plotWidth <= 0 || plotHeight <= 0 || !(spanX > 0.0) || !(spanY > 0.0) || !(pixelsPerInch > 0.0)) return 0.0;
  const double perPixel = std::max(spanX / plotWidth, spanY / plotHeight);
  return perPixel / (kMillimetresPerInch / pixelsPerInch);
}

TViewWindow ScaledViewWindow(const TViewWindow &view, double scale, int plotWidth, int plotHeight,
                             double pixelsPerInch) {
  const double screenMmPerPixel = kMillimetresPerInch / pixelsPerInch;
  const double cx = 0.5 * (view.xFrom + view.xTo), cy = 0.5 * (view.yFrom + view.yTo);
  const double halfWidth = 0.5 * scale * screenMmPerPixel * plotWidth;
  const double halfHeight = 0.5 * scale * screenMmPerPixel * plotHeight;
  return TViewWindow{cx - halfWidth, cx + halfWidth, cy - halfHeight, cy + halfHeight};
}

TScaleSystemDlg::TScaleSystemDlg(TWindow *mainWindow)
    : TColorDlg(mainWindow, "ScaleSystemDlg"), fields_(std::make_unique<TMultiEdit>(this, kMultiEditCapacity)) {
  fields_->AddEdit(kScale, &scale_, 'd', "%.10g");
}

TScaleSystemDlg::~TScaleSystemDlg() = default;

void TScaleSystemDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  fields_->EditTextColor(currentKind, currentId, textColor);
}

bool TScaleSystemDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kScaleTable, info) || TColorDlg::Find(info);
}

void TScaleSystemDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  auto *editor = dynamic_cast<TEditorFrame *>(GetParentO());
  int plotWidth = 0, plotHeight = 0;
  double pixelsPerInch = kScreenPixelsPerInch;
  if (!PlotSize(editor, plotWidth, plotHeight, pixelsPerInch)) return;
  scale_ = ViewScale(editor->System().viewWindow, plotWidth, plotHeight, pixelsPerInch);
  fields_->SetColors(kFieldBack, kFieldText);
  fields_->WriteAll();
}

void TScaleSystemDlg::CmOk() {
  auto *editor = dynamic_cast<TEditorFrame *>(GetParentO());
  int plotWidth = 0, plotHeight = 0;
  double pixelsPerInch = kScreenPixelsPerInch;
  if (!PlotSize(editor, plotWidth, plotHeight, pixelsPerInch)) {
    EndDialog(IDCANCEL);
    return;
  }
  // A text that is no number is refused by the field's name; a number out of range here.
  if (fields_->ReadAll() == 0) return;
  if (scale_ < kSmallestScale || scale_ > kLargestScale) {
    char text[64] = {};
    GetDlgItemText(kScale, text, sizeof text);
    MessageBox(GetHandle(), std::string("Wrong scale: \"") + text + "\"", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  TViewWindow &view = editor->System().viewWindow;
  view = ScaledViewWindow(view, scale_, plotWidth, plotHeight, pixelsPerInch);
  EndDialog(IDOK);
}
