// Writing an optical system file. Sections are replaced where they stand, so the remark and
// anything else in the file stay as they were; the sections a caller adds (the editor's
// configurations) go into the same rewrite, and the whole file changes at once or not at
// all.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/model/optical_system.h"
#include "optics/systemfile/system_file_check.h"
#include "optics/systemfile/system_file_format.h"
#include "optics/systemfile/system_file_sections.h"
#include "platform/core/message_box.h"

namespace {

int CountOf(const Mem<double> &m) { return m.Cells(); }

void PrintNumber(std::FILE *out, const char *key, double value) {
  std::fprintf(out, "%s=%s", key, FormatNumber(value).c_str());
}

void PrintList(std::FILE *out, const char *key, const double *values, int count,
               const char *separator) {
  std::fprintf(out, "%s=", key);
  for (int i = 0; i < count; ++i)
    std::fprintf(out, "%s%s", i > 0 ? separator : "", FormatNumber(values[i]).c_str());
}

bool HasShapePart(const TSurface &s) {
  // A type the record cannot tell (beyond a plane, a sphere and a conic) is kept also
  // without coefficients: its section once went at the save, and the type with it.
  return (s.hasAsCoef && CountOf(s.AsCoef) > 0) || s.general.type > kSurfaceAspheric2;
}

bool HasOwnSection(const TSurface &s) {
  // Any HOE data, also with a first phase coefficient of 0: leaving those out lost the
  // hologram on the next load.
  return HasShapePart(s) || s.hoe != nullptr || s.HasRasterZones();
}

// The angles a record prints: global for Coord 1 and for the first surface, else the
// change from the previous surface, written so that adding it back gives the same angle.
void RecordAngles(const TOpticalSystem &system, int i, double degrees[3]) {
  const double *a = system.surfaces.data[i]->general.angles;
  const bool global = system.info.Coord == kGlobalFrame || i == 0;
  for (int k = 0; k < 3; ++k) {
    const double previous = global ? 0.0 : system.surfaces.data[i - 1]->general.angles[k];
    const double target = a[k];
    degrees[k] = WritableNumber((target - previous) * kFileDegreesPerRadian, [&](double d) {
      return previous + d / kFileDegreesPerRadian == target;
    });
  }
}

// The position a record prints: the vertex for Coord 1; else the next surface's offset in
// this surface's frame (none for the last surface).
void RecordPosition(const TOpticalSystem &system, int i, double offset[3]) {
  const int n = system.SurfaceCount();
  if (system.info.Coord == kGlobalFrame) {
    for (int k = 0; k < 3; ++k) {
      const double v = system.surfaces.data[i]->general.vertex[k];
      offset[k] = WritableNumber(v, [v](double d) { return SamePlacement(d, v, v); });
    }
    return;
  }
  if (i + 1 >= n) {
    offset[0] = offset[1] = offset[2] = 0.0;
    return;
  }
  const TSurface &here = *system.surfaces.data[i];
  const DPOINT3 relative = system.GetSurfacePosition(i + 1, i, kRelativeFrame);
  offset[0] = relative.x;
  offset[1] = relative.y;
  offset[2] = relative.z;
  if (here.general.angles[0] != 0.0 || here.general.angles[1] != 0.0 ||
      here.general.angles[2] != 0.0)
    return;
  // An untilted frame: the reader adds the offset to this vertex, so pick the shortest
  // offset whose sum is the next vertex, to the rounding of the sums that placed it.
  const double *from = here.general.vertex;
  const double *to = system.surfaces.data[i + 1]->general.vertex;
  for (int k = 0; k < 3; ++k) {
    const double scale = std::max(std::fabs(from[k]), std::fabs(to[k]));
    offset[k] = WritableNumber(to[k] - from[k], [&](double d) { return SamePlacement(from[k] + d, to[k], scale); });
  }
}

void WriteCommon(const TOpticalSystem &system, std::FILE *out) {
  const TOpticalSystemInformation &info = system.info;
  // The reader takes a name of at most kFileNameLength - 1 characters.
  std::fprintf(out, "Name=%s\n", EncodeFileName(system.name, kFileNameLength - 1).c_str());
  // "Name" keeps its meaning, the file's own path; the user's name for the system goes
  // beside it, so Save as does not lose it to the new path.
  // (A title equal to the name is read back from "Name" itself.)
  if (!system.title.empty() && system.title != system.name)
    std::fprintf(out, "Title=%s\n", EncodeFileName(system.title, kFileNameLength - 1).c_str());
  std::fprintf(out, "MonochromeSystem=%d\n", info.MonochromeSystem);
  PrintNumber(out, "LambdaW", info.LambdaW);
  std::fprintf(out, "\n");
  const int spectrumCount = info.WavelengthCount();
  std::vector<double> lambdas;
  std::vector<double> weights;
  for (int i = 0; i < spectrumCount && i < kFileWavelengths; ++i) {
    lambdas.push_back(info.Spectrum.data[i].lambda);
    weights.push_back(info.Spectrum.data[i].weight);
  }
  PrintList(out, "Lambda", lambdas.data(), static_cast<int>(lambdas.size()), ",");
  std::fprintf(out, "\n");
  PrintList(out, "Weight", weights.data(), static_cast<int>(weights.size()), ",");
  std::fprintf(out, "\n");
  PrintNumber(out, "Temperature", info.Temperature);
  std::fprintf(out, "; ");
  PrintNumber(out, "Pressure", info.Pressure);
  std::fprintf(out, "\n");
  std::fprintf(out, "EnablePipe=%d\n", info.EnablePipe);
  // The medium round the system as set, not the first surface's derived index: the two
  // differ when the object space is glass, and writing the derived one changed N1 on every
  // save.
  if (system.SurfaceCount() > 0) {
    PrintNumber(out, "N1", info.N1);
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "Coord=%d\n", info.Coord);
  std::fprintf(out, "Difrac=%d\n", info.Difrac);
  PrintNumber(out, "Discrete", info.Discrete);
  std::fprintf(out, "\n");
  std::fprintf(out, "ShowRecommendation=%d\n", info.ShowRecommendation);
  std::fprintf(out, "Nd=%d\n", info.Nd);
  std::fprintf(out, "Unit=%d\n", info.Unit);
  const int fieldCount =
      CountOf(info.AlfaM) < kFileFieldValues ? CountOf(info.AlfaM) : kFileFieldValues;
  std::vector<double> fields(fieldCount > 0 ? fieldCount : 1, 0.0);
  for (int i = 0; i < fieldCount; ++i) {
    const double value = info.AlfaM.data[i];
    fields[i] = info.Unit == 1
                    ? WritableNumber(value * kFileUnitFactor,
                                     [&](double d) { return d / kFileUnitFactor == value; })
                    : value;
  }
  PrintList(out, "AlfaM", fields.data(), static_cast<int>(fields.size()), ",");
  std::fprintf(out, ";\n");
  std::fprintf(out, "Nray=%d; DrawAllRays=%d\n", info.Nray, info.DrawAllRays);
  std::fprintf(out, "Nsurf=%d\n", system.SurfaceCount());
  std::fprintf(out, "EndSection=1\n");
  std::fprintf(out, "TurnSystem=%d\n\n", info.TurnSystem);
  std::fprintf(out, "ObjectFinite=%d\n", info.ObjectFinite);
  std::fprintf(out, "ImageFinite=%d\n\n", info.ImageFinite);
  std::fprintf(out, "AutoSetPupilParameters=%d\n", info.AutoSetPupilParameters);
  std::fprintf(out, "Naper=%d; ", info.Naper);
  PrintNumber(out, "Dentr", info.Dentr);
  std::fprintf(out, "\n\n");
}

void PrintItem(std::FILE *out, const char *key, double value) {
  PrintNumber(out, key, value);
  std::fprintf(out, "; ");
}

void WriteRecord(const TOpticalSystem &system, int i, std::FILE *out) {
  const TGeneralParameters &g = system.surfaces.data[i]->general;
  std::fprintf(out, "{ ");
  PrintItem(out, "R", g.R);
  // A cylinder's conic shapes its meridian: its section's type keeps it a cylinder on reading.
  if (g.type == kSurfaceAspheric2 || (g.type == kSurfaceCylinder && g.Ex != 0.0)) PrintItem(out, "Ex", g.Ex);
  std::fprintf(out, "Glass=\"%s\"; ", EncodeFileName(g.glass).c_str());
  if (g.Tau != 0.0 && g.Tau != 1.0) PrintItem(out, "Tau", g.Tau);
  double offset[3];
  RecordPosition(system, i, offset);
  static const char *const kPositionKeys[3] = {"Dx", "Dy", "Dz"};
  for (int k = 0; k < 3; ++k)
    if (std::fabs(offset[k]) > kFileNegligible) PrintItem(out, kPositionKeys[k], offset[k]);
  double degrees[3];
  RecordAngles(system, i, degrees);
  static const char *const kAngleKeys[3] = {"AlfaX", "AlfaY", "AlfaZ"};
  for (int k = 0; k < 3; ++k)
    if (std::fabs(degrees[k] / kFileDegreesPerRadian) > kFileNegligible)
      PrintItem(out, kAngleKeys[k], degrees[k]);
  PrintItem(out, "DextY", 2.0 * g.semiHeightExt);
  // A width apart from the diameter is kept also under a round bound (one whose type was
  // damaged in its file), so that no save loses it.
  if (g.boundTypeExt != kBoundRound || g.semiWidthExt != g.semiHeightExt) PrintItem(out, "DextX", 2.0 * g.semiWidthExt);
  if (g.boundTypeExt != kBoundRound) std::fprintf(out, "BoundTypeExt=%d; ", g.boundTypeExt);
  if (g.boundPosYExt != 0.0) PrintItem(out, "BoundPosYExt", g.boundPosYExt);
  if (g.boundPosXExt != 0.0) PrintItem(out, "BoundPosXExt", g.boundPosXExt);
  if (g.semiHeightInt != 0.0) {
    PrintItem(out, "DintY", 2.0 * g.semiHeightInt);
    if (g.boundTypeInt != kBoundRound || g.semiWidthInt != g.semiHeightInt) PrintItem(out, "DintX", 2.0 * g.semiWidthInt);
    if (g.boundTypeInt != kBoundRound) std::fprintf(out, "BoundTypeInt=%d; ", g.boundTypeInt);
    if (g.boundPosYInt != 0.0) PrintItem(out, "BoundPosYInt", g.boundPosYInt);
    if (g.boundPosXInt != 0.0) PrintItem(out, "BoundPosXInt", g.boundPosXInt);
  }
  std::fprintf(out, "}\n");
}

void WriteZone(const TRasterZone &zone, std::FILE *out) {
  auto list = [out](const char *key, const Mem<double> &values) {
    PrintList(out, key, values.data, CountOf(values), ", ");
    std::fprintf(out, "\n");
  };
  PrintNumber(out, "HMikroLens", zone.HMikroLens);
  std::fprintf(out, "\n");
  std::fprintf(out, "Packing=%d\n", zone.Packing);
  list("PackCoef", zone.PackCoef);
  std::fprintf(out, "MicroType=%d\n", zone.MicroType);
  list("MicroCoef", zone.MicroCoef);
  std::fprintf(out, "SCType=%d\n", zone.SCType);
  list("Origin", zone.Origin);
  list("Angle", zone.Angle);
  std::fprintf(out, "LimitType=%d\n", zone.LimitType);
  list("LimitUpper", zone.LimitUpper);
  list("LimitLower", zone.LimitLower);
  std::fprintf(out, "\n");
}

void WriteSurfaceSection(const TSurface &s, std::FILE *out) {
  if (s.HasRasterZones()) std::fprintf(out, "NRasterZones=%d\n", s.zones.cols * s.zones.rows);
  if (HasShapePart(s)) {
    if (s.general.type == kSurfaceFresnel) {
      PrintNumber(out, "FrenelHeight", s.general.FrenelHeight);
      std::fprintf(out, "\n");
    }
    std::fprintf(out, "TypeAspher=%d\n", s.general.type);
    const int count =
        CountOf(s.AsCoef) < kFileShapeCoefficients ? CountOf(s.AsCoef) : kFileShapeCoefficients;
    // Written also when there are none, so that a file that lost the line is told.
    static const double kNoCoefficient = 0.0;
    PrintList(out, "AsCoef", count > 0 ? s.AsCoef.data : &kNoCoefficient, count > 0 ? count : 1, ",");
    std::fprintf(out, ";\n\n");
  }
  if (s.hoe != nullptr) {
    const THOEParameters &hoe = *s.hoe;
    const int count =
        CountOf(hoe.Vh) < kFilePhaseCoefficients ? CountOf(hoe.Vh) : kFilePhaseCoefficients;
    static const double kNoPhase = 0.0;
    PrintNumber(out, "Mhxy", hoe.Mhxy);
    std::fprintf(out, "; ");
    PrintNumber(out, "Wlh", hoe.Wlh);
    // Nv 0 would read as "no hologram": a hologram without coefficients gets one zero.
    std::fprintf(out, "; pD=%d; Quantum=%d; Nv=%d\n", hoe.pD, hoe.Quantum, count > 0 ? count : 1);
    PrintList(out, "Vh", count > 0 ? hoe.Vh.data : &kNoPhase, count > 0 ? count : 1, ",");
    std::fprintf(out, ";\n");
  }
  std::fprintf(out, "\n");
}

// The section headers of an existing file, lower-cased, in order.
std::vector<std::string> ExistingHeaders(const std::string &path) {
  std::vector<std::string> headers;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] != '[') continue;
    LowerCaseAnsiInPlace(line);
    headers.push_back(line);
  }
  return headers;
}

