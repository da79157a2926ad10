#include "foundation/interfaces/toolkit_records.h"

namespace {

COLORREF gBookMarkColor = RGB(192, 192, 192);
int gBookMarkFlag = 0;

}  // namespace

COLORREF BookMarkDefaultColor() { return gBookMarkColor; }
void SetBookMarkDefaultColor(COLORREF color) { gBookMarkColor = color; }
int BookMarkDefaultFlag() { return gBookMarkFlag; }
void SetBookMarkDefaultFlag(int flag) { gBookMarkFlag = flag; }

TBookMarkInfo::TBookMarkInfo() : colors{gBookMarkColor, gBookMarkColor}, flag(gBookMarkFlag) {}

Mem<TGraphWindow *> &GraphWindows() {
  static Mem<TGraphWindow *> windows;
  return windows;
}
