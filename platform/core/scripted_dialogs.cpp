#include "platform/core/scripted_dialogs.h"

#include <utility>

TScriptedColorDialog::TScriptedColorDialog() : previous(SetColorDialogProvider(this)) {}
TScriptedColorDialog::~TScriptedColorDialog() { SetColorDialogProvider(previous); }

bool TScriptedColorDialog::ChooseColor(CHOOSECOLOR &choice) {
  TAsked record{choice.hwndOwner, choice.rgbResult, choice.Flags, {}};
  if (choice.lpCustColors != nullptr) record.CustomColors.assign(choice.lpCustColors, choice.lpCustColors + 16);
  asked.push_back(record);
  std::optional<COLORREF> answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (!answer) return false;
  if (choice.lpCustColors != nullptr) {
    for (const auto &[index, color] : customChanges) {
      if (index >= 0 && index < 16) choice.lpCustColors[index] = color;
    }
  }
  customChanges.clear();
  choice.rgbResult = *answer;
  return true;
}

TScriptedFileDialog::TScriptedFileDialog() : previous(SetFileDialogProvider(this)) {}
TScriptedFileDialog::~TScriptedFileDialog() { SetFileDialogProvider(previous); }

bool TScriptedFileDialog::Run(const TFileDialogRequest &request, TFileDialogAnswer &answer) {
  asked.push_back(request);
  if (answers.empty() || !answers.front()) {
    if (!answers.empty()) answers.pop_front();
    return false;
  }
  answer = *answers.front();
  answers.pop_front();
  return true;
}

TScriptedPrintDialog::TScriptedPrintDialog() : previous(SetPrintDialogProvider(this)) {}
TScriptedPrintDialog::~TScriptedPrintDialog() { SetPrintDialogProvider(previous); }

bool TScriptedPrintDialog::Run(TPrintSettings &settings) {
  asked.push_back(settings);
  if (answers.empty() || !answers.front()) {
    if (!answers.empty()) answers.pop_front();
    return false;
  }
  TPrintSettings answer = *answers.front();
  answers.pop_front();
  answer.Owner = settings.Owner;
  answer.MinPage = settings.MinPage;
  answer.MaxPage = settings.MaxPage;
  settings = answer;
  return true;
}

// What the provider and the session it gave share, so that either may go first.
struct TScriptedFindDialog::TOpenDialog {
  TFindNotify notify;
  bool open = true;
  TScriptedFindDialog *provider = nullptr;  // null once the provider is gone
};

namespace {

class TScriptedFindSession final : public TFindSession {
 public:
  explicit TScriptedFindSession(std::shared_ptr<TScriptedFindDialog::TOpenDialog> shown) : shown_(std::move(shown)) {}
  ~TScriptedFindSession() override { shown_->open = false; }
  bool IsOpen() const override { return shown_->open; }
  void Raise() override;

 private:
  std::shared_ptr<TScriptedFindDialog::TOpenDialog> shown_;
};

}  // namespace

TScriptedFindDialog::TScriptedFindDialog() : previous(SetFindDialogProvider(this)) {}
TScriptedFindDialog::~TScriptedFindDialog() {
  if (auto shown = current.lock()) shown->provider = nullptr;
  SetFindDialogProvider(previous);
}

std::unique_ptr<TFindSession> TScriptedFindDialog::Open(const TFindRequest &request, TFindNotify notify) {
  asked.push_back(request);
  if (auto shown = current.lock()) shown->open = false;  // one dialog at a time
  auto shown = std::make_shared<TOpenDialog>();
  shown->notify = std::move(notify);
  shown->provider = this;
  current = shown;
  auto session = std::make_unique<TScriptedFindSession>(shown);
  SayQueued();
  return session;
}

void TScriptedFindSession::Raise() {
  if (shown_->open && shown_->provider != nullptr) shown_->provider->Raised();
}

void TScriptedFindDialog::Raised() {
  ++raised;
  SayQueued();
}

void TScriptedFindDialog::SayQueued() {
  while (!answers.empty() && HasOpenDialog()) {
    const std::optional<TFindRequest> answer = answers.front();
    answers.pop_front();
    if (answer) {
      Press(answer->FindWhat, answer->Flags, answer->ReplaceWith);
    } else {
      UserCloses();
    }
  }
}

bool TScriptedFindDialog::HasOpenDialog() const {
  const auto shown = current.lock();
  return shown != nullptr && shown->open;
}

bool TScriptedFindDialog::Press(const std::string &findWhat, DWORD flags, const std::string &replaceWith) {
  const auto shown = current.lock();
  if (shown == nullptr || !shown->open) return false;
  const TFindNotify notify = shown->notify;  // the owner may close the dialog meanwhile
  notify(TFindRequest{nullptr, false, flags & ~FR_DIALOGTERM, findWhat, replaceWith});
  return true;
}

bool TScriptedFindDialog::UserCloses() {
  const auto shown = current.lock();
  if (shown == nullptr || !shown->open) return false;
  shown->open = false;
  const TFindNotify notify = shown->notify;
  notify(TFindRequest{nullptr, false, FR_DIALOGTERM, {}, {}});
  return true;
}

TScriptedClipboard::TScriptedClipboard() : previous(SetClipboardProvider(this)) {}
TScriptedClipboard::~TScriptedClipboard() { SetClipboardProvider(previous); }