bool IsSurfaceOrZoneHeader(const std::string &lowerHeader) {
  return lowerHeader.rfind("[surface_", 0) == 0 || lowerHeader.rfind("[surf_", 0) == 0;
}

// True for a surface or zone section of no surface or zone the system has.
bool NamesNoSurfaceOrZone(const std::string &lowerHeader, const TOpticalSystem &system) {
  int surfaceNumber = 0;
  int zoneNumber = 0;
  char tail = 0;
  const int n = system.SurfaceCount();
  const bool zone = std::sscanf(lowerHeader.c_str(), "[surf_%d_zone_%d%c", &surfaceNumber, &zoneNumber, &tail) == 3;
  if (!zone && std::sscanf(lowerHeader.c_str(), "[surface_%d%c", &surfaceNumber, &tail) != 2) return false;
  if (tail != ']') return false;
  if (surfaceNumber < 1 || surfaceNumber > n) return true;
  const TSurface *s = system.surfaces.data[surfaceNumber - 1];
  return zone && s != nullptr && (zoneNumber < 1 || zoneNumber > s->zones.Cells());
}

bool IsLeftOut(const std::string &lowerHeader, const TOpticalSystem &system) {
  return std::any_of(system.sectionsLeftOut.begin(), system.sectionsLeftOut.end(),
                     [&lowerHeader](const auto &held) { return LowerCaseAnsi(held.first) == lowerHeader; });
}

