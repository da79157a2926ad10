// Reads a fuzzed file as the text window does and writes its text back in the form read:
// a file holding a NUL byte is refused; any other file whose lines end one way only comes
// back byte for byte (its line ends, its Latin-1 or UTF-8 bytes, its byte-order mark), and
// written back again it reads as the same text.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "platform/gui/bars/edit_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const std::string path = WriteFuzzFile("text.txt", bytes);
  std::string text;
  TTextFileForm form;
  const bool read = ReadTextFile(path, text, &form);
  FUZZ_CHECK(read != (bytes.find('\0') != std::string::npos), "a NUL byte refused, any other file read");
  if (!read) return 0;
  FUZZ_CHECK(text.find('\r') == std::string::npos, "line ends read as LF");
  bool fits = false;
  const std::string written = TextInForm(text, form, fits);
  FUZZ_CHECK(fits, "a text read fits its own form");
  if (!form.mixedLineEnds) FUZZ_CHECK(written == bytes, "written back byte for byte");
  std::string again;
  TTextFileForm formAgain;
  FUZZ_CHECK(ReadTextFile(WriteFuzzFile("again.txt", written), again, &formAgain) && again == text,
             "the text written reads back the same");
  return 0;
}
