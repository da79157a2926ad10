#include "toolkit/binding/multi_edit.h"

#include <new>
#include <string>

#include "platform/core/message_box.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/binding/base_edit.h"
#include "toolkit/binding/field_label.h"
#include "toolkit/binding/value_text.h"

namespace {

constexpr int kDefaultCapacity = 5;
constexpr int kDefaultTextLimit = 256;
// What is read back from a field: at most 255 characters.
constexpr int kReadBufferSize = 256;

}  // namespace

TMultiEdit::TMultiEdit(TWindow *dialogWindow, int capacity, int limit, int /*callerValue*/)
    : dialog(dialogWindow),
      textLimit(limit > 0 ? limit : kDefaultTextLimit),
      collection(capacity > 0 ? capacity : kDefaultCapacity) {
  // A failed block shows "Not enough memory" through Mem; the table stays empty.
  collection.items.Allocate(collection.capacity, 1);
}

TMultiEdit::~TMultiEdit() {
  // The edits are the dialog's children; deleting them takes them off its list. The
  // dialog deletes its TMultiEdit in its own destructor, while the edits still exist.
  for (int i = 0; i < collection.count; ++i) {
    delete collection.items.data[i].edit;
    collection.items.data[i].edit = nullptr;
  }
  if (brush != nullptr) DeleteObject(brush);
}

int TMultiEdit::AddEdit(int id, void *variable, char type, const char *format, int bufferSize) {
  if (collection.count >= collection.items.cols) {
    if (collection.items.Resize(collection.items.cols + collection.capacity, 1) == 0) return 0;
  }
  TBaseEdit *edit = new (std::nothrow) TBaseEdit(dialog, id, static_cast<UINT>(textLimit), &collection);
  if (edit == nullptr) {
    MessageBox(nullptr, "Not enough memory", " Memory ", MB_ICONINFORMATION);
    return 0;
  }
  collection.items.data[collection.count] = ValueParameters(edit, id, variable, type, format, 1);
  ++collection.count;
  bufferSizes.push_back(type == 'S' ? (bufferSize > 0 ? bufferSize : textLimit) : 0);
  return 1;
}

TBaseEdit *TMultiEdit::EditOf(const ValueParameters &binding) const {
  return binding.edit != nullptr && binding.edit->IsWindow() ? static_cast<TBaseEdit *>(binding.edit) : nullptr;
}

int TMultiEdit::BufferSizeOf(const ValueParameters &binding) const {
  const int index = static_cast<int>(&binding - collection.items.data);
  return index >= 0 && index < static_cast<int>(bufferSizes.size()) ? bufferSizes[static_cast<std::size_t>(index)] : 0;
}

