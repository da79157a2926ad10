#pragma once
// Where printed pages go: a replaceable printer device. The program prints through the Qt
// one (the desktop's printers and PDF files); tests install TCapturePrinter, which keeps
// each page as an image. A page is handed over as a picture of the printable area at the
// device's resolution, so every raster operation is done on its pixels before it leaves;
// a device that draws text and lines itself gets those apart from the picture, to put
// them on the page as text (a PDF's text layer, a printer's own fonts) and strokes.

#include <string>

#include "platform/core/print_dialog.h"

struct TPrintedPage;

// The geometry of the chosen printer's pages, in device dots.
struct TPageFormat {
  int DotsPerInchX = 300;
  int DotsPerInchY = 300;
  int Width = 2480;         // printable area (HORZRES, VERTRES)
  int Height = 3508;
  int PaperWidth = 2480;    // the whole sheet (PHYSICALWIDTH, PHYSICALHEIGHT)
  int PaperHeight = 3508;
  int OffsetX = 0;          // printable area's corner on the sheet (PHYSICALOFFSETX, -Y)
  int OffsetY = 0;
  bool CanStretch = true;   // RC_STRETCHBLT
};

class TPrinterDevice {
 public:
  virtual ~TPrinterDevice() = default;
  // Whether a printer is there to print on without asking (a default printer).
  virtual bool HasDefaultPrinter() = 0;
  // Opens a document on the printer the settings name (or the default one, or the file of
  // PD_PRINTTOFILE); fills the page format. False with the reason when it cannot.
  virtual bool Begin(const TPrintSettings &settings, const std::string &title,
                     TPageFormat &format, std::string &error) = 0;
  // Whether texts and lines come apart from the picture; otherwise they are drawn into it.
  virtual bool DrawsTextAndLines() const { return false; }
  virtual bool AddPage(const TPrintedPage &page, std::string &error) = 0;
  // Ends the document (false when the pages could not be delivered).
  virtual bool End(std::string &error) = 0;
  // Drops a document that failed half-way.
  virtual void Abort() = 0;
};

// Installs a device; returns the previous one. Null puts the desktop's printers back.
TPrinterDevice *SetPrinterDevice(TPrinterDevice *device);
TPrinterDevice &CurrentPrinterDevice();
