#pragma once
// The image-synthesis settings file (*.tti): every choice of the folder's pages in one
// sectioned text file. TTtiSettings holds the values; the reader fills them from a file
// and the writer writes them anew. Both are free of windows: the folder moves the values
// between its pages and this record.

#include <string>

#include "foundation/textfiles/kept_sections.h"

// Element sides and gaps of the array detectors.
struct TTtiArrayCells {
  float Ly = 0.0f, Lz = 0.0f, dY0 = 0.0f, dZ0 = 0.0f;
  bool operator==(const TTtiArrayCells &) const = default;
};

struct TTtiSettings {
  // [Common settings]
  int matrixSizeList = 2;    // raster-size list: 0..5 for 64..2048 pixels
  int objectSpaceCheck = 0;  // 1: the object size is given in object space
  int unitBtn = 0;           // 0 m, 1 min, 2 deg
  int colorScaleList = 0;
  int spectrumModeList = 0;
  // [Objects settings]
  int typeList = 1;  // 0 disk, 1 radial bars, 2 square bars, 3 custom, 4 light source
  double objectSize = 0.0;
  double distance = 1000.0;
  // [Diffraction point]
  double diameterInUnit = 0.0;
  double field = 0.0;
  // [Radial mira], [Square mira]
  int nStrokes = 20;
  int nGroup = 1, nStrokesMin = 10, nStrokesMax = 10;
  // [Custom object]
  std::string fileFon, fileObject;
  // [PSF], [Detector type]
  int beamList = 0;
  int detectorList = 0;
  // The detector models.
  float roundDiameter = 0.0f;
  float rectangleLy = 0.0f, rectangleLz = 0.0f;
  TTtiArrayCells matrix, doubleArray, singleLine;
  // [Optical transformer]
  std::string transformerFile;
  // [Scanner]
  float frequence = 0.0f, tau = 0.0f;
  int realMovement = 0, yscanning = 0;
  // [Energy]
  int typeZone = 0;
  double sizeRectX = 0.0, sizeRectY = 0.0, pozitionX = 0.0, pozitionY = 0.0;
  int smoothing = 0, showZone = 0;
  // Sections no setting lives in (the user's notes, a header mistyped), as the file last
  // read holds them: written back after the settings.
  TKeptSections sectionsKept;

  bool operator==(const TTtiSettings &) const = default;
};

// The sections a file held, as bits.
enum TTtiSection : unsigned {
  kTtiCommon = 1u << 0,
  kTtiObjects = 1u << 1,
  kTtiDiffractionPoint = 1u << 2,
  kTtiRadialMira = 1u << 3,
  kTtiSquareMira = 1u << 4,
  kTtiCustomObject = 1u << 5,
  kTtiPsf = 1u << 6,
  kTtiDetectorType = 1u << 7,
  kTtiRoundDetector = 1u << 8,
  kTtiRectangleDetector = 1u << 9,
  kTtiMatrixDetector = 1u << 10,
  kTtiDoubleArrayDetector = 1u << 11,
  kTtiSingleLineDetector = 1u << 12,
  kTtiOpticalTransformer = 1u << 13,
  kTtiScanner = 1u << 14,
  kTtiEnergy = 1u << 15,
};

// What ReadTtiFile found.
enum class TTtiReadResult { Read, CannotOpen, Damaged };

// The longest picture or data path the file holds (characters).
constexpr int kTtiMaxPath = 255;

// Reads the file into values, which hold the current settings on entry: what the file
// does not name stays (its sections kept are the file's own), except as a present section says (the common choices start from
// their defaults, the paths of a present section start empty) and the diffraction point,
// whose two values are 0 when its section is missing. sections gets the bits of the
// sections found. A file that cannot be opened, or that is damaged (empty, none of the
// settings sections, cut short inside a line, a value too long for its place, a number
// beyond its type or not finite, a list choice or count outside its range, a line too
// long, a zero byte), changes nothing; problem then says why, naming the file. A file read
// that lacks a section or key the program's writer always writes (one cut short at a line
// end, or written by hand) is read, and problem names what it lacks, to be told.
TTtiReadResult ReadTtiFile(const std::string &fileName, TTtiSettings &values,
                           unsigned &sections, std::string &problem);

// The file's text, the sections kept last. withTransformerAndScanner: the "[Optical transformer]" and "[Scanner]"
// sections are written (the folder always writes them, so that they survive a save while
// the image-side object size is 0); withEnergy: the "[Energy]" section is written (only
// when the page exists). Numbers are written in the C locale with the fewest digits that
// read back exactly. False when a path cannot be kept by the file (it holds a line break,
// starts with a quote or a blank, or is too long); problem says which.
bool FormatTtiFile(const TTtiSettings &values, bool withTransformerAndScanner, bool withEnergy,
                   std::string &text, std::string &problem);

// Replaces the file with the text in one step, so the file changes completely or not at
// all; a file marked read-only, or one the user may not write, stays. False with problem
// (the true cause) when it could not.
bool WriteTtiFile(const std::string &fileName, const std::string &text, std::string &problem);

// The default settings file of a system file: its directory, its base name and ".tti".
std::string DefaultTtiFileName(const std::string &systemFileName);
