#pragma once
// Command enabling: before a command can be chosen (a menu opens, a bar refreshes), the
// asker sends WM_COMMAND_ENABLE with a TCommandEnabler for the command id. The window with
// an EvCommandEnable entry for the id says whether the command is enabled, checked, or
// what its text is; unanswered, the message travels up to the parent.

#include <string>

#include "platform/core/types.h"

class TCommandEnabler {
 public:
  enum TCheckState { Unchecked = 0, Checked = 1, Indeterminate = 2 };

  explicit TCommandEnabler(UINT commandId) : id(commandId) {}
  virtual ~TCommandEnabler() = default;
  TCommandEnabler(const TCommandEnabler &) = delete;
  TCommandEnabler &operator=(const TCommandEnabler &) = delete;

  UINT GetId() const { return id; }
  // Each of these marks the enabler as answered; the asker reads the answers back.
  virtual void Enable(bool enable = true) {
    enabled = enable;
    handled = true;
  }
  virtual void SetCheck(int state) {
    check = state;
    checkSet = true;
    handled = true;
  }
  virtual void SetText(const char *text) {
    newText = text != nullptr ? text : "";
    textSet = true;
    handled = true;
  }
  bool GetHandled() const { return handled; }
  bool IsEnabled() const { return enabled; }
  int GetCheck() const { return check; }
  bool CheckWasSet() const { return checkSet; }
  bool TextWasSet() const { return textSet; }
  const std::string &GetText() const { return newText; }

 private:
  UINT id;
  bool handled = false;
  bool enabled = true;
  int check = Unchecked;
  bool checkSet = false;
  bool textSet = false;
  std::string newText;
};
