#include "editor/edit/palette_placement.h"

#include <algorithm>

namespace {

constexpr int kBelowCanvasTop = 3;
constexpr int kBesideFrame = 4;

}  // namespace

POINT DefaultPalettePlace(const RECT &canvasOnScreen, SIZE palette, int xOffset) {
  return POINT{canvasOnScreen.right - palette.cx - xOffset, canvasOnScreen.top + kBelowCanvasTop};
}

POINT BesideFramePalettePlace(const RECT &frameOnScreen, const RECT &canvasOnScreen) {
  return POINT{frameOnScreen.right + kBesideFrame, canvasOnScreen.top + kBelowCanvasTop};
}

POINT ClampPaletteToScreen(POINT place, SIZE palette, SIZE screen) {
  place.x = std::max(0, std::min(place.x, screen.cx - palette.cx));
  place.y = std::max(0, std::min(place.y, screen.cy - palette.cy));
  return place;
}

POINT OffsetFromCanvasCorner(POINT palette, const RECT &canvasOnScreen) {
  return POINT{palette.x - canvasOnScreen.right, palette.y - canvasOnScreen.top};
}

POINT PlaceAtCanvasOffset(const RECT &canvasOnScreen, POINT offset) {
  return POINT{canvasOnScreen.right + offset.x, canvasOnScreen.top + offset.y};
}
