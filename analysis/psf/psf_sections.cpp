// The energy concentration (PSF) and the MTF sections (MTF) of the PSF and MTF window: the
// button's small menu, the report "section.txt" in a text window, and the graph.

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/psf/psf_maths.h"
#include "analysis/psf/psf_report.h"
#include "analysis/psf/show_psf.h"
#include "analysis/psf/step_sections_dlg.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/helpers.h"
#include "foundation/helpers/path_parts.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/psf/psf_progress.h"
#include "platform/core/clock.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "toolkit/graph/graph.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

constexpr const char *kSectionReportName = "section.txt";

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr int kGraphSide = 384;
constexpr int kSystemFontHeight = 16;
constexpr double kAxisFontShare = 0.6;
constexpr double kTopOfEnergy = 1.05;
constexpr DWORD kGraphStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                              WS_VISIBLE | kGraphClientSize | kGraphStretch;
constexpr double kReportPage = 4.0;
// The MTF graph's curves: the response to a frequency along the object point's tangential
// direction and across it.
struct TMtfSectionCurve {
  bool tangential;
  COLORREF colour;
  const char *name;
};
constexpr TMtfSectionCurve kMtfSectionCurves[] = {{true, kGreen, "meridional"}, {false, kRed, "sagittal"}};
// Points the MTF graph draws from one frequency of the grid to the next.
constexpr int kPointsPerNode = 4;
// The report's window: its table's columns whole in the report font.
constexpr SIZE kReportWindow{600, 440};

int AskWithDialog(TWindow *owner, double *step) {
  TStepSectionsDlg dialog(owner, step);
  return dialog.Execute();
}

TSectionStepAsker gAsker = &AskWithDialog;

std::string SystemFileName(const TOpticalSystem *system) {
  return system != nullptr ? FileNameOfPath(system->name) : std::string();
}

}  // namespace

TSectionStepAsker SetSectionStepAsker(TSectionStepAsker asker) {
  TSectionStepAsker previous = gAsker;
  gAsker = asker != nullptr ? asker : &AskWithDialog;
  return previous;
}

std::string TShowPSF::SectionFile() const {
  return sectionFile_.empty() ? TempPath(kSectionReportName) : sectionFile_;
}

void TShowPSF::CmSectionsMenu() {
  HWND button = GetDlgItem(kPsfSectionsButton);
  if (button == nullptr) return;
  RECT edge{};
  if (TWindow *item = ChildWithId(kPsfSectionsButton)) edge = item->GetWindowRect();
  PsfStartTime() = GetTickCount();
  PsfStepCounter() = 0;
  TPopupMenu menu;
  menu.AppendMenu(MF_STRING, CM_PSF_VIEW_AS_TEXT, "View as text");
  menu.AppendMenu(MF_STRING, CM_PSF_VIEW_AS_GRAPH, "View as graph");
  menu.TrackPopupMenu(TPM_CENTERALIGN | TPM_LEFTBUTTON, (edge.left + edge.right) / 2, edge.bottom + 2,
                      0, GetHandle());
}

int TShowPSF::PrepareSummedRaster() {
  if (SharedPsfGauge() != nullptr && SharedPsfGauge()->Queue().BusyCount() > 0) {
    MessageBeep(MB_OK);
    return 0;
  }
  const int made = ComputePSF();
  RunFinished();
  if (made == 0 || CalculationState() == -1 || GetHandle() == nullptr) return 0;
  SetWaitCursor();
  const int summed = SumOverWavelengths();
  SetArrowCursor();
  return summed;
}

