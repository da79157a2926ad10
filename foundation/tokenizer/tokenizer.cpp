#include "foundation/tokenizer/tokenizer.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "foundation/textfiles/text_functions.h"

namespace {

const TKeyword kEmptyTable[] = {{"", -1}};
const char kEmptyText[] = "";

// The C-locale classes, on bytes: anything above 127 belongs to none.
bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned char At(const char *p) { return static_cast<unsigned char>(*p); }

}  // namespace

TTokenizer::TTokenizer()
    : keywords_(kEmptyTable),
      prefixedKeywords_(kEmptyTable),
      identifierChars_(kEmptyText),
      lineStart_(kEmptyText),
      cursor_(kEmptyText) {}

void TTokenizer::SetKeywords(const TKeyword *table) { keywords_ = table ? table : kEmptyTable; }

void TTokenizer::SetPrefixedKeywords(const TKeyword *table) {
  prefixedKeywords_ = table ? table : kEmptyTable;
}

void TTokenizer::SetIdentifierChars(const char *chars) {
  identifierChars_ = chars ? chars : kEmptyText;
}

void TTokenizer::SetComments(int styles) {
  blockComments_ = (styles & kBlockComments) ? 1 : 0;
  lineComments_ = (styles & kLineComments) ? 1 : 0;
}

void TTokenizer::SetLine(const char *text) {
  lineStart_ = cursor_ = text ? text : kEmptyText;
  column_ = 0;
  lastType_ = kTokenFileEnd;
  ++lineNumber_;
}

void TTokenizer::Append(char c) {
  // Text beyond the buffer is dropped; the scan still consumes it.
  if (length_ < kTokenSize) {
    token_[length_++] = c;
    token_[length_] = '\0';
  }
}

int TTokenizer::LookUp(const TKeyword *table) const {
  for (const TKeyword *k = table; k->name != nullptr && k->name[0] != '\0'; ++k) {
    const int differs = caseSensitive_ ? std::strcmp(k->name, token_) : strcasecmp(k->name, token_);
    if (differs == 0) return k->code;
  }
  return -1;
}

void TTokenizer::SkipBlanksAndComments() {
  for (;;) {
    while (insideComment_) {
      const char *end = std::strstr(cursor_, "*/");
      if (end == nullptr) {
        cursor_ += std::strlen(cursor_);
        return;
      }
      cursor_ = end + 2;
      insideComment_ = 0;
    }
    while (*cursor_ != '\0' && IsBlank(At(cursor_))) ++cursor_;
    if (blockComments_ && cursor_[0] == '/' && cursor_[1] == '*') {
      cursor_ += 2;
      insideComment_ = 1;
      continue;
    }
    return;
  }
}

int TTokenizer::NextToken() { return ScanToken(); }

int TTokenizer::ScanToken() {
  length_ = 0;
  token_[0] = '\0';
  SkipBlanksAndComments();
  column_ = static_cast<int>(cursor_ - lineStart_);

  const unsigned char c = At(cursor_);
  if (c == '\0' || (lineComments_ && cursor_[0] == ';' && cursor_[1] == ';'))
    return lastType_ = kTokenLineEnd;

  if (signedNumbers_ && (c == '-' || c == '+')) {
    const char *p = cursor_ + 1;
    while (*p != '\0' && IsBlank(At(p))) ++p;
    const bool digitFollows = IsDigit(At(p)) || (p[0] == '.' && IsDigit(At(p + 1)));
    if (digitFollows) {
      while (!IsDigit(At(cursor_))) Append(*cursor_++);
    }
  }

  const unsigned char n = At(cursor_);
  if (IsDigit(n) || (n == '.' && IsDigit(At(cursor_ + 1)))) {
    if (hexNumbers_ && cursor_[0] == '0' && (cursor_[1] == 'x' || cursor_[1] == 'X') &&
        IsHexDigit(At(cursor_ + 2))) {
      cursor_ += 2;
      while (IsHexDigit(At(cursor_))) Append(*cursor_++);
      return lastType_ = kTokenHex;
    }
    while (IsDigit(At(cursor_))) Append(*cursor_++);
    if (*cursor_ == '.') {
      Append(*cursor_++);
      while (IsDigit(At(cursor_))) Append(*cursor_++);
      return lastType_ = kTokenReal;
    }
    return lastType_ = kTokenInteger;
  }

  if (n == '"') {
    const char *p = cursor_ + 1;
    for (;;) {
      if (*p == '\0') break;  // unterminated: the quote alone, below
      if (*p == '"') {
        if (p[1] == '"') {
          if (length_ == kTokenSize) break;
          Append('"');
          p += 2;
          continue;
        }
        cursor_ = p + 1;
        return lastType_ = kTokenString;
      }
      if (length_ == kTokenSize) break;
      Append(*p++);
    }
    if (length_ == kTokenSize) {
      std::fprintf(stderr, "\nTokenizer: String too long - truncated at %dth character\n\n",
                   kTokenSize);
      cursor_ = p;  // scanning goes on behind the kept characters
      return lastType_ = kTokenOther;
    }
    length_ = 0;
    token_[0] = '\0';
  } else if (IsLetter(n)) {
    while (*cursor_ != '\0' && (IsLetter(At(cursor_)) || IsDigit(At(cursor_)) ||
                                std::strchr(identifierChars_, *cursor_) != nullptr))
      Append(*cursor_++);
    const int code = LookUp(keywords_);
    return lastType_ = code >= 0 ? kTokenKeyword + code : kTokenIdentifier;
  } else if (n == static_cast<unsigned char>(prefix_) && column_ == 0) {
    const char *p = cursor_ + 1;
    while (IsLetter(At(p))) Append(*p++);
    const int code = LookUp(prefixedKeywords_);
    if (code >= 0) {
      cursor_ = p;
      return lastType_ = kTokenPrefixedKeyword + code;
    }
    length_ = 0;
    token_[0] = '\0';
  }

  Append(*cursor_++);
  return lastType_ = kTokenOther;
}

