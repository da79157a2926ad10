#pragma once
// WinHelp: the program's help, shown in its own help window (help_window.h). The help
// file names the pages by context number (help_index.h). The file of the program's help
// is one program-wide path that the main window sets at start-up.

#include <cstdint>
#include <string>

#include "platform/core/types.h"

constexpr UINT HELP_CONTEXT = 1;   // the page of the context number in `data`
constexpr UINT HELP_QUIT = 2;      // closes the help window
constexpr UINT HELP_CONTENTS = 3;  // the contents page

class THelpWindow;

// Shows the help file's page for the command in the one help window, made on first use
// and owned by the window of `owner`. A context without a page of its own shows the
// contents. FALSE (with a message box on the owner) when the help file cannot be read.
BOOL WinHelp(HWND owner, const char *helpFile, UINT command, std::uintptr_t data);

// The help window while it exists, else null.
THelpWindow *CurrentHelpWindow();


// The program's help file.
const std::string &ApplicationHelpFile();
void SetApplicationHelpFile(const std::string &path);
