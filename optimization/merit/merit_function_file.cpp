// The merit-function file: one section per configuration, "[Functions]" for the first and
// "[Functions c]" for configuration c, holding the beam-0 targets and weights (one pair per
// kind), the options, and one record per beam. "[Functions]" begins with the number of
// sections written and every section ends with its closing line, so a file cut at a line
// end is known.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/model/optical_system.h"
#include "optics/systemfile/system_file_format.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/system/configured_system.h"
#include "platform/core/message_box.h"

namespace {

constexpr char kMessageCaption[] = "Merit functions";
// With Unit 1 the beams are held in degrees and filed in arc minutes.
constexpr int kArcMinuteUnit = 1;
constexpr double kArcMinutesPerDegree = 60.0;

std::string Number(double value) { return FormatNumber(value); }

// The text of a held value filed in arc minutes that reads back, divided by 60, as exactly
// the held value.
std::string ArcMinutes(double degrees) {
  const double filed = WritableNumber(degrees * kArcMinutesPerDegree, [degrees](double candidate) {
    return candidate / kArcMinutesPerDegree == degrees;
  });
  return Number(filed);
}

const TFunctionDescription &First(const Mem<TFunctionDescription> &table) {
  static const TFunctionDescription none;
  return table.data != nullptr && table.cols * table.rows > 0 ? table.data[0] : none;
}

void WritePair(std::FILE *out, const char *key, const TFunctionDescription &d, const char *end) {
  std::fprintf(out, "%s_R=%s; %s_W=%s%s", key, Number(d.Target).c_str(), key, Number(d.Weight).c_str(), end);
}

void SetAll(Mem<TFunctionDescription> &table, double target, double weight) {
  for (int k = 0; k < table.Cells(); ++k) {
    table.data[k].Target = target;
    table.data[k].Weight = weight;
  }
}

// A table of n x rows cells, each with the target and weight.
void Fill(Mem<TFunctionDescription> &table, int n, int rows, double target, double weight) {
  if (!table.Allocate(n, rows)) return;
  SetAll(table, target, weight);
}

void Tell(const std::string &text) { MessageBox(nullptr, text, kMessageCaption, MB_OK | MB_ICONWARNING); }

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Written first in "[Functions]": the number of function sections the writer wrote, each
// of which it closes with kSectionEndKey. A file that holds it promises whole sections.
constexpr char kSectionCountKey[] = "Sections";
// The last line of every section the writer writes: a section without it was cut short.
constexpr char kSectionEndKey[] = "SectionEnd";

bool IsFunctionsHeader(const std::string &lowerHeader) { return lowerHeader.rfind("[functions", 0) == 0; }

// A value the file holds that the set must not take: empty or not wholly a number (the
// sectioned-file reader would take "4x5" as 4 and "" as 0), a weight below 0, or fewer
// rays than a fan has. Said by key and value; empty when there is none.
std::string ValueRefused(const std::string &fileName) {
  std::string fault = FirstValueNotANumber(
      fileName, [](const std::string &header, const std::string &) { return IsFunctionsHeader(header); });
  if (!fault.empty()) return fault;
  VisitSectionItems(fileName, [&fault](const std::string &header, const std::string &item) {
    if (!fault.empty() || item.empty() || !IsFunctionsHeader(header)) return;
    const std::string key = LowerCaseAnsi(Trimmed(item.substr(0, item.find('='))));
    const double value = DecimalToDouble(Trimmed(item.substr(item.find('=') + 1)));
    const bool weight = key == "wbeam" || (key.size() > 2 && key.compare(key.size() - 2, 2, "_w") == 0);
    if (weight && value < 0.0) fault = "the weight " + item + " is below 0";
    if (key == "nrayinbeam" && value < TFunctionsParameters::kMinRaysInBeam)
      fault = "the ray count " + item + " is below the least, " +
              std::to_string(TFunctionsParameters::kMinRaysInBeam);
  });
  return fault;
}

// The largest weight a function or beam takes.
constexpr double kLargestWeight = 1e6;

// Field units a section may name: 0 degrees, 1 arc minutes, 2 millimetres.
constexpr int kLastUnit = 2;
// A beam's field beyond this (in any unit) is no field of a system: a damaged file.
constexpr double kLargestBeamField = 1.0e6;

// Beams whose field no unit gives a meaning: the file is refused, said by key and line.
std::string BeamOutOfRange(const std::string &fileName) {
  std::string fault;
  VisitSectionItems(fileName, [&fault](const std::string &header, const std::string &item, int line) {
    if (!fault.empty() || item.empty() || !IsFunctionsHeader(header)) return;
    const std::string key = LowerCaseAnsi(Trimmed(item.substr(0, item.find('='))));
    const double value = DecimalToDouble(Trimmed(item.substr(item.find('=') + 1)));
    if ((key == "ybeam" || key == "zbeam") && !(std::fabs(value) <= kLargestBeamField))
      fault = "line " + std::to_string(line) + ": the beam's field " + item + " is beyond " +
              FormatNumber(kLargestBeamField);
  });
  return fault;
}

// The line of the first item of a key in a section (both lower case); 0 when none.
int LineOfKey(const std::string &fileName, const std::string &section, const std::string &key) {
  int found = 0;
  VisitSectionItems(fileName, [&](const std::string &header, const std::string &item, int line) {
    if (found == 0 && header == section && LowerCaseAnsi(Trimmed(item.substr(0, item.find('=')))) == key)
      found = line;
  });
  return found;
}

// A section's Unit and ScannerSurface that name nothing the program knows are told by key
// and line and taken as 0 (degrees; no scanner surface).
void BoundSectionOptions(TFunctionsParameters &first, int surfaceCount, const std::string &fileName,
                         const std::string &section, std::string &notes) {
  const std::string lower = LowerCaseAnsi(section);
  auto note = [&](const char *key, int value, const std::string &why) {
    notes += "\nline " + std::to_string(LineOfKey(fileName, lower, LowerCaseAnsi(key))) + ": " + key + "=" +
             std::to_string(value) + " " + why;
  };
  if (first.Unit < 0 || first.Unit > kLastUnit) {
    note("Unit", first.Unit, "is no unit (0 degrees, 1 arc minutes, 2 millimetres); 0 is used.");
    first.Unit = 0;
  }
  if (first.ScannerSurface != 0 && (first.ScannerSurface < 0 || first.ScannerSurface >= surfaceCount)) {
    note("ScannerSurface", first.ScannerSurface, "names no surface of the system; 0 (none) is used.");
    first.ScannerSurface = 0;
  }
}

// What one "[Functions...]" section of the file holds of its frame.
struct TSectionFrame {
  bool closed = false;         // holds kSectionEndKey
  bool endsInBeam = false;     // its last item is one of a beam record's
  double promisedCount = -1;   // kSectionCountKey, when it holds it
};

// Why a file is not whole although every line is (a cut at a line end); empty when it is.
// A file whose "[Functions]" promises its sections must hold each promised one, closed by
// its last line. Files written before the promise are taken when each section ends, as
// every writer ended it, in its beam records; one that stops before them was cut.
// headers: the sections of the configurations read, first "[Functions]".
std::string CutSection(const std::string &fileName, const std::vector<std::string> &headers) {
  std::map<std::string, TSectionFrame> frames;
  VisitSectionItems(fileName, [&frames](const std::string &header, const std::string &item) {
    if (!IsFunctionsHeader(header)) return;
    TSectionFrame &frame = frames[header];
    if (item.empty()) return;
    const std::string key = LowerCaseAnsi(Trimmed(item.substr(0, item.find('='))));
    frame.endsInBeam = key == "ybeam" || key == "zbeam" || key == "wbeam";
    if (key == LowerCaseAnsi(kSectionEndKey)) frame.closed = true;
    if (key == LowerCaseAnsi(kSectionCountKey)) frame.promisedCount = DecimalToDouble(item.substr(item.find('=') + 1));
  });
  const auto first = headers.empty() ? frames.end() : frames.find(LowerCaseAnsi(headers[0]));
  const double promised = first != frames.end() ? first->second.promisedCount : -1;
  for (std::size_t c = 0; c < headers.size(); ++c) {
    const std::string &header = headers[c];
    const auto frame = frames.find(LowerCaseAnsi(header));
    if (frame == frames.end()) {
      if (static_cast<double>(c) < promised) return "it was cut short before its section " + header;
      continue;
    }
    if (promised >= 0 ? !frame->second.closed : !frame->second.endsInBeam)
      return "it was cut short inside its section " + header + " (the section does not end as written)";
  }
  return {};
}

}  // namespace

