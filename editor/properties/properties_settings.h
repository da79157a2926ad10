#pragma once
// Where the properties folder stood when it was last closed: the section
// "[Properties table]" of the editor's settings file, "Position=left, top, right, bottom;"
// in screen pixels. The editor's own writes keep the section as it is.

#include <string>

#include "platform/core/types.h"

constexpr const char *kPropertiesSection = "[Properties table]";

// 1 when the section gives a rectangle with a positive width and height; the position is
// left alone otherwise.
int ReadPropertiesPosition(const std::string &settingsPath, int position[4]);
// Rewrites only this section of the file (created when missing); 1 when written.
int WritePropertiesPosition(const std::string &settingsPath, const int position[4]);

// Where the folder (width x height pixels) opens: at its saved left and top when there is
// one, else where it hides none of the editor's frame (owner, in screen pixels), its canvas
// or the palettes on it: beside the frame's right edge, else below the frame, else left of
// it; only when none has room, in the screen's corner where it covers least of the frame. Always
// wholly on a screen of the given size when it fits. Answers left and top.
void PlacePropertiesFolder(const int *saved, const RECT &owner, int width, int height, int screenWidth,
                           int screenHeight, int &left, int &top);
