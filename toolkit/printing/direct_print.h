#pragma once
// Report print lists. A command that prints a report collects items in a TDirectPrint
// (text files whose lines print one below the other, formatted texts, pictures of graph
// windows) and prints them; TOPrinterOutput is the printout that holds the items
// (TPrintCollection) and draws them. Text tables ruled with '|', '_' and '+' print with
// real lines in place of those characters. A text file longer than the page goes on to
// further pages; one wider than the page keeps every column (page_columns.h).

#include <string>
#include <vector>

#include "platform/gui/printing/printer.h"

class TDC;
class TOFont;
class TWindow;

// One item of a print list.
struct TPrintCollection {
  // HeldText: the lines of a text held in the item, printed as a text file's are.
  enum TKind { Picture = 0, TextFile = 1, FormattedText = 2, HeldText = 3 };
  static constexpr int kKeepAlignment = 1000;

  TWindow *window = nullptr;  // pictures: the graph window; text: the caller's window
  std::string text;           // the file's name, the formatted or the held text
  int kind = TextFile;
  int alignment = 0;          // TA_ flags; kKeepAlignment keeps the previous item's
  double x1 = 0.0, y1 = 0.0;  // where the item goes
  double x2 = 0.0, y2 = 0.0;  // pictures: the printed size (0, 0: the bitmap's)
  int coordinates = 0;        // 0 screen pixels of the window, 1 millimetres
  TOFont *font = nullptr;     // null: the list's current font
  bool framed = false;
  bool rules = true;
  float charHeight = 0.0f;    // millimetres; 0: the list's default
  float charWidth = 0.0f;
  int weight = 0;
};

class TOPrinterOutput : public TPrintout {
 public:
  explicit TOPrinterOutput(const char *title);

  // No page numbers to choose: every page of the list prints.
  void GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) override;
  bool HasPage(int page) override { return page == 1 || page <= pageCount_; }
  void PrintPage(int page, RECT &rect, unsigned flags) override;

  // Prints the text at (x, y) with the rule characters drawn as lines; tabs move to the
  // next multiple of the tab size. The lines of a text are `lineHeight` apart.
  void PrintLine(TDC &dc, const std::string &text, int x, int y);

  std::vector<TPrintCollection> items;
  int tabSize = 8;
  TOFont *font = nullptr;
  double charHeight = 3.0;
  double charWidth = 0.0;
  int weight = 0;
  int alignment = 0;
  char verticalRule = '|';
  char horizontalRule = '_';
  char crossRule = '+';
  bool rules = true;

  // The pages the last layout took (known after page 1 is printed).
  int PageCount() const { return pageCount_; }

 private:
  // Lays every item out, drawing what falls on `page`; returns the number of pages.
  int Layout(TDC &dc, int page);
  // The lines of a text file (or of a held text) from its item's point down, on as many
  // pages as they take.
  void LayoutTextFile(TDC &dc, const TPrintCollection &item, int x, int y, int page,
                      int &lastPage);
  RECT Place(TDC &dc, int alignment, int x, int y, int width, int height) const;

  int pageCount_ = 1;
};

// The width of one character cell of the font selected into the context: a fixed pitch as
// measured, unrounded; for a variable pitch its widest letters, so that a line of so many
// cells never passes that many cells' width.
double PrintCellWidth(TDC &dc);

class TDirectPrint : public TPrinter {
 public:
  TDirectPrint(TWindow *window, const char *title);

  void AddText(const char *name, int x, int y);
  void AddTextMm(const char *name, double x, double y);
  // The text itself, printed as the lines of a text file are.
  void AddHeldText(const std::string &text, int x, int y);
  // printf formatting into a text as long as it needs.
  void AddFormattedText(int x, int y, const char *format, ...) __attribute__((format(printf, 4, 5)));
  void AddFormattedTextMm(double x, double y, const char *format, ...)
      __attribute__((format(printf, 4, 5)));
  void AddWindowImage(TWindow *window, int x, int y, bool framed);
  void AddWindowImageSized(TWindow *window, int x, int y, int w, int h, bool framed);
  void AddWindowImageMm(TWindow *window, double x, double y, bool framed);
  void AddWindowImageSizedMm(TWindow *window, double x, double y, double w, double h, bool framed);

  // Settings apply to the items added after them; these four change the last item too.
  void SetFont(TOFont *font, double heightMm, double widthMm, int weight);
  void SetCharHeight(double heightMm);
  void SetTextAlign(int flags);
  void SetRules(bool on);
  void SetRuleChar(char c);
  void SetVerticalRuleChar(char c);
  void SetCrossRuleChar(char c);
  void SetTabSize(int size);

  // Prints the list without asking (unless there is no printer to print on), then
  // empties it. True when the pages went out.
  bool Print();
  using TPrinter::Print;

  TOPrinterOutput &Output() { return output_; }

 private:
  TPrintCollection &Add(int kind, TWindow *window, const std::string &text, double x, double y,
                        int coordinates);
  TOPrinterOutput output_;
  TWindow *window_;
};

// The one road of a fixed-width text report file to paper: "Courier New" of the given
// character height, tables ruled with '=' drawn as lines, from the page's top left, every
// column kept. True when the pages went out.
bool PrintReportFile(TWindow *owner, const std::string &path, const char *title, double charHeightMm);
