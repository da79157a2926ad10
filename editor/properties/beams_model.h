#pragma once
// The beams and wavelengths page without its window: the aperture (entrance-pupil
// diameter, stop surface, working wavelength), the field points, and the wavelengths with
// their weights. The two lists end in an empty row: a value typed there is appended, and a
// row whose value is cleared is removed (never the last one).

#include <string>

#include "editor/properties/property_edit.h"

class TSystemImage;

enum TApertureLine : int {
  kPupilDiameterLine = 0,
  kStopLine = 1,
  kWorkingWavelengthApertureLine = 2,
  kApertureLineCount = 3,
};

enum TSpectrumColumn : int { kWavelengthColumn = 0, kWeightColumn = 1, kSpectrumColumnCount = 2 };

// "Entrance pupil, mm", "Aperture stop surface", "Working wavelength, um".
const char *ApertureCaption(int line);
// The pupil diameter and stop show "auto" while the system finds them itself; a diameter
// of 0 shows "from stop" (the stop's semi-height decides).
std::string ApertureText(const TSystemImage &system, int line);
// A diameter (0 or "auto"/"from stop" as shown), a stop surface number (1 to count - 1; 0 or
// "auto": found by the system), a wavelength. Giving a diameter or a stop ends the
// automatic choice.
TPropertyEdit EditAperture(TSystemImage &system, int line, const std::string &text);

// Field points: angles in degrees for an object at infinity, object heights in mm for a
// finite one.
const char *FieldCaption(const TSystemImage &system);
std::string FieldText(const TSystemImage &system, int row);
TPropertyEdit EditField(TSystemImage &system, int row, const std::string &text);

std::string SpectrumText(const TSystemImage &system, int row, int column);
TPropertyEdit EditSpectrum(TSystemImage &system, int row, int column, const std::string &text);