// The per-kind targets and weights while a file is read: a key missing from a section
// keeps the value the section before gave it.
struct TOptimizationFunctions::TWorkingTargets {
  TFunctionDescription focus;
  TFunctionDescription magnification;
  TFunctionDescription sfs;
  TFunctionDescription length;
  TFunctionDescription distor;
  TFunctionDescription strehl{1.0, 0.0, 0.0};
};

std::string TOptimizationFunctions::SectionName(int c) {
  return c == 0 ? std::string("[Functions]") : "[Functions " + std::to_string(c) + "]";
}

int TOptimizationFunctions::Write(const std::string &fileName, TFileWriteResult *why) {
  if (system == nullptr) {
    if (why != nullptr) *why = TFileWriteResult{TFileWriteFault::kNothingToWrite, 0};
    return 0;
  }
  const int configurations = std::min(system->ConfigurationCount(), records.cols);
  TRead1NF file;
  std::FILE *out = file.Open(fileName, 1);
  if (out == nullptr) {
    if (why != nullptr) *why = file.WriteResult();
    return 0;
  }
  for (int c = 0; c < configurations; ++c) {
    const TFunctionsParameters &r = *Record(c, 0);
    file.SelectSection(SectionName(c));
    if (c == 0) std::fprintf(out, "%s=%d\n", kSectionCountKey, configurations);
    WritePair(out, "Focus", First(r.Focus), "\n");
    WritePair(out, "Magnification", First(r.Magnification), "\n");
    WritePair(out, "LengthOfSystem", First(r.LengthOfSystem), "\n");
    WritePair(out, "Sfs", First(r.Sfs), "\n");
    WritePair(out, "AberT", First(r.AberT), "\n");
    WritePair(out, "AberW", First(r.AberW), "\n\n");
    WritePair(out, "Distor", First(r.Distor), "\n");
    WritePair(out, "Strehl", First(r.Strehl), "\n");
    std::fprintf(out, "Narciss_W=%s; ScannerSurface=%d\n\n", Number(r.Narciss.Weight).c_str(), r.ScannerSurface);
    std::fprintf(out, "NrayInBeam=%d\n", r.NrayInBeam);
    if (c == 0) {
      std::fprintf(out, "EnableSagittalRays=%d\n", EnableSagittalRays);
      std::fprintf(out, "ShowEachStep=%d\n", ShowEachStep);
      std::fprintf(out, "PolychromeOptimization=%d\n", PolychromeOptimization);
      std::fprintf(out, "SettingImageSurfaceType=%d\n\n", SettingImageSurfaceType);
    }
    std::fprintf(out, "Unit=%d\n", r.Unit);
    // Trailing beams on the axis are not filed; beam 0 always is.
    int beams = 1;
    for (int b = 0; b < records.rows; ++b) {
      const TFunctionsParameters &beam = *Record(c, b);
      if (beam.Ybeam != 0.0 || beam.Zbeam != 0.0) beams = b + 1;
    }
    if (beams > kMaxBeamsInFile) {
      MessageBox(nullptr,
                 "Configuration " + std::to_string(c + 1) + " has " + std::to_string(beams) +
                     " beams; the merit-function file keeps the first " + std::to_string(kMaxBeamsInFile) + ".",
                 kMessageCaption, MB_OK | MB_ICONWARNING);
      beams = kMaxBeamsInFile;
    }
    const bool arcMinutes = r.Unit == kArcMinuteUnit;
    for (int b = 0; b < beams; ++b) {
      const TFunctionsParameters &beam = *Record(c, b);
      const std::string y = arcMinutes ? ArcMinutes(beam.Ybeam) : Number(beam.Ybeam);
      const std::string z = arcMinutes ? ArcMinutes(beam.Zbeam) : Number(beam.Zbeam);
      std::fprintf(out, "{ Ybeam=%s; Zbeam=%s; Wbeam=%s }\n", y.c_str(), z.c_str(), Number(beam.Wbeam).c_str());
    }
    std::fprintf(out, "%s=1\n\n", kSectionEndKey);
    file.Reset();
  }
  // The pages of configurations the system no longer has go: a configuration added later
  // starts without them.
  for (int c = configurations; file.RemoveSection(SectionName(c)) != 0; ++c) file.Reset();
  // Sections the program does not know are the user's: they stay, but a page of a
  // configuration the system no longer has is not brought back under that name.
  WriteKeptSections(file, out, sectionsKept,
                    [](const std::string &header) { return header.rfind("[Functions", 0) == 0; });
  file.PrepareTemp();
  const int written = file.Close();
  if (why != nullptr) *why = file.WriteResult();
  return written;
}

