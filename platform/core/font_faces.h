#pragma once
// The font faces the windows ask for by name, written once. The drawing layer stands a
// Liberation family in for each (sans, serif or mono), so text measures alike everywhere.

// Dialogs, controls, menus, bars and the tables' default.
inline constexpr const char *kFaceSansSerif = "MS Sans Serif";
// Axis labels of graphs and pictures.
inline constexpr const char *kFaceSerif = "MS Serif";
// Table cells, printouts and the 3-D plot's scales.
inline constexpr const char *kFaceArial = "Arial";
// Reports and other fixed-pitch text.
inline constexpr const char *kFaceCourierNew = "Courier New";
