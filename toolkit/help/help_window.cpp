#include "toolkit/help/help_window.h"

#include <filesystem>
#include <fstream>

#include "toolkit/help/win_help.h"

namespace {

constexpr const char *kHelpCaption = "Korvex Help";

// The text with the characters that mean markup written as entities.
std::string HtmlEscaped(const std::string &text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '&': escaped += "&amp;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

bool IsReadableFile(const std::string &path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  return std::ifstream(path, std::ios::binary).good();
}

}  // namespace

THelpWindow::THelpWindow(TWindow *ownerWindow)
    : TFrameWindow(ownerWindow, kHelpCaption, nullptr), view_(new THtmlView(nullptr)) {
  Attr.W = kWidth;
  Attr.H = kHeight;
  SetClientWindow(view_);
}

THelpWindow::~THelpWindow() { ForgetHelpWindow(this); }

bool THelpWindow::ShowPage(const std::string &path) {
  if (!view_->IsReady()) return false;
  missingPage_.clear();
  if (!IsReadableFile(path)) {
    missingPage_ = path;
    view_->ShowHtml("<html><head><title>Help page missing</title></head><body>"
                    "<p>The help page <b>" + HtmlEscaped(path) + "</b> could not be read.</p></body></html>");
    return false;
  }
  return view_->ShowFile(path);
}

std::string THelpWindow::Page() const {
  // A followed link changes the page.
  if (!missingPage_.empty() || !view_->IsReady()) return missingPage_;
  return view_->Source();
}

std::string THelpWindow::PageText() const { return view_->PlainText(); }

std::string THelpWindow::PageTitle() const { return view_->Title(); }
