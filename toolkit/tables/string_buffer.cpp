#include "toolkit/tables/string_buffer.h"

void TStringBuffer::Resize(int n) {
  texts.Clear();
  if (n > 0) texts.Allocate(n, 1);
}
