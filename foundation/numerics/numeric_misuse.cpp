#include "foundation/numerics/numeric_misuse.h"

#include <cstdio>
#include <cstdlib>

void EndOnNumericMisuse(const char *text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
  std::exit(kNumericMisuseExitCode);
}