void TOptimizationFunctions::ApplyMissingSectionDefaults(int c, TWorkingTargets &working) {
  if (system != nullptr) {
    const TOpticalSystem &s = system->System();
    working.focus.Target = s.info.focalLength;
    working.magnification.Target = s.info.magnification;
    working.sfs.Target = s.info.backFocalDistance;
    working.length.Target = s.TrackLength();
  }
  working.focus.Weight = 1.0;
  working.sfs.Weight = 0.0;
  working.strehl.Target = 1.0;
  working.strehl.Weight = 0.0;
  const int n = WavelengthCount();
  for (int b = 0; b < records.rows; ++b) {
    TFunctionsParameters &r = *Record(c, b);
    // Sized first, so that every ray of the fan gets its weight.
    FitRecord(r, n);
    r.Narciss.Weight = 0.0;
    r.ScannerSurface = 0;
    SetAll(r.Focus, working.focus.Target, working.focus.Weight);
    SetAll(r.Strehl, working.strehl.Target, working.strehl.Weight);
    SetAll(r.Magnification, working.magnification.Target, working.magnification.Weight);
    SetAll(r.Sfs, working.sfs.Target, working.sfs.Weight);
    SetAll(r.LengthOfSystem, working.length.Target, working.length.Weight);
    r.Distor.Zero();
    SetAll(r.AberT, 0.0, 1.0);
    r.AberTSag.Zero();
    r.AberW.Zero();
    r.AberWSag.Zero();
  }
}

