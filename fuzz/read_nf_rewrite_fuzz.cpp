// Rewrites (or extends) one section of a fuzzed sectioned text file and checks the result
// byte for byte against the file worked out here line by line: the text before the
// section and after it is kept (but for the damaged parts the rewrite leaves out), the new body lands behind the header, nothing is left
// beside the file, and the same rewrite done again changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/read_nf_repair.h"
#include "foundation/textfiles/text_functions.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"

namespace {

constexpr char kBody[] = "Naper=12345; Name=fuzzed body\n";

struct TLine {
  std::string text;  // without its line end; a '\r' ending it dropped
  bool hadEnd = false;
  std::size_t begin = 0;
  std::size_t end = 0;  // past the '\n'
};

std::vector<TLine> SplitLines(const std::string &file) {
  std::vector<TLine> lines;
  std::size_t at = 0;
  while (at < file.size()) {
    TLine line;
    line.begin = at;
    const std::size_t newline = file.find('\n', at);
    line.hadEnd = newline != std::string::npos;
    line.end = line.hadEnd ? newline + 1 : file.size();
    line.text = file.substr(at, (line.hadEnd ? newline : file.size()) - at);
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    // A UTF-8 byte-order mark opening the file is no part of its first line's text.
    if (at == 0 && line.text.rfind("\xEF\xBB\xBF", 0) == 0) line.text.erase(0, 3);
    lines.push_back(line);
    at = line.end;
  }
  return lines;
}

// The file as a rewrite of header should leave it.
std::string Expected(const std::string &file, const std::string &header, bool append) {
  const std::vector<TLine> lines = SplitLines(file);
  const std::string wanted = LowerCaseAnsi(header);
  std::size_t h = 0;
  while (h < lines.size() && LowerCaseAnsi(lines[h].text) != wanted) ++h;
  if (h == lines.size()) {
    std::string result = file;
    if (!result.empty() && result.back() != '\n') result += '\n';
    return result + header + "\n" + kBody;
  }
  std::string result = file.substr(0, lines[h].end);
  if (!lines[h].hadEnd) result += '\n';
  std::size_t restBegin = lines[h].end;
  std::size_t b = h + 1;
  for (; b < lines.size() && !(lines[b].text.size() > 0 && lines[b].text[0] == '['); ++b) {
    if (!append) continue;
    if (lines[b].text.empty() && lines[b].hadEnd) continue;
    // Kept up to the last line that is not blank.
    result += file.substr(restBegin, lines[b].end - restBegin);
    if (!lines[b].hadEnd) result += '\n';
    restBegin = lines[b].end;
  }
  if (!append) restBegin = b < lines.size() ? lines[b].begin : file.size();
  return result + kBody + file.substr(restBegin);
}

struct TRewrite {
  std::string header;
  bool append = false;
};

// All rewrites in one writer session, as the program's writers do (Reset between them).
bool Rewrite(const std::string &path, const std::vector<TRewrite> &rewrites) {
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  if (out == nullptr) return false;
  for (const TRewrite &rewrite : rewrites) {
    const int selected = rewrite.append ? writer.AppendSection(rewrite.header)
                                        : writer.SelectSection(rewrite.header);
    if (selected != 1) return false;
    std::fputs(kBody, out);
    writer.Reset();
  }
  return writer.Close() == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // A damaged input's rewrite tells what it left out: counted, not printed.
  static TQuietBoxes boxes;
  static TMessageBoxProvider *const previous = SetMessageBoxProvider(&boxes);
  (void)previous;
  FuzzedDataProvider provider(data, size);
  static const char *const kHeaders[] = {"[Common]", "[Surfaces]", "[Remark]", "[New]"};
  std::vector<TRewrite> rewrites(provider.ConsumeIntegralInRange<std::size_t>(1, 3));
  for (TRewrite &rewrite : rewrites) {
    rewrite.header = kHeaders[provider.ConsumeIntegralInRange<int>(0, 3)];
    rewrite.append = provider.ConsumeBool();
  }
  const std::string original = provider.ConsumeRemainingBytesAsString();
  const std::string path = WriteFuzzFile("input.os", original);

  FUZZ_CHECK(Rewrite(path, rewrites), "the rewrite failed");
  // Parts of a damaged file its reader would refuse are left out first (and only then).
  std::string leftOut;
  std::string expected = RepairedSectionText(original, leftOut);
  if (leftOut.empty()) expected = original;
  for (const TRewrite &rewrite : rewrites) {
    expected = Expected(expected, rewrite.header, rewrite.append);
  }
  const std::string written = ReadFuzzFile(path);
  FUZZ_CHECK(written == expected, "rewritten:\n" + written + "\nexpected:\n" + expected);
  for (const auto &entry : std::filesystem::directory_iterator(FuzzScratchDirectory()))
    FUZZ_CHECK(entry.path().filename().string().rfind("readnf", 0) != 0,
               "work copy left beside the file");

  // The last new body reads back.
  const TRewrite &last = rewrites.back();
  TReadNF reader;
  FUZZ_CHECK(reader.Open(path, 0) != nullptr, "rewritten file not readable");
  FUZZ_CHECK(reader.ReadSection(last.header) == 1, "rewritten section not found");
  int naper = 0;
  reader.AddInt("Naper", &naper);
  reader.ParseSection(1);
  if (!last.append) FUZZ_CHECK(naper == 12345, "new body not read back");

  // Replacing a body by itself changes nothing.
  if (!last.append) {
    FUZZ_CHECK(Rewrite(path, {TRewrite{last.header, false}}), "the second rewrite failed");
    FUZZ_CHECK(ReadFuzzFile(path) == written, "the same rewrite changed the file again");
  }
  return 0;
}
