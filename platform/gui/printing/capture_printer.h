#pragma once
// A printer for tests: installed while it lives, it keeps every printed page as an image
// and records the documents' titles and settings. Its page format is set by the test;
// the default is an A4 sheet at 300 dots per inch without margins. Asked to, it takes
// texts and lines apart from the picture as a printer that draws them does, keeps them
// (`printed`) and draws them into the page's image itself.

#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/printing/printed_page.h"
#include "platform/gui/printing/printer_device.h"

class TCapturePrinter final : public TPrinterDevice {
 public:
  TCapturePrinter();
  ~TCapturePrinter() override;
  TCapturePrinter(const TCapturePrinter &) = delete;
  TCapturePrinter &operator=(const TCapturePrinter &) = delete;

  // An A4 sheet (210 x 297 mm) at the given resolutions, with a margin of `marginMm`.
  void SetA4(int dotsPerInchX, int dotsPerInchY, double marginMm = 0.0);

  bool HasDefaultPrinter() override { return hasDefault; }
  bool Begin(const TPrintSettings &settings, const std::string &title, TPageFormat &format,
             std::string &error) override;
  bool DrawsTextAndLines() const override { return drawsTextAndLines; }
  bool AddPage(const TPrintedPage &page, std::string &error) override;
  bool End(std::string &error) override;
  void Abort() override { ++aborted; }

  TPageFormat format;
  bool hasDefault = true;
  bool drawsTextAndLines = false;
  // Set by a test to make opening the document fail with this reason.
  std::string failBegin;
  std::vector<QImage> pages;
  std::vector<TPrintedPage> printed;
  std::vector<std::string> titles;
  std::vector<TPrintSettings> settings;
  int ended = 0;
  int aborted = 0;

 private:
  TPrinterDevice *previous_;
};
