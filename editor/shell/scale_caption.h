#pragma once
// The drawing scale of a graph window as the caption shows it: " (1:x)", x the world units
// (millimetres of the system) that one millimetre of the drawing on the screen stands for.

#include <string>

class TGraph;

// One screen pixel is taken as 25.4 / pixelsPerInch x 1.35 mm. The digits follow the
// size: four decimals below 0.01, three below 0.1, one above. Empty when the sizes give
// no scale (no width, no resolution, an infinite range).
std::string FormatScaleCaption(double pixelsPerInch, double worldWidth, int pixelWidth);

// The scale of the graph's world range across its plot area, at its context's resolution;
// empty while the graph has no window.
std::string FormatScaleCaption(TGraph &graph);
