#pragma once
// The drawing scale the editor's caption shows: world millimetres per millimetre on the
// screen, as " (1:<ratio>)".

#include <string>

class TGraph;

// The text of a ratio: four decimals below 0.01, three below 0.1, else one; no blanks
// inside, one before.
std::string FormatScaleRatio(double ratio);
// The ratio of the graph's world window to its picture at the screen's pixels per inch
// (a screen millimetre taken as 25.4 / dpi x 1.35 pixels' worth).
double ScaleRatio(const TGraph &graph);
std::string FormatScaleCaption(const TGraph &graph);
