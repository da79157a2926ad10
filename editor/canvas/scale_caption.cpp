#include "editor/canvas/scale_caption.h"

#include <cstdio>

#include "toolkit/graph/graph.h"

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kScreenMmFactor = 1.35;
constexpr int kDefaultPixelsPerInch = 96;

}  // namespace

std::string FormatScaleRatio(double ratio) {
  char text[64];
  const char *format = ratio < 0.01 ? "(1:%10.4f)" : ratio < 0.1 ? "(1:%10.3f)" : "(1:%10.1f)";
  std::snprintf(text, sizeof text, format, ratio);
  std::string caption = " ";
  for (const char *c = text; *c != '\0'; ++c)
    if (*c != ' ') caption += *c;
  return caption;
}

double ScaleRatio(const TGraph &graph) {
  int dpi = kDefaultPixelsPerInch;
  if (const TDC *dc = graph.GetDCs().first) dpi = dc->GetDeviceCaps(LOGPIXELSX);
  if (dpi <= 0) dpi = kDefaultPixelsPerInch;
  const double mmPerPixel = kMmPerInch / dpi * kScreenMmFactor;
  const RECT plot = graph.GetPlotRect();
  const int width = plot.right - plot.left;
  if (width <= 0) return 0.0;
  const double worldPerPixel = (graph.X2() - graph.X1()) / width;
  return worldPerPixel / mmPerPixel;
}

std::string FormatScaleCaption(const TGraph &graph) { return FormatScaleRatio(ScaleRatio(graph)); }
