#pragma once
// The printer's device context: a page image at the printer's resolution that answers the
// device queries of a printer (resolutions, printable area, sheet and offsets), and the
// escape that gives the sheet's size. For a printer that draws text and lines itself it
// keeps them apart from the picture, measured by the faces' design metrics as the printer
// places the glyphs.

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/printing/printed_page.h"
#include "platform/gui/printing/printer_device.h"

constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int GETPHYSPAGESIZE = 12;

class TPrinterDC : public TPrintDC {
 public:
  // `page` holds the printable area (format.Width x format.Height).
  TPrinterDC(QImage *page, const TPageFormat &format);
  // Draws into page.picture; with textAndLinesApart, texts and plain solid lines go to the
  // page's lists instead.
  TPrinterDC(TPrintedPage &page, const TPageFormat &format, bool textAndLinesApart);
  int GetDeviceCaps(int index) const override;
  const TPageFormat &Format() const { return format_; }

 protected:
  bool TakeText(QPoint origin, double turnDegrees, QPoint baseline, const QFont &font,
                std::uint32_t rgb, const QString &text, const QRect &clip) override;
  bool TakeLine(QPoint from, QPoint to, int width, std::uint32_t rgb) override;

 private:
  TPageFormat format_;
  TPrintedPage *apart_ = nullptr;
};

// The printer escapes the program uses: GETPHYSPAGESIZE writes the sheet's size in dots
// into the POINT `out` points to and returns 1; any other escape or context gives 0.
int Escape(TDC &dc, int escape, int inCount, const void *in, void *out);
