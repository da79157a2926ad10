#include "foundation/helpers/helpers.h"

#include <sys/utsname.h>

#include <cstdio>

#include "foundation/textfiles/text_functions.h"
#include "platform/core/cursor.h"
#include "platform/core/message_box.h"

void SetWaitCursor() { SetCursorShape(TCursorShape::Wait); }

void SetArrowCursor() { SetCursorShape(TCursorShape::Arrow); }

void ShowNotReadyBox(HWND owner) {
  MessageBoxEx(owner, "Данный пункт диалога находится в работе", "Извините !",
               MB_OK | MB_ICONEXCLAMATION, 0);
}

void MinMaxOfArray(const double *values, int count, double &minimum, double &maximum) {
  if (values == nullptr || count < 1) {
    minimum = 0.0;
    maximum = 0.0;
    return;
  }
  minimum = values[0];
  maximum = values[0];
  for (int i = 1; i < count; ++i) {
    if (values[i] < minimum) minimum = values[i];
    if (values[i] > maximum) maximum = values[i];
  }
}

namespace {

// Reads a run of decimal digits as a small non-negative number; -1 when there is none.
int ReadVersionNumber(const char *&text) {
  if (*text < '0' || *text > '9') return -1;
  long value = 0;
  while (*text >= '0' && *text <= '9') {
    if (value < 100000) value = value * 10 + (*text - '0');
    ++text;
  }
  return static_cast<int>(value);
}

}  // namespace

double WindowsVersionText() {
  utsname name{};
  if (uname(&name) != 0) return 0.0;
  const char *text = name.release;
  const int major = ReadVersionNumber(text);
  if (major < 0) return 0.0;
  int minor = 0;
  if (*text == '.') {
    ++text;
    minor = ReadVersionNumber(text);
    if (minor < 0) minor = 0;
  }
  char formatted[32];
  std::snprintf(formatted, sizeof formatted, "%d.%d", major, minor);
  return DecimalToDouble(formatted);
}
