#pragma once
// The framework's printing classes: TPrintout (a document that draws itself page by page
// into a printer context), TPrintDialog (the print dialog over its data) and TPrinter,
// which asks the dialog, opens the printer device and runs a printout's pages into page
// images that the device delivers.

#include <string>

#include "platform/core/print_dialog.h"
#include "platform/core/types.h"
#include "platform/gui/printing/printer_dc.h"

class TModule;
class TWindow;

class TPrintout {
 public:
  explicit TPrintout(const char *title);
  virtual ~TPrintout() = default;
  TPrintout(const TPrintout &) = delete;
  TPrintout &operator=(const TPrintout &) = delete;

  // Page numbers the dialog offers: minPage = maxPage = 0 offers none.
  virtual void GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage);
  // The context of the page about to be printed and the page's size (logical units).
  virtual void SetPrintParams(TPrinterDC *dc, SIZE pageSize);
  virtual void BeginPrinting() {}
  virtual void BeginDocument(int, int, unsigned) {}
  // Whether the page exists; page 1 always does.
  virtual bool HasPage(int page) { return page == 1; }
  virtual void PrintPage(int page, RECT &rect, unsigned flags) = 0;
  virtual void EndDocument() {}
  virtual void EndPrinting() {}

  const std::string &GetTitle() const { return title_; }

 protected:
  TPrinterDC *DC = nullptr;
  SIZE PageSize{};

 private:
  std::string title_;
};

class TPrintDialog {
 public:
  TPrintDialog(TWindow *parent, TPrintSettings &data, const char *templateName = nullptr,
               const char *title = nullptr, TModule *module = nullptr);
  virtual ~TPrintDialog() = default;
  TPrintDialog(const TPrintDialog &) = delete;
  TPrintDialog &operator=(const TPrintDialog &) = delete;

  // IDOK with the user's choice in the data, IDCANCEL with the data as it was.
  virtual int Execute();
  // Every message of the dialog passes here: WM_INITDIALOG before it shows, WM_COMMAND
  // with IDOK or IDCANCEL when it closes.
  virtual LRESULT DialogFunction(UINT msg, WPARAM wParam, LPARAM lParam);
  TPrintSettings &GetData() { return data_; }

 private:
  TWindow *parent_;
  TPrintSettings &data_;
};

class TPrinter {
 public:
  explicit TPrinter(TModule *module = nullptr);
  virtual ~TPrinter() = default;
  TPrinter(const TPrinter &) = delete;
  TPrinter &operator=(const TPrinter &) = delete;

  // Prints the printout's pages (asking first with the print dialog when prompt is set);
  // true when every page went out. A cancelled dialog prints nothing and says nothing;
  // a failure is reported in a message box.
  virtual bool Print(TWindow *parent, TPrintout &printout, bool prompt);
  // Runs the print dialog on the printer's data; true on OK.
  virtual bool ExecPrintDialog(TWindow *parent);
  virtual void ReportError(TWindow *parent, const std::string &reason);

  TPrintSettings &GetSetup() { return data_; }
  // The reason of the last failure (empty after success or a cancelled dialog).
  const std::string &GetError() const { return error_; }

 protected:
  TPrintSettings data_;

 private:
  std::string error_;
};