TParser::TParser(const char *fileName, const TKeyword *keywords) {
  SetComments(kLineComments);
  SetSignedNumbers(true);
  SetCompareMode(0);
  SetIdentifierChars("._");
  SetKeywords(keywords);
  if (fileName != nullptr) file_ = std::fopen(fileName, "r");
}

TParser::~TParser() {
  if (file_ != nullptr) std::fclose(file_);
}

void TParser::Rewind() {
  if (file_ != nullptr) {
    std::fseek(file_, 0, SEEK_SET);
    std::clearerr(file_);
  }
  line_[0] = '\0';
  SetLine(line_);
  SetLineNumber(0);
}

bool TParser::IsEof() const { return file_ == nullptr || std::feof(file_) != 0; }

int TParser::ReadLine() {
  line_[0] = '\0';
  if (file_ == nullptr) return 0;
  if (std::fgets(line_, kLineSize, file_) == nullptr) {
    line_[0] = '\0';
    return std::ferror(file_) ? -1 : 0;
  }
  SetLine(line_);
  return 1;
}

int TParser::NextToken() {
  for (;;) {
    if (line_[0] == '\0') {
      const int read = ReadLine();
      if (read < 0) return -1;
      if (read == 0) return kTokenFileEnd;
    }
    const int type = ScanToken();
    if (type != kTokenLineEnd) return type;
    line_[0] = '\0';
  }
}

int TParser::NextLineFirstToken() {
  line_[0] = '\0';
  int last = kTokenFileEnd;
  for (;;) {
    const int read = ReadLine();
    if (read < 0) return -1;
    if (read == 0) return last;
    last = ScanToken();
    if (last != kTokenLineEnd) return last;
  }
}

bool TParser::IsLineEnd() {
  const int type = ScanToken();
  return type == kTokenLineEnd || type == kTokenFileEnd;
}

const char *FormatParseError(const char *fileName, int line, const char *token,
                             const char *message) {
  static char buffer[1024];
  const char *file = fileName ? fileName : "";
  const char *text = token ? token : "";
  const char *what = message ? message : "";
  if (line != 0)
    std::snprintf(buffer, sizeof buffer, "%s line:%d '%s' - %s", file, line, text, what);
  else
    std::snprintf(buffer, sizeof buffer, "%s '%s' - %s", file, text, what);
  return buffer;
}

double TokenNumber(const char *text) {
  if (text == nullptr) return 0.0;
  char compact[TTokenizer::kTokenSize + 1];
  std::size_t length = 0;
  for (const char *p = text; *p != '\0' && length < TTokenizer::kTokenSize; ++p) {
    if (!IsBlank(At(p))) compact[length++] = *p;
  }
  compact[length] = '\0';
  // Catalogs are written with a decimal point whatever the user's locale.
  return DecimalToDouble(compact);
}
