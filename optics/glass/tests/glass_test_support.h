#pragma once
// Helpers shared by the glass tests: scratch directories and hand-made records.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "optics/glass/glass_record.h"

// A fresh directory under the system's temporary directory, removed on destruction.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string &tag) {
    path_ = std::filesystem::temp_directory_path() /
            ("glass_" + tag + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string &name) const { return (path_ / name).string(); }
  std::string Write(const std::string &name, const std::string &content) const {
    std::ofstream(File(name), std::ios::binary) << content;
    return File(name);
  }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The common borosilicate crown in the Sellmeier form, valid 0.3 .. 2.5 µm.
inline TBaseGlassRecord CrownRecord() {
  TBaseGlassRecord r;
  r.formula = kFormulaSellmeier;
  r.minWavelength = 0.3;
  r.maxWavelength = 2.5;
  r.a = {1.03961212, 0.00600069867, 0.231792344, 0.0200179144, 1.01046945, 103.560653, 0, 0, 0, 0};
  r.p = 2.51f;
  return r;
}
