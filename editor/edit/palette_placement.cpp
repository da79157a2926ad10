#include "editor/edit/palette_placement.h"

#include <algorithm>

namespace {

constexpr int kBelowCanvasTop = 3;

}  // namespace

POINT DefaultPalettePlace(const RECT &canvasOnScreen, SIZE palette, int xOffset) {
  return POINT{canvasOnScreen.right - palette.cx - xOffset, canvasOnScreen.top + kBelowCanvasTop};
}

POINT ClampPaletteToScreen(POINT place, SIZE palette, SIZE screen) {
  place.x = std::max(0, std::min(place.x, screen.cx - palette.cx));
  place.y = std::max(0, std::min(place.y, screen.cy - palette.cy));
  return place;
}

POINT FollowCanvasCorner(POINT palette, const RECT &canvasOnScreen, POINT rememberedCorner) {
  return POINT{canvasOnScreen.right - rememberedCorner.x + palette.x,
               canvasOnScreen.top - rememberedCorner.y + palette.y};
}
