#pragma once
// The start-up picture "pic.1": our own drawing of a lens bringing parallel rays to a
// focus under the program's name, made by the build beside the program (and by tests)
// rather than kept as a binary file.

#include <string>

constexpr const char *kSplashPictureName = "pic.1";
constexpr int kSplashWidth = 400;
constexpr int kSplashHeight = 240;

// Writes the picture as a 24-bit bitmap file; false when it cannot be written.
bool WriteSplashPicture(const std::string &path);
