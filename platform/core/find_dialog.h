#pragma once
// The find and replace dialogs through a replaceable provider. They are modeless: an open
// dialog stays while the user finds, replaces and finds again, and tells its owner each
// action at once (find next, replace, replace all) with the entries as they stand, and
// finally that it closed (FR_DIALOGTERM). The program installs the Qt one; tests install
// TScriptedFindDialog (scripted_dialogs.h); without either nothing opens.

#include <functional>
#include <memory>
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
  DWORD Flags = FR_DOWN;    // options in; the action (FR_FINDNEXT ...) added when told
  std::string FindWhat;
  std::string ReplaceWith;
};

// What an open dialog tells its owner: one action with the options, or FR_DIALOGTERM.
using TFindNotify = std::function<void(const TFindRequest &)>;

// One open dialog. Destroying it closes the dialog without a word more to the owner, so
// an owner that goes first takes its dialog with it.
class TFindSession {
 public:
  virtual ~TFindSession() = default;
  // False once the user has closed it.
  virtual bool IsOpen() const = 0;
  // Brings an open dialog to the front (asked again while it is open).
  virtual void Raise() = 0;
};

class TFindDialogProvider {
 public:
  virtual ~TFindDialogProvider() = default;
  // Opens the dialog with the request's entries and options; null when it cannot.
  virtual std::unique_ptr<TFindSession> Open(const TFindRequest &request, TFindNotify notify) = 0;
};

TFindDialogProvider *SetFindDialogProvider(TFindDialogProvider *provider);
// Opens a modeless dialog; null without a provider. The owner hears one action at a time
// (a find dialog only finds; an action with nothing to find is not told) and the close.
std::unique_ptr<TFindSession> OpenFindDialog(const TFindRequest &request, TFindNotify notify);
