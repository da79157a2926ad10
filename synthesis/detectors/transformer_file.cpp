#include "synthesis/detectors/transformer_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "foundation/textfiles/read_nf.h"

namespace {

std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

std::string Problem(const std::string &path, const std::string &what) {
  return "Optical transformer data " + Quoted(path) + ": " + what;
}

// The response is the inverse transform of the gain over the whole raster: up to 8192 x
// 8192 gains (6.7e7) add up in floats, whose range ends at 3.4e38, so a gain above 1e30
// could make it infinite (and then not a number) in every cell.
constexpr float kLargestGain = 1e30f;

std::string SampleText(const char *format, int sample) {
  char text[96];
  std::snprintf(text, sizeof text, format, sample);
  return text;
}

// Whether an item of the line gives the one-letter key ("F=" or "f =", not "dF=").
bool HoldsKey(const std::string &line, char key) {
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (std::tolower(static_cast<unsigned char>(line[at])) != key) continue;
    const std::size_t before = line.find_last_not_of(" \t", at == 0 ? std::string::npos : at - 1);
    const std::size_t after = line.find_first_not_of(" \t", at + 1);
    const bool starts = at == 0 || before == std::string::npos || line[before] == '{' || line[before] == ';';
    if (starts && after != std::string::npos && (line[after] == '=' || line[after] == '(')) return true;
  }
  return false;
}

// The line of the table a file was cut in, numbered from 1, or 0: a last line without its
// line end that does not end an item (';') or a record ('}'), as "{ F=10; G=0." does. A
// record needs nothing after its last item, so "{ F=10; G=0.5;" is whole; one left open
// that lacks a key the records before it give ("{ F=10;" after records of F and G) lost it
// in the cut. The file is the user's and carries no end mark; a cut at a line end reads as
// a shorter table, whose samples the view names.
int CutLine(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int number = 0;
  bool frequencies = false, gains = false;  // given by the records before
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The table ends where the reader stops, at the next section or end mark: what follows
    // is never read, and a last line there without its line end cuts no item.
    if (!line.empty() && (line[0] == '[' || line[0] == '^')) return 0;
    line.erase(std::min(line.find('!'), line.size()));  // a comment
    const std::size_t first = line.find_first_not_of(" \t");
    const std::size_t last = line.find_last_not_of(" \t");
    if (first == std::string::npos) continue;
    if (in.eof() && line[last] != ';' && line[last] != '}') return number;
    const bool hasF = HoldsKey(line, 'f');
    const bool hasG = HoldsKey(line, 'g');
    if (in.eof() && line[first] == '{' && line.find('}') == std::string::npos &&
        ((frequencies && !hasF) || (gains && !hasG)))
      return number;
    frequencies = frequencies || hasF;
    gains = gains || hasG;
  }
  return 0;
}

// A key the table does not hold, or one given twice in a record or outside records, said
// with its line; empty when there is none. The reader would pass over it silently, and a
// misspelt gain would read as 0.
std::string KeyFault(const std::vector<TReadNFKeyNote> &notes) {
  if (notes.empty()) return {};
  const TReadNFKeyNote &note = notes.front();
  if (note.kind == TReadNFNoteKind::kListInRecord)
    return SampleText("line %d: ", note.line) + "the key " + note.key + " is given more than one value in a record.";
  if (note.kind == TReadNFNoteKind::kNotAKey)
    return SampleText("line %d: ", note.line) + "\"" + note.key + "\" stands where a key=value item belongs.";
  if (note.kind == TReadNFNoteKind::kMissingInRecord)
    return SampleText("line %d: ", note.line) + "the sample gives no gain " + note.key + ".";
  if (note.kind == TReadNFNoteKind::kRepeatedKey || note.kind == TReadNFNoteKind::kUnknownKey)
    return SampleText("line %d: ", note.line) + "the key " + note.key +
           (note.kind == TReadNFNoteKind::kRepeatedKey ? " is given a second time." : " is none of dF, F and G.");
  // A value not of its kind, text after a record, a section twice: said as every reader says it.
  // The file is not read at all: what the note says of the value kept does not apply.
  std::string text = KeyNotesText({note}, std::string());
  text.erase(std::min(text.find("; it is not read"), text.size()));
  while (!text.empty() && (text.back() == '\n' || text.back() == '.')) text.pop_back();
  return text + ".";
}

}  // namespace

