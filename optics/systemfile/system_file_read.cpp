// Reading an optical system file. The file is checked first and read into a fresh system;
// only a file read whole replaces the system, so a broken file never costs the user the
// system already loaded.

#include <set>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <sstream>
#include <utility>
#include <vector>

#include "foundation/helpers/text_digest.h"
#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "foundation/containers/string_class.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/systemfile/system_file_check.h"
#include "optics/systemfile/system_file_format.h"
#include "optics/systemfile/system_file_keys.h"
#include "platform/core/message_box.h"

namespace {

// A fan holds this many rays at least and at most, as the Object page takes them.
constexpr int kFileFewestRays = 3;
constexpr int kFileMostRays = 1001;

// "The optical system file <path>, line <n>: " for a key of a section (both lower case),
// the line left out when the file does not hold the key.
std::string KeyPlace(const std::string &path, const TSystemFileLayout &layout, const std::string &section,
                     const std::string &key) {
  const int line = layout.LineOf(section, key);
  return "The optical system file " + path + (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": ";
}

// The values of [Common] that no setting means: told by key and line and put in range.
// Values that mean a setting the program never writes itself (a stop or a diameter the
// search replaces, a weight that becomes 1) keep their meaning and are said once.
void BoundCommonValues(TOpticalSystemInformation &info, TCommonValues &common, const std::string &path,
                       const TSystemFileLayout &layout, std::string &warnings) {
  // Only the file's own values: a key it lacks keeps the setting as it is here.
  auto holds = [&](const char *key) { return layout.LineOf("[common]", key) > 0; };
  if (holds("nray") && (info.Nray < kFileFewestRays || info.Nray > kFileMostRays)) {
    const int taken = std::clamp(info.Nray, kFileFewestRays, kFileMostRays);
    warnings += KeyPlace(path, layout, "[common]", "nray") + "Nray=" + std::to_string(info.Nray) + " is outside " +
                std::to_string(kFileFewestRays) + " to " + std::to_string(kFileMostRays) + "; " +
                std::to_string(taken) + " is used.\n";
    info.Nray = taken;
  }
  const int surfaces = std::max(common.surfaceCount, 0);
  const std::string naper = KeyPlace(path, layout, "[common]", "naper") + "Naper=" + std::to_string(info.Naper);
  if (holds("naper") && info.Naper < 0)
    warnings += naper + " names no surface: the stop is found by the search.\n";
  else if (holds("naper") && info.Naper > surfaces && surfaces > 0)
    warnings += naper + " is beyond the " + std::to_string(surfaces) + " surfaces: the stop is found by the search.\n";
  if (holds("dentr") && info.Dentr < 0.0)
    warnings += KeyPlace(path, layout, "[common]", "dentr") + "Dentr=" + FormatNumber(info.Dentr) +
                " gives no diameter: the entrance pupil's own is used.\n";
  for (int i = 0; i < kFileWavelengths; ++i)
    if ((common.weights[i] < 0.0 || (common.weights[i] == 0.0 && i < common.weightsGiven)) && common.lambdas[i] != 0.0)
      warnings += KeyPlace(path, layout, "[common]", "weight") + "the weight " + FormatNumber(common.weights[i]) +
                  " of the wavelength " + FormatNumber(common.lambdas[i]) + " is taken as 1.\n";
}

// A glass given as a number is an index from 1 to 10; any other number is no glass.
bool IsIndexOutOfRange(const std::string &glass) {
  std::size_t consumed = 0;
  const double index = DecimalToDouble(glass.c_str(), &consumed);
  return !glass.empty() && consumed == glass.size() &&
         !(index >= kFileLeastIndex && index <= kFileLargestIndex);
}

// Colder is no temperature.
constexpr double kAbsoluteZeroCelsius = -273.15;
// The hottest the General page takes: a file beyond it would grow every radius by factors
// no glass has when the temperature is set back.
constexpr double kHighestTemperatureCelsius = 1000.0;
// A toric surface keeps exactly its three shape values, zeros included.
constexpr int kTorCoefficients = 3;

void ShowReadFault(const std::string &text) {
  MessageBox(nullptr, text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

int LastNonZero(const double *values, int count) {
  int last = -1;
  for (int i = 0; i < count; ++i)
    if (values[i] != 0.0) last = i;
  return last;
}

void SetList(Mem<double> &list, const double *values, int count) {
  list.Clear();
  if (count <= 0 || !list.Allocate(count, 1)) return;
  std::copy(values, values + count, list.data);
}

// Zone M of a surface; 0 when its section is absent (the zone keeps its values).
int ReadZoneSection(TRead1NF &file, TRasterZone &zone, const std::string &header) {
  if (!file.ReadSection(header)) return 0;
  TZoneValues values;
  zone.HMikroLens = 0.0;
  RegisterZoneKeys(file, zone, values);
  file.ParseSection(0);
  SetList(zone.PackCoef, values.packCoef, kFilePackingCoefficients);
  SetList(zone.MicroCoef, values.microCoef, kFileMicroCoefficients);
  SetList(zone.Origin, values.origin, kFileZoneVector);
  SetList(zone.Angle, values.angle, kFileZoneVector);
  SetList(zone.LimitUpper, values.upper, kFileZoneVector);
  SetList(zone.LimitLower, values.lower, kFileZoneVector);
  zone.TrimCoefficients();
  return 1;
}

// The surface's own section: shape coefficients, HOE data and lens-array zones. Empty when
// sound, else the message.
std::string ReadSurfaceSection(TRead1NF &file, TSurface &surface, int number,
                               const std::string &fileName) {
  if (!file.ReadSection(SurfaceSectionHeader(number))) return {};
  TSurfaceSectionValues values;
  TGeneralParameters &g = surface.general;
  RegisterSurfaceSectionKeys(file, g, values);
  file.ParseSection(0);
  const std::string where =
      "The optical system file " + fileName + " cannot be read: surface " + std::to_string(number);
  if (g.type < 0 || g.type >= kSurfaceTypeCount)
    return where + " has the unknown type " + std::to_string(g.type) + ".";
  if (values.zoneCount < 0 || values.zoneCount > kFileMaxZones)
    return where + " has " + std::to_string(values.zoneCount) + " lens-array zones.";

  int count = LastNonZero(values.coefficients, kFileShapeCoefficients) + 1;
  if (g.type == kSurfaceTor || g.type == kSurfaceTorRing) count = kTorCoefficients;
  SetList(surface.AsCoef, values.coefficients, count);
  surface.hasAsCoef = count != 0 && surface.AsCoef.data != nullptr ? 1 : 0;

  // A hologram always gives its design wavelength: one whose count of phase terms was lost
  // or damaged keeps the terms the section gives, rather than saving as no hologram.
  if (values.phaseCount == kPhaseCountNotGiven && values.hoe.Wlh > 0.0)
    values.phaseCount = std::max(LastNonZero(values.phase, kFilePhaseCoefficients) + 1, 1);
  if (values.phaseCount > 0) {
    SetList(values.hoe.Vh, values.phase, kFilePhaseCoefficients);
    surface.SetHOE(values.hoe, std::min(values.phaseCount, kFilePhaseCoefficients));
  } else {
    delete surface.hoe;
    surface.hoe = nullptr;
  }

  surface.zones.Clear();
  if (values.zoneCount > 0 && surface.zones.Allocate(values.zoneCount, 1)) {
    for (int m = 0; m < values.zoneCount; ++m)
      ReadZoneSection(file, surface.zones.data[m], ZoneSectionHeader(number, m + 1));
  }
  return {};
}

// Sections of surfaces or zones the file's surfaces do not have ("[Surface_9]" of eight
// surfaces, a zone past a surface's NRasterZones), and zones a surface counts but the file
// gives no section for: named with their lines. The sections are kept in the file at the
// next save, also under another name (sectionsLeftOut); the zones without one take
// default values.
// The sections some reader of a system file takes (lower-cased header).
bool IsSystemSectionHeader(const std::string &lower) {
  for (const char *prefix : {"[surface_", "[surf_", "[config_"})
    if (lower.rfind(prefix, 0) == 0) return true;
  return lower == "[common]" || lower == "[surfaces]" || lower == "[remark]" ||
         lower == LowerCaseAnsi(kSystemFileEndSection);
}

std::string SurfaceSectionWarnings(TOpticalSystem &system, const TSystemFileLayout &layout, const std::string &text,
                                   const std::string &path) {
  const int n = system.SurfaceCount();
  std::string leftOut;
  for (const auto &entry : layout.headers) {
    const std::string &header = entry.first;
    const auto line = entry.second;
    const std::string lower = LowerCaseAnsi(header);
    int surfaceNumber = 0, zoneNumber = 0;
    char tail = 0;
    const bool zone = std::sscanf(lower.c_str(), "[surf_%d_zone_%d%c", &surfaceNumber, &zoneNumber, &tail) == 3;
    if (!zone && std::sscanf(lower.c_str(), "[surface_%d%c", &surfaceNumber, &tail) != 2) continue;
    if (tail != ']') continue;
    const bool surfaceHeld = surfaceNumber >= 1 && surfaceNumber <= n;
    if (surfaceHeld && (!zone || (zoneNumber >= 1 && zoneNumber <= system.surfaces.data[surfaceNumber - 1]->zones.Cells())))
      continue;
    leftOut += (leftOut.empty() ? "" : ", ") + header + " (line " + std::to_string(line) + ")";
    system.sectionsLeftOut.emplace_back(header, SectionBody(text, line));
  }
  // Sections no reader of the system takes (notes of the user's, a header mistyped): kept
  // with the system, so that neither Save nor Save As drops the text.
  std::string unknown;
  std::set<std::string> held;
  for (const auto &entry : layout.headers) {
    const std::string &header = entry.first;
    const auto line = entry.second;
    const std::string lower = LowerCaseAnsi(header);
    if (IsSystemSectionHeader(lower)) continue;
    // A second section of one name is the user's too: kept, and named once.
    if (held.insert(lower).second) unknown += (unknown.empty() ? "" : ", ") + header + " (line " + std::to_string(line) + ")";
    system.sectionsLeftOut.emplace_back(header, SectionBody(text, line));
  }
  std::string warnings;
  int remarks = 0;
  for (const auto &[header, line] : layout.headers)
    if (LowerCaseAnsi(header) == "[remark]" && remarks++ == 1)
      warnings += "The optical system file " + path + ", line " + std::to_string(line) +
                  ": the section [Remark] is given a second time; only the first is read, and the next save leaves "
                  "the second out.\n";
  if (!leftOut.empty())
    warnings += "The optical system file " + path + " holds sections of no surface or zone of its " + std::to_string(n) +
                " surfaces: " + leftOut + "; they are not read, and saving the system keeps them as they are.\n";
  if (!unknown.empty())
    warnings += "The optical system file " + path + " holds sections this program does not know: " + unknown +
                "; they are not read, and saving the system keeps them as they are.\n";
  for (int i = 0; i < n; ++i) {
    const int zones = system.surfaces.data[i]->zones.Cells();
    int missing = 0;
    std::string first;
    for (int m = 0; m < zones; ++m)
      if (layout.sections.count(LowerCaseAnsi(ZoneSectionHeader(i + 1, m + 1))) == 0 && missing++ == 0)
        first = ZoneSectionHeader(i + 1, m + 1);
    if (missing > 0)
      warnings += "The optical system file " + path + ": surface " + std::to_string(i + 1) + " counts " +
                  std::to_string(zones) + " lens-array zones, but the file holds no section for " +
                  std::to_string(missing) + " of them (the first " + first + "); they take default values.\n";
  }
  return warnings;
}

// A section of a surface or zone the system has that its writer no longer writes: a key
// that made the shape, hologram or zones is missing or damaged, and the rest goes at the
// next save.
std::string SectionsNoLongerWritten(const TOpticalSystem &system, const TSystemFileLayout &layout,
                                    const std::string &written, const std::string &path) {
  const std::string lowerWritten = "\n" + LowerCaseAnsi(written);
  std::string warnings;
  for (const auto &entry : layout.headers) {
    const std::string &header = entry.first;
    const auto line = entry.second;
    const std::string lower = LowerCaseAnsi(header);
    if (lower.rfind("[surface_", 0) != 0 && lower.rfind("[surf_", 0) != 0) continue;
    if (lowerWritten.find("\n" + lower + "\n") != std::string::npos) continue;
    if (std::any_of(system.sectionsLeftOut.begin(), system.sectionsLeftOut.end(),
                    [&header](const auto &kept) { return kept.first == header; }))
      continue;
    warnings += "The optical system file " + path + ", line " + std::to_string(line) + ": " + header +
                " gives its surface no shape, hologram or zones (a key they need is missing or damaged); the next "
                "save leaves the section out.\n";
  }
  return warnings;
}

// What a stage of the read reports: nothing (it read), a fault to show, or that memory ran
// out. Running out is a status, not a text: the "Not enough memory" box has been shown
// where the memory was asked for, and the read only stops.
struct TReadResult {
  bool outOfMemory = false;
  std::string fault;

  TReadResult() = default;
  // A fault's text converts, so a stage returns its message as it is.
  TReadResult(std::string text) : fault(std::move(text)) {}
  TReadResult(const char *text) : fault(text) {}
  static TReadResult OutOfMemory() {
    TReadResult result;
    result.outOfMemory = true;
    return result;
  }
  bool Failed() const { return outOfMemory || !fault.empty(); }
};

// The spectrum from the file's lists; empty when sound. The list ends after its last
// non-zero wavelength; a 0 inside it stays an entry, though no wavelength to work at.
TReadResult SetSpectrum(TOpticalSystemInformation &info, double *lambdas, double *weights,
                        const std::string &fileName, int lambdaWGiven, std::string &warnings) {
  const int count = std::max(LastNonZero(lambdas, kFileWavelengths) + 1, 1);
  // A file that lists no wavelength is worked at its working wavelength (0.54 when it has
  // none): a spectrum of one wavelength 0 gave every glass an index at 0 micrometres.
  if (lambdas[0] == 0.0 && count == 1) {
    lambdas[0] = info.LambdaW > 0.0 ? info.LambdaW : TSpectralInfo().lambda;
    weights[0] = 1.0;
  }
  for (int i = 0; i < count; ++i) {
    if (lambdas[i] < 0.0)
      return "The optical system file " + fileName + " cannot be read: the wavelength " +
             FormatNumber(lambdas[i]) + " is not positive.";
    if (weights[i] <= 0.0) weights[i] = 1.0;
  }
  double sum = 0.0;
  double weightSum = 0.0;
  for (int i = 0; i < count; ++i) {
    sum += lambdas[i] * weights[i];
    weightSum += weights[i];
  }
  const double mean = sum / weightSum;
  if (!info.Spectrum.Allocate(count, 1)) return TReadResult::OutOfMemory();
  // The working wavelength falls back on a real one: the nearest to the mean among the
  // entries that are not 0, within their range.
  int nearest = -1;
  double distance = 0.0;  // set by the first entry taken
  double shortest = std::numeric_limits<double>::infinity();
  double longest = -std::numeric_limits<double>::infinity();
  for (int i = 0; i < count; ++i) {
    info.Spectrum.data[i].lambda = lambdas[i];
    info.Spectrum.data[i].weight = weights[i];
    if (!IsTracedWavelength(info.Spectrum.data[i])) continue;
    if (nearest < 0 || std::fabs(lambdas[i] - mean) < distance) {
      distance = std::fabs(lambdas[i] - mean);
      nearest = i;
    }
    shortest = std::min(shortest, lambdas[i]);
    longest = std::max(longest, lambdas[i]);
  }
  if (nearest >= 0 && (info.LambdaW < shortest || info.LambdaW > longest)) {
    if (lambdaWGiven > 0)
      warnings += "The optical system file " + fileName + ", line " + std::to_string(lambdaWGiven) + ": LambdaW=" +
                  FormatNumber(info.LambdaW) + " lies outside the spectrum " + FormatNumber(shortest) + " to " +
                  FormatNumber(longest) + "; " + FormatNumber(lambdas[nearest]) + " is used.\n";
    info.LambdaW = lambdas[nearest];
  }
  if (!(info.LambdaW > 0.0))
    return "The optical system file " + fileName + " names no wavelength to work at.";
  return {};
}

// Places surfaces and their tilts. Coord 1: global vertices and angles. Otherwise each
// record holds the next surface's offset in its own frame and its angles relative to the
// previous surface (the first surface's global).
void PlaceSurfaces(TOpticalSystem &system, const TSurfaceRecords &records) {
  const int n = system.SurfaceCount();
  const bool global = system.info.Coord == kGlobalFrame;
  double vertex[3] = {0.0, 0.0, 0.0};
  double angles[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    TSurface &surface = *system.surfaces.data[i];
    const double read[3] = {records.AlfaX[i] / kFileDegreesPerRadian,
                            records.AlfaY[i] / kFileDegreesPerRadian,
                            records.AlfaZ[i] / kFileDegreesPerRadian};
    const double offset[3] = {records.Dx[i], records.Dy[i], records.Dz[i]};
    if (global) {
      surface.SetPosition(offset[0], offset[1], offset[2]);
      surface.SetAngles(read[0], read[1], read[2]);
      continue;
    }
    for (int k = 0; k < 3; ++k) angles[k] = i == 0 ? read[k] : angles[k] + read[k];
    surface.SetPosition(vertex[0], vertex[1], vertex[2]);
    surface.SetAngles(angles[0], angles[1], angles[2]);
    if (angles[0] == 0.0 && angles[1] == 0.0 && angles[2] == 0.0) {
      for (int k = 0; k < 3; ++k) vertex[k] += offset[k];
    } else {
      double m[9];
      BuildTiltMatrix(angles[0], angles[1], angles[2], m);
      for (int k = 0; k < 3; ++k)
        vertex[k] += m[3 * k] * offset[0] + m[3 * k + 1] * offset[1] + m[3 * k + 2] * offset[2];
    }
  }
}

bool ReadWholeFile(const std::string &path, std::string &text, std::string &fault) {
  // Only an ordinary file: a pipe or a device would block or never end.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > kSystemFileMaxBytes) {
    fault = "The optical system file " + path + " is too large to be a system file.";
    return true;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

// A "Name" the program wrote: an absolute path, or a file name of a system file.
bool IsFilePath(const std::string &text) {
  if (text.empty()) return false;
  const std::string lower = LowerCaseAnsi(text);
  return text[0] == '/' || (lower.size() > 3 && lower.compare(lower.size() - 3, 3, ".os") == 0);
}

// The body of the [Remark] section as it stands in the text (line ends made "\n"): the
// lines after its header up to the next line that opens a section, or the end.
std::string RemarkOf(const std::string &text) {
  std::string remark;
  bool inside = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool hadEnd = end != std::string::npos;
    if (!hadEnd) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = hadEnd ? end + 1 : end;
    if (!line.empty() && line[0] == '[') {
      if (inside) break;
      std::string header = line;
      while (!header.empty() && (header.back() == ' ' || header.back() == '\t')) header.pop_back();
      inside = LowerCaseAnsi(header) == "[remark]";
      continue;
    }
    if (inside) remark += line + (hadEnd ? "\n" : "");
  }
  return remark;
}

// Reads the file into a system that holds the caller's settings; nothing failed when it
// was read whole.
// Data the file holds but the system cannot take is dropped with a line in warnings.
TReadResult ReadInto(TOpticalSystem &system, const std::string &path, const std::string &text,
                     const TSystemFileLayout &layout, int nameMode, std::string &warnings) {
  TReadNF file;
  if (file.Open(path, 0) == nullptr)
    return "The optical system file " + path + " cannot be opened.";
  TOpticalSystemInformation &info = system.info;
  TCommonValues common;
  system.DeleteAllSurfaces();
  info.N1 = 1.0;
  info.readerFlag = 1;
  info.TurnSystem = 0;

  if (file.ReadSection("[Common]")) {
    RegisterCommonKeys(file, info, common);
    file.ParseSection(0);
  }
  const bool countGiven = common.surfaceCount != kNoSurfaceCount;
  const int count = std::max(common.surfaceCount, 0);
  // The user's name for the system: its own key, else a "Name" that is no file's path
  // (files written by hand name the system there; the program writes its path).
  if (common.title[0] != '\0')
    system.title = DecodeFileName(common.title);
  else if (common.name[0] != '\0' && !IsFilePath(common.name))
    system.title = DecodeFileName(common.name);
  if (nameMode == kNameFromFile && common.name[0] != '\0')
    system.name = DecodeFileName(common.name);
  // A file that names its system's file (a snapshot of a session) stands for that file.
  if (nameMode == kNameFromFile && IsFilePath(common.name)) system.ownFile = system.name;
  else if (nameMode == kNameFromFileName)
    system.name = path;
  if (const int weightLine = layout.LineOf("[common]", "weight"); weightLine > 0) {
    std::size_t start = 0;
    for (int line = 1; line < weightLine && start != std::string::npos; ++line) start = text.find('\n', start) + 1;
    std::string item = LowerCaseAnsi(text.substr(start, text.find('\n', start) - start));
    item = item.substr(std::min(item.find("weight"), item.size()));
    item = item.substr(0, item.find(';'));
    common.weightsGiven = static_cast<int>(std::count(item.begin(), item.end(), ',')) + 1;
  }
  BoundCommonValues(info, common, path, layout, warnings);
  // A list written without a wavelength reads as the working wavelength alone.
  if (layout.LineOf("[common]", "lambda") > 0 && LastNonZero(common.lambdas, kFileWavelengths) < 0)
    warnings += KeyPlace(path, layout, "[common]", "lambda") +
                "Lambda= lists no wavelength; the working wavelength alone is used.\n";
  if (info.Nd < kFileMinNd || info.Nd > kFileMaxNd) {
    const int taken = std::clamp(info.Nd, kFileMinNd, kFileMaxNd);
    warnings += "The optical system file " + path + " gives Nd=" + std::to_string(info.Nd) +
                ", outside " + std::to_string(kFileMinNd) + " to " + std::to_string(kFileMaxNd) + "; " +
                std::to_string(taken) + " is used.\n";
    info.Nd = taken;
  }
  // The geometry in a file stands at the file's temperature: expanding it again on every
  // load made a system at 40 degrees grow with each save.
  info.geometryTemperature = info.Temperature;
  if (!(info.Temperature >= kAbsoluteZeroCelsius && info.Temperature <= kHighestTemperatureCelsius))
    return KeyPlace(path, layout, "[common]", "temperature") + "Temperature=" + FormatNumber(info.Temperature) +
           " is outside " + FormatNumber(kAbsoluteZeroCelsius) + " to " + FormatNumber(kHighestTemperatureCelsius) +
           " degrees C.";
  // An index below 1 is the user's choice; one of 0 or below would stop every ray.
  if (!(info.N1 > 0.0))
    return "The optical system file " + path + " gives the surrounding index " +
           FormatNumber(info.N1) + ".";

  const int fieldCount = std::max(LastNonZero(common.fields, kFileFieldValues) + 1, 1);
  if (!info.AlfaM.Allocate(fieldCount, 1)) return TReadResult::OutOfMemory();
  for (int i = 0; i < fieldCount; ++i)
    info.AlfaM.data[i] = info.Unit == 1 ? common.fields[i] / kFileUnitFactor : common.fields[i];

  if (count > kFileMaxSurfaces)
    return "The optical system file " + path + " gives " + std::to_string(count) +
           " surfaces; at most " + std::to_string(kFileMaxSurfaces) + " can be read.";
  // A file cut short is never completed with surfaces it does not hold, nor are records
  // dropped for a count it lost (a file cut inside [Common] gives none).
  if (!layout.hasSurfaces && (!countGiven || count > 0))
    return "The optical system file " + path + " holds no [Surfaces] section: it was cut short or damaged.";
  if (count == 0 && layout.recordCount > 0)
    return "The optical system file " + path + " holds " + std::to_string(layout.recordCount) +
           " surface records but gives no number of surfaces (Nsurf): it is damaged.";
  if (layout.recordCount < count)
    return "The optical system file " + path + " gives " + std::to_string(count) + " surfaces but holds only " +
           std::to_string(layout.recordCount) + " surface records: it was cut short or damaged.";
  if (common.endPromised != 0 && layout.sections.count(LowerCaseAnsi(kSystemFileEndSection)) == 0) {
    const std::string last = LowerCaseAnsi(layout.lastSection);
    const std::string cut = "The optical system file " + path + " was cut short inside its section " +
                            layout.lastSection +
                            (layout.headers.empty() ? std::string()
                                                    : " (line " + std::to_string(layout.headers.back().second) + ")");
    // Surface data is never taken in part; the remark is kept as far as it goes; any other
    // section (the configurations) is left out whole by its reader, never taken in part.
    if (last == "[common]" || last == "[surfaces]" || last.rfind("[surface_", 0) == 0 || last.rfind("[surf_", 0) == 0)
      return cut + ".";
    if (last == "[remark]")
      warnings += cut + ": the rest of that section and the sections after it are lost.\n";
    else
      warnings += cut + ": that section is left out, and the sections after it are lost.\n";
  }
  if (count > 0) {
    // Records beyond the count are not read; the first of them and the count are named
    // by their lines.
    if (layout.recordCount > count)
      warnings += "The optical system file " + path +
                  (count < static_cast<int>(layout.recordLines.size())
                       ? ", line " + std::to_string(layout.recordLines[count])
                       : std::string()) +
                  " gives " + std::to_string(count) + " surfaces (Nsurf, line " +
                  std::to_string(layout.LineOf("[common]", "nsurf")) + ") but holds " +
                  std::to_string(layout.recordCount) + " surface records; the last " +
                  std::to_string(layout.recordCount - count) + " were not read, and the next save leaves them out.\n";
    TSurfaceRecords records(count);
    file.ReadSection("[Surfaces]");
    records.Register(file);
    file.ParseSection(0);
    for (int i = 0; i < count; ++i) {
      const std::string record = "The optical system file " + path + ", line " +
                                 std::to_string(i < static_cast<int>(layout.recordLines.size()) ? layout.recordLines[i] : 0) +
                                 ": surface " + std::to_string(i + 1);
      const std::pair<const char *, double> offsets[] = {{"Dx", records.Dx[i]}, {"Dy", records.Dy[i]}, {"Dz", records.Dz[i]}};
      for (const auto &[key, value] : offsets)
        if (!(std::fabs(value) <= kFileLargestOffset))
          return record + " gives " + key + "=" + FormatNumber(value) + ", beyond " + FormatNumber(kFileLargestOffset) +
                 " mm: the file is damaged.";
      TSurface *surface = system.AddSurface(new (std::nothrow) TSurface());
      if (surface == nullptr) {
        ShowNotEnoughMemory();
        return TReadResult::OutOfMemory();
      }
      TGeneralParameters g;
      g.R = records.R[i];
      g.curvature = g.R != 0.0 ? 1.0 / g.R : 0.0;
      g.Ex = records.Ex[i];
      g.glass = LowerCaseAnsi(DecodeFileName(records.Glass[i]));
      if (IsIndexOutOfRange(g.glass)) {
        warnings += record + " gives Glass=\"" + g.glass + "\", no index from " + FormatNumber(kFileLeastIndex) +
                    " to " + FormatNumber(kFileLargestIndex) + "; air is used.\n";
        g.glass.clear();
      }
      g.materialKind = g.glass == "refl" ? 1 : 0;
      double height = records.DextY[i];
      // A diameter of 0 is one not given; a negative one is a mistake that is repaired
      // the same way, but said, since the surface becomes a pinhole.
      if (height < 0.0)
        warnings += "The optical system file " + path + " gives surface " + std::to_string(i + 1) +
                    " the diameter DextY=" + FormatNumber(height) + "; " + FormatNumber(kFileLeastDiameter) +
                    " is used.\n";
      if (height <= 0.0) height = kFileLeastDiameter;
      double width = records.DextX[i];
      if (width < 0.0)
        warnings += "The optical system file " + path + " gives surface " + std::to_string(i + 1) +
                    " the width DextX=" + FormatNumber(width) + "; its diameter " + FormatNumber(height) +
                    " is used.\n";
      if (width <= 0.0) width = height;
      g.semiHeightExt = height / 2.0;
      g.semiWidthExt = width / 2.0;
      g.boundPosYExt = records.BoundPosYExt[i];
      g.boundPosXExt = records.BoundPosXExt[i];
      g.boundTypeExt = records.BoundTypeExt[i];
      double innerHeight = records.DintY[i];
      // An inner bound wider than the outer one leaves no glass: a damaged value.
      if (innerHeight > height) {
        warnings += record + " gives DintY=" + FormatNumber(innerHeight) + ", wider than its diameter DextY=" +
                    FormatNumber(height) + "; it is not read, 0 (no inner bound) is used.\n";
        innerHeight = 0.0;
      }
      double innerWidth = records.DintX[i];
      // The widths the bounds take (a round bound, and a square obscuration, are as wide as
      // they are high whatever width the file keeps).
      const int innerType = records.BoundTypeInt[i];
      const bool innerByHeight = innerType == kBoundRound || innerType == kBoundSquare;
      const bool outerByHeight = records.BoundTypeExt[i] == kBoundRound;
      if ((innerByHeight ? innerHeight : innerWidth) > (outerByHeight ? height : width)) {
        const std::string inner = innerByHeight ? "DintY=" + FormatNumber(innerHeight) : "DintX=" + FormatNumber(innerWidth);
        const std::string outer = outerByHeight ? "DextY=" + FormatNumber(height) : "DextX=" + FormatNumber(width);
        warnings += record + " gives " + inner + ", wider than its width " + outer +
                    "; it is not read, 0 (no inner bound) is used.\n";
        innerHeight = innerWidth = 0.0;
      }
      g.semiHeightInt = innerHeight / 2.0;
      g.semiWidthInt = innerWidth / 2.0;
      g.boundPosYInt = records.BoundPosYInt[i];
      g.boundPosXInt = records.BoundPosXInt[i];
      g.boundTypeInt = records.BoundTypeInt[i];
      if (g.boundTypeExt < kBoundRound || g.boundTypeExt > kBoundRectangle ||
          g.boundTypeInt < kBoundRound || g.boundTypeInt > kBoundRectangle)
        return "The optical system file " + path + " gives surface " + std::to_string(i + 1) +
               " an unknown bound type.";
      g.type = g.R == 0.0 ? kSurfacePlane : kSurfaceSphere;
      if (g.Ex != 0.0) g.type = kSurfaceAspheric2;
      // Each record carries its own surface's attenuation, as the writer puts it.
      g.Tau = records.Tau[i];
      surface->hasAsCoef = 0;
      surface->SetGeneralParameters(&g);
      if (layout.sections.count(LowerCaseAnsi(SurfaceSectionHeader(i + 1))) != 0) {
        const std::string fault = ReadSurfaceSection(file, *surface, i + 1, path);
        if (!fault.empty()) return fault;
      }
    }
    PlaceSurfaces(system, records);
  }
  warnings += SurfaceSectionWarnings(system, layout, text, path);
  // Keys misspelt or given twice, values out of range: the file opens, and the user is told
  // what the next save would write otherwise.
  std::vector<TReadNFKeyNote> notes = file.KeyNotes();
  // A weight not read is taken as 1 (SetSpectrum), not as the 0 it leaves.
  for (TReadNFKeyNote &note : notes)
    if (LowerCaseAnsi(note.key) == "weight" && note.kept == "0") note.kept = "1";
  // A record without braces beyond the count is not read: the count's warning names it.
  std::erase_if(notes, [count](const TReadNFKeyNote &note) {
    return note.kind == TReadNFNoteKind::kRecordWithoutBraces && std::atoi(note.value.c_str()) > count;
  });
  warnings += KeyNotesText(notes, "The optical system file " + path);
  file.Close();
  if (system.SurfaceCount() > 0) system.surfaces.data[0]->general.nAfter = info.N1;
  return SetSpectrum(info, common.lambdas, common.weights, path, layout.LineOf("[common]", "lambdaw"), warnings);
}

}  // namespace

int TOpticalSystem::ReadFile(const std::string &fileName, int nameMode) {
  std::string text;
  std::string fault;
  ownTextRead = false;
  if (!ReadWholeFile(fileName, text, fault)) return 0;
  const bool ownText = ownTextDigest.has_value() && TextDigest(text) == *ownTextDigest;
  TSystemFileLayout layout;
  if (fault.empty()) fault = CheckSystemFileText(text, fileName, layout);
  // Any other text would read as a system without surfaces and replace the loaded one.
  if (fault.empty() && !layout.hasCommon && !layout.hasSurfaces)
    fault = "The file " + fileName + " is not an optical system file.";
  std::unique_ptr<TOpticalSystem> fresh;
  std::string warnings;
  if (fault.empty()) {
    fresh.reset(new (std::nothrow) TOpticalSystem());
    if (!fresh) {
      ShowNotEnoughMemory();
      return 0;
    }
    // Settings the file does not name keep the values they have here.
    fresh->info = info;
    fresh->name = name;
    const TReadResult result = ReadInto(*fresh, fileName, text, layout, nameMode, warnings);
    if (result.outOfMemory) return 0;
    fault = result.fault;
  }
  if (!fault.empty()) {
    ShowReadFault(fault);
    return 0;
  }
  // A key the writer always writes that the file lacks takes a value the user never
  // wrote: said before a save writes it. A text of the writer's own read back unchanged
  // lacks none.
  if (!ownText) {
    const std::string written = fresh->SectionsWritten();
    // A title is written only when it is not the name: one the file lacks is the name's.
    warnings += KeyNotesText(KeysLeftOut(text, written, {"title"}), "The optical system file " + fileName);
    warnings += SectionsNoLongerWritten(*fresh, layout, written, fileName);
  }
  if (!warnings.empty()) {
    warnings.pop_back();  // the last line end
    MessageBox(nullptr, warnings, "Warning", MB_OK | MB_ICONEXCLAMATION);
  }
  // The file was read whole: it replaces this system, also when its glasses turn out to be
  // missing (the user keeps the data; the system then refuses to trace).
  MarkModelChanged();
  // A read that keeps the name (an undo step) tells nothing the system has told already.
  if (nameMode != kNameFromFile && nameMode != kNameFromFileName) fresh->privateThermalTold = privateThermalTold;
  const int prepared = fresh->Prepare(0.0, 1, 1);
  std::swap(surfaces.data, fresh->surfaces.data);
  std::swap(surfaces.cols, fresh->surfaces.cols);
  std::swap(surfaces.rows, fresh->surfaces.rows);
  std::swap(surfaces.owns, fresh->surfaces.owns);
  info = fresh->info;
  name = fresh->name;
  title = fresh->title;
  remark = RemarkOf(text);
  ownTextRead = ownText;
  // The file's geometry is the set shape, at the file's temperature.
  expandedShape_.clear();
  materialsMissing = fresh->materialsMissing;
  sectionsLeftOut = std::move(fresh->sectionsLeftOut);
  privateThermalTold = fresh->privateThermalTold;
  // A read that keeps the name (an undo step, a turn's reload) is no file of the system's own.
  if (nameMode == kNameFromFile || nameMode == kNameFromFileName)
    ownFile = nameMode == kNameFromFile && !fresh->ownFile.empty() ? fresh->ownFile : fileName;
  MarkModelChanged();
  // Missing glasses were told by the preparation; glasses that do not reach a wavelength
  // are named here. Either way the file is open, so that the user can type another glass
  // or wavelength; the system refuses to trace until then. Any other failure is told too,
  // so a file taken but not traceable never passes without a word.
  const std::string outOfRange = prepared < 0 && materialsMissing == 0 ? FindGlassesOutOfRange() : std::string();
  // A read that keeps the name (Undo, Redo) brings back a state the user made by an edit and
  // reads no file of theirs: it is told as the edit told it, no private file named.
  const bool ownFileRead = nameMode == kNameFromFile || nameMode == kNameFromFileName;
  if (!outOfRange.empty() && !ownFileRead)
    MessageBox(nullptr, UntracedText(), "Warning", MB_OK | MB_ICONEXCLAMATION);
  else if (!outOfRange.empty())
    MessageBox(nullptr,
               "The optical system read from " + fileName + " works at wavelengths these glasses give no index for: " +
                   outOfRange + " (" + GlassRangeFault() + "). It is traced once a glass or a wavelength is changed.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
  else if (prepared < 0 && materialsMissing == 0)
    MessageBox(nullptr,
               (ownFileRead ? "The optical system read from " + fileName : std::string("The optical system")) +
                   " cannot be prepared for tracing.",
               "Warning",
               MB_OK | MB_ICONEXCLAMATION);
  return prepared >= 0 || materialsMissing != 0 || !outOfRange.empty() ? 1 : 0;
}
