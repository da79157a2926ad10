#pragma once
// Message boxes of a fuzzed reader: counted and answered OK, without writing to the
// terminal at every input; beeps are dropped. A harness installs one for its whole run.

#include <string>

#include "platform/core/message_box.h"

class TQuietBoxes final : public TMessageBoxProvider {
 public:
  int ShowMessageBox(HWND, const std::string &, const std::string &, UINT) override {
    ++shown;
    return IDOK;
  }
  void Beep(UINT) override {}
  int shown = 0;
};
