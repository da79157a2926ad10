#include "synthesis/detectors/transformer_detector_dlgs.h"

#include <algorithm>
#include <cstdio>

#include "imaging/testobject/synthesis_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/file_dialog.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/detectors/model_dialog_place.h"
#include "toolkit/graph/graph.h"
#include "toolkit/texteditor/o_editor.h"

namespace {


const TDialogTemplate kTransformerTemplate{
    "T_DetectorOpticalTransformer", kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
    {
        {"BUTTON", "File", kTransformerFileButton, BS_PUSHBUTTON | WS_TABSTOP, 4, 2, 30, 12},
        {"STATIC", "", kTransformerFileLabel, SS_LEFT, 38, 4, 106, 9},
        {"BUTTON", " Input data ", 0, BS_GROUPBOX, 2, 16, 144, 28},
        {"BUTTON", "Edit", kTransformerEditButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 27, 40, 12},
        {"BUTTON", "View", kTransformerViewButton, BS_PUSHBUTTON | WS_TABSTOP, 58, 27, 40, 12},
        {"BUTTON", " Spatial spectrum ", 0, BS_GROUPBOX, 2, 46, 144, 30},
        {"EDIT", "", kTransformerSpectrumText, ES_MULTILINE | ES_READONLY | WS_BORDER, 8, 57, 132, 14},
    }};
const TDialogRegistration kTransformerRegistration(kTransformerTemplate);

const TDialogTemplate kMatrixTransformerTemplate{
    "T_DetectorTransformer_Matrix", kModelStyle, kModelX, kModelY, kModelWidth, kModelHeight, "",
    {
        {"STATIC", "Set parameters for detectors types: Matrix and Optical transformer ", 0, SS_LEFT, 8, 8,
         132, 30},
    }};
const TDialogRegistration kMatrixTransformerRegistration(kMatrixTransformerTemplate);

const TResponseTableEntry kTransformerTable[] = {
    EvCommand<&TDetectorOpticalTransformer::CmFile>(kTransformerFileButton),
    EvCommand<&TDetectorOpticalTransformer::CmEdit>(kTransformerEditButton),
    EvCommand<&TDetectorOpticalTransformer::CmView>(kTransformerViewButton),
};

constexpr const char *kOpenFilter = "Data (*.otd)|*.otd|All files (*.*)|*.*|";
constexpr const char *kEditorFilter = "Transformer (*.otd)|*.otd|All files (*.*)|*.*|";
// A longer name is shown as "..." and its end.
constexpr std::size_t kLongestShownName = 22;
constexpr std::size_t kShownNameEnd = 20;

// The gain graph: 256 pixels square, plot area inside margins, white frame and text, a
// yellow curve, 5 % of the gain range above and below, frequencies to 1.1 x the last.
constexpr int kGraphSide = 256;
constexpr DWORD kGraphStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
constexpr COLORREF kGraphBack = RGB(0, 0, 0);
constexpr COLORREF kGraphText = RGB(255, 255, 255);
constexpr COLORREF kGraphCurve = RGB(255, 255, 0);
constexpr double kGainMargin = 0.05;
constexpr double kFrequencyReach = 1.1;

}  // namespace

std::string ShortTransformerFileName(const std::string &path) {
  if (path.size() <= kLongestShownName) return path;
  return "..." + path.substr(path.size() - kShownNameEnd);
}

TDetectorOpticalTransformer::TDetectorOpticalTransformer(TWindow *typePage)
    : TColorDlg(typePage, "T_DetectorOpticalTransformer") {}

TDetectorOpticalTransformer::~TDetectorOpticalTransformer() {
  delete editor_;
  editor_ = nullptr;
}

bool TDetectorOpticalTransformer::Find(TEventInfo &info) {
  return SearchResponseTable(kTransformerTable, info) || TColorDlg::Find(info);
}

void TDetectorOpticalTransformer::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
  ShowParameters();
  // Nothing to plot before a file is chosen.
  if (TWindow *view = ChildWithId(kTransformerViewButton)) view->EnableWindow(false);
}

