#pragma once
// What the graph window asks of the desktop: its small pop-up menu and the colour choice.
// Both go through replaceable hooks, so the program shows real ones and tests script the
// answers.

#include "platform/core/types.h"

#include <string>
#include <vector>

class TWindow;

// One line of the window menu: a command (id, text, check mark) or a separator (id 0).
struct TGraphMenuItem {
  UINT Id = 0;
  std::string Text;
  bool Checked = false;
};

class TGraphWindowUi {
 public:
  virtual ~TGraphWindowUi() = default;
  // Shows the menu at a screen point for the owner; the chosen command id, 0 for none.
  virtual UINT TrackMenu(TWindow &owner, const std::vector<TGraphMenuItem> &items,
                         POINT screenPoint) = 0;
  // The colour dialog opened on `current` with 16 custom colours; true with the choice in
  // `chosen` on OK, false (chosen untouched) on Cancel.
  virtual bool ChooseColor(TWindow &owner, COLORREF current, COLORREF customColors[16],
                           COLORREF &chosen) = 0;
};

// Installs a hook (not owned; null restores the desktop one) and returns the previous one.
TGraphWindowUi *SetGraphWindowUi(TGraphWindowUi *ui);
TGraphWindowUi &CurrentGraphWindowUi();
