#include "platform/core/scripted_dialogs.h"

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

TScriptedFindDialog::TScriptedFindDialog() : previous(SetFindDialogProvider(this)) {}
TScriptedFindDialog::~TScriptedFindDialog() { SetFindDialogProvider(previous); }

bool TScriptedFindDialog::Run(TFindRequest &request) {
  asked.push_back(request);
  if (answers.empty() || !answers.front()) {
    if (!answers.empty()) answers.pop_front();
    return false;
  }
  const TFindRequest answer = *answers.front();
  answers.pop_front();
  request.FindWhat = answer.FindWhat;
  request.ReplaceWith = answer.ReplaceWith;
  request.Flags = answer.Flags;
  return true;
}

TScriptedClipboard::TScriptedClipboard() : previous(SetClipboardProvider(this)) {}
TScriptedClipboard::~TScriptedClipboard() { SetClipboardProvider(previous); }
