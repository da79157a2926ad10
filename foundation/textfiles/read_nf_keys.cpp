#include "foundation/textfiles/read_nf_keys.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "foundation/containers/string_class.h"
#include "foundation/textfiles/text_functions.h"
#include "platform/core/message_box.h"

void TReadNFKeys::Register(const char *name, void *variable, char type, int capacity,
                           int bufferSize) {
  // A registration without a name or a place to store is kept out of the table: it could
  // only ever be matched to write nowhere.
  if (name == nullptr || variable == nullptr || capacity < 1) return;
  TIdentificatorParameters parameters;
  try {
    parameters.name = LowerCaseAnsi(name);
    parameters.shownName = name;
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
    return;
  }
  parameters.variable = variable;
  parameters.type = type;
  parameters.capacity = capacity;
  parameters.bufferSize = bufferSize;
  AddIdentifier(parameters);
}

void TReadNFKeys::AddFloat(const char *name, float *variable, int capacity) {
  Register(name, variable, 'f', capacity, 0);
}
void TReadNFKeys::AddDouble(const char *name, double *variable, int capacity) {
  Register(name, variable, 'd', capacity, 0);
}
void TReadNFKeys::AddInt(const char *name, int *variable, int capacity) {
  Register(name, variable, 'i', capacity, 0);
}
void TReadNFKeys::AddLong(const char *name, long *variable, int capacity) {
  Register(name, variable, 'l', capacity, 0);
}
void TReadNFKeys::AddText(const char *name, STRING *variable, int capacity) {
  Register(name, variable, 't', capacity, 0);
}
void TReadNFKeys::AddString(const char *name, char *buffer, int bufferSize) {
  Register(name, buffer, 's', bufferSize, 0);
}
void TReadNFKeys::AddStringList(const char *name, char *const *buffers, int count,
                                int bufferSize) {
  if (bufferSize < 1) return;
  Register(name, const_cast<char **>(buffers), 'S', count, bufferSize);
}

void TReadNFKeys::AddIdentifier(const TIdentificatorParameters &parameters) {
  try {
    // Grow ten at a time, as the table always has.
    if (keys.size() == keys.capacity()) keys.reserve(keys.size() + 10);
    keys.push_back(parameters);
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
  }
}

void TReadNFKeys::Limit(const char *name, double least, double most) {
  const std::string lowerName = LowerCaseAnsi(name);
  for (TIdentificatorParameters &key : keys) {
    if (key.name != lowerName) continue;
    key.limited = true;
    key.least = least;
    key.most = most;
  }
}

void TReadNFKeys::Require(const char *name) {
  const std::string lowerName = LowerCaseAnsi(name);
  for (TIdentificatorParameters &key : keys)
    if (key.name == lowerName) key.required = true;
}

void TReadNFKeys::Quote(const char *name, const char *emptyMeans) {
  const std::string lowerName = LowerCaseAnsi(name);
  for (TIdentificatorParameters &key : keys) {
    if (key.name != lowerName) continue;
    key.quoted = true;
    if (emptyMeans != nullptr) key.emptyMeans = emptyMeans;
  }
}

std::string TReadNFKeys::KeptValueText(const TIdentificatorParameters &key, int index) {
  if (index < 0 || index >= key.capacity) return std::string();
  char text[64];
  const char *end = text;
  switch (key.type) {
    // A value that is no number is the reader's own mark of "none given": nothing is used.
    case 'd':
      if (std::isfinite(static_cast<double *>(key.variable)[index]))
        end = std::to_chars(text, text + sizeof text, static_cast<double *>(key.variable)[index]).ptr;
      break;
    case 'f':
      if (std::isfinite(static_cast<float *>(key.variable)[index]))
        end = std::to_chars(text, text + sizeof text, static_cast<float *>(key.variable)[index]).ptr;
      break;
    case 'i':
      end = std::to_chars(text, text + sizeof text, static_cast<int *>(key.variable)[index]).ptr;
      break;
    case 'l':
      end = std::to_chars(text, text + sizeof text, static_cast<long *>(key.variable)[index]).ptr;
      break;
    case 't':
      if (static_cast<const STRING *>(key.variable)[index].empty()) return key.emptyMeans;
      break;
    default:
      break;
  }
  std::string kept(static_cast<const char *>(text), end);
  // A value outside the key's own limits is the reader's mark of "none given" as well.
  if (key.limited && !kept.empty()) {
    const double value = DecimalToDouble(kept);
    if (!(value >= key.least && value <= key.most)) kept.clear();
  }
  return kept;
}

void TReadNFKeys::ClearIdentifiers() {
  keys.clear();
  keys.shrink_to_fit();
}

const TIdentificatorParameters *TReadNFKeys::FindKey(const std::string &lowerName) const {
  for (const TIdentificatorParameters &key : keys) {
    if (key.name == lowerName) return &key;
  }
  return nullptr;
}

