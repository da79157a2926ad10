#pragma once
// Accelerators: tables of keys that stand for commands. An application-wide key filter
// looks at every key press before the window or Qt control under it acts; when a window
// from the focused one up to its top-level window (and on through its owners) has a
// table with that key, the key becomes WM_COMMAND (high word of wParam 1) to that window
// and goes no further, unless the command is disabled: its command enabler greys it, or
// its item in the window's menu bar is grey (the window is sent WM_INITMENU first, so its
// menu is as current as when it opens). The search ends at a window that runs a modal
// loop, so a dialog's keys never reach the windows behind it.
//
// A focused control that uses the key keeps it from every table: the filter asks the control
// first, as Qt asks before its own shortcuts (a QKeyEvent::ShortcutOverride accepted), so
// Del, Backspace, Ctrl-Z, Ctrl-Y, Ctrl-A, Ctrl-C, Ctrl-V, Ctrl+Ins, Shift+Ins and Shift+Del
// typed into a text field or a table's in-cell editor act on its text in every window.
// An entry flagged FOWNWINDOW acts only when the key is pressed in the table's own window:
// itself, its child windows and the windows that share its keys (ShareOwnerAccelerators,
// its palettes); pressed in another top-level window it owns (a folder, a dialog, an
// analysis window) the key stays with that window.

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

constexpr BYTE FVIRTKEY = 0x01;  // key is a virtual-key code; otherwise a character code
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;
constexpr BYTE FOWNWINDOW = 0x40;  // ours: only from the table's own window (see above)

struct ACCEL {
  BYTE fVirt = 0;
  WORD key = 0;
  WORD cmd = 0;
};

struct HACCEL__ {
  std::vector<ACCEL> Entries;
};
using HACCEL = HACCEL__ *;

HACCEL CreateAcceleratorTable(const ACCEL *entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// Accelerator resources: tables registered by name (compared without case).
void RegisterAcceleratorResource(const char *name, const ACCEL *entries, int count);
// A new table from the resource (destroyed with DestroyAcceleratorTable, or with the window
// it is given to); null when there is none of that name.
HACCEL LoadAccelerators(const void *module, const char *name);

// Gives the window its table (null takes it away); the window owns it from then on.
void SetWindowAccelerators(HWND window, HACCEL table);
HACCEL GetWindowAccelerators(HWND window);

// The command of a key in the table: virtual key, Shift, Ctrl and Alt held, and the
// character the key types (0 when none); 0 when the table has no such key.
UINT AcceleratorCommand(HACCEL table, UINT virtualKey, bool shift, bool control, bool alt,
                        UINT character);

// A top-level window whose keys count as its owner's own (a palette of the owner's): its
// owner's FOWNWINDOW keys act from it. Forgotten when the window goes.
void ShareOwnerAccelerators(HWND window, bool share);
bool SharesOwnerAccelerators(HWND window);

// Looks for the key in the tables of the window and its parents and sends the command;
// true when it did. The key filter calls it for every key press.
bool TranslateWindowAccelerator(HWND focus, UINT virtualKey, bool shift, bool control, bool alt,
                                UINT character);

// Installs the application's key filter (once; needs the Qt application).
void InstallAcceleratorFilter();
