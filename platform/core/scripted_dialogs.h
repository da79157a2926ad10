#pragma once
// Dialog providers for tests: each records what it was asked and gives the answers queued
// for it, in order; with no answer left a dialog is cancelled. Each installs itself on
// construction and puts the previous provider back on destruction. A scripted clipboard
// keeps its data apart from the program's.

#include <deque>
#include <memory>
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

// The find and replace dialogs are modeless: an opened (or raised) dialog says the queued
// answers at once, in order, and stays open; a queued Close closes it. Press speaks in the
// open dialog now, UserCloses closes it now.
class TScriptedFindDialog final : public TFindDialogProvider {
 public:
  TScriptedFindDialog();
  ~TScriptedFindDialog() override;
  TScriptedFindDialog(const TScriptedFindDialog &) = delete;
  TScriptedFindDialog &operator=(const TScriptedFindDialog &) = delete;

  std::unique_ptr<TFindSession> Open(const TFindRequest &request, TFindNotify notify) override;
  // The user's entries and action (FR_FINDNEXT, FR_REPLACE or FR_REPLACEALL with options),
  // said when the next dialog opens or is raised.
  void Answer(const std::string &findWhat, DWORD flags, const std::string &replaceWith = {}) {
    answers.push_back(TFindRequest{nullptr, false, flags, findWhat, replaceWith});
  }
  void Close() { answers.push_back(std::nullopt); }
  // Said in the open dialog now; false when none is open.
  bool Press(const std::string &findWhat, DWORD flags, const std::string &replaceWith = {});
  // The user closes the open dialog; false when none is open.
  bool UserCloses();
  bool HasOpenDialog() const;
  // The open dialog brought to the front: counted, and the queued answers said in it.
  void Raised();
  std::vector<TFindRequest> asked;
  int raised = 0;

  struct TOpenDialog;

 private:
  void SayQueued();
  std::deque<std::optional<TFindRequest>> answers;
  std::weak_ptr<TOpenDialog> current;
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