void TOptimizationFunctions::ApplySection(int c, const TWorkingTargets &working, const double aberT[2],
                                          const double aberW[2]) {
  TFunctionsParameters &r = *Record(c, 0);
  const int n = WavelengthCount();
  r.NrayInBeam = std::clamp(r.NrayInBeam, TFunctionsParameters::kMinRaysInBeam, kMaxRaysInBeam);
  Fill(r.Focus, n, 1, working.focus.Target, working.focus.Weight);
  Fill(r.Magnification, n, 1, working.magnification.Target, working.magnification.Weight);
  Fill(r.Sfs, n, 1, working.sfs.Target, working.sfs.Weight);
  Fill(r.LengthOfSystem, n, 1, working.length.Target, working.length.Weight);
  Fill(r.Distor, n, 1, working.distor.Target, working.distor.Weight);
  Fill(r.Strehl, n, 1, working.strehl.Target, working.strehl.Weight);
  Fill(r.AberT, n, r.NrayInBeam, aberT[0], aberT[1]);
  Fill(r.AberW, n, r.NrayInBeam, aberW[0], aberW[1]);
  if (EnableSagittalRays != 0) {
    r.AberTSag = r.AberT;
    r.AberWSag = r.AberW;
  } else {
    Fill(r.AberTSag, n, r.NrayInBeam, 0.0, 0.0);
    Fill(r.AberWSag, n, r.NrayInBeam, 0.0, 0.0);
  }
}

