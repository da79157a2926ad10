#include "synthesis/objects/positive_field.h"

#include <cstdio>

#include "foundation/numtext/typed_number.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/windows/window.h"

std::string PositiveFieldRefusal(TWindow &dialog, int id, const std::string &field, const double *shown) {
  if (dialog.GetHandle() == nullptr) return std::string();
  char text[256] = {};
  GetDlgItemText(dialog.GetHandle(), id, text, static_cast<int>(sizeof text));
  if (shown != nullptr) {
    char shownText[64];
    std::snprintf(shownText, sizeof shownText, "%g", *shown);
    if (std::string(text) == shownText) return std::string();
  }
  return NonPositiveNumberMessage(field, text);
}

namespace {

// The holder that takes the refusals now: the outermost living one (one window thread).
TFirstRefusalTold *gHolder = nullptr;

void Tell(HWND owner, const std::string &message) {
  MessageBox(owner, message, "Warning", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void TellFieldRefusal(TWindow &dialog, const std::string &message) {
  if (gHolder != nullptr)
    gHolder->Hold(dialog.GetHandle(), message);
  else
    Tell(dialog.GetHandle(), message);
}

TFirstRefusalTold::TFirstRefusalTold() : holding_(gHolder == nullptr) {
  if (holding_) gHolder = this;
}

TFirstRefusalTold::~TFirstRefusalTold() {
  if (!holding_) return;
  gHolder = nullptr;
  if (!first_.empty()) Tell(owner_, first_);
}

void TFirstRefusalTold::Hold(HWND owner, const std::string &message) {
  if (!first_.empty()) return;
  owner_ = owner;
  first_ = message;
}

bool CheckPositiveField(TWindow &dialog, int id, const std::string &field, const double *shown) {
  const std::string message = PositiveFieldRefusal(dialog, id, field, shown);
  if (message.empty()) return true;
  TellFieldRefusal(dialog, message);
  return false;
}
