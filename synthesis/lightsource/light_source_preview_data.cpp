#include "synthesis/lightsource/light_source_preview_data.h"

#include <algorithm>
#include <cmath>

#include "synthesis/lightsource/light_source.h"

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

double ZonePreviewScale(const TLightSource &source, int clientWidth) {
  if (source.Zones.data == nullptr || source.Zones.cols * source.Zones.rows == 0) return 0.0;
  const double length = source.Zones.data[0].Az;
  return length > 0.0 ? clientWidth / length : 0.0;
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
