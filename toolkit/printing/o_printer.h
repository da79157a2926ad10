#pragma once
// TOPrinter: the program's printer, whose print dialog is a TOPrintDialog; TOPrintDialog:
// a print dialog that shows every message to its printer's hook first.

#include "platform/gui/printing/printer.h"

class TOPrinter;

class TOPrintDialog : public TPrintDialog {
 public:
  // With `flag` set the dialog is asked without its set-up hook option.
  TOPrintDialog(int flag, TOPrinter *printer, TWindow *parent, TPrintSettings &data,
                const char *templateName = nullptr, const char *title = nullptr,
                TModule *module = nullptr);
  LRESULT DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TOPrinter *printer_;
};

class TOPrinter : public TPrinter {
 public:
  // The text editor passes 1 and no template.
  TOPrinter(int flag = 1, const char *templateName = nullptr);
  bool ExecPrintDialog(TWindow *parent) override;
  // Sees each message of the print dialog before it; does nothing here.
  virtual void DialogHook(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  int flag_;
  const char *template_;
};
