#pragma once
// Dialog providers for tests: each records what it was asked and gives the answers queued
// for it, in order; with no answer left a dialog is cancelled. Each installs itself on
// construction and puts the previous provider back on destruction. A scripted clipboard
// keeps its data apart from the program's.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/clipboard.h"
#include "platform/core/color_dialog.h"
#include "platform/core/file_dialog.h"
#include "platform/core/find_dialog.h"
#include "platform/core/print_dialog.h"

class TScriptedColorDialog final : public TColorDialogProvider {
 public:
  TScriptedColorDialog();
  ~TScriptedColorDialog() override;
  TScriptedColorDialog(const TScriptedColorDialog &) = delete;
  TScriptedColorDialog &operator=(const TScriptedColorDialog &) = delete;

  bool ChooseColor(CHOOSECOLOR &choice) override;
  void Choose(COLORREF color) { answers.push_back(color); }
  void Cancel() { answers.push_back(std::nullopt); }
  // The user's change to custom colour `index` in the next dialog that answers.
  void SetCustomColor(int index, COLORREF color) { customChanges.emplace_back(index, color); }

  struct TAsked {
    HWND Owner;
    COLORREF Initial;
    DWORD Flags;
    std::vector<COLORREF> CustomColors;  // as shown (empty without an array)
  };
  std::vector<TAsked> asked;

 private:
  std::deque<std::optional<COLORREF>> answers;
  std::vector<std::pair<int, COLORREF>> customChanges;
  TColorDialogProvider *previous;
};

class TScriptedFileDialog final : public TFileDialogProvider {
 public:
  TScriptedFileDialog();
  ~TScriptedFileDialog() override;
  TScriptedFileDialog(const TScriptedFileDialog &) = delete;
  TScriptedFileDialog &operator=(const TScriptedFileDialog &) = delete;

  bool Run(const TFileDialogRequest &request, TFileDialogAnswer &answer) override;
  void Choose(std::vector<std::string> paths, int filterIndex = 1) {
    answers.push_back(TFileDialogAnswer{std::move(paths), filterIndex});
  }
  void Cancel() { answers.push_back(std::nullopt); }
  std::vector<TFileDialogRequest> asked;

 private:
  std::deque<std::optional<TFileDialogAnswer>> answers;
  TFileDialogProvider *previous;
};

class TScriptedPrintDialog final : public TPrintDialogProvider {
 public:
  TScriptedPrintDialog();
  ~TScriptedPrintDialog() override;
  TScriptedPrintDialog(const TScriptedPrintDialog &) = delete;
  TScriptedPrintDialog &operator=(const TScriptedPrintDialog &) = delete;

  bool Run(TPrintSettings &settings) override;
  // The settings the user leaves (Owner and the page limits are taken from the request).
  void Print(const TPrintSettings &settings) { answers.push_back(settings); }
  void Cancel() { answers.push_back(std::nullopt); }
  std::vector<TPrintSettings> asked;

 private:
  std::deque<std::optional<TPrintSettings>> answers;
  TPrintDialogProvider *previous;
};

class TScriptedFindDialog final : public TFindDialogProvider {
 public:
  TScriptedFindDialog();
  ~TScriptedFindDialog() override;
  TScriptedFindDialog(const TScriptedFindDialog &) = delete;
  TScriptedFindDialog &operator=(const TScriptedFindDialog &) = delete;

  bool Run(TFindRequest &request) override;
  // The user's entries and action (FR_FINDNEXT, FR_REPLACE or FR_REPLACEALL with options).
  void Answer(const std::string &findWhat, DWORD flags, const std::string &replaceWith = {}) {
    answers.push_back(TFindRequest{nullptr, false, flags, findWhat, replaceWith});
  }
  void Close() { answers.push_back(std::nullopt); }
  std::vector<TFindRequest> asked;

 private:
  std::deque<std::optional<TFindRequest>> answers;
  TFindDialogProvider *previous;
};

class TScriptedClipboard final : public TClipboardProvider {
 public:
  TScriptedClipboard();
  ~TScriptedClipboard() override;
  TScriptedClipboard(const TScriptedClipboard &) = delete;
  TScriptedClipboard &operator=(const TScriptedClipboard &) = delete;

  void Empty() override { data.Empty(); }
  void SetData(UINT format, const std::vector<std::uint8_t> &bytes) override {
    data.SetData(format, bytes);
  }
  bool GetData(UINT format, std::vector<std::uint8_t> &bytes) override {
    return data.GetData(format, bytes);
  }
  bool HasFormat(UINT format) override { return data.HasFormat(format); }

 private:
  TMemoryClipboard data;
  TClipboardProvider *previous;
};
