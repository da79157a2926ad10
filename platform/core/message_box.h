#pragma once
// Message boxes and beeps through a replaceable provider. The program installs a Qt
// provider; tests install a recording one; the default writes to stderr and answers OK.

#include <string>

#include "platform/core/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Sound types for MessageBeep; 0xFFFFFFFF is the simple beep.
constexpr UINT MB_SIMPLEBEEP = 0xFFFFFFFF;

class TMessageBoxProvider {
 public:
  virtual ~TMessageBoxProvider() = default;
  // Shows a box with UTF-8 text and caption; returns one of the ID* answers.
  virtual int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption,
                             UINT flags) = 0;
  virtual void Beep(UINT soundType) = 0;
};

// Installs a provider (not owned; null restores the default) and returns the previous one.
TMessageBoxProvider *SetMessageBoxProvider(TMessageBoxProvider *provider);
TMessageBoxProvider &CurrentMessageBoxProvider();

int MessageBox(HWND owner, const std::string &text, const std::string &caption, UINT flags);
// The language argument is accepted for the callers that pass one; the box is the same.
int MessageBoxEx(HWND owner, const std::string &text, const std::string &caption, UINT flags,
                 WORD language);
BOOL MessageBeep(UINT soundType);

// The "Not enough memory" box that every failed allocation shows.
void ShowNotEnoughMemory();