bool ReadTransformerFile(const std::string &path, float defaultStep, TTransformerTable &table,
                         std::string &problem) {
  std::vector<float> f(kTransformerMaxSamples, 0.0f);
  std::vector<float> g(kTransformerMaxSamples, 0.0f);
  float step = defaultStep;
  TRead1NF file;
  if (file.Open(path, 0) == nullptr) {
    problem = Problem(path, "the file cannot be opened.");
    return false;
  }
  if (const int cut = CutLine(path); cut > 0) {
    problem = Problem(path, SampleText("line %d is not complete: the file was cut short or damaged.", cut));
    return false;
  }
  file.AddFloat("dF", &step);
  file.AddFloat("F", f.data(), kTransformerMaxSamples);
  file.AddFloat("G", g.data(), kTransformerMaxSamples);
  // Every sample gives its gain: one without would read as a gain of 0 without a word.
  file.Require("G");
  const int whole = file.ParseSection(0);
  const std::string keyFault = KeyFault(file.KeyNotes());
  file.Close();
  if (!keyFault.empty()) {
    problem = Problem(path, keyFault);
    return false;
  }
  if (whole == 0) {
    const unsigned faults = file.Faults();
    if ((faults & kReadNFIndexOutOfRange) != 0)
      problem = Problem(path, "more than 1000 values for F or G.");
    else if ((faults & kReadNFNumberOutOfRange) != 0)
      problem = Problem(path, "a number beyond the float range.");
    else
      problem = Problem(path, "the file cannot be read whole.");
    return false;
  }
  // From the end: the last gain that is not 0 ends the table; the largest positive
  // frequency from there on (the first one met when equal) marks its length.
  int last = -1;
  int largestAt = -1;
  float largest = 0.0f;
  for (int i = kTransformerMaxSamples - 1; i >= 0; --i) {
    if (f[i] > largest) {
      largest = f[i];
      largestAt = i;
    }
    if (g[i] != 0.0f) {
      last = i;
      break;
    }
  }
  if (last < 0) {
    problem = Problem(path, "no gain G other than 0.");
    return false;
  }
  const bool generated = largestAt < 0;
  const int samples = largestAt > 0 ? largestAt + 1 : last + 2;
  f.resize(samples, 0.0f);
  g.resize(samples, 0.0f);
  if (!(std::isfinite(step) && step > 0.0f)) {
    problem = Problem(path, "the step dF must be a positive number.");
    return false;
  }
  if (generated)
    for (int k = 0; k < samples; ++k) f[k] = static_cast<float>(k) * step;
  for (int k = 0; k < samples; ++k) {
    if (!std::isfinite(f[k]) || !std::isfinite(g[k])) {
      problem = Problem(path, SampleText("sample %d is not a number.", k));
      return false;
    }
    if (std::fabs(g[k]) > kLargestGain) {
      char value[32];
      std::snprintf(value, sizeof value, "%g", static_cast<double>(g[k]));
      problem = Problem(path, SampleText("the gain G(%d)=", k) + value +
                                  " is too large: the detector response would not be a finite number.");
      return false;
    }
    if (k == 0 ? f[k] < 0.0f : !(f[k] > f[k - 1])) {
      problem = Problem(path, SampleText("the frequency F of sample %d does not rise above the one before.", k));
      return false;
    }
  }
  table.F.swap(f);
  table.G.swap(g);
  table.dF = step;
  problem.clear();
  return true;
}

float TransformerGain(const TTransformerTable &table, float rho) {
  const std::size_t samples = std::min(table.F.size(), table.G.size());
  if (samples == 0) return 0.0f;
  const auto end = table.F.begin() + static_cast<std::ptrdiff_t>(samples);
  // The first sample whose frequency lies above rho.
  const auto above = std::upper_bound(table.F.begin(), end, rho);
  if (above == end) return 0.0f;
  const std::size_t j = static_cast<std::size_t>(above - table.F.begin());
  if (j == 0) return table.G[0];
  const float f0 = table.F[j - 1], f1 = table.F[j];
  const float g0 = table.G[j - 1], g1 = table.G[j];
  return g0 + (rho - f0) * (g1 - g0) / (f1 - f0);
}
