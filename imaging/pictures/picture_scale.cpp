#include "imaging/pictures/picture_scale.h"

#include <cmath>
#include <cstdio>

#include "imaging/pictures/color_picture.h"
#include "platform/gui/drawing/dc.h"

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kScreenPixelFactor = 1.35;
constexpr int kDefaultPixelsPerInch = 96;

}  // namespace

double PictureScale(const TGraph &graph) {
  int d = kDefaultPixelsPerInch;
  if (const TDC *dc = graph.GetDCs().first; dc != nullptr) {
    const int caps = dc->GetDeviceCaps(LOGPIXELSX);
    if (caps > 0) d = caps;
  }
  const double k = kMillimetresPerInch / d * kScreenPixelFactor;
  const RECT plot = graph.GetPlotRect();
  const int width = plot.right - plot.left;
  if (width <= 0) return 0.0;
  const double u = (graph.X2() - graph.X1()) / width;
  return u / k;
}

std::string FormatPictureScale(const TGraph &graph) {
  const double n = PictureScale(graph);
  const char *format = n < 0.01 ? "(1:%10.4f)" : n < 0.1 ? "(1:%10.3f)" : "(1:%10.1f)";
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  // The field width only pads: the caption reads " (1:0.0034)" after the title.
  std::string caption = " ";
  for (const char *c = text; *c != '\0'; ++c)
    if (*c != ' ') caption += *c;
  return caption;
}

void ApplyPictureScale(TColorPicture &picture, double n) {
  const double present = PictureScale(picture);
  if (std::isfinite(n) && n > 0.0 && std::isfinite(present) && present > 0.0) {
    picture.zoom = static_cast<float>(picture.zoom * present / n);
  }
  picture.Redraw(true);
}
