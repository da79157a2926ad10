#pragma once
// TOPrintout: the base of the program's page printouts. Each page is given a mapping of
// square logical units (one unit is 1/LOGPIXELSY inch in both directions, whatever the
// printer's two resolutions), with conversions between millimetres and those units, a
// date and time header box, text output and scaled output of images.

#include <string>

#include "platform/gui/printing/printer.h"

class TDC;
class TGraphWindow;
class TOFont;

class TOPrintout : public TPrintout {
 public:
  explicit TOPrintout(const char *title);

  // No page numbers to choose; pages 1 to 100 when asked.
  void GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) override;
  bool HasPage(int page) override { return PageAvailable(page); }
  // Page 1 always; a further page when the last page's content said more follows.
  bool PageAvailable(int page) const { return page == 1 || morePages_ != 0; }
  // Sets the page's mapping and scale, then draws the page with PrintContent.
  void PrintPage(int page, RECT &rect, unsigned flags) override;
  // Draws the current page; non-zero when more pages follow.
  virtual int PrintContent(TDC &dc);

  // Millimetres to logical units (truncated) and back.
  int MmToDeviceX(double mm) const;
  int MmToDeviceY(double mm) const;
  double DeviceToMmX(int units) const;
  double DeviceToMmY(int units) const;
  void GetScale(double &x, double &y) const;

  void SelectFont(TDC &dc, TOFont &font);
  // The "Date"/"Time" box with its corner at (x, y).
  void PrintHeader(TDC &dc, int x, int y);
  void GetHeaderSize(int &width, int &height) const;
  // Text with tabs expanded, unclipped, in a rectangle as wide as the page; the height
  // it took.
  int PrintText(TDC &dc, const char *text, int x, int y);
  // The rectangle the text takes with its corner at (x, y).
  RECT MeasureText(TDC &dc, const char *text, int x, int y);
  // Copies the source rectangle to (x, y), scaled when either scale is off 1 by 0.001 or
  // more and the printer can stretch; the size it printed at.
  SIZE PrintImage(TDC &dc, TDC &source, int x, int y, const RECT &sourceRect, double scaleX,
                  double scaleY);
  // The graph window's whole picture, then the printed rectangle inverted.
  SIZE PrintWindowImage(TDC &dc, TGraphWindow &window, int x, int y, double scaleX,
                        double scaleY);

  // A paper size in logical units given by the caller (less its margins) instead of the
  // printer's sheet.
  void SetPaperSize(int width, int height, int marginX, int marginY);
  int CurrentPage() const { return page_; }

 protected:
  int verticalOffset_ = 0;

 private:
  bool paperGiven_ = false;
  POINT paperSize_{};
  POINT margins_{};
  double unitsPerMmX_ = 1.0;
  double unitsPerMmY_ = 1.0;
  int morePages_ = 0;
  int page_ = 0;
};
