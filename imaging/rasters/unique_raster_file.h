#pragma once
// Raster files that belong to one owner only: each gets a name no other file has, made
// and reserved at once, so two owners (or two running programs) never write the same file.

#include <string>

// Creates an empty file <directory>/<stem>XXXXXX.img with a fresh six-character tail and
// answers its path; "" when no file can be made there. The caller deletes it.
std::string CreateUniqueRasterFile(const std::string &directory, const std::string &stem);
