#include "platform/gui/printing/printer.h"

#include <QImage>

#include "platform/core/message_box.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"

namespace {

// A printout that never says it is done still ends: no report of this program comes
// near this many pages.
constexpr int kMaxPages = 2000;

HWND HandleOf(TWindow *window) { return window != nullptr ? window->GetHandle() : nullptr; }

TPrintedPage BlankPage(const TPageFormat &format) {
  TPrintedPage page;
  page.picture = QImage(std::max(1, format.Width), std::max(1, format.Height), QImage::Format_RGB32);
  page.picture.fill(0xFFFFFFFFu);
  return page;
}

}  // namespace

TPrintout::TPrintout(const char *title) : title_(title != nullptr ? title : "") {}

void TPrintout::GetDialogInfo(int &minPage, int &maxPage, int &fromPage, int &toPage) {
  minPage = 1;
  maxPage = 1;
  fromPage = 1;
  toPage = 1;
}

void TPrintout::SetPrintParams(TPrinterDC *dc, SIZE pageSize) {
  DC = dc;
  PageSize = pageSize;
}

TPrintDialog::TPrintDialog(TWindow *parent, TPrintSettings &data, const char *, const char *,
                           TModule *)
    : parent_(parent), data_(data) {}

LRESULT TPrintDialog::DialogFunction(UINT, WPARAM, LPARAM) { return 0; }

int TPrintDialog::Execute() {
  data_.Owner = HandleOf(parent_);
  DialogFunction(WM_INITDIALOG, 0, 0);
  TPrintSettings answer = data_;
  const bool accepted = RunPrintDialog(answer);
  if (accepted) data_ = answer;
  DialogFunction(WM_COMMAND, accepted ? IDOK : IDCANCEL, 0);
  return accepted ? IDOK : IDCANCEL;
}

TPrinter::TPrinter(TModule *) {}

bool TPrinter::ExecPrintDialog(TWindow *parent) {
  TPrintDialog dialog(parent, data_);
  return dialog.Execute() == IDOK;
}

void TPrinter::ReportError(TWindow *parent, const std::string &reason) {
  MessageBox(HandleOf(parent), "The document could not be printed.\n" + reason, "Printer",
             MB_OK | MB_ICONEXCLAMATION);
}

bool TPrinter::Print(TWindow *parent, TPrintout &printout, bool prompt) {
  error_.clear();
  TPrinterDevice &device = CurrentPrinterDevice();
  int minPage = 1;
  int maxPage = 1;
  int fromPage = 1;
  int toPage = 1;
  printout.GetDialogInfo(minPage, maxPage, fromPage, toPage);
  // Without a printer to print on directly, the user is asked where the pages go (another
  // printer or a file) rather than told that nothing can be printed.
  if (prompt || !device.HasDefaultPrinter()) {
    data_.Flags &= ~(PD_PAGENUMS | PD_SELECTION | PD_NOPAGENUMS);
    if (minPage == 0 && maxPage == 0) {
      data_.Flags |= PD_NOPAGENUMS;
      data_.MinPage = data_.MaxPage = data_.FromPage = data_.ToPage = 1;
    } else {
      data_.MinPage = minPage;
      data_.MaxPage = std::max(minPage, maxPage);
      data_.FromPage = std::max(minPage, fromPage);
      data_.ToPage = std::max(data_.FromPage, toPage);
    }
    if (!ExecPrintDialog(parent)) return false;
  } else {
    data_.Flags &= ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE);
  }
  int firstPage = 1;
  int lastPage = kMaxPages;
  if ((data_.Flags & PD_PAGENUMS) != 0) {
    firstPage = std::max(1, data_.FromPage);
    lastPage = std::min(kMaxPages, std::max(firstPage, data_.ToPage));
  }

  TPageFormat format;
  if (!device.Begin(data_, printout.GetTitle(), format, error_)) {
    ReportError(parent, error_);
    return false;
  }
  printout.BeginPrinting();
  printout.BeginDocument(firstPage, lastPage, 0);
  bool delivered = true;
  for (int page = 1; page <= lastPage && printout.HasPage(page); ++page) {
    TPrintedPage image = BlankPage(format);
    TPrinterDC dc(image, format, device.DrawsTextAndLines());
    printout.SetPrintParams(&dc, SIZE{format.Width, format.Height});
    RECT rect{0, 0, format.Width, format.Height};
    // Pages before the range are drawn too, and dropped: a printout lays its pages out
    // as it draws them.
    printout.PrintPage(page, rect, 0);
    printout.SetPrintParams(nullptr, SIZE{format.Width, format.Height});
    if (page >= firstPage && !device.AddPage(image, error_)) {
      delivered = false;
      break;
    }
  }
  printout.EndDocument();
  printout.EndPrinting();
  if (!delivered) {
    device.Abort();
    ReportError(parent, error_);
    return false;
  }
  if (!device.End(error_)) {
    ReportError(parent, error_);
    return false;
  }
  return true;
}
