// The edited system's file: the optical system file with one [Config_<k>] section per
// configuration (k from 1, the base configuration first). The system file's writer takes
// them into its one rewrite, and drops the sections of configurations that no longer
// exist, so a reader never brings a deleted configuration back.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/read_nf.h"
#include "optics/systemfile/system_file_format.h"
#include "optics/systemfile/system_file_sections.h"

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

int Count(const Mem<double> &m) { return m.Cells(); }

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
    text += "Image=" + FormatNumber(record.image.x) + "," + FormatNumber(record.image.y) + "," +
            FormatNumber(record.image.z) + ";\n";
  const int count = record.positions.Cells();
  for (int e = 0; e < count; ++e) {
    const DPOINT3 &p = record.positions.data[e];
    const std::string index = std::to_string(e);
    text += "dX(" + index + ")=" + FormatNumber(p.x) + " ; dY(" + index + ")=" + FormatNumber(p.y) +
            "; dZ(" + index + ")=" + FormatNumber(p.z) + ";\n";
  }
  return text + "\n";
}

// The configurations as the system file writer takes them into its rewrite.
class TConfigurationSections : public TSystemFileSections {
 public:
  explicit TConfigurationSections(const TSystemImage &system) : system_(system) {}
  bool Owns(const std::string &lowerHeader) const override { return IsConfigurationHeader(lowerHeader); }
  std::vector<std::pair<std::string, std::string>> Sections() const override {
    std::vector<std::pair<std::string, std::string>> sections;
    for (int k = 0; k < system_.ConfigurationCount(); ++k)
      sections.emplace_back(ConfigurationHeader(k + 1), ConfigurationBody(system_.configurations.data[k], k > 0));
    return sections;
  }

 private:
  const TSystemImage &system_;
};

}  // namespace

int TSystemImage::Load(const std::string &fileName, int nameMode) {
  TSurface *const *before = surfaces.data;
  const int read = ReadFile(fileName, nameMode);
  // A file read whole whose preparation failed (missing glasses, no chief ray) still
  // replaced the surfaces: the elements and configurations are rebuilt for what was read,
  // never left pointing at the surfaces that went. Any other failure changed nothing.
  if (read == 0 && surfaces.data == before) return 0;
  elements.Clear();
  configurations.Clear();
  currentConfiguration = 0;
  ClearSelection();
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
  std::vector<TConfigurationParameters> read;
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
    if (elementCount > 0) {
      file.AddDouble("dX", dx.data(), elementCount);
      file.AddDouble("dY", dy.data(), elementCount);
      file.AddDouble("dZ", dz.data(), elementCount);
    }
    // A value that does not fit (an element the system lacks) is left out; the rest holds.
    file.ParseSection(0);
    if (cut && file.NextSectionName().empty()) break;
    record.Dzr = std::isfinite(dzr) ? dzr : 0.0;
    int fieldCount = 0;
    for (int i = 0; i < kFileFieldValues; ++i)
      if (!std::isnan(fields[i])) fieldCount = i + 1;
    if (fieldCount > 0 && record.AlfaM.Allocate(fieldCount, 1)) {
      for (int i = 0; i < fieldCount; ++i)
        record.AlfaM.data[i] = std::isfinite(fields[i]) ? fields[i] : 0.0;
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
    // A file written without the image's place keeps the image where the file puts it.
    if (std::isfinite(image[0]) && std::isfinite(image[1]) && std::isfinite(image[2])) {
      record.image = DPOINT3(image[0], image[1], image[2]);
      record.imageStored = 1;
    }
    read.push_back(record);
  }
  file.Close();
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
  const TConfigurationSections sections(*this);
  const int written = WriteFile(path.c_str(), &sections, result);
  if (moved) SelectConfiguration(current);
  viewWindow = keptView;
  return written;
}
