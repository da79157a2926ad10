#pragma once
// TPrintoutEditor: the text editor's printout. The first page carries the date and time
// header and the file's name as title; the text follows in whole lines, page after page,
// until none is left. A line wider than the page is never drawn past its edge: tables go
// in blocks of columns one under another, other lines wrap.

#include <string>
#include <vector>

#include "toolkit/printing/o_printout.h"

class TOEditor;

class TPrintoutEditor : public TOPrintout {
 public:
  // The text is the caller's and must outlive the printout; the title is the edited
  // file's name (null or empty prints "Untitled File").
  TPrintoutEditor(const char *printoutTitle, TOEditor *editor, const char *text,
                  const char *title);

  int PrintContent(TDC &dc) override;
  void PrintTitle(TDC &dc, int x, int y);
  // The title as printed.
  std::string TitleText() const;

 private:
  TOEditor *editor_;
  const char *text_;
  std::string title_;
  // The lines as they print, none wider than the page (laid out on the first page).
  std::vector<std::string> lines_;
  // The first line of the next page.
  std::size_t nextLine_ = 0;
};
