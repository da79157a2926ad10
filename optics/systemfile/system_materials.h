#pragma once
// Glass names of surfaces and what the program's glass catalog set knows of them beyond
// the index: thermal expansion and the range of validity.

#include <string>
#include <vector>

// "<glass>_<catalog>": the part before the last '_' (the whole name without one).
std::string GlassBaseName(const std::string &name);
// The part after the last '_', or "" when there is none.
std::string GlassCatalogName(const std::string &name);

// Mean thermal expansion (1/K) between two temperatures of the glass a surface names;
// 0 for air, mirrors, plain indices and glasses that cannot be found.
double GlassMeanExpansion(const std::string &glassField, double temperature1, double temperature2);

// The glass's range of validity in micrometres; false when the glass cannot be found.
bool GlassWavelengthRange(const std::string &glassField, double &minimum, double &maximum);

// Appends name to a ", "-separated list unless it is empty or already contained.
void AppendGlassName(std::string &list, const std::string &name);

// The catalogs of the program's glass directory that hold a glass of this base name (no
// catalog part), in the order of their names; "private" stands for the text catalog.
std::vector<std::string> CatalogsHoldingGlass(const std::string &baseName);
