// Reads every section of a sectioned text file into variables of every type letter, each
// registered with the exact size of its heap block, so a store past it is an ASan report.
// The whole file is scanned first. Expectations: a header the reader names is found again
// by ReadSection; a variable whose
// key never appears in the file keeps the value it had; text buffers stay terminated.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/textfiles/read_nf.h"
#include "foundation/containers/string_class.h"
#include "foundation/textfiles/text_functions.h"
#include "fuzz/fuzz_scratch.h"

namespace {

constexpr int kArraySize = 4;
constexpr int kTextSize = 12;
constexpr int kMaxSections = 8;
constexpr double kUntouched = -7777.25;

// What the key matching of the reader could ever see: blanks dropped, lower case.
std::string KeyView(const std::uint8_t *data, std::size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  return LowerCaseAnsi(text);
}

struct TVariables {
  std::unique_ptr<double[]> doubles{new double[kArraySize]};
  std::unique_ptr<float[]> floats{new float[kArraySize]};
  std::unique_ptr<int[]> ints{new int[kArraySize]};
  std::unique_ptr<long[]> longs{new long[kArraySize]};
  std::unique_ptr<char[]> text{new char[kTextSize]};
  std::unique_ptr<STRING[]> texts{new STRING[kArraySize]};
  std::vector<std::unique_ptr<char[]>> listBuffers;
  std::vector<char *> list;

  TVariables() {
    for (int i = 0; i < kArraySize; ++i) {
      listBuffers.emplace_back(new char[kTextSize]);
      list.push_back(listBuffers.back().get());
    }
    Reset();
  }

  void Reset() {
    for (int i = 0; i < kArraySize; ++i) {
      doubles[i] = kUntouched;
      floats[i] = static_cast<float>(kUntouched);
      ints[i] = -7777;
      longs[i] = -7777;
      texts[i] = "untouched";
      std::strcpy(list[i], "untouched");
    }
    std::strcpy(text.get(), "untouched");
  }

  void Register(TReadNF &reader) {
    reader.AddDouble("R", doubles.get(), kArraySize);
    reader.AddFloat("Lambda", floats.get(), kArraySize);
    reader.AddInt("Naper", ints.get(), kArraySize);
    reader.AddLong("Ex", longs.get(), kArraySize);
    reader.AddString("Name", text.get(), kTextSize);
    reader.AddText("Glass", texts.get(), kArraySize);
    reader.AddStringList("Remark", list.data(), kArraySize, kTextSize);
    reader.Limit("Naper", 0.0, 5.0);
  }

  void CheckUntouched(const std::string &keys) const {
    if (keys.find("r") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i) FUZZ_CHECK(doubles[i] == kUntouched, "R changed");
    if (keys.find("lambda") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i)
        FUZZ_CHECK(floats[i] == static_cast<float>(kUntouched), "Lambda changed");
    if (keys.find("naper") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i) FUZZ_CHECK(ints[i] == -7777, "Naper changed");
    if (keys.find("ex") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i) FUZZ_CHECK(longs[i] == -7777, "Ex changed");
    if (keys.find("name") == std::string::npos)
      FUZZ_CHECK(std::strcmp(text.get(), "untouched") == 0, "Name changed");
    if (keys.find("glass") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i) FUZZ_CHECK(texts[i] == "untouched", "Glass changed");
    if (keys.find("remark") == std::string::npos)
      for (int i = 0; i < kArraySize; ++i)
        FUZZ_CHECK(std::strcmp(list[i], "untouched") == 0, "Remark changed");
  }

  void CheckTerminated() const {
    FUZZ_CHECK(std::memchr(text.get(), '\0', kTextSize) != nullptr, "Name not terminated");
    for (int i = 0; i < kArraySize; ++i)
      FUZZ_CHECK(std::memchr(list[i], '\0', kTextSize) != nullptr, "Remark not terminated");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.os", data, size);
  const std::string keys = KeyView(data, size);
  static TVariables variables;

  TReadNF reader;
  FUZZ_CHECK(reader.Open(path, 0) != nullptr, "a readable file was not opened");
  // Judging the whole file first leaves the reader where it was: at the start.
  const int scannedHeaders = reader.ScanFile();
  FUZZ_CHECK(scannedHeaders >= 0, "an open file scanned as missing");
  FUZZ_CHECK(!reader.ScannedEmpty() || scannedHeaders == 0, "an empty file with headers");
  std::vector<std::string> headers = {"[Common]", "[Surfaces]"};
  for (int i = 0; i < kMaxSections && i < static_cast<int>(headers.size()); ++i) {
    variables.Reset();
    const int found = reader.ReadSection(headers[i]);
    variables.Register(reader);
    reader.ParseSection(0);
    variables.CheckTerminated();
    variables.CheckUntouched(keys);
    if (found == 0) {
      // Nothing is read from a section that is not there.
      variables.CheckUntouched(std::string());
      continue;
    }
    const std::string next = reader.NextSectionName();
    if (!next.empty() && headers.size() < static_cast<std::size_t>(kMaxSections)) {
      headers.push_back(next);
    }
  }
  // Every key not taken is named on a line the file has.
  const long lines = std::count(data, data + size, static_cast<std::uint8_t>('\n')) + 1;
  for (const TReadNFKeyNote &note : reader.KeyNotes())
    FUZZ_CHECK(note.line >= 1 && note.line <= lines && !note.key.empty(), "a key note without its line");
  FUZZ_CHECK(reader.KeyNotes().empty() == KeyNotesText(reader.KeyNotes(), "f").empty(), "notes not said");
  // Every header the reader reports can be selected again.
  for (std::size_t i = 2; i < headers.size(); ++i) {
    FUZZ_CHECK(reader.ReadSection(headers[i]) == 1, headers[i]);
  }
  reader.ParseSection(1);
  FUZZ_CHECK(!reader.IsOpen(), "ParseSection(1) left the file open");
  return 0;
}
