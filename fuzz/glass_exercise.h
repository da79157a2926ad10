#pragma once
// Asks a glass model built from fuzzed catalog data for everything the program asks of it.

class TGlassInfo;

void ExerciseGlass(const TGlassInfo &glass);
