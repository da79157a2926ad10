#include "editor/animation/animation_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/systemfile/system_file_format.h"

namespace {

// Faults of the reader that make a file unusable, with what the message says of them.
struct TFaultText {
  unsigned fault;
  const char *text;
};
constexpr TFaultText kRefusedFaults[] = {
    {kReadNFGarbled, "it holds a zero byte, so it is no text file"},
    {kReadNFLineTooLong, "it holds a line too long to read"},
    {kReadNFReadFailed, "it could not be read to its end"},
    {kReadNFNumberOutOfRange, "it holds a number beyond what the program can hold"},
};

bool Usable(double value) { return std::isfinite(value) && std::fabs(value) <= kAnimationLargestValue; }

// Every value of a section usable, else the problem names the section.
bool CheckValues(const double *values, int count, const std::string &section, std::string &problem) {
  for (int k = 0; k < count; ++k) {
    if (!Usable(values[k])) {
      problem = "a value of its section " + section + " lies beyond " + FormatNumber(kAnimationLargestValue);
      return false;
    }
  }
  return true;
}

// An origin that was not given keeps the mark, which lies beyond the largest value.
bool CheckOrigin(const double origin[3], const std::string &section, std::string &problem) {
  if (origin[0] == kAnimationOriginNotGiven) return true;
  // An origin given in part leaves the mark in its last places: not a value beyond any.
  if (origin[1] == kAnimationOriginNotGiven || origin[2] == kAnimationOriginNotGiven) {
    problem = "the origin of its section " + section + " gives fewer than its 3 values";
    return false;
  }
  return CheckValues(origin, 3, section, problem);
}

bool ReadCommon(TRead1NF &reader, TAnimationCommon &common) {
  if (!reader.ReadSection("[Common]")) return false;
  reader.AddInt("Continuous", &common.Continuous);
  reader.AddDouble("RotZAll", common.rotationAll[0], 2);
  reader.AddDouble("RotXAll", common.rotationAll[1], 2);
  reader.AddDouble("RotYAll", common.rotationAll[2], 2);
  reader.AddDouble("dRotZAll", &common.rotationStepAll[0]);
  reader.AddDouble("dRotXAll", &common.rotationStepAll[1]);
  reader.AddDouble("dRotYAll", &common.rotationStepAll[2]);
  reader.AddDouble("RotOriginAll", common.rotationOriginAll, 3);
  // The mark of an origin not given lies outside: a value not read is said as none used.
  reader.Limit("RotOriginAll", -kAnimationLargestValue, kAnimationLargestValue);
  reader.AddInt("AllRotation", &common.AllRotation);
  reader.Limit("Continuous", 0, 1);
  reader.Limit("AllRotation", 0, 1);
  reader.ParseSection(0);
  return true;
}

bool ReadBeam(TRead1NF &reader, TAnimationBeam &beam) {
  if (!reader.ReadSection("[Beam]")) return false;
  reader.AddInt("Nray", &beam.Nray);
  reader.AddInt("NStep", &beam.NStep);
  reader.AddDouble("Beam", beam.beam, kAnimationBeamValues);
  // The template leaves "??" where the user is to fill in a beam: that end reads as 0.
  for (double &value : beam.beam) value = 0.0;
  // Counts beyond their most refuse the file (CheckFile); below 0 they mean nothing.
  reader.Limit("Nray", 0, std::numeric_limits<double>::max());
  reader.Limit("NStep", 0, std::numeric_limits<double>::max());
  reader.ParseSection(0);
  return true;
}

std::string ElementHeader(int index) { return "[Elem_" + std::to_string(index) + "]"; }

bool ReadElement(TRead1NF &reader, int index, TAnimationElement &element) {
  if (!reader.ReadSection(ElementHeader(index))) return false;
  element.elementIndex = index;
  static constexpr const char *kRangeKeys[6] = {"PosZ", "PosY", "PosX", "RotZ", "RotX", "RotY"};
  static constexpr const char *kStepKeys[6] = {"dPosZ", "dPosY", "dPosX", "dRotZ", "dRotX", "dRotY"};
  for (int k = 0; k < 6; ++k) {
    reader.AddDouble(kRangeKeys[k], element.ranges[k], 2);
    reader.AddDouble(kStepKeys[k], &element.steps[k]);
  }
  reader.AddDouble("RotOrigin", element.rotationOrigin, 3);
  reader.Limit("RotOrigin", -kAnimationLargestValue, kAnimationLargestValue);
  reader.AddInt("GoBack", &element.GoBack);
  reader.Limit("GoBack", 0, 1);
  reader.ParseSection(0);
  return true;
}

// Whether any section header of the file names an element ("[Elem_..."), read or not.
bool HasElementSection(TRead1NF &reader) {
  reader.ScanFile();
  for (std::string header = reader.NextSectionName(); !header.empty(); header = reader.NextSectionName())
    if (LowerCaseAnsi(header).rfind("[elem_", 0) == 0) return true;
  return false;
}

bool CheckCount(const char *key, int value, int most, std::string &problem) {
  if (value <= most) return true;
  problem = std::string(key) + "=" + std::to_string(value) + " of its section [Beam] lies beyond " +
            std::to_string(most);
  return false;
}

bool CheckFile(const TAnimationFile &file, std::string &problem) {
  if (!CheckCount("Nray", file.beam.Nray, kAnimationMostRays, problem) ||
      !CheckCount("NStep", file.beam.NStep, kAnimationMostSteps, problem))
    return false;
  const TAnimationCommon &common = file.common;
  if (!CheckValues(&common.rotationAll[0][0], 6, "[Common]", problem) ||
      !CheckValues(common.rotationStepAll, 3, "[Common]", problem) ||
      !CheckOrigin(common.rotationOriginAll, "[Common]", problem))
    return false;
  if (!CheckValues(file.beam.beam, kAnimationBeamValues, "[Beam]", problem)) return false;
  for (const TAnimationElement &element : file.elements) {
    const std::string header = ElementHeader(element.elementIndex);
    if (!CheckValues(&element.ranges[0][0], 12, header, problem) ||
        !CheckValues(element.steps, 6, header, problem) ||
        !CheckOrigin(element.rotationOrigin, header, problem))
      return false;
  }
  return true;
}

constexpr const char *kTemplateBeamSentence = "This is default beams settings from Object folder";

// What the file holds that the animation does not take, a line each: keys no section
// knows or given twice, element sections of no element, and element ranges whose step
// never walks them (none, against their direction, or more steps than a sweep has).
std::string UntakenText(const std::string &path, TRead1NF &reader, int elementCount,
                        const std::vector<TAnimationElement> &elements) {
  std::vector<TReadNFKeyNote> notes = reader.KeyNotes();
  // The sentence the template writes into [Beam] is the program's own, no damaged key.
  std::string sentence = kTemplateBeamSentence;
  sentence.erase(std::remove(sentence.begin(), sentence.end(), ' '), sentence.end());
  std::erase_if(notes, [&sentence](const TReadNFKeyNote &note) {
    return (note.kind == TReadNFNoteKind::kNotAKey && note.key == sentence) ||
           (note.kind == TReadNFNoteKind::kNotOfKind && LowerCaseAnsi(note.key) == "beam" && note.value == "??");
  });
  std::string text = KeyNotesText(notes, std::string());
  std::map<std::string, int> lines;  // "<lower header>|<lower key>" and headers alone
  VisitSectionItems(path, [&lines, elementCount](const std::string &header, const std::string &item, int line) {
    std::string key = LowerCaseAnsi(item.substr(0, item.find('=')));
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    lines.emplace(header + (item.empty() ? std::string() : "|" + key), line);
    // A reader of no elements (the beam run) leaves every element section alone.
    if (elementCount == 0 || !item.empty() || header.rfind("[elem_", 0) != 0 || header == "[elem_??]") return;
    std::size_t used = 0;
    const std::string digits = header.substr(6, header.size() - 7);
    const double index = DecimalToDouble(digits.c_str(), &used);
    // Only the header the writer gives an element is read ("[Elem_01]", "[Elem_1.5]" are none).
    if (used != digits.size() || !(index >= 0 && index < elementCount) ||
        header != LowerCaseAnsi(ElementHeader(static_cast<int>(index))))
      lines.emplace("!" + header, line);
  });
  for (const auto &[place, line] : lines)
    if (place[0] == '!')
      text += "line " + std::to_string(line) + ": the section " + place.substr(1) + " names no element of the " +
              std::to_string(elementCount) + "; it is left out.\n";
  static constexpr const char *kRangeKeys[6] = {"PosZ", "PosY", "PosX", "RotZ", "RotX", "RotY"};
  for (const TAnimationElement &element : elements) {
    const std::string header = LowerCaseAnsi(ElementHeader(element.elementIndex));
    for (int k = 0; k < 6; ++k) {
      const double span = element.ranges[k][1] - element.ranges[k][0];
      const double step = element.steps[k];
      if (span == 0.0) continue;
      const std::string stepKey = std::string("d") + kRangeKeys[k];
      // The step's line, else the range's when the file gives no step.
      auto at = lines.find(header + "|" + LowerCaseAnsi(stepKey));
      if (at == lines.end()) at = lines.find(header + "|" + LowerCaseAnsi(kRangeKeys[k]));
      const std::string where = "line " + std::to_string(at != lines.end() ? at->second : 0) + ": ";
      const std::string given = stepKey + "=" + FormatNumber(step);
      if (step == 0.0)
        text += where + header + " gives " + kRangeKeys[k] + " a range but no step (" + given + ").\n";
      else if (span * step < 0.0)
        text += where + given + " steps against the direction of the range " + kRangeKeys[k] + ".\n";
      else if (span / step > kAnimationMostSteps)
        text += where + given + " takes " + FormatNumber(std::floor(span / step)) + " steps over the range " +
                kRangeKeys[k] + ", beyond " +
                std::to_string(kAnimationMostSteps) + ".\n";
    }
  }
  return text;
}

// "line N: Key=value" for the last item of a file whose last line has no line end (a
// hand's last line, or a file cut inside that value: "NStep=2" of "NStep=20"); empty when
// the file ends its last line.
std::string LastItemWithoutLineEnd(const std::string &path) {
  std::FILE *in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return std::string();
  const bool ended = std::fseek(in, -1, SEEK_END) != 0 || std::fgetc(in) == '\n';
  std::fclose(in);
  if (ended) return std::string();
  std::string last;
  VisitSectionItems(path, [&last](const std::string &, const std::string &item, int line) {
    if (!item.empty()) last = "line " + std::to_string(line) + ": " + item;
  });
  return last;
}

}  // namespace

