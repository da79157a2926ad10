#pragma once
// Runs part of a test under a numeric locale with a decimal comma, as the window toolkit
// takes one from a German or Russian user's environment. The previous locale comes back
// when the guard goes. Such a locale must be generated on the machine (scripts/build.sh
// test does it); without one the test is skipped with a note.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

class TCommaLocale {
 public:
  TCommaLocale() {
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = previous != nullptr ? previous : "C";
    for (const char *name : {"de_DE.UTF-8", "ru_RU.UTF-8", "de_DE.utf8", "ru_RU.utf8"}) {
      if (std::setlocale(LC_NUMERIC, name) == nullptr) continue;
      const std::lconv *format = std::localeconv();
      if (format != nullptr && format->decimal_point != nullptr &&
          format->decimal_point[0] == ',') {
        active_ = true;
        return;
      }
    }
    std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  ~TCommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  TCommaLocale(const TCommaLocale &) = delete;
  TCommaLocale &operator=(const TCommaLocale &) = delete;

  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

// Skips the rest of the test when no decimal-comma locale could be set.
#define SKIP_WITHOUT_COMMA_LOCALE(guard)                       \
  if (!(guard).Active())                                       \
  GTEST_SKIP() << "no decimal-comma locale on this machine; "  \
                  "scripts/build.sh test generates de_DE.UTF-8"
