// The settings file's reader and writer.
#include "synthesis/folder/tti_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/path_parts.h"
#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"

namespace {

using TPathBuffer = std::array<char, kTtiMaxPath + 1>;

bool Finite(double value) { return std::isfinite(value); }

bool AllFinite(const TTtiSettings &v) {
  const double doubles[] = {v.objectSize, v.distance,  v.diameterInUnit, v.field,
                            v.sizeRectX,  v.sizeRectY, v.pozitionX,      v.pozitionY};
  for (double d : doubles) {
    if (!Finite(d)) return false;
  }
  const float floats[] = {v.roundDiameter, v.rectangleLy,    v.rectangleLz,    v.matrix.Ly,
                          v.matrix.Lz,     v.matrix.dY0,     v.matrix.dZ0,     v.doubleArray.Ly,
                          v.doubleArray.Lz, v.doubleArray.dY0, v.doubleArray.dZ0, v.singleLine.Ly,
                          v.singleLine.Lz, v.singleLine.dY0, v.singleLine.dZ0, v.frequence,
                          v.tau};
  for (float f : floats) {
    if (!Finite(f)) return false;
  }
  return true;
}

// Looks one section up; parses it with the keys the caller registered in add.
template <typename Add>
bool ParseTtiSection(TReadNF &reader, const char *header, unsigned bit, unsigned &sections,
                     bool &broken, Add add) {
  if (reader.ReadSection(header) == 0) return false;
  sections |= bit;
  add();
  if (reader.ParseSection(0) == 0) broken = true;
  return true;
}

void AddCells(TReadNF &reader, TTtiArrayCells &cells) {
  reader.AddFloat("Ly", &cells.Ly);
  reader.AddFloat("Lz", &cells.Lz);
  reader.AddFloat("dY0", &cells.dY0);
  reader.AddFloat("dZ0", &cells.dZ0);
}

// The shortest text that reads back as exactly this double, in the C locale.
std::string G(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  return std::string(buffer, result.ptr);
}

// A float: its own shortest text when the reader (which converts to double, refuses what
// lies beyond the float range, then rounds to float) gets it back exactly, else the text
// of its exact double value.
std::string F(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  std::string text(buffer, result.ptr);
  double back = 0.0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), back);
  if (parsed.ec == std::errc() && std::fabs(back) <= std::numeric_limits<float>::max() &&
      static_cast<float>(back) == value)
    return text;
  return G(static_cast<double>(value));
}
std::string D(int value) { return std::to_string(value); }

bool PathFits(const char *key, const std::string &path, std::string &problem) {
  const bool fits = path.size() <= static_cast<std::size_t>(kTtiMaxPath) &&
                    path.find_first_of("\r\n") == std::string::npos &&
                    path.find('\0') == std::string::npos &&
                    (path.empty() || (path[0] != '"' && path[0] != ' ' && path[0] != '\t'));
  if (!fits) problem = std::string("The path of \"") + key + "\" cannot be kept in a settings file: \"" + path + "\".";
  return fits;
}

// The whole numbers a file may hold: list choices within their lists, counts within what
// a raster of at most 2048 pixels can show. More is no settings file of ours.
struct TIntBound {
  const char *key;
  int TTtiSettings::*value;
  int least, most;
};
constexpr int kTtiMostStrokes = 1024;
constexpr int kTtiMostBeams = 1000;
constexpr TIntBound kIntBounds[] = {
    {"MatrixSizeList", &TTtiSettings::matrixSizeList, 0, 5},
    {"ObjectSpaceCheck", &TTtiSettings::objectSpaceCheck, 0, 1},
    {"UnitBtn", &TTtiSettings::unitBtn, 0, 2},
    {"ColorScaleList", &TTtiSettings::colorScaleList, 0, 3},
    {"SpectrumModeList", &TTtiSettings::spectrumModeList, 0, 1},
    {"TypeList", &TTtiSettings::typeList, 0, 4},
    {"NStrokes", &TTtiSettings::nStrokes, 0, kTtiMostStrokes},
    {"NGroup", &TTtiSettings::nGroup, 0, kTtiMostStrokes},
    {"NStrokesMin", &TTtiSettings::nStrokesMin, 0, kTtiMostStrokes},
    {"NStrokesMax", &TTtiSettings::nStrokesMax, 0, kTtiMostStrokes},
    {"BeamList", &TTtiSettings::beamList, 0, kTtiMostBeams},
    {"DetectorList", &TTtiSettings::detectorList, 0, 7},
    {"RealMovement", &TTtiSettings::realMovement, 0, 1},
    {"Yscanning", &TTtiSettings::yscanning, 0, 1},
    {"TypeZone", &TTtiSettings::typeZone, 0, 1},
    {"Smoothing", &TTtiSettings::smoothing, 0, 1},
    {"ShowZone", &TTtiSettings::showZone, 0, 1},
};

