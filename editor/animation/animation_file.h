#pragma once
// The animation file "<system>.anm": sectioned text beside the system file. "[Common]"
// holds Continuous and the rotations given to every element ("AllRotation"); "[Beam]" the
// beam animation (rays per beam, steps, the range of the beam coordinate); one
// "[Elem_N]" section per animated element (N from 0 in the element list) its position and
// angle ranges, steps, rotation origin and GoBack. Values a file leaves out keep their
// defaults; "??" reads as 0.

#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/filewrite/file_replace.h"

// A first origin value of this means the origin was not given.
constexpr double kAnimationOriginNotGiven = 2147483647.0;
// Values of the "Beam" list the file may hold (the first two are used).
constexpr int kAnimationBeamValues = 10;
// Rays per beam and steps of a beam sweep: more is no animation (a sweep draws every ray
// of every step on the canvas).
constexpr int kAnimationMostRays = 1000;
constexpr int kAnimationMostSteps = 10000;
// Positions (mm) and angles (degrees) further from 0 are refused: no element is animated
// that far, and sums of them must stay finite.
constexpr double kAnimationLargestValue = 1e9;

// "[Common]".
struct TAnimationCommon {
  int Continuous = 1;
  // RotZAll, RotXAll, RotYAll as (from, to), degrees, in the order of an element's
  // rotation ranges; dRotZAll, dRotXAll, dRotYAll the same way.
  double rotationAll[3][2] = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
  double rotationStepAll[3] = {0.0, 0.0, 0.0};
  double rotationOriginAll[3] = {kAnimationOriginNotGiven, kAnimationOriginNotGiven,
                                 kAnimationOriginNotGiven};
  int AllRotation = 0;
};

// "[Beam]".
struct TAnimationBeam {
  int Nray = 0;   // below 1: the system's own setting
  int NStep = 0;  // below 1: 20
  double beam[kAnimationBeamValues] = {};
};

// One "[Elem_N]" section.
struct TAnimationElement {
  int elementIndex = 0;
  // (from, to) and step of PosZ, PosY, PosX, RotZ, RotX, RotY (TAnimationAxis order).
  double ranges[6][2] = {};
  double steps[6] = {};
  double rotationOrigin[3] = {kAnimationOriginNotGiven, kAnimationOriginNotGiven,
                              kAnimationOriginNotGiven};
  int GoBack = 0;
};

struct TAnimationFile {
  TAnimationCommon common;
  TAnimationBeam beam;
  bool hasBeamSection = false;
  std::vector<TAnimationElement> elements;  // in the order of their element indexes
};

enum class TAnimationFileStatus { kRead, kMissing, kDamaged };

// "<directory>/<file name without extension>.anm" for the system file name.
std::string AnimationFileName(const std::string &systemFileName);

// Reads the file: "[Common]", "[Beam]" and the sections "[Elem_0]" ... "[Elem_<count-1>]"
// that exist. kMissing when it cannot be opened; kDamaged, with problem saying why and file
// unchanged, when it is not a text the animation can use (empty, none of its sections, a
// section name cut short, a zero byte, a line too long to read, a read failure, a number
// beyond kAnimationLargestValue, rays or steps beyond their most). A list longer than its
// key's values is read up to them. A file read that lacks a section or key of the
// template (cut short at a line end) is kRead with problem naming what it lacks.
TAnimationFileStatus ReadAnimationFile(const std::string &path, int elementCount,
                                       TAnimationFile &file, std::string &problem);

// Writes the template of a new animation file: Continuous, the beam section with the rays
// per beam and the range of the beam coordinates (smallest, largest or "??" when they are
// equal), and an element section to fill in. Written in one step; the result says why not.
TFileWriteResult WriteAnimationTemplate(const std::string &path, int raysPerBeam, const Mem<double> &beams);
// The template's text.
std::string AnimationTemplateText(int raysPerBeam, const Mem<double> &beams);

// Replaces the body of "[Beam]" with the rays per beam, the range and the steps, keeping
// the other sections; 1 when the file was rewritten.
int RewriteAnimationBeam(const std::string &path, int Nray, double lowest, double highest,
                         int NStep);

// The message shown for a file that cannot be used.
std::string AnimationFileProblemText(const std::string &path, const std::string &problem);
// The message shown for a file used that lacks part of the template.
std::string AnimationFileNoteText(const std::string &path, const std::string &problem);
