#pragma once
// Scratch files for the sectioned-file tests: each test writes its own small files into
// a fresh directory that is removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

class TScratchFiles {
 public:
  TScratchFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "readnf_XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) directory = pattern;
  }
  ~TScratchFiles() {
    std::error_code error;
    std::filesystem::permissions(directory, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(directory, error);
  }
  TScratchFiles(const TScratchFiles &) = delete;
  TScratchFiles &operator=(const TScratchFiles &) = delete;

  std::string PathOf(const std::string &name) const { return directory + "/" + name; }

  // Writes text byte for byte and returns the file's path.
  std::string Write(const std::string &name, const std::string &text) const {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
  }

  static std::string Read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string directory;
};
