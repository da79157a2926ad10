#pragma once
// Where the editor's palettes go, in screen pixels: their first place beside the canvas's
// top-right corner, kept on the screen, and the same offset from that corner after the
// main window moved or changed size (each palette keeps its own offset, so a palette shown
// again after moves stands where it belongs and repeated placing never drifts).

#include "platform/core/types.h"

// x = canvas right - palette width - the palette's own x offset; y = canvas top + 3.
POINT DefaultPalettePlace(const RECT &canvasOnScreen, SIZE palette, int xOffset);
// Outside the frame, off the drawing: x = frame right + 4; y = canvas top + 3.
POINT BesideFramePalettePlace(const RECT &frameOnScreen, const RECT &canvasOnScreen);
// The place moved onto the screen: below 0 becomes 0, beyond the screen's size less the
// palette's becomes that (a palette larger than the screen keeps its left or top at 0).
POINT ClampPaletteToScreen(POINT place, SIZE palette, SIZE screen);
// A palette's offset from the canvas's top-right corner, and its place at that offset.
POINT OffsetFromCanvasCorner(POINT palette, const RECT &canvasOnScreen);
POINT PlaceAtCanvasOffset(const RECT &canvasOnScreen, POINT offset);
