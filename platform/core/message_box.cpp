#include "platform/core/message_box.h"

#include <cstdio>

namespace {

class TConsoleMessageBoxProvider final : public TMessageBoxProvider {
 public:
  int ShowMessageBox(HWND, const std::string &text, const std::string &caption,
                     UINT flags) override {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    switch (flags & MB_TYPEMASK) {
      case MB_YESNO:
      case MB_YESNOCANCEL:
        return IDYES;
      case MB_RETRYCANCEL:
        return IDCANCEL;
      case MB_ABORTRETRYIGNORE:
        return IDIGNORE;
      default:
        return IDOK;
    }
  }
  void Beep(UINT) override {}
};

TConsoleMessageBoxProvider consoleProvider;
TMessageBoxProvider *currentProvider = nullptr;

}  // namespace

TMessageBoxProvider *SetMessageBoxProvider(TMessageBoxProvider *provider) {
  TMessageBoxProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

TMessageBoxProvider &CurrentMessageBoxProvider() {
  return currentProvider != nullptr ? *currentProvider : consoleProvider;
}

int MessageBox(HWND owner, const std::string &text, const std::string &caption, UINT flags) {
  return CurrentMessageBoxProvider().ShowMessageBox(owner, text, caption, flags);
}

int MessageBoxEx(HWND owner, const std::string &text, const std::string &caption, UINT flags,
                 WORD) {
  return MessageBox(owner, text, caption, flags);
}

BOOL MessageBeep(UINT soundType) {
  CurrentMessageBoxProvider().Beep(soundType);
  return 1;
}

void ShowNotEnoughMemory() {
  MessageBoxEx(nullptr, "Not enough memory", " Memory ", MB_OK | MB_ICONINFORMATION, 0);
}
