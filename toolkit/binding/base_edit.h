#pragma once
// TBaseEdit: the edit control of a bound dialog field. It ignores the dialog manager's
// select-all when tabbed into, beeps instead of taking characters while read-only, and
// moves to the nearest bound field on the screen with the arrow and page keys.

#include <cstdint>

#include "platform/gui/controls/edit.h"

class TEditCollection;

class TBaseEdit : public TEdit {
 public:
  // The dialog's control `id` (resource form); collection: the bindings it moves among.
  TBaseEdit(TWindow *dialog, int id, UINT limitValue, TEditCollection *collection);
  ~TBaseEdit() override = default;

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void SetTextFormatted(double value, const char *format);
  void SetTextFormatted1(int value, const char *format);
  void SetTextFormatted1(std::uint8_t value, const char *format);
  void SetTextFormatted1(std::int16_t value, const char *format);
  void SetTextFormatted1(float value, const char *format);

  // Focus to the nearest bound field in the direction of the arrow key (VK_LEFT, VK_UP,
  // VK_RIGHT, VK_DOWN); 0 when one took it, -1 (after a beep) when none lies that way.
  int MoveToNeighbour(UINT direction);

  int readOnly = 0;

 protected:
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
  void EvChar(UINT key, UINT repeatCount, UINT flags);
  void EvSetFocus(HWND lostFocus);
  void EvKillFocus(HWND getFocus);

 private:
  // Focus to the first (last) bound field.
  void MoveToEnd(bool last);
  int CaretStart();
  void SetTextAndUpdate(const char *text);

  TEditCollection *collection;
};