std::string AnimationFileName(const std::string &systemFileName) {
  std::filesystem::path path(systemFileName);
  path.replace_extension(".anm");
  return path.string();
}

TAnimationFileStatus ReadAnimationFile(const std::string &path, int elementCount,
                                       TAnimationFile &file, std::string &problem) {
  problem.clear();
  TRead1NF reader;
  if (reader.Open(path, 0) == nullptr) return TAnimationFileStatus::kMissing;
  // Element sections of no element are told with the elements below.
  reader.NameUnknownSections([](const std::string &header) { return header.rfind("[elem_", 0) == 0; });
  // Judged whole first: what is no animation file changes nothing. The user edits it by
  // hand, so a last line without its line end is no cut; a section name left open is.
  problem = reader.ScanDamage(false, false);
  if (!problem.empty()) return TAnimationFileStatus::kDamaged;
  unsigned faults = reader.Faults();
  TAnimationFile read = file;
  const bool hasCommon = ReadCommon(reader, read.common);
  read.hasBeamSection = ReadBeam(reader, read.beam);
  read.elements.clear();
  for (int index = 0; index < elementCount; ++index) {
    TAnimationElement element;
    if (ReadElement(reader, index, element)) read.elements.push_back(element);
  }
  faults |= reader.Faults();
  const std::string untaken = UntakenText(path, reader, elementCount, read.elements);
  for (const TFaultText &refused : kRefusedFaults) {
    if ((faults & refused.fault) != 0) {
      problem = refused.text;
      return TAnimationFileStatus::kDamaged;
    }
  }
  if (!hasCommon && !read.hasBeamSection && read.elements.empty() && !HasElementSection(reader)) {
    problem = "it holds none of the sections of an animation file ([Common], [Beam], [Elem_N])";
    return TAnimationFileStatus::kDamaged;
  }
  reader.Close();
  if (!CheckFile(read, problem)) return TAnimationFileStatus::kDamaged;
  file = std::move(read);
  // A template cut short at a line end: a section of it that lost its keys, or [Common]
  // alone. Files written by hand may leave out whole sections (a beam animation needs no
  // element section); those are not told.
  const TSectionKeys held = SectionKeysOf(path);
  std::string missing;
  if (held.count("[common]") != 0) AddMissingPart(missing, MissingSectionParts(held, "[Common]", {"Continuous"}));
  if (held.count("[beam]") != 0) AddMissingPart(missing, MissingSectionParts(held, "[Beam]", {"Nray", "Beam", "NStep"}));
  if (held.count("[elem_??]") != 0)
    AddMissingPart(missing, MissingSectionParts(held, "[Elem_??]", {"RotX", "dRotX", "RotOrigin", "PosY", "dPosY", "PosZ", "dPosZ"}));
  if (held.size() == 1 && held.count("[common]") != 0) AddMissingPart(missing, "the sections after [Common]");
  if (!missing.empty()) problem = "it lacks " + missing + ", which the program always writes; it may have been cut short";
  if (!untaken.empty())
    problem += (problem.empty() ? "" : ";\n") + std::string("it holds what the animation does not take:\n") +
               untaken.substr(0, untaken.size() - 1);
  const std::string cutItem = LastItemWithoutLineEnd(path);
  if (!cutItem.empty())
    problem += (problem.empty() ? "" : ";\n") + cutItem +
               " ends the file without a line end: the value may have been cut short";
  return TAnimationFileStatus::kRead;
}

