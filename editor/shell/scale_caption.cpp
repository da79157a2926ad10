#include "editor/shell/scale_caption.h"

#include <cmath>
#include <cstdio>

#include "platform/gui/drawing/gdi_types.h"
#include "platform/gui/drawing/window_dc.h"
#include "toolkit/graph/graph.h"

namespace {

constexpr double kMillimetresPerInch = 25.4;
// Screen pixels are taken somewhat larger than the resolution says.
constexpr double kPixelStretch = 1.35;

}  // namespace

std::string FormatScaleCaption(double pixelsPerInch, double worldWidth, int pixelWidth) {
  if (pixelsPerInch <= 0.0 || pixelWidth <= 0) return std::string();
  const double millimetresPerPixel = kMillimetresPerInch / pixelsPerInch * kPixelStretch;
  const double worldPerPixel = std::fabs(worldWidth) / pixelWidth;
  const double ratio = worldPerPixel / millimetresPerPixel;
  if (!std::isfinite(ratio)) return std::string();
  const char *format = ratio < 0.01 ? "(1:%10.4f)" : ratio < 0.1 ? "(1:%10.3f)" : "(1:%10.1f)";
  char text[64];
  std::snprintf(text, sizeof text, format, ratio);
  std::string compact = " ";
  for (const char *c = text; *c != '\0'; ++c)
    if (*c != ' ') compact += *c;
  return compact;
}

std::string FormatScaleCaption(TGraph &graph) {
  if (graph.GetHandle() == nullptr) return std::string();
  const RECT plot = graph.GetPlotRect();
  TClientDC dc(graph);
  return FormatScaleCaption(dc.GetDeviceCaps(LOGPIXELSX), graph.X2() - graph.X1(), plot.right - plot.left);
}