namespace {

// Truncation toward zero, clamped to the type; false when the value had to be clamped.
template <typename Integer>
bool TruncateInto(double value, Integer &result) {
  // -2^(bits-1) and 2^(bits-1) are exact doubles; values strictly between low - 1 and
  // high truncate into range.
  constexpr double low = static_cast<double>(std::numeric_limits<Integer>::min());
  constexpr double high = -low;
  if (std::isnan(value)) {
    result = 0;
    return false;
  }
  if (value >= high) {
    result = std::numeric_limits<Integer>::max();
    return false;
  }
  if (value <= low - 1.0) {
    result = std::numeric_limits<Integer>::min();
    return false;
  }
  result = static_cast<Integer>(value);
  return true;
}

}  // namespace

std::string TReadNFKeys::StoreNumber(const TIdentificatorParameters &key, const std::string &token,
                                     int index) {
  if (index < 0 || index >= key.capacity) {
    NoteFault(kReadNFIndexOutOfRange);
    return std::string();
  }
  std::size_t consumed = 0;
  const double value = DecimalToDouble(token.c_str(), &consumed);
  // Every number is taken whole or not at all: "6#" is no 6, "" no 0, "nan" no number, and
  // each would otherwise be saved back in the user's place.
  if (token.empty()) return "is empty";
  if (consumed != token.size()) return "is not a number";
  if (std::isnan(value)) {
    // Readers that refuse what is not finite still learn of it.
    NoteFault(kReadNFNotFinite);
    return "is not a number";
  }
  const bool whole = key.type == 'i' || key.type == 'l';
  if (whole && std::isfinite(value) && value != std::trunc(value)) return "is not a whole number";
  if (!std::isfinite(value) && (key.type == 'd' || key.type == 'f')) NoteFault(kReadNFNotFinite);
  if (key.limited && !(value >= key.least && value <= key.most)) return "is outside";
  // Never stored as the nearest whole number that fits, a value the user did not write.
  // The first magnitude beyond the type (2^31 or 2^63), exact as a double.
  const double wholeBeyond = std::ldexp(1.0, key.type == 'i' ? std::numeric_limits<int>::digits : std::numeric_limits<long>::digits);
  if (whole && !(std::fabs(value) < wholeBeyond)) {
    NoteFault(kReadNFNumberOutOfRange);
    return "is too large for its key";
  }
  const auto at = static_cast<std::size_t>(index);
  switch (key.type) {
    case 'd':
      static_cast<double *>(key.variable)[at] = value;
      break;
    case 'f': {
      constexpr double largest = std::numeric_limits<float>::max();
      double narrowed = value;
      if (std::isfinite(value) && std::fabs(value) > largest) {
        narrowed = value > 0 ? largest : -largest;
        NoteFault(kReadNFNumberOutOfRange);
      }
      static_cast<float *>(key.variable)[at] = static_cast<float>(narrowed);
      break;
    }
    case 'i':
      if (!TruncateInto(value, static_cast<int *>(key.variable)[at])) {
        NoteFault(kReadNFNumberOutOfRange);
      }
      break;
    case 'l':
      if (!TruncateInto(value, static_cast<long *>(key.variable)[at])) {
        NoteFault(kReadNFNumberOutOfRange);
      }
      break;
    default:
      break;
  }
  return std::string();
}

namespace {

// Copies value into a buffer of size bytes with its terminator; false when it was cut.
bool CopyToBuffer(char *buffer, int size, const std::string &value) {
  const auto room = static_cast<std::size_t>(size) - 1;
  const std::size_t length = value.size() < room ? value.size() : room;
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return length == value.size();
}

}  // namespace

void TReadNFKeys::StoreText(const TIdentificatorParameters &key, const std::string &value,
                            int index) {
  switch (key.type) {
    case 's':
      // One buffer: the element index does not apply.
      if (!CopyToBuffer(static_cast<char *>(key.variable), key.capacity, value)) {
        NoteFault(kReadNFValueTooLong);
      }
      break;
    case 't':
      if (index < 0 || index >= key.capacity) {
        NoteFault(kReadNFIndexOutOfRange);
        return;
      }
      try {
        static_cast<STRING *>(key.variable)[index] = value;
      } catch (const std::bad_alloc &) {
        ShowNotEnoughMemory();
      }
      break;
    case 'S': {
      if (index < 0 || index >= key.capacity) {
        NoteFault(kReadNFIndexOutOfRange);
        return;
      }
      char *buffer = static_cast<char *const *>(key.variable)[index];
      if (buffer == nullptr) return;
      if (!CopyToBuffer(buffer, key.bufferSize, value)) NoteFault(kReadNFValueTooLong);
      break;
    }
    default:
      break;
  }
}
