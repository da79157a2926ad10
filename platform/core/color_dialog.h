#pragma once
// The colour dialog through a replaceable provider. The program installs the Qt one;
// tests install TScriptedColorDialog (scripted_dialogs.h); without either every request
// is cancelled.

#include "platform/core/types.h"

constexpr DWORD CC_RGBINIT = 0x00000001;         // open on rgbResult
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

struct CHOOSECOLOR {
  HWND hwndOwner = nullptr;
  COLORREF rgbResult = 0;
  COLORREF *lpCustColors = nullptr;  // 16 custom colours the dialog shows and may change
  DWORD Flags = 0;
};

class TColorDialogProvider {
 public:
  virtual ~TColorDialogProvider() = default;
  // True with the choice in rgbResult (the custom colours as the user left them); false
  // when cancelled.
  virtual bool ChooseColor(CHOOSECOLOR &choice) = 0;
};

// Installs a provider (not owned; null restores the default) and returns the previous one.
TColorDialogProvider *SetColorDialogProvider(TColorDialogProvider *provider);
// Nonzero when a colour was chosen; a cancel leaves rgbResult as it was.
BOOL ChooseColor(CHOOSECOLOR *choice);