bool IsStaleHeader(const std::string &lowerHeader, const TOpticalSystem &system) {
  // A section the reader left out stays while it still names no surface or zone: the user's
  // to mend. One that names a surface now is written or removed as any other.
  if (NamesNoSurfaceOrZone(lowerHeader, system)) return !IsLeftOut(lowerHeader, system);
  int surfaceNumber = 0;
  int zoneNumber = 0;
  char tail = 0;
  if (std::sscanf(lowerHeader.c_str(), "[surf_%d_zone_%d%c", &surfaceNumber, &zoneNumber, &tail) == 3 &&
      tail == ']')
    return system.surfaces.data[surfaceNumber - 1] == nullptr;
  if (std::sscanf(lowerHeader.c_str(), "[surface_%d%c", &surfaceNumber, &tail) == 2 && tail == ']') {
    const TSurface *s = system.surfaces.data[surfaceNumber - 1];
    return s == nullptr || !HasOwnSection(*s);
  }
  return false;
}

}  // namespace

std::string SurfaceSectionHeader(int surfaceNumber) {
  return "[Surface_" + std::to_string(surfaceNumber) + "]";
}

std::string ZoneSectionHeader(int surfaceNumber, int zoneNumber) {
  return "[Surf_" + std::to_string(surfaceNumber) + "_Zone_" + std::to_string(zoneNumber) + "]";
}

