#pragma once
// Virtual-key codes for Qt keys and back (the test kit types keys by virtual-key code).

#include <Qt>
#include <string>

#include "platform/core/types.h"

// The virtual-key code of a Qt key; 0 when the key has none.
UINT VirtualKeyFromQt(int qtKey);
// The Qt key of a virtual-key code; Qt::Key_unknown when there is none.
int QtKeyFromVirtualKey(UINT virtualKey);
// The character a key types without modifiers ("" for keys that type nothing).
std::string TextOfVirtualKey(UINT virtualKey, bool shift);

// The MK_* bits of a mouse message from Qt's buttons and modifiers.
UINT MouseKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The SB_* code of a Qt slider action; false for actions that send none.
bool ScrollCodeOfAction(int sliderAction, UINT &code);
