#include "synthesis/lightsource/light_source_preview_data.h"

#include <algorithm>
#include <cmath>

#include "synthesis/lightsource/light_source.h"
#include "toolkit/render3d/proector.h"

namespace {

constexpr COLORREF kZoneColors[] = {
    RGB(255, 0, 0),   RGB(255, 63, 0),  RGB(255, 127, 0), RGB(255, 191, 0), RGB(255, 255, 0),
    RGB(191, 255, 0), RGB(127, 255, 0), RGB(0, 255, 127), RGB(0, 255, 191), RGB(0, 255, 255),
    RGB(0, 191, 255), RGB(0, 127, 255), RGB(0, 63, 255),  RGB(0, 0, 255),   RGB(63, 0, 255),
    RGB(127, 0, 255), RGB(191, 0, 255), RGB(255, 0, 255), RGB(255, 0, 191), RGB(255, 0, 127),
    RGB(255, 0, 63),  RGB(255, 255, 255)};
constexpr int kZoneColorCount = static_cast<int>(sizeof kZoneColors / sizeof kZoneColors[0]);

}  // namespace

COLORREF ZonePreviewColor(int zone) {
  if (zone < 0) return RGB(255, 255, 255);
  return kZoneColors[zone % kZoneColorCount];
}

TZonePreviewFit FitZonePreview(const TLightSource &source, const TProector &projector,
                               const TRotator &view, int width, int height) {
  TZonePreviewFit fit;
  const int count = source.Zones.data == nullptr ? 0 : source.Zones.cols * source.Zones.rows;
  double start = 0.0, end = 0.0, radius = 0.0;
  bool any = false;
  for (int k = 0; k < count; ++k) {
    const TLightSourceZone &zone = source.Zones.data[k];
    if (!(zone.Az > 0.0) || !(zone.Ay > 0.0) || !std::isfinite(zone.Z + zone.Az + zone.Ay)) continue;
    start = any ? std::min(start, zone.Z) : zone.Z;
    end = any ? std::max(end, zone.Z + zone.Az) : zone.Z + zone.Az;
    radius = std::max(radius, 0.5 * zone.Ay);
    any = true;
  }
  if (!any || width <= 0 || height <= 0) return fit;
  // The box about its centre, one pixel a millimetre: its projection's size.
  const double half = 0.5 * (end - start);
  double left = 0.0, right = 0.0, top = 0.0, bottom = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const DPOINT3 q = view.Transform(DPOINT3(corner & 1 ? half : -half, corner & 2 ? radius : -radius,
                                             corner & 4 ? radius : -radius));
    double sx = 0.0, sy = 0.0;
    projector.Project(q, sx, sy);
    left = corner == 0 ? sx : std::min(left, sx);
    right = corner == 0 ? sx : std::max(right, sx);
    top = corner == 0 ? sy : std::min(top, sy);
    bottom = corner == 0 ? sy : std::max(bottom, sy);
  }
  const double wide = right - left, high = bottom - top;
  if (!(wide > 0.0) || !(high > 0.0)) return fit;
  fit.scale = kZonePreviewFill * std::min(width / wide, height / high);
  fit.centreX = 0.5 * (start + end);
  return fit;
}

double MeshPreviewScale(const TLightSource &source, int clientWidth) {
  double minimum[3];
  double maximum[3];
  source.GetBoundingBox(minimum, maximum);
  double extent = 0.0;
  for (int i = 0; i < 3; ++i) {
    const double centre = (minimum[i] + maximum[i]) / 2.0;
    const double size = maximum[i] - minimum[i];
    extent = std::max(extent, std::fabs(centre) * 2.0 + size);
  }
  return extent > 0.0 ? clientWidth * (2.0 / 3.0) / extent : 0.0;
}

std::vector<int> MeshColorGroups(const TLightSource &source) {
  const int count = source.ObjectNames.data == nullptr
                        ? 0
                        : source.ObjectNames.cols * source.ObjectNames.rows;
  const int withTemperature = source.ObjectTemperatures.data == nullptr
                                  ? 0
                                  : source.ObjectTemperatures.cols * source.ObjectTemperatures.rows;
  std::vector<int> groups(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    groups[i] = i;
    if (i >= withTemperature) continue;
    for (int j = 0; j < i; ++j)
      if (j < withTemperature &&
          source.ObjectTemperatures.data[j] == source.ObjectTemperatures.data[i]) {
        groups[i] = j;
        break;
      }
  }
  return groups;
}
