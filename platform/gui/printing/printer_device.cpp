#include "platform/gui/printing/printer_device.h"

#include "platform/gui/printing/qt_printer_device.h"

namespace {

TPrinterDevice *installedDevice = nullptr;

}  // namespace

TPrinterDevice *SetPrinterDevice(TPrinterDevice *device) {
  TPrinterDevice *previous = installedDevice;
  installedDevice = device;
  return previous;
}

TPrinterDevice &CurrentPrinterDevice() {
  static TQtPrinterDevice desktop;
  return installedDevice != nullptr ? *installedDevice : desktop;
}
