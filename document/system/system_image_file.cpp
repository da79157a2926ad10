// The edited system's file: the optical system file with one [Config_<k>] section per
// configuration (k from 1, the base configuration first). The system file's writer takes
// them into its one rewrite, and drops the sections of configurations that no longer
// exist, so a reader never brings a deleted configuration back.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/file_list.h"
#include "foundation/helpers/text_digest.h"
#include "foundation/textfiles/kept_sections.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/systemfile/system_file_check.h"
#include "optics/systemfile/system_file_format.h"
#include "optics/systemfile/system_file_keys.h"
#include "optics/systemfile/system_file_sections.h"
#include "platform/core/message_box.h"

namespace {

// More configuration sections than this are not read (a damaged file could name any).
constexpr int kMaxConfigurations = 1000;
// Stands for "no value in the file" while a section is parsed.
const double kNoValue = std::numeric_limits<double>::quiet_NaN();

std::string ConfigurationHeader(int k) { return "[Config_" + std::to_string(k) + "]"; }

// A "[Config_<digits>]" header line, without regard to case.
bool IsConfigurationHeader(const std::string &line) {
  std::string text = line;
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  const std::string prefix = "[config_";
  if (text.size() < prefix.size() + 2 || text.back() != ']') return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  for (std::size_t i = prefix.size(); i + 1 < text.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// The header this program gives a configuration section it could not read, so that no
// configuration ever takes it: "[Config_3]" is kept as "[Config_3 left out]".
constexpr const char *kLeftOutMark = " left out]";

std::string LeftOutHeader(const std::string &header) { return header.substr(0, header.rfind(']')) + kLeftOutMark; }

// A header LeftOutHeader made: carried quietly, since the file was told of it when it was read.
bool IsLeftOutHeader(const std::string &header) {
  const std::string mark = kLeftOutMark;
  const std::string lower = LowerCaseAnsi(header);
  return lower.size() > mark.size() && lower.compare(lower.size() - mark.size(), mark.size(), mark) == 0 &&
         IsConfigurationHeader(lower.substr(0, lower.size() - mark.size()) + "]");
}

int Count(const Mem<double> &m) { return m.Cells(); }

// Where the configuration sections' values stand in the file, for the messages.
TSystemFileLayout ConfigurationLayout(const std::string &fileName, std::string &text) {
  TSystemFileLayout layout;
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream read;
  read << in.rdbuf();
  text = read.str();
  CheckSystemFileText(text, fileName, layout);
  return layout;
}

// "The optical system file <name>, line <n>: configuration <k>: " for a key of section k.
std::string ConfigurationPlace(const std::string &fileName, const TSystemFileLayout &layout, int k,
                               const std::string &key) {
  const int line = layout.LineOf(LowerCaseAnsi(ConfigurationHeader(k)), key);
  return "The optical system file " + fileName + (line > 0 ? ", line " + std::to_string(line) : std::string()) +
         ": configuration " + std::to_string(k) + ": ";
}

// The values of configuration k's section the reader did not take: offsets of elements the
// system lacks, and an image place that is no three finite numbers.
std::string ConfigurationValueWarnings(const std::string &fileName, const TSystemFileLayout &layout, int k,
                                       int elementCount, const double image[3]) {
  std::string warnings;
  const std::string section = LowerCaseAnsi(ConfigurationHeader(k)) + "|";
  // Every key of a section run into this one comes a second time: one line tells them all.
  std::string firstKey;
  int firstLine = 0, lastLine = 0, repeated = 0;
  for (const auto &[place, line] : layout.repeats) {
    if (place.compare(0, section.size(), section) != 0) continue;
    if (repeated++ == 0) {
      firstKey = place.substr(section.size());
      firstLine = line;
    }
    lastLine = line;
  }
  if (repeated > 0)
    warnings += "The optical system file " + fileName + ", line " + std::to_string(firstLine) + ": configuration " +
                std::to_string(k) + " holds " + firstKey + " a second time" +
                (repeated > 1 ? " (and " + std::to_string(repeated - 1) + " more key(s), to line " +
                                    std::to_string(lastLine) + ")"
                              : std::string()) +
                ": the header of a configuration may be missing before it.\n";
  // The base configuration's positions and image give way to the surfaces (see Load).
  if (k == 1) return warnings;
  const char *const names[3] = {"dX", "dY", "dZ"};
  for (const auto &[place, line] : layout.keyLines) {
    if (place.compare(0, section.size(), section) != 0) continue;
    const std::string key = place.substr(section.size());
    for (int axis = 0; axis < 3; ++axis) {
      const std::string prefix = LowerCaseAnsi(names[axis]) + "(";
      if (key.compare(0, prefix.size(), prefix) != 0) continue;
      char *end = nullptr;
      const long e = std::strtol(key.c_str() + prefix.size(), &end, 10);
      const std::string shown = std::string(names[axis]) + "(" + key.substr(prefix.size());
      // A value beyond any offset is named by the reader's key limits.
      if (end == nullptr || *end != ')' || e < 0 || e >= elementCount)
        warnings += ConfigurationPlace(fileName, layout, k, key) + shown + " names no element of the " +
                    std::to_string(elementCount) + "; it is left out.\n";
    }
  }
  if (layout.LineOf(LowerCaseAnsi(ConfigurationHeader(k)), "image") > 0 &&
      !(std::isfinite(image[0]) && std::isfinite(image[1]) && std::isfinite(image[2])))
    warnings += ConfigurationPlace(fileName, layout, k, "image") +
                "the image's place is not three finite numbers; the image stays where the surfaces put it.\n";
  return warnings;
}

// The body of configuration k's section. The image's place is written for the offset
// records alone: the base's is where the file's surfaces put it.
std::string ConfigurationBody(const TConfigurationParameters &record, bool offset) {
  std::string text = "Naper=" + std::to_string(record.Naper) + "\n";
  text += "Dzr=" + FormatNumber(record.Dzr) + "\n";
  text += "Unit=" + std::to_string(record.Unit) + "\n";
  const int fields = std::min(Count(record.AlfaM), kFileFieldValues);
  if (fields > 0) {
    text += "AlfaM=";
    for (int i = 0; i < fields; ++i)
      text += (i > 0 ? "," : "") + FormatNumber(record.AlfaM.data[i]);
    text += ";\n";
  }
  if (offset && record.imageStored)
    text += "Image=" + FormatPlacement(record.image.x) + "," + FormatPlacement(record.image.y) + "," +
            FormatPlacement(record.image.z) + ";\n";
  const int count = record.positions.Cells();
  for (int e = 0; e < count; ++e) {
    const DPOINT3 &p = record.positions.data[e];
    const std::string index = std::to_string(e);
    text += "dX(" + index + ")=" + FormatPlacement(p.x) + " ; dY(" + index + ")=" + FormatPlacement(p.y) +
            "; dZ(" + index + ")=" + FormatPlacement(p.z) + ";\n";
  }
  return text + "\n";
}

// The configurations as the system file writer takes them into its rewrite.
class TConfigurationSections : public TSystemFileSections {
 public:
  TConfigurationSections(const TSystemImage &system,
                         const std::vector<std::pair<std::string, std::string>> &leftOut)
      : system_(system), leftOut_(leftOut) {}
  // Every section under a header a configuration can take is the writer's: the system's
  // configurations are written there, and a section the reader left out under such a
  // header moves to one no configuration takes (Sections).
  bool Owns(const std::string &lowerHeader) const override { return IsConfigurationHeader(lowerHeader); }
  std::vector<std::pair<std::string, std::string>> Sections() const override {
    std::vector<std::pair<std::string, std::string>> sections;
    // Each header written, with its body.
    std::map<std::string, std::string> written;
    for (int k = 0; k < system_.ConfigurationCount(); ++k) {
      sections.emplace_back(ConfigurationHeader(k + 1), ConfigurationBody(system_.configurations.data[k], k > 0));
      written.emplace(LowerCaseAnsi(ConfigurationHeader(k + 1)), sections.back().second);
    }
    // A section left out under a header a configuration can take would be read as one (or
    // overwritten by one added later) when the file is saved again: it keeps its text under
    // a header no configuration takes, however many are added. Two sections left out under
    // one header (a configuration given twice, one left out again beside the one kept
    // before) both stay, the later under a numbered header; the same text is kept once.
    for (const auto &[header, body] : leftOut_) {
      std::string kept = IsConfigurationHeader(header) ? LeftOutHeader(header) : header;
      const std::string stem = kept.substr(0, kept.rfind(']'));
      for (int n = 2;; ++n) {
        const auto [at, fresh] = written.emplace(LowerCaseAnsi(kept), body);
        if (fresh) sections.emplace_back(kept, body);
        if (fresh || at->second == body) break;
        kept = stem + " " + std::to_string(n) + "]";
      }
    }
    return sections;
  }

 private:
  const TSystemImage &system_;
  const std::vector<std::pair<std::string, std::string>> &leftOut_;
};

}  // namespace

int TSystemImage::Load(const std::string &fileName, int nameMode) {
  TSurface *const *before = surfaces.data;
  const int read = ReadFile(fileName, nameMode);
  // A file read whole whose preparation failed (missing glasses, no chief ray) still
  // replaced the surfaces: the elements and configurations are rebuilt for what was read,
  // never left pointing at the surfaces that went. Any other failure changed nothing.
  if (read == 0 && surfaces.data == before) return 0;
  ++revision_;
  elements.Clear();
  configurations.Clear();
  currentConfiguration = 0;
  ClearSelection();
  numbersTaken_ = false;  // the surfaces read are numbered as the file numbers them
  RebuildElements(nullptr);
  shapes_.clear();  // the shapes read are the configurations' own, not a change
  Dzr = 0.0;
  if (ReadConfigurations(fileName) > 0) {
    Dzr = configurations.data[0].Dzr;
    // The surfaces are the base configuration, whatever its section says, and the others
    // are offsets from them as read.
    configurations.data[0].positions.Clear();
    configurations.data[0].imageStored = 0;
  }
  StoreConfiguration(0);
  // The fans are drawn with the file's rays per fan.
  beams.Reset(info.Nray, 1);
  modified_ = 0;
  return read;
}

int TSystemImage::ReadConfigurations(const std::string &fileName) {
  configurationsLeftOut_.clear();
  TReadNF file;
  if (file.Open(fileName, 0) == nullptr) return 0;
  const int elementCount = ElementCount();
  // A file that promises its end section and lacks it was cut short inside its last
  // section: a configuration section that is the last of such a file is not whole, and is
  // left out with those after it (the system file's reader has said so), never taken with
  // the offsets it lost read as none.
  int endPromised = 0;
  if (file.ReadSection("[Common]")) {
    file.AddInt("EndSection", &endPromised);
    file.ParseSection(0);
  }
  const bool cut = endPromised != 0 && !file.ReadSection(kSystemFileEndSection);
  std::string text;
  const TSystemFileLayout layout = ConfigurationLayout(fileName, text);
  std::string warnings;
  std::vector<TConfigurationParameters> read;
  std::string cutHeader;  // the section the file was cut in: its cut keys are no damage of their own
  for (int k = 1; k <= kMaxConfigurations; ++k) {
    if (!file.ReadSection(ConfigurationHeader(k))) break;
    TConfigurationParameters record;
    record.Naper = info.Naper;
    record.Unit = info.Unit;
    double dzr = 0.0;
    std::vector<double> fields(kFileFieldValues, kNoValue);
    double image[3] = {kNoValue, kNoValue, kNoValue};
    std::vector<double> dx(elementCount + 1, kNoValue);
    std::vector<double> dy(elementCount + 1, kNoValue);
    std::vector<double> dz(elementCount + 1, kNoValue);
    file.AddInt("Naper", &record.Naper);
    file.AddInt("Unit", &record.Unit);
    file.AddDouble("Dzr", &dzr);
    file.AddDouble("AlfaM", fields.data(), kFileFieldValues);
    file.AddDouble("Image", image, 3);
    // Registered also for a system of no elements: the keys are known, their values go
    // to the one unused element.
    const int offsetCount = std::max(elementCount, 1);
    file.AddDouble("dX", dx.data(), offsetCount);
    file.AddDouble("dY", dy.data(), offsetCount);
    file.AddDouble("dZ", dz.data(), offsetCount);
    LimitSystemKeys(file);
    // A value that does not fit (an element the system lacks) is left out; the rest holds.
    file.ParseSection(0);
    if (cut && file.NextSectionName().empty()) {
      cutHeader = LowerCaseAnsi(ConfigurationHeader(k));
      break;
    }
    // The stop of a configuration is judged as [Common]'s: a surface of the system.
    if (record.Naper < 0 || record.Naper > SurfaceCount()) {
      warnings += ConfigurationPlace(fileName, layout, k, "naper") + "Naper=" + std::to_string(record.Naper) +
                  " names no surface of the " + std::to_string(SurfaceCount()) + "; " + std::to_string(info.Naper) +
                  " is used.\n";
      record.Naper = info.Naper;
    }
    record.Dzr = std::isfinite(dzr) ? dzr : 0.0;
    int fieldCount = 0;
    for (int i = 0; i < kFileFieldValues; ++i)
      if (!std::isnan(fields[i])) fieldCount = i + 1;
    if (fieldCount > 0 && record.AlfaM.Allocate(fieldCount, 1)) {
      for (int i = 0; i < fieldCount; ++i)
        record.AlfaM.data[i] = std::isfinite(fields[i]) ? fields[i] : 0.0;
    } else if (fieldCount == 0) {
      // Without its own fields a configuration has the system's, as the save writes them.
      record.AlfaM = info.AlfaM;
    }
    if (elementCount > 0 && record.positions.Allocate(elementCount, 1)) {
      for (int e = 0; e < elementCount; ++e) {
        // A missing base position is where the element stands; a missing offset is none.
        const DPOINT3 fallback = k == 1 ? elements.data[e].referencePoint : DPOINT3();
        auto pick = [](double value, double otherwise) {
          return std::isfinite(value) ? value : otherwise;
        };
        record.positions.data[e] =
            DPOINT3(pick(dx[e], fallback.x), pick(dy[e], fallback.y), pick(dz[e], fallback.z));
      }
    }
    warnings += ConfigurationValueWarnings(fileName, layout, k, elementCount, image);
    // A file written without the image's place keeps the image where the file puts it.
    if (std::isfinite(image[0]) && std::isfinite(image[1]) && std::isfinite(image[2])) {
      record.image = DPOINT3(image[0], image[1], image[2]);
      record.imageStored = 1;
    }
    read.push_back(record);
  }
  // A key the writer gives every configuration that the file's section lacks. A text of
  // the writer's own read back unchanged (see LoadOwn) lacks none and replaces none.
  std::string written;
  for (std::size_t k = 0; k < read.size() && !ownTextRead; ++k)
    written += ConfigurationHeader(static_cast<int>(k + 1)) + "\n" + ConfigurationBody(read[k], k > 0);
  // The base configuration is the system's own (see Load): a stop, unit or field of its
  // section that differs was damaged or edited by hand, and the save writes the system's.
  // A section run into by the next is told as such.
  std::vector<TReadNFKeyNote> replaced;
  const std::string first = LowerCaseAnsi(ConfigurationHeader(1));
  if (!read.empty() && !ownTextRead && cutHeader != first &&
      std::none_of(layout.repeats.begin(), layout.repeats.end(),
                   [&first](const auto &repeat) { return repeat.first.rfind(first + "|", 0) == 0; })) {
    TConfigurationParameters base = read[0];
    base.Naper = info.Naper;
    base.Unit = info.Unit;
    base.AlfaM = info.AlfaM;
    // The places are the surfaces' (a file written after a turn may differ there).
    base.positions.Clear();
    replaced = ValuesReplaced(text, ConfigurationHeader(1) + "\n" + ConfigurationBody(base, false), first);
  }
  // A key given again is told above, once for a section run into the one before.
  std::vector<TReadNFKeyNote> notes = file.KeyNotes(IsConfigurationHeader);
  if (!ownTextRead)
    for (const TReadNFKeyNote &note : KeysLeftOut(text, written)) notes.push_back(note);
  notes.insert(notes.end(), replaced.begin(), replaced.end());
  std::erase_if(notes, [&cutHeader](const TReadNFKeyNote &note) {
    // A configuration section given twice is named with those left out (below).
    return note.kind == TReadNFNoteKind::kRepeatedKey || note.kind == TReadNFNoteKind::kSectionTwice ||
           LowerCaseAnsi(note.header) == cutHeader;
  });
  warnings += KeyNotesText(notes, "The optical system file " + fileName);
  file.Close();
  // Sections numbered out of order (a gap, a sign, a number past any count) or twice are
  // not read: each is named, so that no configuration goes without a word, though the next
  // save leaves it out.
  std::set<std::string> taken;
  for (std::size_t k = 1; k <= read.size(); ++k) taken.insert(LowerCaseAnsi(ConfigurationHeader(static_cast<int>(k))));
  std::string leftOut;
  for (const auto &[header, line] : layout.headers) {
    const std::string lower = LowerCaseAnsi(header);
    if (lower.rfind("[config_", 0) != 0) continue;
    // The section a cut file lost its end in is told by the system file's reader.
    if (taken.erase(lower) == 1 || (cut && line == layout.headers.back().second)) continue;
    configurationsLeftOut_.emplace_back(header, SectionBody(text, line));
    if (IsLeftOutHeader(header)) continue;
    leftOut += (leftOut.empty() ? "" : ", ") + header + " (line " + std::to_string(line) + ")";
  }
  if (!leftOut.empty())
    warnings += "The optical system file " + fileName + " holds configuration sections not numbered in order from " +
                ConfigurationHeader(1) + ": " + leftOut + " left out; " + std::to_string(read.size()) +
                " configuration(s) are read, and saving the system keeps the sections left out as they are.\n";
  if (!warnings.empty()) {
    warnings.pop_back();
    MessageBox(nullptr, warnings, "Warning", MB_OK | MB_ICONEXCLAMATION);
  }
  if (read.empty()) return 0;
  if (!configurations.Allocate(static_cast<int>(read.size()), 1)) return 0;
  for (std::size_t k = 0; k < read.size(); ++k) configurations.data[k] = read[k];
  return static_cast<int>(read.size());
}

int TSystemImage::Save(const std::string &fileName, TFileWriteResult *result) {
  const std::string path = fileName.empty() ? name : fileName;
  if (path.empty()) {
    if (result != nullptr) *result = TFileWriteResult{TFileWriteFault::kNoDirectory, 0};
    return 0;
  }
  const int current = currentConfiguration;
  const TViewWindow keptView = viewWindow;
  StoreConfiguration(-1);
  // The file's surfaces stand in the base configuration, so that loading it and taking the
  // surfaces as the base gives back every configuration.
  const bool moved = current != 0 && SelectConfiguration(0) != 0;
  // Surfaces and configurations in one rewrite: the file is the old one or the new one.
  const TConfigurationSections sections(*this, configurationsLeftOut_);
  const int written = WriteFile(path.c_str(), &sections, result);
  if (moved) SelectConfiguration(current);
  viewWindow = keptView;
  return written;
}

int TSystemImage::SaveOwn(const std::string &path, TFileWriteResult *result) {
  ownTexts_.erase(path);
  const int written = Save(path, result);
  std::string text;
  if (written && ReadFileBytes(path, text)) ownTexts_[path] = TextDigest(text);
  return written;
}

int TSystemImage::LoadOwn(const std::string &path) {
  const auto own = ownTexts_.find(path);
  if (own != ownTexts_.end()) ownTextDigest = own->second;
  const int loaded = Load(path, kNameKept);
  ownTextDigest.reset();
  return loaded;
}
