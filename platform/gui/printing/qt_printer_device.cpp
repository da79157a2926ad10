#include "platform/gui/printing/qt_printer_device.h"

#include <algorithm>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/gui/printing/printed_page.h"

namespace {

// The page images' resolution: fine enough for text and lines, and an A4 page image
// stays near 35 MB.
constexpr int kPageDotsPerInch = 300;

}  // namespace

TQtPrinterDevice::TQtPrinterDevice() = default;
TQtPrinterDevice::~TQtPrinterDevice() { Abort(); }

bool TQtPrinterDevice::HasDefaultPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

bool TQtPrinterDevice::Begin(const TPrintSettings &settings, const std::string &title,
                             TPageFormat &format, std::string &error) {
  Abort();
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  const bool toFile = (settings.Flags & PD_PRINTTOFILE) != 0 && !settings.OutputFile.empty();
  if (toFile) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(settings.OutputFile));
  } else {
    if (!settings.PrinterName.empty()) {
      printer_->setPrinterName(QString::fromStdString(settings.PrinterName));
    }
    if (printer_->outputFormat() != QPrinter::NativeFormat || !printer_->isValid()) {
      error = "No printer is available.";
      printer_.reset();
      return false;
    }
  }
  printer_->setDocName(QString::fromStdString(title));
  printer_->setCopyCount(std::max(1, settings.Copies));
  if (settings.PaperWidthMm > 0 && settings.PaperHeightMm > 0) {
    printer_->setPageSize(QPageSize(QSizeF(settings.PaperWidthMm, settings.PaperHeightMm), QPageSize::Millimeter));
  }
  printer_->setPageOrientation(settings.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer_->setResolution(kPageDotsPerInch);

  const QPageLayout layout = printer_->pageLayout();
  const QRect paper = layout.fullRectPixels(kPageDotsPerInch);
  const QRect printable = layout.paintRectPixels(kPageDotsPerInch);
  format.DotsPerInchX = kPageDotsPerInch;
  format.DotsPerInchY = kPageDotsPerInch;
  format.PaperWidth = paper.width();
  format.PaperHeight = paper.height();
  format.Width = printable.width();
  format.Height = printable.height();
  format.OffsetX = printable.left();
  format.OffsetY = printable.top();
  format.CanStretch = true;

  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_.get())) {
    error = toFile ? "The file " + settings.OutputFile + " cannot be written."
                   : "The printer cannot be opened.";
    painter_.reset();
    printer_.reset();
    return false;
  }
  // Pages are pictures of text and lines: kept lossless, so letters keep sharp edges in
  // a PDF rather than the smudges of a photographic compression.
  painter_->setRenderHint(QPainter::LosslessImageRendering);
  pages_ = 0;
  return true;
}

bool TQtPrinterDevice::AddPage(const TPrintedPage &page, std::string &error) {
  if (!painter_) {
    error = "No document is open.";
    return false;
  }
  if (pages_ > 0 && !printer_->newPage()) {
    error = "A new page could not be started.";
    return false;
  }
  ++pages_;
  // The painter's origin is the printable area's corner; its unit is one dot at the
  // page images' resolution, so the image is placed one pixel to one dot.
  const double toPrinter = static_cast<double>(printer_->resolution()) / kPageDotsPerInch;
  painter_->save();
  painter_->scale(toPrinter, toPrinter);
  // Only the inked part of the picture goes out: a page of text alone carries no image.
  const QRect inked = page.InkedRect();
  if (!inked.isNull()) painter_->drawImage(QRectF(inked), page.picture, QRectF(inked));
  page.PaintTextAndLines(*painter_);
  painter_->restore();
  return true;
}

bool TQtPrinterDevice::End(std::string &error) {
  if (!painter_) return true;
  const bool ended = painter_->end();
  painter_.reset();
  printer_.reset();
  if (!ended) error = "The document could not be finished.";
  return ended;
}

void TQtPrinterDevice::Abort() {
  if (painter_) {
    if (printer_) printer_->abort();
    painter_->end();
  }
  painter_.reset();
  printer_.reset();
}
