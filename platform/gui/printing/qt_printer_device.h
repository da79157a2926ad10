#pragma once
// The desktop's printers through QPrinter: a real printer, or a PDF file when the settings
// print to a file. Pages are laid out at 300 dots per inch, the resolution of their
// pictures, and placed on the printable area of the sheet; their texts and lines are drawn
// by the printer itself, so a PDF holds text and strokes with only the pictures as images.

#include <memory>

#include "platform/gui/printing/printer_device.h"

class QPainter;
class QPrinter;

class TQtPrinterDevice final : public TPrinterDevice {
 public:
  TQtPrinterDevice();
  ~TQtPrinterDevice() override;

  bool HasDefaultPrinter() override;
  bool Begin(const TPrintSettings &settings, const std::string &title, TPageFormat &format,
             std::string &error) override;
  bool DrawsTextAndLines() const override { return true; }
  bool AddPage(const TPrintedPage &page, std::string &error) override;
  bool End(std::string &error) override;
  void Abort() override;

 private:
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
  int pages_ = 0;
};
