#pragma once
// Reading the canvas's picture in tests: one pixel, and a colour near a device point.

#include <QImage>

#include "editor/canvas/edit_graph.h"
#include "platform/gui/drawing/dc.h"

// The pixel of the canvas's picture, 0xFFFFFFFF outside it.
inline COLORREF Pixel(TEditGraph &graph, int x, int y) {
  const QImage *image = graph.GetDCs().second->Image();
  if (image == nullptr || x < 0 || y < 0 || x >= image->width() || y >= image->height())
    return 0xFFFFFFFF;
  return ColorOfPixel(image->pixel(x, y));
}

// The colour within a pixel of the device point, if any pixel there has it.
inline bool NearColor(TEditGraph &graph, POINT p, COLORREF color) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (Pixel(graph, p.x + dx, p.y + dy) == color) return true;
  return false;
}
