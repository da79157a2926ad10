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

void TellFieldRefusal(TWindow &dialog, const std::string &message) {
  MessageBox(dialog.GetHandle(), message, "Warning", MB_OK | MB_ICONINFORMATION);
}

bool CheckPositiveField(TWindow &dialog, int id, const std::string &field, const double *shown) {
  const std::string message = PositiveFieldRefusal(dialog, id, field, shown);
  if (message.empty()) return true;
  TellFieldRefusal(dialog, message);
  return false;
}
