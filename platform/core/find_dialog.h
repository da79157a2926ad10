#pragma once
// The find and replace dialogs through a replaceable provider. They are asked modally:
// each run ends with one action (find next, replace, replace all) or a close. The program
// installs the Qt one; tests install TScriptedFindDialog (scripted_dialogs.h); without
// either every request is closed.

#include <string>

#include "platform/core/types.h"

constexpr DWORD FR_DOWN = 0x00000001;
constexpr DWORD FR_WHOLEWORD = 0x00000002;
constexpr DWORD FR_MATCHCASE = 0x00000004;
constexpr DWORD FR_FINDNEXT = 0x00000008;
constexpr DWORD FR_REPLACE = 0x00000010;
constexpr DWORD FR_REPLACEALL = 0x00000020;
constexpr DWORD FR_DIALOGTERM = 0x00000040;

struct TFindRequest {
  HWND Owner = nullptr;
  bool Replace = false;     // the replace dialog (with "Replace with")
  DWORD Flags = FR_DOWN;    // options in; the action (FR_FINDNEXT ...) added on return
  std::string FindWhat;
  std::string ReplaceWith;
};

class TFindDialogProvider {
 public:
  virtual ~TFindDialogProvider() = default;
  // True with the action in Flags; false when closed.
  virtual bool Run(TFindRequest &request) = 0;
};

TFindDialogProvider *SetFindDialogProvider(TFindDialogProvider *provider);
// False when closed or when nothing is to be found (an empty text).
bool RunFindDialog(TFindRequest &request);
