#pragma once
// The print dialog through a replaceable provider. The program installs the Qt one;
// tests install TScriptedPrintDialog (scripted_dialogs.h); without either every request is
// cancelled.

#include <string>

#include "platform/core/types.h"

constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_SELECTION = 0x00000001;
constexpr DWORD PD_PAGENUMS = 0x00000002;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_COLLATE = 0x00000010;
constexpr DWORD PD_PRINTTOFILE = 0x00000020;
constexpr DWORD PD_PRINTSETUP = 0x00000040;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
constexpr DWORD PD_ENABLEPRINTHOOK = 0x00001000;
constexpr DWORD PD_ENABLESETUPHOOK = 0x00002000;
constexpr DWORD PD_DISABLEPRINTTOFILE = 0x00080000;
constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;

// What the dialog shows and what the user leaves in it.
struct TPrintSettings {
  HWND Owner = nullptr;
  DWORD Flags = 0;          // PD_* in; PD_PAGENUMS / PD_SELECTION / PD_PRINTTOFILE out
  int FromPage = 1;
  int ToPage = 1;
  int MinPage = 1;
  int MaxPage = 1;
  int Copies = 1;
  bool Landscape = false;
  std::string PrinterName;  // empty: the default printer
  std::string OutputFile;   // with PD_PRINTTOFILE
  int DotsPerInch = 300;    // the chosen printer's resolution
  double PaperWidthMm = 0;  // the chosen sheet, portrait (0: the printer's own)
  double PaperHeightMm = 0;
};

class TPrintDialogProvider {
 public:
  virtual ~TPrintDialogProvider() = default;
  virtual bool Run(TPrintSettings &settings) = 0;
};

TPrintDialogProvider *SetPrintDialogProvider(TPrintDialogProvider *provider);
// True when the user chose to print; page numbers come back inside [MinPage, MaxPage]
// with FromPage <= ToPage, and at least one copy.
bool RunPrintDialog(TPrintSettings &settings);
