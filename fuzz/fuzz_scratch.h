#pragma once
// The readers take file names, so every input is written to a file first. Each fuzzing
// process gets a directory of its own (under $FUZZ_SCRATCH, else /dev/shm, else the
// temporary directory), removed at exit.

#include <cstddef>
#include <cstdint>
#include <string>

// The process's scratch directory, made on first use.
const std::string &FuzzScratchDirectory();

// Writes the bytes to name inside the scratch directory and returns the file's path.
std::string WriteFuzzFile(const std::string &name, const std::uint8_t *data, std::size_t size);
std::string WriteFuzzFile(const std::string &name, const std::string &text);

// The whole file, "" when it cannot be read.
std::string ReadFuzzFile(const std::string &path);

// Stops the run with a message when an expectation on a reader fails: libFuzzer then
// saves the input as a crash.
[[noreturn]] void FuzzFailure(const char *what, const std::string &detail = std::string());
#define FUZZ_CHECK(condition, detail)                    \
  do {                                                   \
    if (!(condition)) FuzzFailure(#condition, (detail)); \
  } while (false)
