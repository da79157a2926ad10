#include "foundation/tokenizer/tokenizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/testing/approx.h"
#include "foundation/testing/comma_locale.h"

namespace {

constexpr double kExact = 1e-15;  // a short decimal text read back

const TKeyword kWords[] = {{"indices", 1}, {"end", 9}, {"", -1}};
const TKeyword kDirectives[] = {{"include", 3}, {"", -1}};

struct Scan {
  int type;
  std::string text;
};

Scan Next(TTokenizer &t) {
  const int type = t.NextToken();
  return {type, t.GetToken()};
}

std::string TempFile(const std::string &name, const std::string &content) {
  const auto path = std::filesystem::temp_directory_path() / ("tok_" + name);
  std::ofstream(path, std::ios::binary) << content;
  return path.string();
}

}  // namespace

TEST(Tokenizer, ClassifiesNumbersIdentifiersAndCharacters) {
  TTokenizer t;
  t.SetLine("abc 12 3.25 .5 x_1 ,");
  EXPECT_EQ(t.GetLineNumber(), 1);
  Scan s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "abc");
  s = Next(t);
  EXPECT_EQ(s.type, 'N');
  EXPECT_EQ(s.text, "12");
  EXPECT_EQ(t.GetColumn(), 4);
  s = Next(t);
  EXPECT_EQ(s.type, 'D');
  EXPECT_EQ(s.text, "3.25");
  s = Next(t);
  EXPECT_EQ(s.type, 'D');
  EXPECT_EQ(s.text, ".5");
  // '_' is not an identifier character by default.
  s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "x");
  EXPECT_EQ(Next(t).type, 'O');
  EXPECT_EQ(Next(t).type, 'N');
  s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, ",");
  EXPECT_EQ(Next(t).type, 'L');
  EXPECT_EQ(Next(t).type, 'L');
}

TEST(Tokenizer, NoExponentForm) {
  TTokenizer t;
  t.SetLine("1e5");
  Scan s = Next(t);
  EXPECT_EQ(s.type, 'N');
  EXPECT_EQ(s.text, "1");
  s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "e5");
}

TEST(Tokenizer, LineComments) {
  TTokenizer t;
  t.SetLine("   ;; a remark");
  EXPECT_EQ(Next(t).type, 'L');
  t.SetLine("x ;; y");
  EXPECT_EQ(Next(t).type, 'I');
  EXPECT_EQ(Next(t).type, 'L');
  t.SetComments(0);
  t.SetLine("x ;; y");
  EXPECT_EQ(Next(t).type, 'I');
  EXPECT_EQ(Next(t).type, 'O');
  EXPECT_EQ(Next(t).type, 'O');
  EXPECT_EQ(Next(t).type, 'I');
}

TEST(Tokenizer, BlockCommentsRunAcrossLines) {
  TTokenizer t;
  t.SetComments(kBlockComments);
  t.SetLine("a /* one");
  EXPECT_EQ(Next(t).type, 'I');
  EXPECT_EQ(Next(t).type, 'L');
  t.SetLine("still comment */ b");
  const Scan s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "b");
  EXPECT_EQ(t.GetLineNumber(), 2);
}

TEST(Tokenizer, NumbersKeepTheirPointUnderADecimalCommaLocale) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  // A catalog line "nd 1.5168": read as 1 it turned every glass into a wrong one.
  EXPECT_APPROX(TokenNumber("1.5168"), 1.5168, kExact);
  EXPECT_APPROX(TokenNumber("- 2.5e-3"), -2.5e-3, kExact);
}

TEST(Tokenizer, SignedNumbers) {
  TTokenizer t;
  t.SetSignedNumbers(true);
  t.SetLine("-3.5 - 5 -.5 +7 -x");
  Scan s = Next(t);
  EXPECT_EQ(s.type, 'D');
  EXPECT_EQ(s.text, "-3.5");
  s = Next(t);
  EXPECT_EQ(s.type, 'N');
  EXPECT_EQ(s.text, "- 5");
  EXPECT_APPROX(TokenNumber(s.text.c_str()), -5.0, kExact);
  s = Next(t);
  EXPECT_EQ(s.type, 'N');
  EXPECT_EQ(s.text, "-.5");
  EXPECT_APPROX(TokenNumber(s.text.c_str()), -0.5, kExact);
  s = Next(t);
  EXPECT_EQ(s.text, "+7");
  s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, "-");

  TTokenizer u;
  u.SetLine("-3.5");
  s = Next(u);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, "-");
  s = Next(u);
  EXPECT_EQ(s.type, 'D');
  EXPECT_EQ(s.text, "3.5");
}

TEST(Tokenizer, HexadecimalNumbers) {
  TTokenizer t;
  t.SetHexNumbers(true);
  t.SetLine("0x1F");
  Scan s = Next(t);
  EXPECT_EQ(s.type, 'H');
  EXPECT_EQ(s.text, "1F");
  t.SetHexNumbers(false);
  t.SetLine("0x1F");
  s = Next(t);
  EXPECT_EQ(s.type, 'N');
  EXPECT_EQ(s.text, "0");
  s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "x1F");
}

