#pragma once
// The test objects' sizes, distances and counts must be above zero: a typed text that is no
// number, zero (an empty box reads as zero) or a negative number is refused with a message
// naming the field, and the box is written back from the value it had. The boxes are read
// through the one typed-number reader of the program, so they agree with every other
// field on what a number is.

#include <string>

#include "platform/core/types.h"

class TWindow;

// The refusal of the text of the dialog's edit `id` (its message), "" when it is taken;
// `shown` as below.
std::string PositiveFieldRefusal(TWindow &dialog, int id, const std::string &field,
                                 const double *shown = nullptr);
// Tells a refusal in a "Warning" box owned by the dialog.
void TellFieldRefusal(TWindow &dialog, const std::string &message);

// While one lives, the refusals told through TellFieldRefusal are held and only the first
// is told, when it ends: a page read in one go (its size, its distance, its object's
// counts) gives the user one box, not one after another. An inner one leaves the telling
// to the outer.
class TFirstRefusalTold {
 public:
  TFirstRefusalTold();
  ~TFirstRefusalTold();
  TFirstRefusalTold(const TFirstRefusalTold &) = delete;
  TFirstRefusalTold &operator=(const TFirstRefusalTold &) = delete;
  // Called by TellFieldRefusal while this one holds the refusals.
  void Hold(HWND owner, const std::string &message);

 private:
  bool holding_;
  HWND owner_ = nullptr;
  std::string first_;
};

// Checks the text of the dialog's edit `id`; when it is refused, tells the user (a
// "Warning" box owned by the dialog) and answers false, leaving the box to the caller to
// write back. true when the text is a number above zero (or the dialog has no window).
// With `shown`, a box that still holds that value as "%g" shows it is taken as it is: a
// value the program put there (a distance of 0 read from the system) is not the user's.
bool CheckPositiveField(TWindow &dialog, int id, const std::string &field,
                        const double *shown = nullptr);
