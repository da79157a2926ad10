#include "toolkit/help/help_window.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/screen.h"
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

// The frames of the visible top-level windows that share the asker's main window (the main
// window itself and `self` left out).
std::vector<RECT> OwnedTopLevelWindows(const TWindow *asker, const TWindow *self) {
  std::vector<RECT> frames;
  const TWindow *main = asker;
  while (main != nullptr && main->GetParentO() != nullptr) main = main->GetParentO();
  if (main == nullptr || !main->IsWindow()) return frames;
  for (const TWindow *other : main->GetChildren()) {
    if (other == self || other->IsChild() || !other->IsWindow() || !other->IsWindowVisible()) continue;
    frames.push_back(other->GetWindowRect());
  }
  return frames;
}

// The summed area of the frames that the rectangle covers.
long long CoveredArea(const RECT &at, const std::vector<RECT> &frames) {
  long long area = 0;
  for (const RECT &f : frames) {
    RECT common;
    if (IntersectRect(&common, &at, &f)) area += static_cast<long long>(common.Width()) * common.Height();
  }
  return area;
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

THelpWindow::~THelpWindow() = default;

bool THelpWindow::PreProcessMsg(MSG &msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return TFrameWindow::PreProcessMsg(msg);
  // Closed once the key's handling is over: the page that has the key is part of the window.
  PostMessage(WM_CLOSE);
  return true;
}

void THelpWindow::PlaceBeside(const TWindow *asker) {
  const RECT frame = GetWindowRect();
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int room = GetSystemMetrics(SM_CYSCREEN) - BelowMainMenuBar(asker);
  const int wide = std::min(static_cast<int>(frame.Width()), screenWidth);
  const int high = std::max(1, std::min(static_cast<int>(frame.Height()), room));
  int left = static_cast<int>(frame.left), top = static_cast<int>(frame.top);
  if (asker != nullptr && asker->IsWindow()) {
    const RECT beside = asker->GetWindowRect();
    const int right = screenWidth - static_cast<int>(beside.right);
    const int leftRoom = static_cast<int>(beside.left);
    if (right >= wide)
      left = static_cast<int>(beside.right);
    else if (leftRoom >= wide)
      left = static_cast<int>(beside.left) - wide;
    else
      left = right >= leftRoom ? screenWidth - wide : 0;
    top = static_cast<int>(beside.top);
  }
  RECT placed = PlaceReadable(asker, RECT{left, top, left + wide, top + high}, SIZE{0, 0});
  // Where it has to cover something, it covers least of the asker's main window (its
  // drawing), the asker and their palettes (the other top-level windows of the main
  // window): of the place found and the two edges of the screen at that height, the one
  // that covers least of them all.
  std::vector<RECT> kept = OwnedTopLevelWindows(asker, this);
  const TWindow *main = asker;
  while (main != nullptr && main->GetParentO() != nullptr) main = main->GetParentO();
  if (main != nullptr && main->IsWindow()) kept.push_back(main->GetWindowRect());
  if (CoveredArea(placed, kept) > 0) {
    for (const int edge : {0, screenWidth - wide}) {
      const RECT at = PlaceReadable(asker, RECT{edge, placed.top, edge + wide, placed.top + high}, SIZE{0, 0});
      if (CoveredArea(at, kept) < CoveredArea(placed, kept)) placed = at;
    }
  }
  SetWindowPos(nullptr, placed.left, placed.top, placed.Width(), placed.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

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
