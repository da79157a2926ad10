#pragma once
// The colour choice of the graph window's "Background color" command, through a
// replaceable hook: the program shows the desktop's colour dialog, tests script the answer.

#include "platform/core/types.h"

class TWindow;

class TGraphWindowUi {
 public:
  virtual ~TGraphWindowUi() = default;
  // The colour dialog opened on `current` with 16 custom colours; true with the choice in
  // `chosen` on OK, false (chosen untouched) on Cancel.
  virtual bool ChooseColor(TWindow &owner, COLORREF current, COLORREF customColors[16],
                           COLORREF &chosen) = 0;
};

// Installs a hook (not owned; null restores the desktop one) and returns the previous one.
TGraphWindowUi *SetGraphWindowUi(TGraphWindowUi *ui);
TGraphWindowUi &CurrentGraphWindowUi();