// The sections the folder always writes that the file lacks (the transformer's and the
// scanner's included); the zone's section is written only while its page exists. The keys
// each section lacks are read off the writer's own text (ReadTtiFile).
std::string MissingTtiSections(const std::string &fileName) {
  const TSectionKeys held = SectionKeysOf(fileName);
  std::string missing;
  for (const char *header : {"[Common settings]", "[Objects settings]", "[Diffraction point]", "[Radial mira]",
                             "[Square mira]", "[Custom object]", "[PSF]", "[Detector type]", "[Round detector]",
                             "[Rectangle detector]", "[Matrix detector]", "[Double array detector]",
                             "[Single line detector]", "[Optical transformer]", "[Scanner]"})
    if (held.count(LowerCaseAnsi(header)) == 0) AddMissingPart(missing, "the section " + std::string(header));
  return missing;
}

std::string Cells(const TTtiArrayCells &c) {
  return "Ly=" + F(c.Ly) + "; Lz=" + F(c.Lz) + "; dY0=" + F(c.dY0) + "; dZ0=" + F(c.dZ0) + "\n";
}

}  // namespace

TTtiReadResult ReadTtiFile(const std::string &fileName, TTtiSettings &values,
                           unsigned &sections, std::string &problem) {
  TReadNF reader;
  if (fileName.empty() || reader.Open(fileName, 0) == nullptr) {
    problem = "Settings file \"" + fileName + "\" cannot be open.";
    return TTtiReadResult::CannotOpen;
  }
  // The program writes the file whole: one that ends inside a line was cut short.
  std::string reason = reader.ScanDamage(true, false);
  if (!reason.empty()) {
    problem = "Settings file \"" + fileName + "\" is damaged and was not read: " + reason + ".";
    return TTtiReadResult::Damaged;
  }
  reader.NameUnknownSections();
  TTtiSettings v = values;
  unsigned found = 0;
  bool broken = false;
  int ignored = 0;
  ParseTtiSection(reader, "[Common settings]", kTtiCommon, found, broken, [&] {
    v.matrixSizeList = 2;
    v.objectSpaceCheck = 0;
    v.unitBtn = 0;
    v.colorScaleList = 0;
    v.spectrumModeList = 0;
    reader.AddInt("MatrixSizeList", &v.matrixSizeList);
    reader.AddInt("ObjectSpaceCheck", &v.objectSpaceCheck);
    reader.AddInt("UnitBtn", &v.unitBtn);
    reader.AddInt("ColorScaleList", &v.colorScaleList);
    reader.AddInt("SpectrumModeList", &v.spectrumModeList);
    reader.AddInt("SectionsViewAsList", &ignored);
  });
  ParseTtiSection(reader, "[Objects settings]", kTtiObjects, found, broken, [&] {
    reader.AddInt("TypeList", &v.typeList);
    reader.AddDouble("ObjectSize", &v.objectSize);
    reader.AddDouble("Distance", &v.distance);
  });
  v.diameterInUnit = 0.0;
  v.field = 0.0;
  ParseTtiSection(reader, "[Diffraction point]", kTtiDiffractionPoint, found, broken, [&] {
    reader.AddDouble("DiameterInUnit", &v.diameterInUnit);
    reader.AddDouble("Field", &v.field);
  });
  ParseTtiSection(reader, "[Radial mira]", kTtiRadialMira, found, broken,
                  [&] { reader.AddInt("NStrokes", &v.nStrokes); });
  ParseTtiSection(reader, "[Square mira]", kTtiSquareMira, found, broken, [&] {
    reader.AddInt("NGroup", &v.nGroup);
    reader.AddInt("NStrokesMin", &v.nStrokesMin);
    reader.AddInt("NStrokesMax", &v.nStrokesMax);
  });
  TPathBuffer fon{}, object{}, transformer{};
  if (ParseTtiSection(reader, "[Custom object]", kTtiCustomObject, found, broken, [&] {
        reader.AddString("FileFon", fon.data(), static_cast<int>(fon.size()));
        reader.AddString("FileObject", object.data(), static_cast<int>(object.size()));
      })) {
    v.fileFon = fon.data();
    v.fileObject = object.data();
  }
  ParseTtiSection(reader, "[PSF]", kTtiPsf, found, broken,
                  [&] { reader.AddInt("BeamList", &v.beamList); });
  ParseTtiSection(reader, "[Detector type]", kTtiDetectorType, found, broken,
                  [&] { reader.AddInt("DetectorList", &v.detectorList); });
  ParseTtiSection(reader, "[Round detector]", kTtiRoundDetector, found, broken,
                  [&] { reader.AddFloat("Diameter", &v.roundDiameter); });
  ParseTtiSection(reader, "[Rectangle detector]", kTtiRectangleDetector, found, broken, [&] {
    reader.AddFloat("Ly", &v.rectangleLy);
    reader.AddFloat("Lz", &v.rectangleLz);
  });
  ParseTtiSection(reader, "[Matrix detector]", kTtiMatrixDetector, found, broken,
                  [&] { AddCells(reader, v.matrix); });
  ParseTtiSection(reader, "[Double array detector]", kTtiDoubleArrayDetector, found, broken,
                  [&] { AddCells(reader, v.doubleArray); });
  ParseTtiSection(reader, "[Single line detector]", kTtiSingleLineDetector, found, broken,
                  [&] { AddCells(reader, v.singleLine); });
  if (ParseTtiSection(reader, "[Optical transformer]", kTtiOpticalTransformer, found, broken, [&] {
        reader.AddString("FileName", transformer.data(), static_cast<int>(transformer.size()));
      })) {
    v.transformerFile = transformer.data();
  }
  ParseTtiSection(reader, "[Scanner]", kTtiScanner, found, broken, [&] {
    reader.AddFloat("Frequence", &v.frequence);
    reader.AddFloat("Tau", &v.tau);
    reader.AddInt("RealMovement", &v.realMovement);
    reader.AddInt("Yscanning", &v.yscanning);
  });
  ParseTtiSection(reader, "[Energy]", kTtiEnergy, found, broken, [&] {
    reader.AddInt("TypeZone", &v.typeZone);
    reader.AddDouble("SizeRectX", &v.sizeRectX);
    reader.AddDouble("SizeRectY", &v.sizeRectY);
    reader.AddDouble("PozitionX", &v.pozitionX);
    reader.AddDouble("PozitionY", &v.pozitionY);
    reader.AddInt("Smoothing", &v.smoothing);
    reader.AddInt("ShowZone", &v.showZone);
  });
  if (reader.Faults() != 0) broken = true;
  // A key misspelt, given twice or given a value not of its kind would read as the value
  // before, and the next save would write that over the user's: the file is named instead.
  // A section it does not know holds no setting: named, and the file is read; it is the
  // user's, and goes with the settings to the next save.
  std::vector<TReadNFKeyNote> notes = reader.KeyNotes(), unknown;
  for (const TReadNFKeyNote &note : notes)
    if (note.kind == TReadNFNoteKind::kUnknownSection) unknown.push_back(note);
  std::erase_if(notes, [](const TReadNFKeyNote &note) { return note.kind == TReadNFNoteKind::kUnknownSection; });
  reader.Close();
  if (found == 0) reason = "it holds none of the sections of a settings file";
  if (reason.empty() && !notes.empty()) {
    // The file is not read at all: what the note says of the value kept does not apply.
    reason = KeyNotesText({notes.front()}, std::string());
    reason.erase(std::min(reason.find("; "), reason.size()));
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '.')) reason.pop_back();
  }
  if (reason.empty() && (broken || !AllFinite(v))) reason = "a value does not fit its place";
  for (const TIntBound &bound : kIntBounds) {
    if (!reason.empty()) break;
    const int value = v.*bound.value;
    if (value < bound.least || value > bound.most)
      reason = std::string(bound.key) + "=" + std::to_string(value) + " lies outside " +
               std::to_string(bound.least) + " to " + std::to_string(bound.most);
  }
  if (!reason.empty()) {
    problem = "Settings file \"" + fileName + "\" is damaged and was not read: " + reason + ".";
    return TTtiReadResult::Damaged;
  }
  v.sectionsKept = UnknownSectionsOf(fileName, unknown);
  values = v;
  sections = found;
  const std::string missing = MissingTtiSections(fileName);
  if (!missing.empty())
    problem = "Settings file \"" + fileName + "\" lacks " + missing +
              " (it may have been cut short); the settings it does not name stay as they were.";
  // Every key the writer gives a section the file holds: one the file lacks keeps the
  // setting as it was, which the next save writes.
  std::string written, formatProblem, fileText;
  if (FormatTtiFile(v, true, true, written, formatProblem)) {
    std::ifstream in(fileName, std::ios::binary);
    fileText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string keys = KeyNotesText(KeysLeftOut(fileText, written, {}, false), "Settings file \"" + fileName + "\"");
    while (!keys.empty() && keys.back() == '\n') keys.pop_back();
    if (!keys.empty()) problem += (problem.empty() ? "" : "\n") + keys;
  }
  std::string told = KeyNotesText(unknown, "Settings file \"" + fileName + "\"");
  while (!told.empty() && told.back() == '\n') told.pop_back();
  if (!told.empty()) problem += (problem.empty() ? "" : "\n") + told;
  return TTtiReadResult::Read;
}

