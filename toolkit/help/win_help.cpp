#include "toolkit/help/win_help.h"

#include "platform/core/message_box.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_ptr.h"
#include "toolkit/help/help_index.h"
#include "toolkit/help/help_window.h"

namespace {

// Reads null once the window is gone, however it went (its owner took it along).
TWindowPtr<THelpWindow> helpWindow;

std::string &HelpFileText() {
  static std::string path;
  return path;
}

}  // namespace

THelpWindow *CurrentHelpWindow() { return helpWindow; }

const std::string &ApplicationHelpFile() { return HelpFileText(); }

void SetApplicationHelpFile(const std::string &path) { HelpFileText() = path; }

BOOL WinHelp(HWND owner, const char *helpFile, UINT command, std::uintptr_t data) {
  if (command == HELP_QUIT) {
    if (THelpWindow *window = helpWindow) {
      helpWindow = nullptr;
      window->Destroy();
      delete window;
    }
    return 1;
  }
  if (command != HELP_CONTEXT && command != HELP_CONTENTS) return 0;
  const std::string file = helpFile != nullptr ? helpFile : "";
  THelpIndex index;
  if (!ReadHelpIndex(file, index)) {
    MessageBox(owner, "Cannot open the help file " + file + ".", "Help", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::string page = command == HELP_CONTEXT ? HelpPageOfContext(index, static_cast<std::uint32_t>(data))
                                             : std::string();
  if (page.empty()) page = index.contents;
  if (page.empty() && !index.pages.empty()) page = index.pages.begin()->second;
  TWindow *ownerWindow = WindowFromHandle(owner);
  // A window of another owner goes: the help belongs to the window that asked for it.
  if (helpWindow != nullptr && helpWindow->GetParentO() != ownerWindow) WinHelp(owner, nullptr, HELP_QUIT, 0);
  if (helpWindow == nullptr) helpWindow = new THelpWindow(ownerWindow);
  const bool opening = helpWindow->GetHandle() == nullptr;
  if (opening && !helpWindow->Create()) {
    WinHelp(owner, nullptr, HELP_QUIT, 0);
    return 0;
  }
  const bool shown = helpWindow->ShowPage(page);
  helpWindow->ShowWindow(SW_SHOWNORMAL);
  // A window opened anew stands beside the one that asked, placed once the desktop has
  // framed it; one already open stays where the user put it.
  if (opening) helpWindow->PlaceBeside(ownerWindow);
  helpWindow->SetFocus();
  return shown ? 1 : 0;
}
