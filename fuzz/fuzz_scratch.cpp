#include "fuzz/fuzz_scratch.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string MakeScratchDirectory() {
  // fuzz/run.sh names a directory of its own that it removes afterwards, so a harness that
  // stopped on a crash leaves nothing behind. Files in memory are several times faster:
  // the section rewrite syncs every file it writes.
  std::error_code error;
  const char *given = std::getenv("FUZZ_SCRATCH");
  std::string base = given != nullptr ? given : "/dev/shm";
  if (base.empty() || !std::filesystem::is_directory(base, error) ||
      ::access(base.c_str(), W_OK) != 0)
    base = std::filesystem::temp_directory_path(error).string();
  std::string pattern = base + "/reader_fuzz_XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) FuzzFailure("no scratch directory", pattern);
  return pattern;
}

void RemoveScratchDirectory() {
  std::error_code error;
  std::filesystem::remove_all(FuzzScratchDirectory(), error);
}

}  // namespace

const std::string &FuzzScratchDirectory() {
  static const std::string directory = MakeScratchDirectory();
  static const bool registered = (std::atexit(RemoveScratchDirectory) == 0);
  (void)registered;
  return directory;
}

std::string WriteFuzzFile(const std::string &name, const std::uint8_t *data, std::size_t size) {
  const std::string path = FuzzScratchDirectory() + "/" + name;
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    // Something cleared the shared memory directory under a long run: make ours again.
    std::error_code error;
    std::filesystem::create_directories(FuzzScratchDirectory(), error);
    file = std::fopen(path.c_str(), "wb");
  }
  if (file == nullptr) FuzzFailure("cannot write the scratch file", path);
  if (size > 0 && std::fwrite(data, 1, size, file) != size) FuzzFailure("short write", path);
  std::fclose(file);
  return path;
}

std::string WriteFuzzFile(const std::string &name, const std::string &text) {
  return WriteFuzzFile(name, reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
}

std::string ReadFuzzFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FuzzFailure(const char *what, const std::string &detail) {
  std::fprintf(stderr, "\nreader expectation failed: %s\n%s\n", what, detail.c_str());
  std::abort();
}
