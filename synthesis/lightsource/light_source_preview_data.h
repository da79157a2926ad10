#pragma once
// What the light-source preview draws, worked out without windows: the colours of the zones,
// the colour groups of a mesh's objects and the scales that fit a source into the picture.

#include <vector>

#include "platform/core/types.h"

class TLightSource;
class TProector;
class TRotator;

// Points the zone preview draws.
constexpr int kZonePreviewPoints = 300000;

// The colour of a point of zone `zone`: a rainbow over zones 0..20, white for zone 21 (and
// the axes); higher zones take the colours again from zone 0, and a point that no zone
// holds (-1) is white.
COLORREF ZonePreviewColor(int zone);

// How the zone preview fits the zones into the picture: the box round every zone (along x
// from the first zone's start to the last one's end, across the widest diameter) is drawn
// about its centre, at the scale (pixels per mm) that keeps its projection within the
// share kZonePreviewFill of the width and of the height. Scale 0 when no zone has a
// positive length and diameter.
struct TZonePreviewFit {
  double scale = 0.0;
  double centreX = 0.0;  // mm along the axis: the point drawn at the picture's centre
};
constexpr double kZonePreviewFill = 0.9;
TZonePreviewFit FitZonePreview(const TLightSource &source, const TProector &projector,
                               const TRotator &view, int width, int height);

// Pixels per millimetre of the mesh preview: two thirds of the client width over the
// largest of |c| 2 + s per axis (c the box centre, s its size); 0 for an empty box.
double MeshPreviewScale(const TLightSource &source, int clientWidth);

// The palette group of every object: objects of one temperature share the group of the
// first of them, any other object has its own index.
std::vector<int> MeshColorGroups(const TLightSource &source);