bool FormatTtiFile(const TTtiSettings &v, bool withTransformerAndScanner, bool withEnergy,
                   std::string &text, std::string &problem) {
  if (!PathFits("FileFon", v.fileFon, problem) || !PathFits("FileObject", v.fileObject, problem) ||
      (withTransformerAndScanner && !PathFits("FileName", v.transformerFile, problem))) {
    return false;
  }
  std::string t;
  t += "[Common settings]\n";
  t += "MatrixSizeList=" + D(v.matrixSizeList) + "\n";
  t += "ObjectSpaceCheck=" + D(v.objectSpaceCheck) + "\n";
  t += "UnitBtn=" + D(v.unitBtn) + "\n";
  t += "ColorScaleList=" + D(v.colorScaleList) + "\n";
  t += "SpectrumModeList=" + D(v.spectrumModeList) + "\n\n";
  t += "[Objects settings]\n";
  t += "TypeList=" + D(v.typeList) + "\n";
  t += "ObjectSize=" + G(v.objectSize) + "\n";
  t += "Distance=" + G(v.distance) + "\n\n";
  t += "[Diffraction point]\n";
  t += "DiameterInUnit=" + G(v.diameterInUnit) + "\n";
  t += "Field=" + G(v.field) + "\n\n";
  t += "[Radial mira]\nNStrokes=" + D(v.nStrokes) + "\n\n";
  t += "[Square mira]\nNGroup=" + D(v.nGroup) + "\nNStrokesMin=" + D(v.nStrokesMin) +
       "\nNStrokesMax=" + D(v.nStrokesMax) + "\n\n";
  t += "[Custom object]\nFileFon=" + v.fileFon + "\nFileObject=" + v.fileObject + "\n\n";
  t += "[PSF]\nBeamList=" + D(v.beamList) + "\n\n";
  t += "[Detector type]\nDetectorList=" + D(v.detectorList) + "\n\n";
  t += "[Round detector]\nDiameter=" + F(v.roundDiameter) + "\n\n";
  t += "[Rectangle detector]\nLy=" + F(v.rectangleLy) + "; Lz=" + F(v.rectangleLz) + "\n\n";
  t += "[Matrix detector]\n" + Cells(v.matrix) + "\n";
  t += "[Double array detector]\n" + Cells(v.doubleArray) + "\n";
  t += "[Single line detector]\n" + Cells(v.singleLine) + "\n";
  if (withTransformerAndScanner) {
    t += "[Optical transformer]\nFileName=" + v.transformerFile + "\n";
    t += "[Scanner]\nFrequence=" + F(v.frequence) + "; Tau=" + F(v.tau) +
         "; RealMovement=" + D(v.realMovement) + "; Yscanning=" + D(v.yscanning) + "\n\n";
    if (withEnergy) {
      t += "[Energy]\nTypeZone=" + D(v.typeZone) + "\n";
      t += "SizeRectX=" + G(v.sizeRectX) + "; SizeRectY=" + G(v.sizeRectY) + "\n";
      t += "PozitionX=" + G(v.pozitionX) + "; PozitionY=" + G(v.pozitionY) + "\n";
      t += "Smoothing=" + D(v.smoothing) + "\nShowZone=" + D(v.showZone) + "\n";
    }
  }
  t += KeptSectionsText(v.sectionsKept);
  text = std::move(t);
  return true;
}

bool WriteTtiFile(const std::string &fileName, const std::string &text, std::string &problem) {
  problem = "File cannot be open.";
  if (fileName.empty()) return false;
  // In one step; a file marked read-only (kept by its user) is refused.
  const TFileWriteResult written = ReplaceFileContents(fileName, text);
  if (!written.Written()) {
    problem = FileWriteFaultText(fileName, written);
    return false;
  }
  problem.clear();
  return true;
}

std::string DefaultTtiFileName(const std::string &systemFileName) {
  if (systemFileName.empty()) return std::string();
  const std::string directory = DirectoryOfPath(systemFileName);
  const std::string base = BaseNameOfPath(systemFileName);
  const bool atRoot = directory.empty() && systemFileName[0] == '/';
  return (directory.empty() && !atRoot ? std::string() : directory + "/") + base + ".tti";
}
