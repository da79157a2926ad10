#pragma once
// The plain records a window is made from and keeps: creation attributes, class
// settings, the width of its drawn frame and the state of a scroll bar.

#include "platform/core/types.h"
#include "platform/gui/windows/messages.h"

// The creation attributes; Create reads them, and they follow later moves and sizes.
struct TWindowAttr {
  DWORD Style = WS_CHILD | WS_VISIBLE;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int W = 0;
  int H = 0;
  int Id = 0;
};

// What a class gives every window made from it.
struct TWindowClass {
  UINT Style = 0;                 // CS_* bits; CS_DBLCLKS turns double clicks into DBLCLK
  COLORREF Background = 0xFFFFFF;  // erased client colour
};

// Widths of the band between the window rectangle and the client area.
struct TFrameInsets {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// One scroll bar of a window (WS_HSCROLL / WS_VSCROLL).
struct TScrollBarState {
  int Min = 0;
  int Max = 100;
  int Pos = 0;
  int Page = 0;
};

// Windows larger than this on either axis are cut to it: the image of a window is kept
// in memory, and no screen comes near.
constexpr int kMaxWindowExtent = 16384;

// The border and caption that a window of the style draws (scroll bars and menu excluded).
TFrameInsets FrameInsetsForStyle(DWORD style);
