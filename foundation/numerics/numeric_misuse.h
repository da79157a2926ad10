#pragma once
// The two misuses of the numeric types that cannot be answered with a status (a matrix
// over the cell limit, a cross product outside three dimensions) end the program after
// printing their text to standard output. The exit code is non-zero: the run failed.

constexpr int kNumericMisuseExitCode = 3;

// Writes `text` (UTF-8) to standard output and ends the program with the code above.
[[noreturn]] void EndOnNumericMisuse(const char *text);
