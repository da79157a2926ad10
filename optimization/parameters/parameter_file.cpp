// The parameter file: "[Common]" holds NumPar, "[Parameters]" one record per parameter,
// { Config=0; Surf=1; Left=-0.05; Right=0.05; Type="R" }. Numbers are written so that they
// read back exactly.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/model/optical_system.h"
#include "optics/systemfile/system_file_format.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"
#include "platform/core/message_box.h"

namespace {

constexpr char kMessageCaption[] = "Variable parameters";

void Tell(const std::string &text) { MessageBox(nullptr, text, kMessageCaption, MB_OK | MB_ICONWARNING); }

// The "{ ... }" records of the [Parameters] section as the file holds them.
int RecordsInParameters(const std::string &fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::string line;
  bool inside = false, read = false;
  int records = 0;
  while (std::getline(in, line)) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    if (line[start] == '[') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      // Only the first section of the name is read: a second one is named, not counted.
      inside = !read && LowerCaseAnsi(line.substr(start)) == "[parameters]";
      read |= inside;
      continue;
    }
    if (inside && line[start] == '{') ++records;
  }
  return records;
}

// The numeric keys of the file: NumPar in "[Common]", Config, Surf, Left, Right in the
// records of "[Parameters]" (Type is a quoted text).
bool IsNumericKey(const std::string &header, const std::string &key) {
  if (header == "[common]") return key == "numpar";
  return header == "[parameters]" && (key == "config" || key == "surf" || key == "left" || key == "right");
}

// The first configuration or surface number that is not whole ("Surf=2.5" would read as
// surface 2), said as the reader's message says it; empty when there is none.
std::string FirstCountNotWhole(const std::string &fileName) {
  std::string fault;
  VisitSectionItems(fileName, [&fault](const std::string &header, const std::string &item) {
    const std::size_t equals = item.find('=');
    if (!fault.empty() || header != "[parameters]" || equals == std::string::npos) return;
    std::string key = LowerCaseAnsi(item.substr(0, equals));
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    const double value = DecimalToDouble(item.substr(equals + 1));
    if ((key == "config" || key == "surf") && value != std::floor(value))
      fault = "the value of " + item + " is not a whole number";
  });
  return fault;
}

// A bound a record does not give: read as no number, so that it is told, never taken as 0.
constexpr double kNoBound = std::numeric_limits<double>::quiet_NaN();

// A record as the file gives it, for a message (a bound it lacks is left out).
std::string RecordText(int number, int config, int surf, double left, double right, const STRING &type) {
  auto bound = [](const char *key, double value) {
    return std::isnan(value) ? std::string() : std::string("; ") + key + "=" + FormatNumber(value);
  };
  return "record " + std::to_string(number) + " { Config=" + std::to_string(config) + "; Surf=" + std::to_string(surf) +
         bound("Left", left) + bound("Right", right) + "; Type=\"" + type + "\" }";
}

// A NumPar key never read: the file gives no count.
constexpr double kNoCount = -0.5;
// Counts beyond any file's are still whole numbers an int holds.
constexpr double kMaxCountRead = std::numeric_limits<int>::max();

}  // namespace

int TOptimizationParameters::Write(const std::string &fileName, TFileWriteResult *why) {
  RemoveInvalid();
  const int count = Count();
  if (count == 0) {
    // The file is left as it was, and a caller's message must not say it was written.
    if (why != nullptr) *why = TFileWriteResult{TFileWriteFault::kNothingToWrite, 0};
    return 0;
  }
  TRead1NF file;
  std::FILE *out = file.Open(fileName, 1);
  if (out == nullptr) {
    if (why != nullptr) *why = file.WriteResult();
    return 0;
  }
  file.SelectSection("[Common]");
  std::fprintf(out, "NumPar=%d\n\n", count);
  file.Reset();
  file.SelectSection("[Parameters]");
  for (int i = 0; i < count; ++i) {
    const TParameterDescription &p = list.data[i];
    // A valid type is a letter and digits: nothing in it needs quoting.
    std::fprintf(out, "{ Config=%d; Surf=%d; Left=%s; Right=%s; Type=\"%s\" }\n", p.Config, p.Surf,
                 FormatNumber(p.Left).c_str(), FormatNumber(p.Right).c_str(), p.Type.c_str());
  }
  std::fprintf(out, "\n");
  file.Reset();
  // The merit functions, which may share the file, write their own sections.
  WriteKeptSections(file, out, sectionsKept,
                    [](const std::string &header) { return LowerCaseAnsi(header).rfind("[functions", 0) == 0; });
  file.PrepareTemp();
  const int written = file.Close();
  if (why != nullptr) *why = file.WriteResult();
  return written;
}

