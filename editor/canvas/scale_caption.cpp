#include "editor/canvas/scale_caption.h"

#include <cmath>
#include <cstdio>

#include "toolkit/graph/graph.h"

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kDefaultPixelsPerInch = 96;

}  // namespace

std::string FormatScaleRatio(double ratio) {
  if (!std::isfinite(ratio) || ratio <= 0.0) return std::string();
  char text[64];
  const char *format = ratio < 0.01 ? "(1:%10.4f)" : ratio < 0.1 ? "(1:%10.3f)" : "(1:%10.1f)";
  std::snprintf(text, sizeof text, format, ratio);
  std::string caption = " ";
  for (const char *c = text; *c != '\0'; ++c)
    if (*c != ' ') caption += *c;
  return caption;
}

double ScaleRatio(double pixelsPerInch, double worldWidth, int pixelWidth) {
  if (!(pixelsPerInch > 0.0) || pixelWidth <= 0) return 0.0;
  // The scale the screen shows: a pixel is 25.4 / dpi mm, as the Scale dialog counts it.
  const double mmPerPixel = kMmPerInch / pixelsPerInch;
  return std::fabs(worldWidth) / pixelWidth / mmPerPixel;
}

double GraphPixelsPerInch(const TGraph &graph) {
  int dpi = kDefaultPixelsPerInch;
  if (const TDC *dc = graph.GetDCs().first) dpi = dc->GetDeviceCaps(LOGPIXELSX);
  return dpi > 0 ? dpi : kDefaultPixelsPerInch;
}

double ScaleRatio(const TGraph &graph) {
  const RECT plot = graph.GetPlotRect();
  return ScaleRatio(GraphPixelsPerInch(graph), graph.X2() - graph.X1(), plot.right - plot.left);
}

std::string FormatScaleCaption(double pixelsPerInch, double worldWidth, int pixelWidth) {
  return FormatScaleRatio(ScaleRatio(pixelsPerInch, worldWidth, pixelWidth));
}

std::string FormatScaleCaption(const TGraph &graph) { return FormatScaleRatio(ScaleRatio(graph)); }