std::string AnimationTemplateText(int raysPerBeam, const Mem<double> &beams) {
  double smallest = 1e20, largest = -1e20;
  const int count = beams.Cells();
  for (int i = 0; i < count; ++i) {
    smallest = std::fmin(smallest, beams.data[i]);
    largest = std::fmax(largest, beams.data[i]);
  }
  std::string text = "[Common]\nContinuous=1;\n\n[Beam]\n";
  text += std::string(kTemplateBeamSentence) + "\n";
  text += "Nray=" + std::to_string(raysPerBeam) + "\n";
  text += "Beam=" + FormatNumber(smallest) + ", ";
  text += smallest != largest ? FormatNumber(largest) : std::string("??");
  text += "; NStep=20\n\n";
  text += "[Elem_??]\n";
  text += "RotX=??, ??; dRotX=??; RotOrigin=??, ??, ??\n";
  text += "PosY=??, ??; dPosY=??\n";
  text += "PosZ=??, ??; dPosZ=??\n";
  return text;
}

TFileWriteResult WriteAnimationTemplate(const std::string &path, int raysPerBeam, const Mem<double> &beams) {
  return ReplaceFileContents(path, AnimationTemplateText(raysPerBeam, beams));
}

int RewriteAnimationBeam(const std::string &path, int Nray, double lowest, double highest,
                         int NStep) {
  TRead1NF writer;
  std::FILE *out = writer.Open(path, 1);
  if (out == nullptr) return 0;
  writer.SelectSection("[Beam]");
  const std::string body = "Nray=" + std::to_string(Nray) + "\nBeam=" + FormatNumber(lowest) + ", " +
                           FormatNumber(highest) + "; NStep=" + std::to_string(NStep) + "\n\n";
  std::fputs(body.c_str(), out);
  const int reset = writer.Reset();
  return writer.Close() != 0 && reset != 0 ? 1 : 0;
}

std::string AnimationFileNoteText(const std::string &path, const std::string &problem) {
  return "The animation file \"" + path + "\" is used, but " + problem + ".";
}

std::string AnimationFileProblemText(const std::string &path, const std::string &problem) {
  return "The animation file \"" + path + "\" cannot be used:\n" + problem + ".";
}
