#pragma once
// TControl: the base of the dialog controls. A control is a child window with an id that
// tells its parent what happens (WM_COMMAND with a notification code) and asks the parent
// for its colours before it paints (WM_CTLCOLOR*). It is made either with a place of its
// own or from a dialog's template (the resource form: the dialog gives it place, style and
// text when it creates its items).
//
// Controls the layer draws itself (buttons, checks, radios, group boxes, statics, gauges)
// paint into the window image, so their pixels can be read; edits, lists, combos and
// scroll bars are shown by Qt widgets (TWindow::SetNativeWidget).

#include <string>

#include "platform/gui/controls/control_constants.h"
#include "platform/gui/drawing/gdi_types.h"
#include "platform/gui/windows/window.h"

class TDC;

// What a parent's WM_CTLCOLOR* answer gave: the background (the brush's colour), the text
// colour, and the brush itself (null when the parent left it to the defaults).
struct TControlColors {
  COLORREF Background = 0xC0C0C0;
  COLORREF Text = 0;
  HBRUSH Brush = nullptr;
};

class TControl : public TWindow {
 public:
  TControl(TWindow *parent, int id, const char *title, int xPos, int yPos, int w, int h,
           TModule *module = nullptr);
  // A control of the parent dialog's template item `resourceId`.
  TControl(TWindow *parent, int resourceId, TModule *module = nullptr);

  bool IsFromResource() const { return fromResource; }
  // WM_COMMAND to the parent: this control's id, the code, this control's handle.
  void NotifyParent(UINT code);
  HFONT GetWindowFont() const { return controlFont; }

  // Asks the parent for the colours of `kind` (CTLCOLOR_*) on the context: the parent's
  // handler sets the context's colours and returns a brush; without an answer the
  // system's colours of the kind are used. The context's text and background colours are
  // set either way.
  TControlColors ParentColors(TDC &dc, UINT kind);

  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // A plain control (a placeholder) shows the parent's background for statics.
  void Paint(TDC &dc, bool erase, RECT &rect) override;

  // The mnemonic of a control's text: the letter after a single '&', lower case ("&Load"
  // gives 'l'; "&&" is an ampersand, no mark); 0 without one.
  static char MnemonicOf(const std::string &text);

 protected:
  // Selects the control's font into the context.
  void SelectFont(TDC &dc) const;

 private:
  bool fromResource = false;
  HFONT controlFont = nullptr;  // not owned (the dialog's, or the shared default)
};

// The font controls use when nobody sets one: the 8-point sans face of the dialogs.
HFONT DefaultControlFont();
// A solid brush of a system colour, shared and never deleted.
HBRUSH GetSysColorBrush(int index);

// Control classes by name, for dialog templates: "BUTTON", "EDIT", "STATIC", "LISTBOX",
// "COMBOBOX", "SCROLLBAR" and the gauge's "GAUGE" are known; others may be added. The
// factory makes an object for an item of `parent` whose id is `id` (resource form).
using TControlFactory = TWindow *(*)(TWindow *parent, int id);
void RegisterControlClass(const char *className, TControlFactory factory);
// The object for a template item of the class (button kinds by the style's low bits);
// null for an unknown class.
TWindow *MakeControlOfClass(const char *className, DWORD style, TWindow *parent, int id);