void TShowPSF::CmViewAsText() {
  if (ReadParameters() == 0) return;
  const bool mtf = MtfChosen();
  // The sampling is set up first, as for the graph: a Discrete of 0 is chosen by the
  // computation, and the step offered follows from the sampling used.
  if (!PrepareSummedRaster()) return;
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return;
  const int nx = shared->raster.cols;
  const double discrete = ComputedPixelSize();
  const double highest = discrete > 0.0 ? 0.5 / discrete : 0.0;
  if (!(discrete > 0.0) || nx < 2) {
    MessageBox(GetHandle(), "No sections to show: the computed grid has no pixel size.", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const double defaultStep = mtf ? 1.0 / (nx * discrete) : 2.0 * discrete;
  double step = defaultStep;
  if (gAsker(this, &step) != IDOK) return;
  if (!(step > 0.0)) step = defaultStep;
  if (mtf && step >= highest) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "No sections to show: the step %g is not below the grid's highest frequency, %g per mm.", step,
                  highest);
    MessageBox(GetHandle(), text, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::vector<std::string> lines;
  if (mtf) {
    if (summedPsf_.cols != nx) return;
    lines = MtfSectionReportLines(SystemFileName(system_), nx, summedPsf_.data, discrete, step, Y, X,
                                  run_.lightLeftOut);
  } else {
    Mem<double> cumulative;
    const DPOINT3 peak = FindPeakAndCumulate(nx, shared->raster.data, cumulative);
    Mem<DPOINT3> curve;
    ComputeEnergyConcentration(nx, cumulative, peak, curve);
    lines = EnergyReportLines(SystemFileName(system_), curve, discrete, step, run_.lightLeftOut);
  }
  // Written beside and renamed: a failed write keeps the last report. A report an earlier
  // viewer still shows is the user's: this one takes a name of its own.
  TWindow *viewers = ResultParent();
  const std::string path =
      TempPath(viewers != nullptr ? ReportNameNoViewerShows(*viewers, kSectionReportName) : kSectionReportName);
  if (path.empty()) {
    MessageBox(GetHandle(), TempDirProblem(), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::string text;
  for (const std::string &line : lines) text += line;
  if (const TFileWriteResult written = ReplaceFileContents(path, text); !written.Written()) {
    MessageBox(GetHandle(), FileWriteFaultText(path, written), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  sectionFile_ = path;
  const POINT place = NextResultPlace(kReportWindow);
  auto *editor = new TTextEditor(ResultParent(), mtf ? "MTF sections" : "Concentration", nullptr,
                                 path.c_str(), place.x, place.y, kReportWindow.cx, kReportWindow.cy);
  editor->SetFontFrom(TOFont(kFaceCourierNew, 9, 0, true));
  editor->SetPageParams(kReportPage);
  editor->SetTitle(mtf ? "MTF sections" : "Energy concentration");
  editor->Create();
}

double TShowPSF::ComputedPixelSize() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 0.0;
  // A pixel size left to the program (0) is the one the computation took.
  if (shared->pixelSize == 0.0 && system_ != nullptr) {
    system_->SetupFieldSampling();
    shared->pixelSize = system_->info.discreteInEffect;
  }
  return shared->pixelSize;
}

void TShowPSF::CmViewAsGraph() {
  if (!PrepareSummedRaster()) return;
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return;
  const bool mtf = MtfChosen();
  const bool real = RealChosen();
  std::string caption = mtf ? (real ? "Real MTF sections: " : "Ideal MTF sections: ")
                            : (real ? "Real concentration: " : "Ideal concentration: ");
  caption += name + OfSystem();
  const POINT place = NextResultPlace(ResultOuterSize());
  auto *graph = new TGraph(ResultParent(), place.x, place.y, kGraphSide, kGraphSide, kGraphStyle,
                           RGB(0, 0, 0), nullptr);
  if (!graph->Create()) {
    delete graph;
    return;
  }
  graph->SetCaption(caption);
  lastGraph_ = graph;
  graph->SetTitle((caption + " *").c_str());
  const int axisFontHeight = static_cast<int>(kSystemFontHeight * kAxisFontShare);
  TOFont axisFont(kFaceSerif, axisFontHeight);
  graph->SetPen(PS_INSIDEFRAME, 1, kWhite);
  graph->SetTextColor(kWhite);
  graph->SetPlotArea(20, 5, -5, -15, true, false);
  const int nx = shared->raster.cols;
  const double discrete = shared->pixelSize;
  if (!mtf) {
    Mem<double> cumulative;
    const DPOINT3 peak = FindPeakAndCumulate(nx, shared->raster.data, cumulative);
    Mem<DPOINT3> curve;
    ComputeEnergyConcentration(nx, cumulative, peak, curve);
    const int N = curve.Cells();
    graph->SetWorld(0.0, (2.0 * N + 2.0) * discrete, 0.0, kTopOfEnergy);
    graph->DrawAxes(0.0, 2, 0.0, 2, 0, &axisFont);
    graph->SetPen(PS_SOLID, 1, kRed);
    graph->MoveTo(0.0, 0.0, false);
    // Entry k is the square of (2k + 1) pixels.
    for (int k = 0; k < N; ++k) graph->MoveTo((2.0 * k + 1.0) * discrete, curve.data[k].z, true);
  } else {
    const int c = nx / 2;
    const double f = discrete > 0.0 ? 1.0 / (nx * discrete) : 1.0;
    graph->SetWorld(0.0, nx * f * 0.5, 0.0, kTopOfEnergy);
    graph->DrawAxes(0.0, 2, 0.0, 2, 0, &axisFont);
    // Each section named in its colour at the plot's upper right, as the help describes.
    graph->SetFont(axisFont);
    const RECT plot = graph->GetPlotRect();
    int labelTop = plot.top + 2;
    TSectionDirection tangential, sagittal;
    MtfSectionDirections(Y, X, tangential, sagittal);
    lastCurves_.clear();
    TMtfSection line;
    for (const TMtfSectionCurve &section : kMtfSectionCurves) {
      graph->SetPen(PS_SOLID, 1, section.colour);
      // The response itself between the grid's frequencies, kPointsPerNode points to a step.
      line.Project(summedPsf_.cols == nx ? nx : 0, summedPsf_.data, section.tangential ? tangential : sagittal);
      std::vector<DPOINT> &curve = lastCurves_.emplace_back();
      curve.reserve(static_cast<std::size_t>(c) * kPointsPerNode);
      for (int k = 0; k <= (c - 1) * kPointsPerNode; ++k) {
        const double t = static_cast<double>(k) / kPointsPerNode;
        curve.push_back(DPOINT{t * f, line.Value(t)});
        graph->MoveTo(curve.back().x, curve.back().y, k > 0);
      }
      graph->SetTextColor(section.colour);
      graph->TextOut(plot.right - 4, labelTop, section.name, TA_RIGHT | TA_TOP);
      labelTop += axisFontHeight + 3;
    }
    graph->RestoreFont();
  }
  graph->Refresh();
}
