#pragma once
// TOPen: the program's pen description, a LOGPEN whose pen object is made on first use and
// dropped whenever the description changes.

#include "platform/gui/drawing/gdi_types.h"

class TDC;

class TOPen {
 public:
  TOPen(int style = PS_SOLID, int sizeX = 1, COLORREF color = 0);
  ~TOPen();
  TOPen(const TOPen &) = delete;
  TOPen &operator=(const TOPen &) = delete;

  void Set(int style, int sizeX, COLORREF color);
  void SetStyle(int style);
  void SetWidth(int sizeX);
  void SetColor(COLORREF color);
  int GetStyle() const { return static_cast<int>(logPen_.lopnStyle); }
  int GetWidth() const { return logPen_.lopnWidth.x; }
  COLORREF GetColor() const { return logPen_.lopnColor; }
  const LOGPEN &GetLogPen() const { return logPen_; }
  // The pen object, made from the description when there is none.
  HPEN GetPen();
  // Puts the context's own pen back, then selects this one.
  void SelectInto(TDC &dc);
  void DeletePen();

 private:
  LOGPEN logPen_;
  HPEN pen_ = nullptr;
};
