#pragma once
// Dialog templates: tables of a dialog's frame and items in dialog units, registered by
// resource name (compared without case) and kept next to the class that uses them:
//
//   const TDialogTemplate kAboutDlg{"AboutDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
//       0, 0, 180, 90, "About", {
//       {"STATIC", "Optical Workbench", 100, SS_CENTER, 10, 10, 160, 10},
//       {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 65, 65, 50, 14},
//   }};
//   const TDialogRegistration kAboutRegistration(kAboutDlg);
//
// A dialog unit is a quarter of the font's average character width across and an eighth
// of its height down, so a template keeps its proportions with the font: the 8-point sans
// face unless the template names another.

#include <string>
#include <vector>

#include "platform/core/font_faces.h"
#include "platform/core/types.h"

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;

// One control: its class ("BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX", "SCROLLBAR",
// "GAUGE" or a registered one), text, id, style (WS_CHILD | WS_VISIBLE are added) and
// place in dialog units.
struct TDialogItem {
  const char *ClassName = "STATIC";
  const char *Text = "";
  int Id = 0;
  DWORD Style = 0;
  int X = 0;
  int Y = 0;
  int Cx = 0;
  int Cy = 0;
  DWORD ExStyle = 0;
};

struct TDialogTemplate {
  const char *Name = "";
  DWORD Style = 0;
  // Place in dialog units: from the owner's client area (DS_CENTER: centred on the owner).
  int X = 0;
  int Y = 0;
  int Cx = 0;
  int Cy = 0;
  const char *Caption = "";
  std::vector<TDialogItem> Items;
  const char *FontFace = kFaceSansSerif;
  int PointSize = 8;
  // The menu resource the dialog's window shows as its bar (null: none). The window grows
  // by the bar, so the template's area stays whole below it.
  const char *Menu = nullptr;
};

// Registers (or replaces) the template under its name; the template must outlive its use.
void RegisterDialogTemplate(const TDialogTemplate &dialogTemplate);
// The template of the name, or null.
const TDialogTemplate *FindDialogTemplate(const char *name);

// Registers a template where it is defined.
struct TDialogRegistration {
  explicit TDialogRegistration(const TDialogTemplate &dialogTemplate) { RegisterDialogTemplate(dialogTemplate); }
};

// The pixels of one dialog unit across (x4) and down (x8) for a font: the base units.
struct TDialogUnits {
  int BaseX = 6;  // the average width of the letters, rounded
  int BaseY = 13;  // the font's height
  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
};
// Base units of the face at the point size (96 pixels an inch).
TDialogUnits DialogUnitsOfFont(const char *faceName, int pointSize);