int TOptimizationParameters::Read(const std::string &fileName) {
  TRead1NF file;
  if (file.Open(fileName, 0) == nullptr) return kParameterFileKept;
  // Judged whole first: a file that is not one of ours, or not whole, keeps the list.
  // The parameters may share a file with the merit functions: a file without their
  // sections keeps the list, but one without any section is no file of ours.
  const std::string problem = file.ScanDamage(true, true);
  if (!problem.empty()) {
    Tell("The parameter file " + fileName + " was not read: " + problem + ".");
    return kParameterFileRefused;
  }
  // The merit functions may share the file.
  file.NameUnknownSections([](const std::string &header) { return header.rfind("[functions", 0) == 0; });
  const bool hasCommon = file.ReadSection("[Common]") != 0;
  double declaredValue = kNoCount;
  if (hasCommon) {
    file.AddDouble("NumPar", &declaredValue);
    file.ParseSection(0);
    // "NumPar=nan" is a count given, though none: not one missing.
    if ((file.Faults() & kReadNFNotFinite) != 0) declaredValue = std::numeric_limits<double>::quiet_NaN();
  }
  const bool hasParameters = file.ReadSection("[Parameters]") != 0;
  // Without a count or records this is a file of other data (merit functions): not told.
  if (!hasParameters && declaredValue == kNoCount) return kParameterFileKept;
  // A value only partly a number, or none, would be read as its start or as 0 ("2x" as
  // surface 2, "abc" as a bound of 0): refused by its key.
  std::string notANumber = FirstValueNotANumber(fileName, IsNumericKey);
  if (notANumber.empty()) notANumber = FirstCountNotWhole(fileName);
  if (!notANumber.empty()) {
    Tell("The parameter file " + fileName + " was not read: " + notANumber + ".");
    return kParameterFileRefused;
  }
  if (!hasCommon) {
    Tell("The parameter file " + fileName + " was not read: its [Common] section, which gives the number of parameters, is missing or damaged.");
    return kParameterFileRefused;
  }
  // NumPar=0 over no records is the program's own "no parameters" (the list emptied by the
  // user); over records it is a count that disagrees, told below.
  if (declaredValue == 0.0 && (!hasParameters || RecordsInParameters(fileName) == 0)) return kParameterFileKept;
  // A count is a whole number (one beyond reason is cut further down).
  if (!(declaredValue >= 0.0 && declaredValue <= kMaxCountRead) || declaredValue != std::floor(declaredValue)) {
    Tell("The parameter file " + fileName + " was not read: NumPar " +
         (declaredValue == kNoCount ? std::string("is missing") : "= " + FormatNumber(declaredValue) + " is no number of parameters") + ".");
    return kParameterFileRefused;
  }
  const int declared = static_cast<int>(declaredValue);
  if (!hasParameters) {
    Tell("The parameter file " + fileName + " was not read: it declares NumPar=" + std::to_string(declared) +
         " but holds no [Parameters] section.");
    return kParameterFileRefused;
  }
  // The records are read as the file holds them, whatever the count says: a count that
  // disagrees is told, and neither drops a record nor refuses the ones there are.
  const int held = RecordsInParameters(fileName);
  std::string countNote;
  int countLine = 0;
  VisitSectionItems(fileName, [&countLine](const std::string &header, const std::string &item, int line) {
    if (countLine == 0 && header == "[common]" && LowerCaseAnsi(item).rfind("numpar", 0) == 0) countLine = line;
  });
  if (held != declared)
    countNote = "The parameter file " + fileName + ", line " + std::to_string(countLine) + ": it declares NumPar=" +
                std::to_string(declared) + " but holds " +
                std::to_string(held) + " parameter records; the records it holds are read.";
  // Records beyond the most a file may hold are left.
  const int count = std::min(held, kMaxFileParameters);
  if (held > kMaxFileParameters)
    countNote += (countNote.empty() ? "" : "\n") + std::string("The first ") + std::to_string(kMaxFileParameters) +
                 " parameter records of " + fileName + " are read.";
  if (count == 0) {
    Tell(countNote);
    list.Clear();
    return kParameterFileRead;
  }
  // Keys a record lacks keep these: Config 0, no surface, no bound, no type. Such a record
  // is dropped and named, never filled from stale memory.
  std::vector<int> config(static_cast<std::size_t>(count), 0);
  std::vector<int> surf(static_cast<std::size_t>(count), -1);
  std::vector<double> left(static_cast<std::size_t>(count), kNoBound);
  std::vector<double> right(static_cast<std::size_t>(count), kNoBound);
  std::vector<STRING> type(static_cast<std::size_t>(count));
  file.AddInt2("Config", config.data(), "Surf", surf.data(), count);
  file.AddDouble2("Left", left.data(), "Right", right.data(), count);
  file.AddText("Type", type.data(), count);
  file.Quote("Type");
  // The writer gives every record all five: one left out is told by record and line.
  for (const char *key : {"Config", "Surf", "Left", "Right", "Type"}) file.Require(key);
  file.ClearFaults();
  file.ParseSection(0);
  const unsigned faults = file.Faults();
  // Keys misspelt or given twice in a record: told with the records read.
  const std::vector<TReadNFKeyNote> notes = file.KeyNotes();
  const std::string keyNotes = KeyNotesText(NotesToTell(notes, keptSectionsTold), "The parameter file " + fileName);
  if (!keyNotes.empty()) countNote += (countNote.empty() ? "" : "\n") + keyNotes.substr(0, keyNotes.size() - 1);
  file.Close();
  if ((faults & kReadNFNotFinite) != 0) {
    Tell("The parameter file " + fileName + " was not read: a bound in it is not a finite number.");
    return kParameterFileRefused;
  }
  if ((faults & kReadNFNumberOutOfRange) != 0) {
    Tell("The parameter file " + fileName + " was not read: a configuration or surface number in it is out of range.");
    return kParameterFileRefused;
  }
  // Crossed bounds hold no value: the optimizer's clamp and penalty never settle between
  // them, and the variables table refuses them when typed. Refused as typed.
  for (int r = 0; r < count; ++r) {
    if (!(left[r] > right[r])) continue;
    Tell("The parameter file " + fileName + " was not read: " +
         RecordText(r + 1, config[r], surf[r], left[r], right[r], type[r]) + " has its left bound above its right one.");
    return kParameterFileRefused;
  }

  const int surfaces = surfacesNamed >= 0 ? surfacesNamed : owner != nullptr ? owner->System().SurfaceCount() : 0;
  const int configurations = owner != nullptr ? owner->ConfigurationCount() : 0;
  Mem<TParameterDescription> taken(count, 1);
  if (taken.data == nullptr) {
    ShowNotEnoughMemory();
    return kParameterFileRefused;
  }
  // Records that cannot apply to this system are left out, each one named.
  std::string dropped;
  std::vector<int> recordOf;
  for (int r = 0; r < count; ++r) {
    const std::string record = "\n" + RecordText(r + 1, config[r], surf[r], left[r], right[r], type[r]);
    if (std::isnan(left[r]) || std::isnan(right[r])) {
      dropped += record + ": it gives no " + (std::isnan(left[r]) ? "Left=" : "Right=") + " value";
      continue;
    }
    if (surf[r] < 0 || surf[r] > surfaces - 1) {
      dropped += record + (surf[r] < 0 ? ": it names no surface" : ": the system has no such surface");
      continue;
    }
    if (config[r] < 0 || config[r] > configurations - 1) {
      dropped += record + ": the system has no such configuration";
      continue;
    }
    TParameterDescription &p = taken.data[recordOf.size()];
    p.Set(config[r], surf[r], type[r], left[r], right[r]);
    p.Value = 0.0;
    recordOf.push_back(r);
  }
  const int kept = static_cast<int>(recordOf.size());
  if (kept == 0) {
    list.Clear();
  } else {
    taken.Resize(kept, 1);
    list = taken;
  }
  for (int i = 0; i < kept; ++i) {
    if (IsValid(i) != 0) continue;
    const int r = recordOf[static_cast<std::size_t>(i)];
    dropped += "\n" + RecordText(r + 1, config[r], surf[r], left[r], right[r], type[r]) +
               (CoefficientIndex(type[r]) < 0 && type[r] != "R" && type[r] != "T" ? ": its type is unknown"
                                                                                   : ": its bounds are equal");
  }
  RemoveInvalid();
  // One message tells all: the count, the keys and the records left out.
  if (!dropped.empty())
    countNote += (countNote.empty() ? "" : "\n") + std::string("The parameter file ") + fileName +
                 " holds records that cannot apply to this system; they were left out:" + dropped;
  if (!countNote.empty()) Tell(countNote);
  sectionsKept = UnknownSectionsOf(fileName, notes);
  return kParameterFileRead;
}
