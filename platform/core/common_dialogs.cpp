// The colour, file, print and find dialogs' provider slots and the calls over them.

#include <algorithm>
#include <utility>

#include "platform/core/color_dialog.h"
#include "platform/core/file_dialog.h"
#include "platform/core/find_dialog.h"
#include "platform/core/print_dialog.h"

namespace {

TColorDialogProvider *colorProvider = nullptr;
TFileDialogProvider *fileProvider = nullptr;
TPrintDialogProvider *printProvider = nullptr;
TFindDialogProvider *findProvider = nullptr;

template <class T>
T *Swap(T *&slot, T *provider) {
  T *previous = slot;
  slot = provider;
  return previous;
}

}  // namespace

TColorDialogProvider *SetColorDialogProvider(TColorDialogProvider *provider) {
  return Swap(colorProvider, provider);
}

BOOL ChooseColor(CHOOSECOLOR *choice) {
  if (choice == nullptr || colorProvider == nullptr) return 0;
  CHOOSECOLOR asked = *choice;
  if (!colorProvider->ChooseColor(asked)) return 0;
  choice->rgbResult = asked.rgbResult & 0xFFFFFF;
  return 1;
}

TFileDialogProvider *SetFileDialogProvider(TFileDialogProvider *provider) {
  return Swap(fileProvider, provider);
}

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string &filter) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : filter) {
    if (c == '|') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!parts[i + 1].empty()) pairs.emplace_back(parts[i], parts[i + 1]);
  }
  return pairs;
}

std::string WithDefaultExtension(const std::string &path, const std::string &ext) {
  if (ext.empty() || path.empty()) return path;
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.find('.') != std::string::npos) return path;
  return path + "." + (ext.front() == '.' ? ext.substr(1) : ext);
}

bool RunFileDialog(const TFileDialogRequest &request, TFileDialogAnswer &answer) {
  answer = TFileDialogAnswer{};
  answer.FilterIndex = request.FilterIndex;
  if (fileProvider == nullptr || !fileProvider->Run(request, answer)) {
    answer.Paths.clear();
    return false;
  }
  answer.Paths.erase(std::remove(answer.Paths.begin(), answer.Paths.end(), std::string()),
                     answer.Paths.end());
  if ((request.Flags & OFN_ALLOWMULTISELECT) == 0 && answer.Paths.size() > 1) {
    answer.Paths.resize(1);
  }
  for (std::string &path : answer.Paths) path = WithDefaultExtension(path, request.DefaultExt);
  return !answer.Paths.empty();
}

TPrintDialogProvider *SetPrintDialogProvider(TPrintDialogProvider *provider) {
  return Swap(printProvider, provider);
}

bool RunPrintDialog(TPrintSettings &settings) {
  if (printProvider == nullptr) return false;
  TPrintSettings asked = settings;
  if (!printProvider->Run(asked)) return false;
  asked.MinPage = settings.MinPage;
  asked.MaxPage = std::max(settings.MinPage, settings.MaxPage);
  asked.FromPage = std::clamp(asked.FromPage, asked.MinPage, asked.MaxPage);
  asked.ToPage = std::clamp(asked.ToPage, asked.FromPage, asked.MaxPage);
  asked.Copies = std::max(1, asked.Copies);
  asked.DotsPerInch = asked.DotsPerInch > 0 ? asked.DotsPerInch : settings.DotsPerInch;
  settings = asked;
  return true;
}

TFindDialogProvider *SetFindDialogProvider(TFindDialogProvider *provider) {
  return Swap(findProvider, provider);
}

std::unique_ptr<TFindSession> OpenFindDialog(const TFindRequest &request, TFindNotify notify) {
  if (findProvider == nullptr || !notify) return nullptr;
  TFindRequest asked = request;
  asked.Flags &= FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE;
  const bool replacing = request.Replace;
  // Every word of the dialog reaches the owner as one action, or as its close.
  auto told = [replacing, notify = std::move(notify)](const TFindRequest &said) {
    TFindRequest heard = said;
    heard.Replace = replacing;
    if (said.Flags & FR_DIALOGTERM) {
      heard.Flags = (said.Flags & (FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE)) | FR_DIALOGTERM;
      notify(heard);
      return;
    }
    if (said.FindWhat.empty()) return;
    // Only one action, and replacing only from the replace dialog.
    DWORD action = said.Flags & (FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL);
    if (!replacing) action &= FR_FINDNEXT;
    if (action & FR_REPLACEALL) {
      action = FR_REPLACEALL;
    } else if (action & FR_REPLACE) {
      action = FR_REPLACE;
    } else {
      action = FR_FINDNEXT;
    }
    heard.Flags = (said.Flags & (FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE)) | action;
    notify(heard);
  };
  return findProvider->Open(asked, std::move(told));
}