int TDetectorOpticalTransformer::ShowParameters() {
  if (GetHandle() == nullptr) return 1;
  const float step = RasterFrequencyStep();
  const TTestImage *record = GetTestImage();
  const int n = record != nullptr ? record->pixelCount : 0;
  char text[96];
  std::snprintf(text, sizeof text, "dF=%g, Fmax=%g", step, n * step * 0.5);
  SetDlgItemText(kTransformerSpectrumText, text);
  SetDlgItemText(kTransformerFileLabel, ShortTransformerFileName(FileName).c_str());
  return 1;
}

void TDetectorOpticalTransformer::CmFile() {
  TFileDialogRequest request;
  request.Owner = GetHandle();
  request.Filter = kOpenFilter;
  request.DefaultExt = "otd";
  if (FileName != kUntitledTransformerFile) request.FileName = FileName;
  TFileDialogAnswer answer;
  if (!RunFileDialog(request, answer) || answer.Paths.empty()) return;
  // The name is kept as chosen: file names differ by case here.
  FileName = answer.Paths[0];
  SetDlgItemText(kTransformerFileLabel, ShortTransformerFileName(FileName).c_str());
  for (const int id : {kTransformerEditButton, kTransformerViewButton})
    if (TWindow *button = ChildWithId(id)) button->EnableWindow(true);
}

void TDetectorOpticalTransformer::CmEdit() {
  if (editor_ != nullptr) {
    // Text changed in the open editor is offered for saving first; Cancel keeps it open.
    if (editor_->IsWindow() && !editor_->CanClose()) return;
    delete editor_;
    editor_ = nullptr;
  }
  // A file that is not there yet (none chosen, or a new name) opens as an empty text: the
  // editor has nothing to read. A chosen name is where its Save writes; without one, Save
  // asks for a name.
  const bool untitled = FileName == kUntitledTransformerFile;
  const bool exists = !untitled && FileExists(FileName);
  editor_ = new TOEditor(this, "Text editor", nullptr, exists ? FileName.c_str() : nullptr);
  editor_->SetFilter(kEditorFilter);
  if (!editor_->Create()) {
    delete editor_;
    editor_ = nullptr;
    MessageBeep(MB_OK);
    return;
  }
  if (!exists && !untitled && editor_->Client() != nullptr) editor_->Client()->SetFileName(FileName.c_str());
  editor_->ShowWindow(SW_SHOW);
}

void TDetectorOpticalTransformer::CmView() {
  if (ReadParameters() == 0) {
    MessageBeep(MB_OK);
    ShowProblem();
    return;
  }
  TTestImage *record = GetTestImage();
  if (record == nullptr) return;
  const TTransformerTable &table = Table();
  const POINT place = CascadePlacement(*record, GetSynthesisWindows());
  // A window of the page's: it goes with the page at the latest.
  TGraph *graph = NewGraph(this, place.x, place.y, kGraphSide, kGraphSide, kGraphStyle, kGraphBack, nullptr);
  if (graph == nullptr) return;
  // The samples read are named: the file has no end mark, and one cut at a line end reads
  // as a shorter table.
  char caption[96];
  std::snprintf(caption, sizeof caption, "Optical transformer: %zu samples, F to %g", table.G.size(),
                static_cast<double>(table.F.back()));
  graph->SetCaption(caption);
  graph->SetPen(PS_SOLID, 1, kGraphText);
  graph->SetTextColor(kGraphText);
  graph->SetPlotArea(20, 5, -5, -15, true, true);
  const auto [lowest, highest] = std::minmax_element(table.G.begin(), table.G.end());
  const double range = static_cast<double>(*highest) - *lowest;
  graph->SetWorld(0.0, kFrequencyReach * table.F.back(), *lowest - kGainMargin * range,
                  *highest + kGainMargin * range);
  graph->DrawAxes(0.0, 2, 0.0, 2, 0);
  graph->SetPen(PS_SOLID, 1, kGraphCurve);
  for (std::size_t k = 0; k < table.F.size(); ++k) graph->MoveTo(table.F[k], table.G[k], k > 0);
  graph->ShowWindow(SW_SHOW);
  graph->Refresh();
}

TDetectorMatrixTransformer::TDetectorMatrixTransformer(TWindow *typePage)
    : TColorDlg(typePage, "T_DetectorTransformer_Matrix") {}

void TDetectorMatrixTransformer::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = GetHandle();
}
