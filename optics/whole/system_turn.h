#pragma once
// The order of the surfaces after TOpticalSystem::TurnSystem.

#include <vector>

// Where the turn puts each of count surfaces: the surface of index i before the turn stands
// at index map[i] after it.
std::vector<int> TurnedSurfaceMap(int count);
