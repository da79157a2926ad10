#include "toolkit/binding/base_edit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "foundation/interfaces/toolkit_records.h"
#include "platform/core/message_box.h"

namespace {

// The formatting buffer of SetTextFormatted: long enough for any number a format makes.
constexpr std::size_t kFormatBufferSize = 520;

bool ControlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <class T>
std::string Formatted(const char *format, T value) {
  char buffer[kFormatBufferSize];
  buffer[0] = '\0';
  if (format != nullptr) std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}
#pragma GCC diagnostic pop

}  // namespace

TBaseEdit::TBaseEdit(TWindow *dialog, int id, UINT limitValue, TEditCollection *collectionValue)
    : TEdit(dialog, id, limitValue), collection(collectionValue) {}

LRESULT TBaseEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case EM_SETSEL:
      // The dialog manager selects a field's text when tabbing in; a bound field keeps
      // its caret instead.
      return 1;
    case WM_KEYDOWN:
      EvKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CHAR:
      EvChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETFOCUS: {
      const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
      EvSetFocus(reinterpret_cast<HWND>(wParam));
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
      EvKillFocus(reinterpret_cast<HWND>(wParam));
      return result;
    }
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return 0;
      }
      break;
    default: break;
  }
  return TEdit::WindowProc(msg, wParam, lParam);
}

int TBaseEdit::CaretStart() {
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  return start;
}

void TBaseEdit::EvKeyDown(UINT key, UINT repeatCount, UINT flags) {
  const LPARAM keyData = MAKELPARAM(static_cast<int>(repeatCount), static_cast<int>(flags));
  switch (key) {
    case VK_PRIOR: MoveToEnd(false); return;
    case VK_NEXT: MoveToEnd(true); return;
    case VK_UP:
    case VK_DOWN: MoveToNeighbour(key); return;
    case VK_LEFT:
    case VK_RIGHT: {
      const int before = CaretStart();
      TEdit::WindowProc(WM_KEYDOWN, key, keyData);
      if (CaretStart() == before || ControlHeld()) MoveToNeighbour(key);
      return;
    }
    case VK_DELETE:
      // Delete changes the text as typing does, so a read-only field refuses it the same way.
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return;
      }
      break;
    default: break;
  }
  TEdit::WindowProc(WM_KEYDOWN, key, keyData);
}

void TBaseEdit::EvChar(UINT key, UINT repeatCount, UINT flags) {
  if (readOnly != 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  TEdit::WindowProc(WM_CHAR, key, MAKELPARAM(static_cast<int>(repeatCount), static_cast<int>(flags)));
}

void TBaseEdit::EvSetFocus(HWND) { Invalidate(); }

void TBaseEdit::EvKillFocus(HWND) {
  Invalidate();
  if (collection != nullptr) collection->current = GetId();
}

void TBaseEdit::MoveToEnd(bool last) {
  if (collection == nullptr || collection->count == 0) return;
  const ValueParameters &binding = collection->items.data[last ? collection->count - 1 : 0];
  if (binding.edit != nullptr && binding.edit->IsWindow()) binding.edit->SetFocus();
}

int TBaseEdit::MoveToNeighbour(UINT direction) {
  if (collection == nullptr) return -1;
  const RECT mine = GetWindowRect();
  int caretX = 0;
  POINT caret{};
  if (::GetFocus() == GetHandle() && GetCaretPos(&caret)) caretX = caret.x;
  // Distances are squared pixels in 64 bits and the best starts unbounded, so a field
  // anywhere on the screen is reached (a bound of 32000 squared pixels left fields farther
  // than about 179 pixels out of reach).
  std::int64_t best = std::numeric_limits<std::int64_t>::max();
  TBaseEdit *found = nullptr;
  for (int i = 0; i < collection->count; ++i) {
    TEdit *edit = collection->items.data[i].edit;
    if (edit == nullptr || !edit->IsWindow()) continue;
    const RECT other = edit->GetWindowRect();
    std::int64_t gap = 0;
    std::int64_t across = 0;
    switch (direction) {
      case VK_UP: gap = mine.top - other.bottom; across = std::abs(other.left - mine.left - caretX); break;
      case VK_DOWN: gap = other.top - mine.bottom; across = std::abs(other.left - mine.left - caretX); break;
      case VK_LEFT: gap = mine.left - other.right; across = std::abs(other.top - mine.top); break;
      case VK_RIGHT: gap = other.left - mine.right; across = std::abs(other.top - mine.top); break;
      default: return -1;
    }
    if (gap < 1) continue;
    const std::int64_t distance = gap * gap + across * across;
    // Of equal distances the later binding wins.
    if (distance <= best) {
      best = distance;
      found = dynamic_cast<TBaseEdit *>(edit);
    }
  }
  if (found == nullptr) {
    MessageBeep(0xFFFFFFFF);
    return -1;
  }
  found->SetFocus();
  // Setting the texts again puts both carets at the start; the whole text is kept.
  SetWindowText(GetWindowText());
  found->SetWindowText(found->GetWindowText());
  return 0;
}

void TBaseEdit::SetTextAndUpdate(const char *text) {
  SetWindowText(text);
  UpdateWindow();
}

void TBaseEdit::SetTextFormatted(double value, const char *format) { SetTextAndUpdate(Formatted(format, value).c_str()); }
void TBaseEdit::SetTextFormatted1(int value, const char *format) { SetTextAndUpdate(Formatted(format, value).c_str()); }
void TBaseEdit::SetTextFormatted1(std::uint8_t value, const char *format) {
  SetTextAndUpdate(Formatted(format, static_cast<int>(value)).c_str());
}
void TBaseEdit::SetTextFormatted1(std::int16_t value, const char *format) {
  SetTextAndUpdate(Formatted(format, static_cast<int>(value)).c_str());
}
void TBaseEdit::SetTextFormatted1(float value, const char *format) {
  SetTextAndUpdate(Formatted(format, static_cast<double>(value)).c_str());
}
