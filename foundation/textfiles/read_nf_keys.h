#pragma once
// The key table of a sectioned-file reader: the caller's variables registered under key
// names with their type letter and how many values they hold. A value that does not fit
// (an element beyond the array, a text longer than its buffer) is left out and noted as
// a fault, so a file can never write past what its reader registered.

#include <cstddef>
#include <string>
#include <vector>

class STRING;

// One registration. The name is kept as a lower-cased copy, so callers may pass literals.
// Its kind follows from the type letter and the marks below: a number (f d), a whole number
// (i l), a text (s t S), a list of n (capacity above 1), a switch (a whole number limited to
// 0..1), a record key the writer always writes (required), a text the writer always quotes.
// Every value is checked against its kind: one that is not of it is named and not stored.
struct TIdentificatorParameters {
  std::string name;
  std::string shownName;  // as the caller gave it, for messages
  void *variable = nullptr;
  char type = 0;       // f d i l (numbers), s (one buffer), t (STRING array), S (buffers)
  int capacity = 0;    // elements of the array; for 's' the bytes of the buffer
  int bufferSize = 0;  // for 'S': the bytes of each buffer
  // Numbers outside least..most (or not a number at all) are not stored (Limit).
  bool limited = false;
  double least = 0.0;
  double most = 0.0;
  // Every record ("{ ... }" line) of the section gives this key a value (Require).
  bool required = false;
  // The writer always quotes this text, so an unquoted value ends at ';' (Quote).
  bool quoted = false;
  // What an empty text means to its reader ("air" for no glass), said when a value is not
  // read and the text stays empty (Quote).
  std::string emptyMeans;
};

// Faults met since Open, as bits; the reader stores what fits and goes on.
enum TReadNFFault : unsigned {
  kReadNFValueTooLong = 1u << 0,     // a text was cut to its buffer
  kReadNFIndexOutOfRange = 1u << 1,  // an element index outside the registered array
  kReadNFNumberOutOfRange = 1u << 2, // a number beyond its type, stored clamped
  kReadNFLineTooLong = 1u << 3,      // a line past kReadNFMaxLine; its tail was not read
  kReadNFUnclosedQuote = 1u << 4,    // a quoted value ran to the end of its line
  kReadNFGarbled = 1u << 5,          // a zero byte inside a text line
  kReadNFReadFailed = 1u << 6,       // the file could not be read to its end
  kReadNFWriteFailed = 1u << 7,      // a section rewrite did not reach the file
  kReadNFNotFinite = 1u << 8,        // a number read as not-a-number or infinite (stored so)
  kReadNFCutShort = 1u << 9,         // the last line has no line end (ScanFile)
  kReadNFBrokenHeader = 1u << 10,    // a line opens a section name it does not close (ScanFile)
};

// Longest line the parser reads; longer ones are read up to here and flagged.
constexpr std::size_t kReadNFMaxLine = 64 * 1024;

class TReadNFKeys {
 public:
  TReadNFKeys() = default;
  TReadNFKeys(const TReadNFKeys &) = delete;
  TReadNFKeys &operator=(const TReadNFKeys &) = delete;

  // capacity: how many elements the array behind the pointer holds.
  void AddFloat(const char *name, float *variable, int capacity = 1);
  void AddDouble(const char *name, double *variable, int capacity = 1);
  void AddInt(const char *name, int *variable, int capacity = 1);
  void AddLong(const char *name, long *variable, int capacity = 1);
  void AddText(const char *name, STRING *variable, int capacity = 1);
  // One character buffer of bufferSize bytes (terminator included).
  void AddString(const char *name, char *buffer, int bufferSize);
  template <std::size_t N>
  void AddString(const char *name, char (&buffer)[N]) {
    AddString(name, buffer, static_cast<int>(N));
  }
  // count buffers of bufferSize bytes each; element k of the key goes to buffers[k].
  void AddStringList(const char *name, char *const *buffers, int count, int bufferSize);

  // Adds a registration; one that cannot be stored is dropped after the memory box.
  void AddIdentifier(const TIdentificatorParameters &parameters);
  // The registrations of name (any case) take only numbers from least to most; any other
  // value, not a number included, leaves its variable as it was and is named
  // (TRead1NF::KeyNotes). A name not registered is passed over.
  void Limit(const char *name, double least, double most);
  // A whole number 0 or 1.
  void Switch(const char *name) { Limit(name, 0.0, 1.0); }
  // A record that lacks the key is named (its variable keeps what it held).
  void Require(const char *name);
  // The key's unquoted value ends at ';' as a quoted one would, and an empty one is named,
  // with emptyMeans (when given) as the value then used.
  void Quote(const char *name, const char *emptyMeans = nullptr);
  void ClearIdentifiers();
  int IdentifierCount() const { return static_cast<int>(keys.size()); }

  unsigned Faults() const { return faults; }
  void ClearFaults() { faults = 0; }

 protected:
  ~TReadNFKeys() = default;
  const TIdentificatorParameters *FindKey(const std::string &lowerName) const;
  const std::vector<TIdentificatorParameters> &Keys() const { return keys; }
  // The number element index of a numeric registration holds, as text.
  static std::string KeptValueText(const TIdentificatorParameters &key, int index);
  // Stores one value at element index; notes a fault when it does not fit. Empty when
  // stored, else why the value was not: "is empty", "is not a number", "is not a whole
  // number", "is outside a to b".
  std::string StoreNumber(const TIdentificatorParameters &key, const std::string &token, int index);
  void StoreText(const TIdentificatorParameters &key, const std::string &value, int index);
  void NoteFault(unsigned fault) { faults |= fault; }

 private:
  void Register(const char *name, void *variable, char type, int capacity, int bufferSize);

  std::vector<TIdentificatorParameters> keys;
  unsigned faults = 0;
};
