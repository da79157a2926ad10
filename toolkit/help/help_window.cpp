#include "toolkit/help/help_window.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include "toolkit/help/win_help.h"

namespace {

constexpr const char *kHelpCaption = "Korvex Help";

}  // namespace

THelpView::THelpView(TWindow *parentWindow) : TWindow(parentWindow) {}

void THelpView::SetupWindow() {
  TWindow::SetupWindow();
  browser_ = new QTextBrowser;
  // Links to other pages open here; a link out of the help goes nowhere rather than to a
  // program the help did not choose.
  browser_->setOpenExternalLinks(false);
  browser_->setOpenLinks(true);
  SetNativeWidget(browser_);
}

THelpWindow::THelpWindow(TWindow *ownerWindow)
    : TFrameWindow(ownerWindow, kHelpCaption, nullptr), view_(new THelpView(nullptr)) {
  Attr.W = kWidth;
  Attr.H = kHeight;
  SetClientWindow(view_);
}

THelpWindow::~THelpWindow() { ForgetHelpWindow(this); }

bool THelpWindow::ShowPage(const std::string &path) {
  if (view_->Browser() == nullptr) return false;
  QTextBrowser &browser = *view_->Browser();
  const QFileInfo file(QString::fromStdString(path));
  missingPage_.clear();
  if (!file.isFile() || !file.isReadable()) {
    missingPage_ = path;
    browser.setHtml(QString("<html><head><title>Help page missing</title></head><body>"
                            "<p>The help page <b>%1</b> could not be read.</p></body></html>")
                        .arg(QString::fromStdString(path).toHtmlEscaped()));
    return false;
  }
  browser.setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  return true;
}

std::string THelpWindow::Page() const {
  if (!missingPage_.empty() || view_->Browser() == nullptr) return missingPage_;
  // A followed link changes the page.
  return view_->Browser()->source().toLocalFile().toStdString();
}

std::string THelpWindow::PageText() const {
  if (view_->Browser() == nullptr) return std::string();
  return view_->Browser()->document()->toPlainText().toStdString();
}

std::string THelpWindow::PageTitle() const {
  if (view_->Browser() == nullptr) return std::string();
  return view_->Browser()->documentTitle().toStdString();
}
