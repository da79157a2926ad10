#pragma once
// TTextEditor: the report viewer. An editor window opened on a report file that another
// window has written, keeping the file's name, a title, the report font and the character
// height for printing.

#include <string>

#include "platform/core/font_faces.h"
#include "toolkit/texteditor/o_editor.h"

class TTextEditor : public TOEditor {
 public:
  // The reports pass no text, the file's name and zeros, so the window opens the file.
  TTextEditor(TWindow *parentWindow, const char *caption, const char *text,
              const char *reportFile, int left = 0, int top = 0, int wide = 0, int high = 0);
  ~TTextEditor() override = default;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  // Prints the text the window shows through the report printer in the report font,
  // tables ruled with '=' as their horizontal rule, under the report's title while the
  // window shows the report's file, else under the shown file's name.
  void CmPrint();

  void SetFontFrom(const TOFont &font) { reportFont_ = font; }
  void SetTitle(const std::string &reportTitle) { title_ = reportTitle; }
  // The character height of the printed report, in millimetres.
  void SetPageParams(double charHeight) { charHeight_ = charHeight; }

  const std::string &ReportFile() const { return reportFile_; }
  const std::string &Title() const { return title_; }
  const TOFont &ReportFont() const { return reportFont_; }
  double CharHeight() const { return charHeight_; }

 private:
  std::string reportFile_;
  std::string title_;
  double charHeight_ = 4.0;
  TOFont reportFont_{kFaceCourierNew, 9, 0, true};
};

// The name for a report a window writes into the private temporary directory and shows
// in a viewer: `name` ("aberrat.txt"), unless a viewer among the owner's children still
// shows that file, then "aberrat2.txt", "aberrat3.txt" ... A viewer's file, edited and
// saved or not, is the user's until the viewer is closed; it is never rewritten under it.
std::string ReportNameNoViewerShows(const TWindow &owner, const std::string &name);

// Gives the font (the stock ANSI_VAR_FONT for 0) to every child of the window, without
// redraw, and ANSI_VAR_FONT to the windows below them. Nothing for a null window.
void SetFontToChildren(HWND window, HFONT font);
