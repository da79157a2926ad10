#pragma once
// The drawing scale of a picture, 1 : N, where N is the picture's world units per device
// pixel over the millimetres a screen pixel stands for (25.4 / pixels per inch x 1.35),
// the caption text that shows it, and the change of zoom that makes a picture show 1 : N.

#include <string>

class TGraph;
class TColorPicture;

// N of the picture's present scale.
double PictureScale(const TGraph &graph);
// The caption's scale after the title: a blank and "(1:N)", N with 4 decimals below 0.01,
// 3 below 0.1, else 1, without padding: " (1:0.0034)".
std::string FormatPictureScale(const TGraph &graph);
// Multiplies the zoom by N0 / N (N0 the present scale) and redraws with a new view; an N
// of 0, below 0 or not a number leaves the zoom as it is.
void ApplyPictureScale(TColorPicture &picture, double n);
// The "Custom" zoom: the scale dialog, modal.
void RunScaleDialog(TColorPicture &picture);