void TOptimizationFunctions::ClearBeams(int c, int first, int last) {
  const TFunctionsParameters *origin = Record(c, 0);
  if (origin == nullptr) return;
  for (int b = std::max(first, 1); b <= last; ++b) {
    TFunctionsParameters &r = *Record(c, b);
    r = *origin;
    r.Ybeam = 0.0;
    r.Zbeam = 0.0;
    r.Wbeam = 0.0;
    r.Distor.Zero();
  }
}

int TOptimizationFunctions::Read(const std::string &fileName, bool sharedWithParameters) {
  const int configurations = records.cols;
  TRead1NF file;
  int found = file.Open(fileName, 0) != nullptr ? 1 : 0;
  if (found != 0) {
    // Judged whole before anything changes. The functions may share a file with the
    // parameters: a file without their sections gives the defaults, but one without any
    // section is no file of ours.
    std::string problem = file.ScanDamage(true, true);
    if (!problem.empty()) {
      Tell("The merit-function file " + fileName + " was not read: " + problem + ".");
      // The records stay as they were, completed as a read leaves them.
      SetConfigurations();
      return 0;
    }
    // The parameters may share the file; a system of fewer configurations leaves sections.
    file.NameUnknownSections([](const std::string &header) {
      return header.rfind("[functions", 0) == 0 || header == "[common]" || header == "[parameters]";
    });
    // Any file of sections without the first configuration's is no merit-function file
    // (a parameter or system file, or a damaged header): taking it would reset every
    // weight to the defaults.
    problem = file.ReadSection(SectionName(0)) == 0 && !sharedWithParameters
                  ? "it holds no " + SectionName(0) + " section"
                  : std::string();
    if (problem.empty()) problem = ValueRefused(fileName);
    if (problem.empty()) problem = BeamOutOfRange(fileName);
    // A section cut short would take the values of the section before for the keys it
    // lost: only whole sections are read.
    if (problem.empty()) {
      std::vector<std::string> headers;
      for (int c = 0; c < configurations; ++c) headers.push_back(SectionName(c));
      problem = CutSection(fileName, headers);
    }
    if (!problem.empty()) {
      Tell("The merit-function file " + fileName + " was not read: " + problem + ".");
      SetConfigurations();
      return 0;
    }
  }
  // What a file refused halfway (a value that is no number) must leave as it was.
  Mem<TFunctionsParameters> keptRecords = records;
  const int keptOptions[4] = {ShowEachStep, PolychromeOptimization, EnableSagittalRays, SettingImageSurfaceType};
  std::string refused;
  std::string clamped;
  std::string missing;
  const bool opened = found != 0;
  TWorkingTargets working;
  // The beams each configuration keeps as its own: a section fixes its configuration's
  // count only, so editing one configuration's beams never cuts another's.
  std::vector<int> ownBeams(static_cast<std::size_t>(std::max(configurations, 0)), records.rows);
  for (int c = 0; c < configurations; ++c) {
    double y[kMaxBeamsInFile] = {};
    double z[kMaxBeamsInFile] = {};
    double w[kMaxBeamsInFile] = {};
    found = opened ? file.ReadSection(SectionName(c)) : 0;
    if (found == 0) {
      // A file of fewer configurations than the system (or one cut short) is told.
      if (opened && !sharedWithParameters) missing += (missing.empty() ? "" : ", ") + SectionName(c);
      ApplyMissingSectionDefaults(c, working);
      ownBeams[static_cast<std::size_t>(c)] = records.rows;
      continue;
    }
    double aberT[2] = {0.0, 0.0};
    double aberW[2] = {0.0, 0.0};
    TFunctionsParameters *first = Record(c, 0);
    file.AddDouble2("Focus_R", &working.focus.Target, "Focus_W", &working.focus.Weight);
    file.AddDouble2("Magnification_R", &working.magnification.Target, "Magnification_W",
                    &working.magnification.Weight);
    file.AddDouble2("LengthOfSystem_R", &working.length.Target, "LengthOfSystem_W", &working.length.Weight);
    file.AddDouble2("Sfs_R", &working.sfs.Target, "Sfs_W", &working.sfs.Weight);
    file.AddDouble2("AberT_R", &aberT[0], "AberT_W", &aberT[1]);
    file.AddDouble2("AberW_R", &aberW[0], "AberW_W", &aberW[1]);
    file.AddDouble2("Distor_R", &working.distor.Target, "Distor_W", &working.distor.Weight);
    file.AddDouble2("Strehl_R", &working.strehl.Target, "Strehl_W", &working.strehl.Weight);
    file.AddDouble("Narciss_W", &first->Narciss.Weight);
    file.AddInt4("ScannerSurface", &first->ScannerSurface, "NrayInBeam", &first->NrayInBeam, "Unit", &first->Unit,
                 "ShowEachStep", &ShowEachStep);
    file.AddInt3("PolychromeOptimization", &PolychromeOptimization, "EnableSagittalRays", &EnableSagittalRays,
                 "SettingImageSurfaceType", &SettingImageSurfaceType);
    file.AddDouble3("Ybeam", y, "Zbeam", z, "Wbeam", w, kMaxBeamsInFile);
    // The writer gives every beam record all three: one left out is told by record and line.
    for (const char *key : {"Ybeam", "Zbeam", "Wbeam"}) file.Require(key);
    // The frame keys are judged before (CutSection); registered so that they are known.
    int frame[2] = {0, 0};
    file.AddInt2(kSectionCountKey, &frame[0], kSectionEndKey, &frame[1]);
    // The end of a page is written 1: any other value is a damaged line.
    file.Limit(kSectionEndKey, 1.0, 1.0);
    // A Strehl ratio lies from 0 to 1; the options are switches, the image surface one of
    // its three settings.
    file.Limit("Strehl_R", 0.0, 1.0);
    for (const char *option : {"ShowEachStep", "PolychromeOptimization", "EnableSagittalRays"}) file.Limit(option, 0.0, 1.0);
    file.Limit("SettingImageSurfaceType", kImageSurfaceStays, kImageSurfaceAtBestFocus);
    // Weights are relative: one a million times another is past any balance a designer
    // sets, and 1e308 would make the merit sum infinite.
    for (const char *weight : {"Focus_W", "Magnification_W", "LengthOfSystem_W", "Sfs_W", "AberT_W", "AberW_W",
                               "Distor_W", "Strehl_W", "Narciss_W", "Wbeam"})
      file.Limit(weight, 0.0, kLargestWeight);
    file.ClearFaults();
    file.ParseSection(0);
    if ((file.Faults() & kReadNFNotFinite) != 0) {
      refused = "section " + SectionName(c) + " holds a value that is not a finite number";
      break;
    }
    BoundSectionOptions(*first, surfacesNamed >= 0 ? surfacesNamed : system != nullptr ? system->System().SurfaceCount() : kFileMaxSurfaces, fileName,
                        SectionName(c), clamped);
    if (first->NrayInBeam < TFunctionsParameters::kMinRaysInBeam || first->NrayInBeam > kMaxRaysInBeam) {
      const int taken = std::clamp(first->NrayInBeam, TFunctionsParameters::kMinRaysInBeam, kMaxRaysInBeam);
      clamped += "\nNrayInBeam=" + std::to_string(first->NrayInBeam) + " of section " + SectionName(c) +
                 " is taken as " + std::to_string(taken) + ".";
    }
    // A list given to a key of one value ("Unit=1,2") is named with the key notes.
    const auto keyNotesNow = file.KeyNotes();
    const bool listTooLong = std::any_of(keyNotesNow.begin(), keyNotesNow.end(), [](const TReadNFKeyNote &note) {
      return note.kind == TReadNFNoteKind::kTooManyValues;
    });
    if ((file.Faults() & kReadNFIndexOutOfRange) != 0 && !listTooLong) {
      MessageBox(nullptr,
                 "Section " + SectionName(c) + " of " + fileName + " lists more than " +
                     std::to_string(kMaxBeamsInFile) + " beams; the first " + std::to_string(kMaxBeamsInFile) +
                     " are read.",
                 kMessageCaption, MB_OK | MB_ICONWARNING);
    }
    ApplySection(c, working, aberT, aberW);

    if (first->Unit == kArcMinuteUnit) {
      for (int b = 0; b < kMaxBeamsInFile; ++b) {
        y[b] /= kArcMinutesPerDegree;
        z[b] /= kArcMinutesPerDegree;
      }
    }
    int beams = 1;
    for (int b = 0; b < kMaxBeamsInFile; ++b)
      if (y[b] != 0.0 || z[b] != 0.0) beams = b + 1;
    if (records.rows < beams) records.Resize(configurations, beams);
    beams = std::min(beams, records.rows);
    first = Record(c, 0);
    for (int b = 0; b < beams; ++b) {
      TFunctionsParameters &r = *Record(c, b);
      if (b > 0) r = *first;
      r.Ybeam = y[b];
      r.Zbeam = z[b];
      r.Wbeam = w[b];
    }
    ownBeams[static_cast<std::size_t>(c)] = beams;
  }
  const std::vector<TReadNFKeyNote> notes = file.KeyNotes();
  const std::string keyNotes = KeyNotesText(NotesToTell(notes, keptSectionsTold), "The merit-function file " + fileName);
  file.Close();
  if (refused.empty() && opened) {
    sectionsKept = UnknownSectionsOf(fileName, notes);
  }
  if (!refused.empty()) {
    records.Swap(keptRecords);
    ShowEachStep = keptOptions[0];
    PolychromeOptimization = keptOptions[1];
    EnableSagittalRays = keptOptions[2];
    SettingImageSurfaceType = keptOptions[3];
    Tell("The merit-function file " + fileName + " was not read: " + refused + ".");
    SetConfigurations();
    return 0;
  }
  if (!missing.empty())
    Tell("The merit-function file " + fileName + " holds no section " + missing +
         "; those configurations take the default functions.");
  if (!clamped.empty())
    Tell("The merit-function file " + fileName + " holds values that cannot be taken as they are:" + clamped);

  if (configurations > 0) {
    const int rows = std::max(1, *std::max_element(ownBeams.begin(), ownBeams.end()));
    if (rows < records.rows) records.Resize(configurations, rows);
    for (int c = 0; c < configurations; ++c) ClearBeams(c, ownBeams[static_cast<std::size_t>(c)], records.rows - 1);
  }
  SetConfigurations();
  // A weight or target the writer always gives that a page lacks takes a value the user
  // never wrote: said before a save writes it.
  std::string told = keyNotes;
  if (opened && system != nullptr)
    told += KeyNotesText(KeysLeftOutOf(
                             fileName, [this](const std::string &path) { return Write(path) == 1; },
                             // The frame keys, which older files lack, are judged before (CutSection).
                             {LowerCaseAnsi(kSectionCountKey), LowerCaseAnsi(kSectionEndKey)}),
                         "The merit-function file " + fileName);
  if (!told.empty()) Tell(told.substr(0, told.size() - 1));
  return opened ? 1 : 0;
}
