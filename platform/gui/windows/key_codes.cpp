#include "platform/gui/windows/key_codes.h"

#include <QAbstractSlider>

#include <iterator>

#include "platform/gui/windows/messages.h"

namespace {

struct TKeyPair {
  int Qt;
  UINT Vk;
};

// Keys whose codes are not simple ranges.
constexpr TKeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},      {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},     {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},  {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},     {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},        {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},      {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},   {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Clear, VK_CLEAR},      {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Asterisk, VK_MULTIPLY},
    {Qt::Key_Plus, VK_ADD},         {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Semicolon, VK_OEM_1},  {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},   {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},   {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},  {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},  {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
};

}  // namespace

UINT VirtualKeyFromQt(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<UINT>(qtKey);  // 'A'..'Z'
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<UINT>(qtKey);  // '0'..'9'
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
    return VK_F1 + static_cast<UINT>(qtKey - Qt::Key_F1);
  }
  for (const TKeyPair &pair : kKeys) {
    if (pair.Qt == qtKey) return pair.Vk;
  }
  return 0;
}

int QtKeyFromVirtualKey(UINT virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<int>(virtualKey);
  if (virtualKey >= '0' && virtualKey <= '9') return static_cast<int>(virtualKey);
  if (virtualKey >= VK_F1 && virtualKey <= VK_F24) {
    return Qt::Key_F1 + static_cast<int>(virtualKey - VK_F1);
  }
  for (const TKeyPair &pair : kKeys) {
    if (pair.Vk == virtualKey) return pair.Qt;
  }
  return Qt::Key_unknown;
}

std::string TextOfVirtualKey(UINT virtualKey, bool shift) {
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
    char letter = static_cast<char>(virtualKey);
    if (!shift && virtualKey >= 'A') letter = static_cast<char>(virtualKey - 'A' + 'a');
    return std::string(1, letter);
  }
  switch (virtualKey) {
    case VK_ESCAPE: return "\x1b";
    case VK_RETURN: return "\r";
    case VK_BACK: return "\b";
    case VK_TAB: return "\t";
    case VK_SPACE: return " ";
    default: return "";
  }
}

UINT MouseKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  UINT keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

bool ScrollCodeOfAction(int sliderAction, UINT &code) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; return true;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; return true;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; return true;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; return true;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; return true;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; return true;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; return true;
    default: return false;
  }
}