int TMultiEdit::Transfer(ValueParameters &binding, void *variable, int bufferSize, bool toControl, bool tell) {
  TBaseEdit *edit = EditOf(binding);
  if (edit == nullptr || variable == nullptr || !IsKnownTypeLetter(binding.type)) return 0;
  if (toControl) {
    std::vector<char> text(static_cast<std::size_t>(textLimit));
    FormatBoundValue(binding.type, variable, binding.printFormat, text.data(), text.size());
    edit->SetWindowText(text.data());
    if (binding.type != 'S') edit->UpdateWindow();
    return 1;
  }
  char text[kReadBufferSize];
  edit->GetText(text, kReadBufferSize);
  TNumberRead why = TNumberRead::Number;
  if (ParseBoundValue(binding.type, variable, static_cast<std::size_t>(bufferSize), binding.printFormat, text, &why) !=
      0)
    return 1;
  // A text that is not a number, or a number the variable cannot hold, is refused rather
  // than read as 0 or wrapped: the message names the field, which takes the focus.
  if (tell) {
    const std::string message = RefusedNumberMessage(FieldName(binding.id), text, why);
    MessageBox(dialog != nullptr ? dialog->GetHandle() : nullptr, message.c_str(), "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    if (edit->IsWindow()) edit->SetFocus();
  }
  return 0;
}

int TMultiEdit::WriteAll() {
  int all = 1;
  for (int i = 0; i < collection.count; ++i) {
    ValueParameters &binding = collection.items.data[i];
    if (binding.isActive != 0 && Transfer(binding, binding.value, BufferSizeOf(binding), true, false) == 0) all = 0;
  }
  return all;
}

int TMultiEdit::ReadAll() {
  int all = 1;
  for (int i = 0; i < collection.count; ++i) {
    ValueParameters &binding = collection.items.data[i];
    // Every field is read; only the first refusal is told, so one message is shown.
    if (binding.isActive != 0 && Transfer(binding, binding.value, BufferSizeOf(binding), false, all != 0) == 0)
      all = 0;
  }
  return all;
}

std::string TMultiEdit::FieldName(int id) {
  const ValueParameters *binding = FindByControlId(id);
  TBaseEdit *edit = binding != nullptr ? EditOf(*binding) : nullptr;
  if (dialog == nullptr || edit == nullptr) return "Field " + std::to_string(id);
  return FieldLabel(*dialog, *edit);
}

int TMultiEdit::WriteOne(void *variable, int id) {
  ValueParameters *binding = id == 0 ? FindByVariable(variable) : FindByControlId(id);
  return binding != nullptr ? Transfer(*binding, variable, BufferSizeOf(*binding), true, false) : 0;
}

int TMultiEdit::ReadOne(void *variable, int id) {
  ValueParameters *binding = id == 0 ? FindByVariable(variable) : FindByControlId(id);
  return binding != nullptr ? Transfer(*binding, variable, BufferSizeOf(*binding), false, true) : 0;
}

ValueParameters *TMultiEdit::FindByVariable(const void *variable) {
  for (int i = 0; i < collection.count; ++i)
    if (collection.items.data[i].value == variable) return &collection.items.data[i];
  return nullptr;
}

ValueParameters *TMultiEdit::FindByControlId(int id) {
  for (int i = 0; i < collection.count; ++i)
    if (collection.items.data[i].id == id) return &collection.items.data[i];
  return nullptr;
}

ValueParameters *TMultiEdit::At(int i) { return i >= 0 && i < collection.count ? &collection.items.data[i] : nullptr; }

void TMultiEdit::SetActive(const void *variable, int flag) {
  if (ValueParameters *binding = FindByVariable(variable)) binding->isActive = flag;
}

int TMultiEdit::IsActive(const void *variable) {
  const ValueParameters *binding = FindByVariable(variable);
  return binding != nullptr ? binding->isActive : -1;
}

int TMultiEdit::IsModified(int index) {
  if (index >= 0) {
    const ValueParameters *binding = At(index);
    TBaseEdit *edit = binding != nullptr ? EditOf(*binding) : nullptr;
    return edit != nullptr && edit->IsModified() ? 1 : 0;
  }
  for (int i = 0; i < collection.count; ++i)
    if (IsModified(i) != 0) return 1;
  return 0;
}

int TMultiEdit::IsModifiedById(int id) {
  const ValueParameters *binding = FindByControlId(id);
  TBaseEdit *edit = binding != nullptr ? EditOf(*binding) : nullptr;
  return edit != nullptr && edit->IsModified() ? 1 : 0;
}

int TMultiEdit::IsEmpty(int id) {
  const ValueParameters *binding = FindByControlId(id);
  TBaseEdit *edit = binding != nullptr ? EditOf(*binding) : nullptr;
  return edit == nullptr || edit->GetTextLen() == 0 ? 1 : 0;
}

int TMultiEdit::IsBoundControl(int id) { return FindByControlId(id) != nullptr ? 1 : 0; }

int TMultiEdit::FocusedBoundId() {
  const HWND focus = ::GetFocus();
  for (int i = 0; i < collection.count; ++i) {
    TBaseEdit *edit = EditOf(collection.items.data[i]);
    if (edit != nullptr && edit->GetHandle() == focus) return collection.items.data[i].id;
  }
  return 0;
}

void TMultiEdit::SetReadOnly(int id, int flag) {
  if (ValueParameters *binding = FindByControlId(id))
    if (binding->edit != nullptr) static_cast<TBaseEdit *>(binding->edit)->readOnly = flag;
}

void TMultiEdit::SetAllReadOnly(int flag) {
  for (int i = 0; i < collection.count; ++i)
    if (collection.items.data[i].edit != nullptr) static_cast<TBaseEdit *>(collection.items.data[i].edit)->readOnly = flag;
}

void TMultiEdit::ClearAll() {
  for (int i = 0; i < collection.count; ++i)
    if (TBaseEdit *edit = EditOf(collection.items.data[i])) edit->SetWindowText("");
}

void TMultiEdit::SetColors(COLORREF background, COLORREF text) {
  if (collection.count == 0) return;
  firstId = collection.items.data[0].id;
  lastId = collection.items.data[collection.count - 1].id;
  highlightText = text;
  highlightBack = background;
  if (brush != nullptr) DeleteObject(brush);
  brush = CreateSolidBrush(background);
  defaultFocusId = firstId;
}

int TMultiEdit::GetFocusColors(int id, COLORREF &text, COLORREF &background, HBRUSH &brushOut) {
  if (IsBoundControl(id) == 0 || FocusedBoundId() != id) return 0;
  if (lastHighlightedId != id) {
    lastHighlightedId = id;
    if (TBaseEdit *edit = EditOf(*FindByControlId(id))) edit->Invalidate();
  }
  text = highlightText;
  background = highlightBack;
  brushOut = brush;
  return 1;
}

void TMultiEdit::FocusControl(int id) {
  ValueParameters *binding = FindByControlId(id == -1 ? defaultFocusId : id);
  TBaseEdit *edit = binding != nullptr ? EditOf(*binding) : nullptr;
  if (edit == nullptr) return;
  edit->SetFocus();
  edit->Invalidate();
}

bool TMultiEdit::EditTextColor(UINT kind, int id, COLORREF &text) {
  if (kind != CTLCOLOR_EDIT || IsBoundControl(id) == 0) return false;
  text = highlightText;
  return true;
}
