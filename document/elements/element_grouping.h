#pragma once
// How the surfaces of a system form the editor's elements: surfaces joined by glass form
// one element (a lens, a cemented group, a prism); a mirror, or a surface with air on both
// sides, stands alone. The object and image surfaces belong to no element.

#include <string>
#include <vector>

class TOpticalSystem;
class TSurface;

// The medium behind a surface is air: no glass named, "air", or a plain index of 1.
bool IsAirGlass(const std::string &glass);
bool IsMirrorSurface(const TSurface &surface);

struct TSurfaceRange {
  int first = 0;
  int last = 0;  // inclusive
};

// The elements of the system in surface order.
std::vector<TSurfaceRange> GroupElements(const TOpticalSystem &system);
