#pragma once
// The tokenizer area holds the line tokenizer, the token parser of text files and glass
// names. It uses nothing else of the program.
//
// TTokenizer splits one line into typed tokens; TParser reads a text file token by token
// across lines. The tokenizer holds no heap memory: the token text lives in a fixed buffer.

#include <cstdio>

#include "foundation/tokenizer/glass_name.h"

// One keyword: a name and its code (0..199). A table ends with the pair {"", -1}.
struct TKeyword {
  const char *name;
  int code;
};

// Token types (besides the keyword codes 200 + code and 400 + code).
enum : int {
  kTokenLineEnd = 'L',
  kTokenInteger = 'N',
  kTokenReal = 'D',
  kTokenHex = 'H',
  kTokenString = 'S',
  kTokenIdentifier = 'I',
  kTokenOther = 'O',
  kTokenFileEnd = 'F',
  kTokenKeyword = 200,
  kTokenPrefixedKeyword = 400,
};

// Comment-style bits for TTokenizer::SetComments.
enum : int { kBlockComments = 1, kLineComments = 2 };

class TTokenizer {
 public:
  static constexpr int kTokenSize = 300;

  TTokenizer();
  virtual ~TTokenizer() = default;
  TTokenizer(const TTokenizer &) = delete;
  TTokenizer &operator=(const TTokenizer &) = delete;

  void SetKeywords(const TKeyword *table);
  void SetPrefixedKeywords(const TKeyword *table);
  void SetIdentifierChars(const char *chars);
  void SetComments(int styles);
  void SetPrefix(char prefix) { prefix_ = prefix; }
  void SetHexNumbers(bool on) { hexNumbers_ = on ? 1 : 0; }
  void SetSignedNumbers(bool on) { signedNumbers_ = on ? 1 : 0; }
  // 1: keywords compare with case; 0: without.
  void SetCompareMode(int caseSensitive) { caseSensitive_ = caseSensitive ? 1 : 0; }

  // Starts scanning a new line; a block comment left open runs on into it.
  void SetLine(const char *text);
  virtual int NextToken();

  const char *GetToken() const { return token_; }
  int GetLineNumber() const { return lineNumber_; }
  void SetLineNumber(int number) { lineNumber_ = number; }
  int GetColumn() const { return column_; }
  int GetLastType() const { return lastType_; }

 protected:
  int ScanToken();

 private:
  void SkipBlanksAndComments();
  void Append(char c);
  int LookUp(const TKeyword *table) const;

  const TKeyword *keywords_;
  const TKeyword *prefixedKeywords_;
  const char *identifierChars_;
  int lineComments_ = 1;
  int blockComments_ = 0;
  int hexNumbers_ = 0;
  int signedNumbers_ = 0;
  int caseSensitive_ = 1;
  char prefix_ = '#';
  int lineNumber_ = 0;
  const char *lineStart_;
  const char *cursor_;
  int insideComment_ = 0;
  int column_ = 0;
  int lastType_ = kTokenFileEnd;
  int length_ = 0;
  char token_[kTokenSize + 1] = {};
};

// Reads a text file through the tokenizer: ";;" comments, signed numbers, identifiers
// holding '.' and '_', keywords compared without case.
class TParser : public TTokenizer {
 public:
  static constexpr int kLineSize = 256;

  TParser(const char *fileName, const TKeyword *keywords);
  ~TParser() override;

  void Rewind();
  bool IsEof() const;
  // The next token across lines; -1 on a read error, 'F' at the end of the file.
  int NextToken() override;
  // Drops the rest of the current line and returns the first token of the next line that
  // has one.
  int NextLineFirstToken();
  // Scans the next token of the current line; true when the line has none left.
  bool IsLineEnd();
  // The next token of the current line only ('L' at its end).
  int LineToken() { return ScanToken(); }

 private:
  // Reads one line into the buffer: 1 read, 0 end of file, -1 error.
  int ReadLine();

  std::FILE *file_ = nullptr;
  char line_[kLineSize] = {};
};

// "%s line:%d '%s' - %s", or "%s '%s' - %s" when line is 0, in one static buffer that the
// next call overwrites.
const char *FormatParseError(const char *fileName, int line, const char *token,
                             const char *message);

// The value of a number token; blanks between a sign and its digits are allowed.
double TokenNumber(const char *text);
