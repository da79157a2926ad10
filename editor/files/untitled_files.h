#pragma once
// The files of the system that has no name yet: "untitled.os" (the name it goes by),
// "untitled.par" (the optimization panel's variables and merit functions) and "untitled.anm"
// (its animation), all in the program's private temporary directory, where no file of the
// user's can stand. Only these are ever removed; a user's file of any name stays.

#include <string>

// The name an unnamed system goes by; empty when there is no temporary directory.
std::string UntitledSystemPath();
// The unnamed system's animation file; empty when there is no temporary directory.
std::string UntitledAnimationPath();
// Removes the unnamed system's files: New ends that system, or the start found them left
// by a session whose restore was not taken.
void ForgetUntitledFiles();
// An unnamed system first saved as systemFileName: its parameter and animation files move
// beside it. One already there is kept, never replaced: the unnamed one then takes a free
// name "<name> (2).par" beside it, or in the temporary directory when the move failed, where
// neither New nor the next start removes it. The answer tells each file that did not move
// and where it is (empty when every file went or none was).
std::string KeepUntitledFiles(const std::string &systemFileName);
