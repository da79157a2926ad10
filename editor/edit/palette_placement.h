#pragma once
// Where the editor's palettes go, in screen pixels: their first place beside the canvas's
// top-right corner, kept on the screen, and the same offset from that corner after the
// main window moved or changed size.

#include "platform/core/types.h"

// x = canvas right - palette width - the palette's own x offset; y = canvas top + 3.
POINT DefaultPalettePlace(const RECT &canvasOnScreen, SIZE palette, int xOffset);
// The place moved onto the screen: below 0 becomes 0, beyond the screen's size less the
// palette's becomes that (a palette larger than the screen keeps its left or top at 0).
POINT ClampPaletteToScreen(POINT place, SIZE palette, SIZE screen);
// The palette moved by the canvas corner's travel from rememberedCorner (its right and top
// then) to the canvas's right and top now.
POINT FollowCanvasCorner(POINT palette, const RECT &canvasOnScreen, POINT rememberedCorner);
