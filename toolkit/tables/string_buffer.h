#pragma once
// TStringBuffer: the one-row clipboard of a bound table: the texts of the row last copied
// or cut, one per column, with that row's number and the last operation (25313 after a
// cut). Empty means nothing to paste.

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"

class TStringBuffer {
 public:
  TStringBuffer() = default;
  // Frees the texts and provides n empty ones (0 empties the buffer). A failed request
  // shows "Not enough memory" and leaves the buffer empty.
  void Resize(int n);
  int Count() const { return texts.cols * texts.rows; }
  bool IsEmpty() const { return Count() == 0; }

  int row = 0;
  int lastOperation = 0;
  Mem<STRING> texts;
};
