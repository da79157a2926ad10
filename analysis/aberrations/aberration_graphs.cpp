// The drawing of the aberrations window: both graphs cleared before a computation, the fan
// curves after each pass, the distortion curves after theirs. The plotting rules come
// from aberration_plot.h; the colours are the legend's.

#include <algorithm>
#include <cmath>

#include "analysis/aberrations/aberration_plot.h"
#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "platform/core/font_faces.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/graph/graph_tracer.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr int kWavelengthRampFirst = 9;
constexpr int kWavelengthRampLast = 13;
constexpr int kMarkerHalfSize = 3;
// The axis labels: a small serif face, 0.6 of the system font's 16-pixel height.
constexpr const char *kAxisFace = kFaceSerif;
constexpr int kAxisFontHeight = 10;
// The world reaches a tenth past the fan on both sides.
constexpr double kFanMargin = 1.1;
// Distortion plot insets: the left one is wider when the axis labels sit left of 0.
constexpr int kDistortionInset = 5;
constexpr int kDistortionLabelInset = 15;

COLORREF AxisColor(const TCGraph &graph) {
  return graph.GetHandleField() == RGB(255, 255, 255) ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

bool UsableRange(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && hi > lo; }

}  // namespace

COLORREF TShowEasyAberrationsDlg::CurveColor(int curve) const {
  const TCurveColor color = AberrationCurveColor(curve, run_.curveCount, run_.wavelengthsComputed <= 1);
  if (color.fromTable || SharedPalette == nullptr) return color.color;
  SharedPalette->SetRange(kWavelengthRampFirst, kWavelengthRampLast);
  return SharedPalette->ValueToColor(color.paletteFraction);
}

void TShowEasyAberrationsDlg::PrepareGraph(TCGraph *graph) {
  const COLORREF axis = AxisColor(*graph);
  graph->ResetPen();
  graph->SetPenColor(axis);
  graph->SetTextColor(axis);
  graph->SetPlotArea(0, 0, 0, 0, false, true);
}

void TShowEasyAberrationsDlg::DrawFanGraph(bool meridional) {
  TCGraph *graph = meridional ? left_ : right_;
  if (graph == nullptr || graph->GetHandle() == nullptr) return;
  const TAberrationComputation &r = run_;
  const bool transverse = r.ViewMode == kViewTransverse;
  const double min = transverse ? (meridional ? r.TransMmin : r.TransSmin) : (meridional ? r.WaveMmin : r.WaveSmin);
  const double max = transverse ? (meridional ? r.TransMmax : r.TransSmax) : (meridional ? r.WaveMmax : r.WaveSmax);
  double lo = 0.0, hi = 0.0;
  FanPlotRange(min, max, transverse, lo, hi);
  const Mem<double> &values = meridional ? r.FirstValues : r.SecondValues;
  const double halfFan = kFanMargin * (r.fanDiameter > 0.0 ? r.fanDiameter : 1.0) / 2.0;
  // No passing ray leaves the range empty: the graph stays clear.
  if (!UsableRange(lo, hi) || !graph->SetWorld(-halfFan, halfFan, lo, hi) || values.data == nullptr ||
      r.Abscissae.data == nullptr || r.PassFlags.data == nullptr || r.PointCounts.data == nullptr) {
    graph->Refresh();
    return;
  }
  TOFont axisFont(kAxisFace, kAxisFontHeight);
  graph->DrawAxes((2.0 / 3.0) * r.fanDiameter / 2.0, 5, (hi - lo) / 3.0, 5, 0, &axisFont);
  graph->SetMarkerSize(2 * kMarkerHalfSize, 2 * kMarkerHalfSize);
  const int curves = std::min(r.curveCount, r.PointCounts.cols * r.PointCounts.rows);
  for (int c = 0; c < curves; ++c) {
    const COLORREF color = CurveColor(c);
    graph->SetPen(PS_INSIDEFRAME, 1, color);
    TGraphTracer tracer(graph, color, 1, PS_INSIDEFRAME);
    const int count = std::min(r.PointCounts.data[c], r.Abscissae.rows);
    auto passed = [&](int i) { return r.PassFlags.data[i * r.PassFlags.cols + c] != 0; };
    bool connect = false;
    for (int i = 0; i < count; ++i) {
      const double pupil = TAberrationComputation::At(r.Abscissae, c, i);
      const double v = TAberrationComputation::At(values, c, i);
      // Far outside: not drawn, and the line runs on from the last point drawn.
      if (FarOutsidePlot(v, lo, hi)) continue;
      if (i > 0) connect = passed(i) && passed(i - 1);
      // A vignetted ray is marked and never joined to its neighbours.
      if (!passed(i)) graph->FillMarker(pupil, v, color);
      tracer.LineTo(pupil, v, connect);
    }
  }
  graph->Refresh();
}

void TShowEasyAberrationsDlg::DrawDistortion() {
  const TAberrationComputation &r = run_;
  for (int side = 0; side < 2; ++side) {
    TCGraph *graph = side == 0 ? left_ : right_;
    if (graph == nullptr || graph->GetHandle() == nullptr) continue;
    // Left: the relative distortion in percent; right: the absolute distortion.
    const Mem<double> &values = side == 0 ? r.SecondValues : r.FirstValues;
    const double lo = side == 0 ? r.DistorMin : r.DistorRMin;
    const double hi = side == 0 ? r.DistorMax : r.DistorRMax;
    const int points = r.PointCounts.data ? std::min(r.PointCounts.data[0], r.Abscissae.rows) : 0;
    if (values.data == nullptr || r.Abscissae.data == nullptr || points < 2 || !std::isfinite(lo) ||
        !std::isfinite(hi) || hi < lo) {
      graph->Refresh();
      continue;
    }
    const SIZE size = graph->GetBitmapSize();
    const int left = lo >= 0.0 ? kDistortionLabelInset : kDistortionInset;
    // A range from 0 up puts the field axis at the bottom: its labels need room below it.
    const int bottom = lo >= 0.0 ? kDistortionLabelInset : kDistortionInset;
    graph->SetPlotArea(left, kDistortionInset, size.cx - left - kDistortionInset,
                       size.cy - kDistortionInset - bottom, false, false);
    const double first = TAberrationComputation::At(r.Abscissae, 0, 0);
    const double last = TAberrationComputation::At(r.Abscissae, 0, points - 1);
    // Equal bounds (no absolute distortion at all) are widened by SetWorld around their value.
    if (!graph->SetWorld(first, last, lo, hi)) {
      graph->Refresh();
      continue;
    }
    TOFont axisFont(kAxisFace, kAxisFontHeight);
    graph->DrawAxes(0.0, 2, 0.4 * (graph->Y2() - graph->Y1()), 2, 0, &axisFont);
    const int curves = std::min(r.curveCount, values.cols);
    for (int c = 0; c < curves; ++c) {
      graph->SetPen(PS_INSIDEFRAME, 1, CurveColor(c));
      for (int i = 0; i < points; ++i)
        graph->MoveTo(TAberrationComputation::At(r.Abscissae, c, i), TAberrationComputation::At(values, c, i), i > 0);
    }
    graph->Refresh();
  }
}
