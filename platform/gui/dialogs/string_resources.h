#pragma once
// String resources: texts registered by id (next to the code that uses them), read back
// with LoadString.

#include <initializer_list>
#include <string>

#include "platform/core/types.h"

class TModule;

struct TStringEntry {
  UINT Id;
  const char *Text;
};

// Registers (or replaces) texts by id.
void RegisterStrings(std::initializer_list<TStringEntry> entries);
// Copies the text of the id into the buffer (at most size - 1 bytes and a zero) and
// returns the bytes copied; 0 with an empty buffer when the id has no text.
int LoadString(TModule *module, UINT id, char *buffer, int size);
// The text of the id; empty when it has none.
std::string LoadResourceString(UINT id);

// Registers a table of texts where it is defined.
struct TStringTable {
  TStringTable(std::initializer_list<TStringEntry> entries) { RegisterStrings(entries); }
};
