#include "platform/gui/dialogs/string_resources.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

std::map<UINT, std::string> &Strings() {
  static std::map<UINT, std::string> strings;
  return strings;
}

}  // namespace

void RegisterStrings(std::initializer_list<TStringEntry> entries) {
  for (const TStringEntry &entry : entries) Strings()[entry.Id] = entry.Text != nullptr ? entry.Text : "";
}

int LoadString(TModule *, UINT id, char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  auto found = Strings().find(id);
  if (found == Strings().end()) return 0;
  const std::size_t copied = std::min(found->second.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, found->second.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

std::string LoadResourceString(UINT id) {
  auto found = Strings().find(id);
  return found != Strings().end() ? found->second : std::string();
}