TEST(Tokenizer, QuotedStrings) {
  TTokenizer t;
  t.SetLine("\"a\"\"b\" \"open");
  Scan s = Next(t);
  EXPECT_EQ(s.type, 'S');
  EXPECT_EQ(s.text, "a\"b");
  // An unterminated string degrades to the quote alone.
  s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, "\"");
  s = Next(t);
  EXPECT_EQ(s.type, 'I');
  EXPECT_EQ(s.text, "open");
}

TEST(Tokenizer, OverlongStringIsTruncatedWithoutOverflow) {
  const std::string line = "\"" + std::string(400, 'q') + "\" z";
  TTokenizer t;
  t.SetLine(line.c_str());
  const Scan s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text.size(), 300u);
  // Scanning goes on without reading past the line.
  int guard = 0;
  while (t.NextToken() != 'L' && ++guard < 1000) {
  }
  EXPECT_LT(guard, 1000);

  const std::string ident(500, 'k');
  t.SetLine(ident.c_str());
  const Scan id = Next(t);
  EXPECT_EQ(id.type, 'I');
  EXPECT_EQ(id.text.size(), 300u);
  EXPECT_EQ(Next(t).type, 'L');
}

TEST(Tokenizer, KeywordsAndPrefixedKeywords) {
  TTokenizer t;
  t.SetKeywords(kWords);
  t.SetPrefixedKeywords(kDirectives);
  t.SetLine("#include end INDICES");
  Scan s = Next(t);
  EXPECT_EQ(s.type, 403);
  EXPECT_EQ(s.text, "include");
  EXPECT_EQ(Next(t).type, 209);
  EXPECT_EQ(Next(t).type, 'I');  // case-sensitive by default
  t.SetCompareMode(0);
  t.SetLine(" #include INDICES");
  s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, "#");
  EXPECT_EQ(Next(t).type, 'I');
  EXPECT_EQ(Next(t).type, 201);
  t.SetLine("#other");
  s = Next(t);
  EXPECT_EQ(s.type, 'O');
  EXPECT_EQ(s.text, "#");
}

TEST(Parser, ReadsAcrossLinesAndSkipsBlankAndCommentLines) {
  const std::string path =
      TempFile("a.txt", "first 1\n\n  ;; remark\r\nINDICES 2.5\r\nlast_one.x\n");
  TParser p(path.c_str(), kWords);
  EXPECT_FALSE(p.IsEof());
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_EQ(p.NextToken(), 'N');
  EXPECT_EQ(p.NextToken(), 201);
  EXPECT_EQ(p.GetLineNumber(), 4);
  EXPECT_EQ(p.NextToken(), 'D');
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_STREQ(p.GetToken(), "last_one.x");
  EXPECT_EQ(p.NextToken(), 'F');
  EXPECT_TRUE(p.IsEof());
  p.Rewind();
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_STREQ(p.GetToken(), "first");
  EXPECT_EQ(p.GetLineNumber(), 1);
}

TEST(Parser, NextLineFirstTokenAndLineEnd) {
  const std::string path = TempFile("b.txt", "a b c\n\nd e\n;; tail\n");
  TParser p(path.c_str(), nullptr);
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_FALSE(p.IsLineEnd());  // consumes b
  EXPECT_EQ(p.NextLineFirstToken(), 'I');
  EXPECT_STREQ(p.GetToken(), "d");
  EXPECT_FALSE(p.IsLineEnd());
  EXPECT_TRUE(p.IsLineEnd());
  // Only a comment line is left: the type of that last line.
  EXPECT_EQ(p.NextLineFirstToken(), 'L');
  EXPECT_EQ(p.NextLineFirstToken(), 'F');
}

TEST(Parser, LongLinesArriveInPieces) {
  const std::string path = TempFile("c.txt", std::string(300, 'w') + "\n");
  TParser p(path.c_str(), nullptr);
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_EQ(std::string(p.GetToken()).size(), 255u);
  EXPECT_EQ(p.NextToken(), 'I');
  EXPECT_EQ(std::string(p.GetToken()).size(), 45u);
  EXPECT_EQ(p.GetLineNumber(), 2);
}

TEST(Parser, MissingFileIsAtItsEnd) {
  TParser p("/nonexistent/dir/none.tgc", kWords);
  EXPECT_TRUE(p.IsEof());
  EXPECT_EQ(p.NextToken(), 'F');
  EXPECT_EQ(p.NextLineFirstToken(), 'F');
}

TEST(ParseError, FormatsWithAndWithoutLine) {
  EXPECT_STREQ(FormatParseError("cat.tgc", 12, "wl", "Wrong value..."),
               "cat.tgc line:12 'wl' - Wrong value...");
  EXPECT_STREQ(FormatParseError("cat.tgc", 0, "K8", "Glass is duplicated..."),
               "cat.tgc 'K8' - Glass is duplicated...");
  const std::string huge(5000, 'z');
  EXPECT_LT(std::string(FormatParseError(huge.c_str(), 1, huge.c_str(), "x")).size(), 1024u);
}
