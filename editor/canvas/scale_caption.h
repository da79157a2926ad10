#pragma once
// The drawing scale the editor's caption shows: world millimetres per millimetre on the
// screen, as " (1:<ratio>)".

#include <string>

class TGraph;

// The text of a ratio: four decimals below 0.01, three below 0.1, else one; no blanks
// inside, one before. Empty for a ratio that is not a finite positive number.
std::string FormatScaleRatio(double ratio);
// The ratio of a world width drawn across pixelWidth pixels at the given resolution (a
// pixel is 25.4 / dpi mm of screen); 0 without sizes.
double ScaleRatio(double pixelsPerInch, double worldWidth, int pixelWidth);
// The resolution of the graph's context (96 pixels per inch without one): the Scale
// dialog sets the scale at the same one the caption reads it at.
double GraphPixelsPerInch(const TGraph &graph);
// The same for the graph's world window across its plot area, at its context's
// resolution (96 pixels per inch without one).
double ScaleRatio(const TGraph &graph);
// FormatScaleRatio of the ratios above.
std::string FormatScaleCaption(double pixelsPerInch, double worldWidth, int pixelWidth);
std::string FormatScaleCaption(const TGraph &graph);