std::string TOpticalSystem::SectionsWritten() const {
  char *buffer = nullptr;
  std::size_t size = 0;
  std::FILE *out = open_memstream(&buffer, &size);
  if (out == nullptr) return std::string();
  std::fprintf(out, "[Common]\n");
  WriteCommon(*this, out);
  std::fprintf(out, "\n[Surfaces]\n\n");
  const int n = SurfaceCount();
  for (int i = 0; i < n; ++i) {
    const TSurface *s = surfaces.data[i];
    if (s == nullptr || !HasOwnSection(*s)) continue;
    std::fprintf(out, "%s\n", SurfaceSectionHeader(i + 1).c_str());
    WriteSurfaceSection(*s, out);
    for (int m = 0; m < s->zones.Cells(); ++m) {
      std::fprintf(out, "%s\n", ZoneSectionHeader(i + 1, m + 1).c_str());
      WriteZone(s->zones.data[m], out);
    }
  }
  std::fclose(out);
  std::string text(buffer != nullptr ? buffer : "", buffer != nullptr ? size : 0);
  std::free(buffer);
  return text;
}

int TOpticalSystem::WriteFile(const char *fileName, const TSystemFileSections *more,
                              TFileWriteResult *result) {
  TFileWriteResult ignored;
  TFileWriteResult &why = result != nullptr ? *result : ignored;
  why = TFileWriteResult{};
  const std::string path = fileName != nullptr && fileName[0] != '\0' ? fileName : name;
  if (path.empty()) {
    why = TFileWriteResult{TFileWriteFault::kNoDirectory, 0};
    return 0;
  }
  const int n = SurfaceCount();
  for (int i = 0; i < n; ++i)
    if (surfaces.data[i] == nullptr) {
      why = TFileWriteResult{TFileWriteFault::kFailed, EINVAL};
      return 0;
    }

  // A file marked read-only, or anything but an ordinary file (reading a pipe would block),
  // is refused before it is read.
  why = CheckFileWritable(path);
  if (!why.Written()) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  // The system saved as another file than its own (Save as, the system named for the file
  // first) replaces it whole: the file holds this system and the sections the system
  // carries, nothing of what it held (another system's configurations or notes).
  std::error_code unknown;
  const bool own = path != name || (!ownFile.empty() && std::filesystem::equivalent(ownFile, path, unknown));
  const std::vector<std::string> before = own ? ExistingHeaders(path) : std::vector<std::string>();
  TReadNF file;
  std::FILE *out = file.Open(path, own ? 1 : 2);
  if (out == nullptr) {
    why = file.WriteResult();
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  // A file the reader would refuse is not written: the old one stays.
  file.LimitSize(kSystemFileMaxBytes);
  file.SelectSection("[Common]");
  WriteCommon(*this, out);
  file.Reset();
  file.SelectSection("[Surfaces]");
  for (int i = 0; i < n; ++i) WriteRecord(*this, i, out);
  std::fprintf(out, "\n");
  file.Reset();
  for (int i = 0; i < n; ++i) {
    const TSurface &s = *surfaces.data[i];
    if (!HasOwnSection(s)) continue;
    file.SelectSection(SurfaceSectionHeader(i + 1));
    WriteSurfaceSection(s, out);
    file.Reset();
    const int zoneCount = s.zones.Cells();
    for (int m = 0; m < zoneCount; ++m) {
      file.SelectSection(ZoneSectionHeader(i + 1, m + 1));
      WriteZone(s.zones.data[m], out);
      file.Reset();
    }
  }
  // Sections left from an earlier save of this file that no longer describe a surface go
  // in the same rewrite.
  for (const std::string &header : before)
    if (IsStaleHeader(header, *this)) file.RemoveSection(header);
  // The sections the reader left out go back as they were, also into a new file (Save as).
  // A surface or zone section that names one of the system now is written as any other.
  WriteKeptSections(file, out, sectionsLeftOut, [this](const std::string &header) {
    return IsSurfaceOrZoneHeader(LowerCaseAnsi(header)) && !NamesNoSurfaceOrZone(LowerCaseAnsi(header), *this);
  });
  // The remark read with the system goes with it, also into a new file (Save as); a system
  // without one keeps whatever remark the file holds, or gets an empty section.
  if (!remark.empty()) {
    file.SelectSection("[Remark]");
    std::fputs(remark.c_str(), out);
  } else {
    file.ReadSection("[Remark]");
  }
  file.Reset();
  if (more != nullptr) {
    std::vector<std::string> written;
    for (const auto &[header, body] : more->Sections()) {
      file.SelectSection(header);
      std::fputs(body.c_str(), out);
      file.Reset();
      written.push_back(LowerCaseAnsi(header));
    }
    for (const std::string &header : before) {
      if (!more->Owns(header)) continue;
      if (std::find(written.begin(), written.end(), header) == written.end()) file.RemoveSection(header);
    }
  }
  // The end section goes last, after any section of the old file kept behind the others.
  file.RemoveSection(kSystemFileEndSection);
  file.SelectSection(kSystemFileEndSection);
  file.PrepareTemp();
  if (!file.Close()) {
    why = file.WriteResult().Written() ? TFileWriteResult{TFileWriteFault::kFailed, EIO} : file.WriteResult();
    return 0;
  }
  if (path == name) ownFile = path;
  return 1;
}
