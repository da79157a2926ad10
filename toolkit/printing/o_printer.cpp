#include "toolkit/printing/o_printer.h"

#include "platform/core/message_box.h"

TOPrintDialog::TOPrintDialog(int flag, TOPrinter *printer, TWindow *parent, TPrintSettings &data,
                             const char *templateName, const char *title, TModule *module)
    : TPrintDialog(parent, data, templateName, title, module), printer_(printer) {
  if (flag != 0) data.Flags &= ~PD_ENABLESETUPHOOK;
}

LRESULT TOPrintDialog::DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (printer_ != nullptr) printer_->DialogHook(msg, wParam, lParam);
  return TPrintDialog::DialogFunction(msg, wParam, lParam);
}

TOPrinter::TOPrinter(int flag, const char *templateName) : flag_(flag), template_(templateName) {}

bool TOPrinter::ExecPrintDialog(TWindow *parent) {
  TOPrintDialog dialog(flag_, this, parent, data_, template_);
  return dialog.Execute() == IDOK;
}

void TOPrinter::DialogHook(UINT, WPARAM, LPARAM) {}
