#pragma once
// What the light-source preview draws, worked out without windows: the colours of the zones,
// the colour groups of a mesh's objects and the scales that fit a source into the picture.

#include <vector>

#include "platform/core/types.h"

class TLightSource;

// Points the zone preview draws.
constexpr int kZonePreviewPoints = 300000;

// The colour of a point of zone `zone`: a rainbow over zones 0..20, white for zone 21 (and
// the axes); higher zones take the colours again from zone 0, and a point that no zone
// holds (-1) is white.
COLORREF ZonePreviewColor(int zone);

// Pixels per millimetre of the zone preview: the client width over the outermost zone's
// length; 0 when the source has no zone of positive length.
double ZonePreviewScale(const TLightSource &source, int clientWidth);

// Pixels per millimetre of the mesh preview: two thirds of the client width over the
// largest of |c| 2 + s per axis (c the box centre, s its size); 0 for an empty box.
double MeshPreviewScale(const TLightSource &source, int clientWidth);

// The palette group of every object: objects of one temperature share the group of the
// first of them, any other object has its own index.
std::vector<int> MeshColorGroups(const TLightSource &source);
