#include "platform/gui/controls/html_view.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

THtmlView::THtmlView(TWindow *parentWindow) : TWindow(parentWindow) {}

void THtmlView::SetupWindow() {
  TWindow::SetupWindow();
  browser_ = new QTextBrowser;
  // Links to other pages open here; a link out of the pages goes nowhere rather than to a
  // program the pages did not choose.
  browser_->setOpenExternalLinks(false);
  browser_->setOpenLinks(true);
  SetNativeWidget(browser_);
}

bool THtmlView::ShowFile(const std::string &path) {
  if (browser_ == nullptr) return false;
  const QFileInfo file(QString::fromStdString(path));
  browser_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  return true;
}

bool THtmlView::ShowHtml(const std::string &html) {
  if (browser_ == nullptr) return false;
  browser_->setHtml(QString::fromStdString(html));
  return true;
}

std::string THtmlView::Source() const {
  if (browser_ == nullptr) return std::string();
  return browser_->source().toLocalFile().toStdString();
}

std::string THtmlView::PlainText() const {
  if (browser_ == nullptr) return std::string();
  return browser_->document()->toPlainText().toStdString();
}

std::string THtmlView::Title() const {
  if (browser_ == nullptr) return std::string();
  return browser_->documentTitle().toStdString();
}
