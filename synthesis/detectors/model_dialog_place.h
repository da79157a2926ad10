#pragma once
// Where every detector model's dialog lies on the Detector page's type page: one place for
// all of them, below the type list (dialog units); only the chosen model's is shown.

#include "platform/gui/windows/messages.h"

constexpr DWORD kModelStyle = WS_CHILD;
constexpr int kModelX = 4;
constexpr int kModelY = 22;
constexpr int kModelWidth = 148;
constexpr int kModelHeight = 80;
