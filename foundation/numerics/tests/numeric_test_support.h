#pragma once
// Helpers of the numeric tests: running a statement in a child process with standard
// output sent to a file, and reading that file back.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// Where a death test's child writes its standard output.
inline std::string ChildOutputPath(const std::string &name) {
  return ::testing::TempDir() + name + "_stdout.txt";
}

inline void SendStdoutTo(const std::string &path) {
  if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::abort();
}

inline std::string ReadWholeFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
