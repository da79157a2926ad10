#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "foundation/containers/string_class.h"
#include "foundation/testing/approx.h"
#include "foundation/textfiles/tests/read_nf_test_support.h"

namespace {

// Values in these files are short decimal literals; conversion is exact to one ulp.
constexpr double kReadTolerance = 1e-15;
// Float values are rounded to the nearest float (24-bit mantissa).
constexpr double kFloatTolerance = 1e-7;

const char kSystemText[] =
    "[Common]\n"
    "Naper=3; Dentr=12.5\n"
    "Lambda=0.48, 0.5461, 0.6563\n"
    "Name=Cooke triplet, f 50\n"
    "\n"
    "[Surfaces]\n"
    "{ R=21.48; Ex=2.5; Glass=\"SK16_main\" }\n"
    "{ R=-124.1; Ex=5; Glass=\"\" }\n"
    "\n"
    "{ R=-19.1; Ex=1; Glass=\"F4_main\" }\n"
    "[Remark]\n"
    "Free text\n";

}  // namespace

TEST(ReadNFSections, FindsHeadersWithoutRegardToCase) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[COMMON]\nNaper=4;\n");
  TReadNF reader;
  ASSERT_NE(reader.Open(path, 0), nullptr);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  int naper = 0;
  reader.AddInt("Naper", &naper);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(naper, 4);
}

TEST(ReadNFSections, TrailingBlankMakesAnotherHeader) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[Common] \nNaper=4;\n");
  TReadNF reader(path, 0);
  EXPECT_EQ(reader.ReadSection("[Common]"), 0);
  EXPECT_EQ(reader.ReadSection("[Common] "), 1);
}

TEST(ReadNFSections, HeaderOnTheLastLineWithoutLineEndIsFound) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[Common]\nNaper=4;\n[Remark]");
  TReadNF reader(path, 0);
  EXPECT_EQ(reader.ReadSection("[Remark]"), 1);
}

TEST(ReadNFSections, FirstOfTwoEqualHeadersIsRead) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nA=1;\n[S]\nA=2;\n");
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[s]"), 1);
  int a = 0;
  reader.AddInt("A", &a);
  reader.ParseSection(0);
  EXPECT_EQ(a, 1);
}

TEST(ReadNFSections, MissingFileKeepsDefaults) {
  TScratchFiles files;
  TReadNF reader;
  EXPECT_EQ(reader.Open(files.PathOf("none.os"), 0), nullptr);
  EXPECT_EQ(reader.ReadSection("[Common]"), 0);
  int naper = 7;
  reader.AddInt("Naper", &naper);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_EQ(naper, 7);
}

TEST(ReadNFSections, OnlyOrdinaryFilesAreOpened) {
  TScratchFiles files;
  TReadNF reader;
  EXPECT_EQ(reader.Open(files.directory, 0), nullptr);
  EXPECT_EQ(reader.Open(files.directory, 1), nullptr);
  // A device without line ends would keep the reader reading for ever.
  EXPECT_EQ(reader.Open("/dev/zero", 0), nullptr);
  EXPECT_EQ(reader.ReadSection("[Common]"), 0);
}

TEST(ReadNFSections, EmptyHeaderNamesNoSection) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "\n[A]\nX=1;\n");
  TReadNF reader(path, 0);
  EXPECT_EQ(reader.ReadSection(""), 0);
  TReadNF writer;
  ASSERT_NE(writer.Open(path, 1), nullptr);
  EXPECT_EQ(writer.SelectSection(""), 0);
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "\n[A]\nX=1;\n");
}

TEST(ReadNFSections, ReadsAWholeSystemLikeFile) {
  TScratchFiles files;
  const std::string path = files.Write("triplet.os", kSystemText);
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  int naper = 0;
  double dentr = 0.0;
  double lambda[4] = {0.0, 0.0, 0.0, -1.0};
  char name[64] = "";
  reader.AddInt("Naper", &naper);
  reader.AddDouble("Dentr", &dentr);
  reader.AddDouble("Lambda", lambda, 4);
  reader.AddString("Name", name);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(naper, 3);
  EXPECT_APPROX(dentr, 12.5, kReadTolerance);
  EXPECT_APPROX(lambda[0], 0.48, kReadTolerance);
  EXPECT_APPROX(lambda[1], 0.5461, kReadTolerance);
  EXPECT_APPROX(lambda[2], 0.6563, kReadTolerance);
  EXPECT_EQ(lambda[3], -1.0);
  // An unquoted text runs to the end of the line, commas and blanks included.
  EXPECT_STREQ(name, "Cooke triplet, f 50");

  ASSERT_EQ(reader.ReadSection("[Surfaces]"), 1);
  double radius[4] = {0, 0, 0, 0};
  float thickness[4] = {0, 0, 0, 0};
  STRING glass[4];
  reader.AddDouble("R", radius, 4);
  reader.AddFloat("Ex", thickness, 4);
  reader.AddText("Glass", glass, 4);
  EXPECT_EQ(reader.ParseSection(0), 1);
  // The empty line between the second and third record does not restart the count.
  EXPECT_APPROX(radius[0], 21.48, kReadTolerance);
  EXPECT_APPROX(radius[1], -124.1, kReadTolerance);
  EXPECT_APPROX(radius[2], -19.1, kReadTolerance);
  EXPECT_APPROX(thickness[0], 2.5, kFloatTolerance);
  EXPECT_APPROX(thickness[2], 1.0, kFloatTolerance);
  EXPECT_EQ(std::string(glass[0]), "SK16_main");
  EXPECT_EQ(std::string(glass[1]), "");
  EXPECT_EQ(std::string(glass[2]), "F4_main");
  EXPECT_EQ(radius[3], 0.0);
}

TEST(ReadNFItems, CarriageReturnLineEndsReadAlike) {
  TScratchFiles files;
  std::string crlf;
  for (const char c : std::string(kSystemText)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const std::string path = files.Write("crlf.os", crlf);
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  char name[64] = "";
  int naper = 0;
  reader.AddString("Name", name);
  reader.AddInt("Naper", &naper);
  reader.ParseSection(0);
  EXPECT_STREQ(name, "Cooke triplet, f 50");
  EXPECT_EQ(naper, 3);
  ASSERT_EQ(reader.ReadSection("[Surfaces]"), 1);
  STRING glass[3];
  reader.AddText("Glass", glass, 3);
  reader.ParseSection(0);
  EXPECT_EQ(std::string(glass[2]), "F4_main");
}

TEST(ReadNFItems, IndexInParenthesesAndListsFillElements) {
  TScratchFiles files;
  const std::string path =
      files.Write("a.os", "[S]\nLambda(3)=0.7; W=1, 2, 3\nW(1)=5, 6\nK(2.9)=4;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  double lambda[4] = {0, 0, 0, 0};
  int w[3] = {0, 0, 0};
  long k[3] = {0, 0, 0};
  reader.AddDouble("lambda", lambda, 4);
  reader.AddInt("W", w, 3);
  reader.AddLong("K", k, 3);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_APPROX(lambda[3], 0.7, kReadTolerance);
  EXPECT_EQ(lambda[0], 0.0);
  // The second line restarts at element 1 and overwrites elements 1 and 2.
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(w[1], 5);
  EXPECT_EQ(w[2], 6);
  EXPECT_EQ(k[2], 4);
}

TEST(ReadNFItems, RecordsCountOnPastCommentsKeysAndBlankLines) {
  TScratchFiles files;
  const std::string path = files.Write("a.os",
                                       "[S]\n{ Y=1; }\n{ Y=2; }\n! comment\n{ Y=3; }\n"
                                       "Z=9;\n{ Y=4; }\n\n{ Y=5 }\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int y[5] = {0, 0, 0, 0, 0};
  reader.AddInt("Y", y, 5);
  reader.ParseSection(0);
  // No line between records sends the next one back to element 0 over an earlier one.
  for (int k = 0; k < 5; ++k) EXPECT_EQ(y[k], k + 1) << k;
  // Read again, the records give their elements a first time again: nothing is named.
  reader.ReadSection("[S]");
  int z = 0;
  reader.AddInt("Y", y, 5);
  reader.AddInt("Z", &z);
  reader.ParseSection(0);
  EXPECT_EQ(KeyNotesText(reader.KeyNotes(), ""), "");
}

// A list or an index in parentheses on a line between records moves no record.
TEST(ReadNFItems, RecordsAfterAListOrIndexedLineCountOn) {
  TScratchFiles files;
  const std::string path = files.Write("b.os",
                                       "[S]\nLambda=0.5, 0.6, 0.7\n{ Y=1; }\n{ Y=2; }\n"
                                       "K(3)=8\n{ Y=3; }\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int y[4] = {0, 0, 0, 0};
  double lambda[3] = {0.0, 0.0, 0.0};
  double k[4] = {0.0, 0.0, 0.0, 0.0};
  reader.AddInt("Y", y, 4);
  reader.AddDouble("Lambda", lambda, 3);
  reader.AddDouble("K", k, 4);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_APPROX(lambda[2], 0.7, kReadTolerance);
  EXPECT_APPROX(k[3], 8.0, kReadTolerance);
  EXPECT_EQ(y[0], 1);
  EXPECT_EQ(y[1], 2);
  EXPECT_EQ(y[2], 3);
  EXPECT_EQ(y[3], 0);
}

TEST(ReadNFItems, QuotedValuesKeepEveryDelimiter) {
  TScratchFiles files;
  const std::string quoted = "a;b=c,d!e(f)/g";
  const std::string path = files.Write(
      "a.os", "[S]\nS1=\"" + quoted + "\"; T1=\"" + quoted + "\"; Skip=\"x;Y=7,!\"; Y=8;\n" +
                  "L=\"" + quoted + "\"\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  char s1[32] = "";
  STRING t1;
  char listBuffer[32] = "";
  char *list[1] = {listBuffer};
  int y = 0;
  reader.AddString("S1", s1);
  reader.AddText("T1", &t1);
  reader.AddStringList("L", list, 1, 32);
  reader.AddInt("Y", &y);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(std::string(s1), quoted);
  EXPECT_EQ(std::string(t1), quoted);
  EXPECT_EQ(std::string(listBuffer), quoted);
  // The "Y=7" inside the skipped quote is not read.
  EXPECT_EQ(y, 8);
}

TEST(ReadNFItems, QuotedTextListsFillConsecutiveElements) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nFiles=\"a.os\", \"b, c.os\"\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  STRING names[2];
  reader.AddText("Files", names, 2);
  reader.ParseSection(0);
  EXPECT_EQ(std::string(names[0]), "a.os");
  EXPECT_EQ(std::string(names[1]), "b, c.os");
}

TEST(ReadNFItems, NumbersNotWholeOfTheirKindKeepTheirValue) {
  TScratchFiles files;
  const std::string path =
      files.Write("a.os", "[S]\nA=2.9; B=-3; C=; D=??; E=1.5e1x; F= 1 2 ;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 7, b = 7, c = 7;
  double d = 7.0, e = 7.0, f = 7.0;
  reader.AddInt3("A", &a, "B", &b, "C", &c);
  reader.AddDouble3("D", &d, "E", &e, "F", &f);
  reader.ParseSection(0);
  EXPECT_EQ(a, 7) << "a whole number key takes no fraction";
  EXPECT_EQ(b, -3);
  EXPECT_EQ(c, 7);
  EXPECT_EQ(d, 7.0);
  EXPECT_EQ(e, 7.0);
  // Blanks inside a number are removed before conversion.
  EXPECT_APPROX(f, 12.0, kReadTolerance);
  const std::string told = KeyNotesText(reader.KeyNotes(), "");
  for (const char *said : {"A=2.9, which is not a whole number; it is not read, 7 is used", "C=, which is empty",
                           "D=??, which is not a number", "E=1.5e1x, which is not a number"})
    EXPECT_NE(told.find(said), std::string::npos) << said << "\n" << told;
}

TEST(ReadNFItems, SemicolonWithoutBlankStillSeparatesItems) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nAb=1;Bc=2;\tCd=3; De=4\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int ab = 0, bc = 0, cd = 0, de = 0;
  reader.AddInt4("AB", &ab, "bc", &bc, "Cd", &cd, "dE", &de);
  reader.ParseSection(0);
  EXPECT_EQ(ab, 1);
  EXPECT_EQ(bc, 2);
  EXPECT_EQ(cd, 3);
  EXPECT_EQ(de, 4);
}

TEST(ReadNFItems, GroupFormsGiveTheirTrailingArgumentsToEveryKey) {
  TScratchFiles files;
  const std::string path = files.Write(
      "a.os",
      "[S]\nF=1.5, 2.5; G=3.5, 4.5, 5.5\nL1=1; L2=2; L3=3; L4=4; L5=5; L6=6\n"
      "A=\"abcdef\"; B=\"xy\"; C=\"q\"\nP=\"p0\", \"p1\"; Q=\"q0\", \"q1\"\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  float f[2] = {0.0f, 0.0f}, g[2] = {0.0f, 0.0f};
  long l[6] = {0, 0, 0, 0, 0, 0};
  char a[4] = "", b[4] = "", c[4] = "";
  char p0[8] = "", p1[8] = "", q0[8] = "", q1[8] = "";
  char *p[2] = {p0, p1};
  char *q[2] = {q0, q1};
  reader.AddFloat2("F", f, "G", g, 2);
  reader.AddLong6("L1", &l[0], "L2", &l[1], "L3", &l[2], "L4", &l[3], "L5", &l[4], "L6", &l[5]);
  reader.AddString3("A", a, "B", b, "C", c, 4);
  reader.AddStringList2("P", p, "Q", q, 2, 8);
  EXPECT_EQ(reader.IdentifierCount(), 13);
  // G's third value and A's tail do not fit what was registered.
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_APPROX(f[0], 1.5, kFloatTolerance);
  EXPECT_APPROX(f[1], 2.5, kFloatTolerance);
  EXPECT_APPROX(g[0], 3.5, kFloatTolerance);
  EXPECT_APPROX(g[1], 4.5, kFloatTolerance);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(l[i], i + 1);
  EXPECT_EQ(std::string(a), "abc");
  EXPECT_EQ(std::string(b), "xy");
  EXPECT_EQ(std::string(c), "q");
  EXPECT_EQ(std::string(p0), "p0");
  EXPECT_EQ(std::string(p1), "p1");
  EXPECT_EQ(std::string(q0), "q0");
  EXPECT_EQ(std::string(q1), "q1");
  EXPECT_NE(reader.Faults() & kReadNFIndexOutOfRange, 0u);
  EXPECT_NE(reader.Faults() & kReadNFValueTooLong, 0u);
}

TEST(ReadNFItems, StraySignWhereAKeyStandsIsNamedAndAnEmptyItemLosesNothing) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nA=1;; B=2\nC=3;(D=4; E=5\n{ F=6; =G=7; }\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0, g = 0;
  reader.AddInt4("A", &a, "B", &b, "C", &c, "D", &d);
  reader.AddInt3("E", &e, "F", &f, "G", &g);
  reader.ParseSection(0);
  EXPECT_EQ(b, 2) << "the item after an empty one is read";
  EXPECT_EQ(c, 3);
  EXPECT_EQ(f, 6);
  const std::string told = KeyNotesText(reader.KeyNotes(), "");
  for (const char *said : {"line 3: [S] holds \"(D=4; E=5\"", "line 4: [S] holds \"=G=7; }\""})
    EXPECT_NE(told.find(said), std::string::npos) << said << "\n" << told;
  EXPECT_EQ(told.find("line 2"), std::string::npos) << told;
}

TEST(ReadNFItems, KeysWithoutSemicolonAndBlanksInKeys) {
  TScratchFiles files;
  const std::string path = files.Write("RodIru2Z.ini", "[Save]\nEnableSave=1\nN Step Undo = 12\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[Save]");
  int enable = 0;
  int steps = 0;
  reader.AddInt2("EnableSave", &enable, "NStepUndo", &steps);
  reader.ParseSection(0);
  EXPECT_EQ(enable, 1);
  EXPECT_EQ(steps, 12);
}

TEST(ReadNFItems, ExclamationMarkEndsTheItems) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nA=1 ! B=2;\n!B=3;\nC=4; ! D=5\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 0, b = 0, c = 0, d = 0;
  reader.AddInt4("A", &a, "B", &b, "C", &c, "D", &d);
  reader.ParseSection(0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(c, 4);
  EXPECT_EQ(d, 0);
}

TEST(ReadNFItems, CaretLineEndsTheSection) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nA=1;\n^\nA=2;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 0;
  reader.AddInt("A", &a);
  reader.ParseSection(0);
  EXPECT_EQ(a, 1);
}

TEST(ReadNFItems, FileWithoutHeaderReadsFromTheStart) {
  TScratchFiles files;
  const std::string path = files.Write("obj.txt", "Size=4; Step=0.25\n[Other]\nSize=9;\n");
  TReadNF reader(path, 0);
  int size = 0;
  double step = 0.0;
  reader.AddInt("Size", &size);
  reader.AddDouble("Step", &step);
  reader.ParseSection(1);
  EXPECT_EQ(size, 4);
  EXPECT_APPROX(step, 0.25, kReadTolerance);
  EXPECT_FALSE(reader.IsOpen());
}

TEST(ReadNFItems, RegistrationsEndAtTheNextSection) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[A]\nX=1;\n[B]\nX=2;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[A]");
  int x = 0;
  reader.AddInt("X", &x);
  EXPECT_EQ(reader.IdentifierCount(), 1);
  reader.ReadSection("[B]");
  EXPECT_EQ(reader.IdentifierCount(), 0);
  reader.ParseSection(0);
  EXPECT_EQ(x, 0);
}

TEST(ReadNFItems, FirstRegistrationOfANameWins) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[A]\nX=5;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[A]");
  int first = 0;
  int second = 0;
  reader.AddInt2("x", &first, "X", &second);
  reader.ParseSection(0);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(second, 0);
}

TEST(ReadNFItems, NextSectionNameWalksTheFileAndEnds) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "junk\n[One]\nA=1;\n[Two]\nA=2;\n");
  TReadNF reader(path, 0);
  int sum = 0;
  int sections = 0;
  for (std::string header = reader.NextSectionName(); !header.empty() && sections < 10;
       header = reader.NextSectionName()) {
    ++sections;
    ASSERT_EQ(reader.ReadSection(header), 1);
    int a = 0;
    reader.AddInt("A", &a);
    reader.ParseSection(0);
    sum += a;
  }
  EXPECT_EQ(sections, 2);
  EXPECT_EQ(sum, 3);
}

TEST(ReadNFBadInput, ListLongerThanItsArrayStopsAtTheEnd) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nV=1, 2, 3, 4, 5\nV(7)=9; V(-1)=9\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  struct {
    int before = -1;
    int values[3] = {0, 0, 0};
    int after = -1;
  } guarded;
  reader.AddInt("V", guarded.values, 3);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_NE(reader.Faults() & kReadNFIndexOutOfRange, 0u);
  EXPECT_EQ(guarded.values[0], 1);
  EXPECT_EQ(guarded.values[2], 3);
  EXPECT_EQ(guarded.before, -1);
  EXPECT_EQ(guarded.after, -1);
}

TEST(ReadNFBadInput, TooManyRecordsForTheTexts) {
  TScratchFiles files;
  std::string text = "[S]\n";
  for (int i = 0; i < 5; ++i) text += "{ G=\"g" + std::to_string(i) + "\" }\n";
  const std::string path = files.Write("a.os", text);
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  STRING names[2];
  reader.AddText("G", names, 2);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_EQ(std::string(names[1]), "g1");
}

TEST(ReadNFBadInput, LongTextIsCutToItsBuffer) {
  TScratchFiles files;
  const std::string path =
      files.Write("a.os", "[S]\nName=" + std::string(600, 'n') + "\nOther=\"abcdefghij\"\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  struct {
    char name[8];
    char guard[4] = {'g', 'g', 'g', '\0'};
  } buffers;
  char other0[4] = "";
  char *other[1] = {other0};
  reader.AddString("Name", buffers.name, 8);
  reader.AddStringList("Other", other, 1, 4);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_NE(reader.Faults() & kReadNFValueTooLong, 0u);
  EXPECT_STREQ(buffers.name, "nnnnnnn");
  EXPECT_STREQ(buffers.guard, "ggg");
  EXPECT_STREQ(other0, "abc");
}

// A whole number beyond its type is named and not stored: never the nearest one that fits.
TEST(ReadNFBadInput, NumbersBeyondTheirTypeAreNamedOrClamped) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nI=1e20; J=-1e20; K=nan; F=1e300; D=1e999\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int i = 0, j = 0, k = 5;
  float f = 0.0f;
  double d = 0.0;
  reader.AddInt3("I", &i, "J", &j, "K", &k);
  reader.AddFloat("F", &f);
  reader.AddDouble("D", &d);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_NE(reader.Faults() & kReadNFNumberOutOfRange, 0u);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
  const std::string told = KeyNotesText(reader.KeyNotes(), "");
  EXPECT_NE(told.find("line 2: [S] gives I=1e20, which is too large for its key; it is not read, 0 is used."), std::string::npos) << told;
  EXPECT_NE(told.find("J=-1e20, which is too large"), std::string::npos) << told;
  EXPECT_EQ(k, 5);
  EXPECT_EQ(f, std::numeric_limits<float>::max());
  EXPECT_TRUE(std::isinf(d));
}

TEST(ReadNFBadInput, TruncatedFileReadsWhatIsThere) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\nR=1.5; Name=\"abc");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  double r = 0.0;
  char name[16] = "";
  reader.AddDouble("R", &r);
  reader.AddString("Name", name);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_NE(reader.Faults() & kReadNFUnclosedQuote, 0u);
  EXPECT_APPROX(r, 1.5, kReadTolerance);
  EXPECT_STREQ(name, "abc");
}

TEST(ReadNFBadInput, OverlongLineIsFlaggedAndTheNextLineRead) {
  TScratchFiles files;
  const std::string longLine = "Key" + std::string(kReadNFMaxLine + 100, 'k') + "=1;";
  const std::string path = files.Write("a.os", "[S]\n" + longLine + "\nA=2;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 0;
  reader.AddInt("A", &a);
  EXPECT_EQ(reader.ParseSection(0), 0);
  EXPECT_NE(reader.Faults() & kReadNFLineTooLong, 0u);
  EXPECT_EQ(a, 2);
}

TEST(ReadNFBadInput, OverlongKeyIsJustAnUnknownKey) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[S]\n" + std::string(5000, 'K') + "=1; A=2;\n");
  TReadNF reader(path, 0);
  reader.ReadSection("[S]");
  int a = 0;
  reader.AddInt("A", &a);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(a, 2);
}

TEST(ReadNFBadInput, RandomBytesNeverBreakTheReader) {
  const unsigned seed = 20261207u;
  std::printf("random seed %u\n", seed);
  std::mt19937 random(seed);
  TScratchFiles files;
  for (int round = 0; round < 40; ++round) {
    std::string text = "[S]\n";
    const int length = 1 + static_cast<int>(random() % 3000);
    const std::string alphabet = "{}()=;,!/\"[]^ \t\r\n0123456789.-eAbV";
    for (int i = 0; i < length; ++i) {
      text += (random() % 4 == 0) ? static_cast<char>(random() % 256)
                                  : alphabet[random() % alphabet.size()];
    }
    const std::string path = files.Write("garbled.os", text);
    TReadNF reader(path, 0);
    ASSERT_EQ(reader.ReadSection("[S]"), 1);
    double values[4] = {0, 0, 0, 0};
    int ints[2] = {0, 0};
    char name[8] = "";
    STRING texts[2];
    reader.AddDouble("A", values, 4);
    reader.AddInt("b", ints, 2);
    reader.AddString("V", name);
    reader.AddText("e", texts, 2);
    reader.ParseSection(0);
    EXPECT_LT(std::char_traits<char>::length(name), sizeof name);
    while (!reader.NextSectionName().empty()) {
    }
  }
}

// What a reader learns of a file before it reads a section: each damage has its fault.
TEST(ReadNFScan, JudgesTheWholeFileBeforeReading) {
  TScratchFiles files;
  struct TCase {
    const char *name;
    std::string text;
    int headers;
    unsigned faults;
    bool empty;
  };
  const TCase cases[] = {
      {"whole", "[A]\nX=1\n[B]\nY=2\n", 2, 0u, false},
      {"empty", "", 0, 0u, true},
      {"blank lines", "\n  \n\t\n", 0, 0u, true},
      {"cut inside a line", "[A]\nX=1\n[B]\nY=", 2, kReadNFCutShort, false},
      {"cut inside a header", "[A]\nX=1\n[Bet", 2, kReadNFCutShort | kReadNFBrokenHeader, false},
      {"zero byte", std::string("[A]\nX=\0\n", 8), 1, kReadNFGarbled, false},
      {"huge line", "[A]\n" + std::string(kReadNFMaxLine + 10, 'x') + "\n", 1, kReadNFLineTooLong, false},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.name);
    TReadNF reader(files.Write("scan.txt", c.text), 0);
    EXPECT_EQ(reader.ScanFile(), c.headers);
    EXPECT_EQ(reader.Faults(), c.faults);
    EXPECT_EQ(reader.ScannedEmpty(), c.empty);
  }
  // The reader stands at the start afterwards: the sections read as usual.
  TReadNF reader(files.Write("scan.txt", "[A]\nX=1.5\n"), 0);
  reader.ScanFile();
  double x = 0.0;
  ASSERT_EQ(reader.ReadSection("[A]"), 1);
  reader.AddDouble("X", &x);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(x, 1.5);
  TReadNF missing;
  missing.Open(files.PathOf("missing.txt"), 0);
  EXPECT_EQ(missing.ScanFile(), -1);
}

TEST(ReadNFParse, NumbersThatAreNoneAreStoredButNamed) {
  TScratchFiles files;
  TReadNF reader(files.Write("nan.txt", "[A]\nX=nan; Y=inf; Z=1e999; W=2\n"), 0);
  double values[4] = {};
  ASSERT_EQ(reader.ReadSection("[A]"), 1);
  reader.AddDouble("X", &values[0]);
  reader.AddDouble("Y", &values[1]);
  reader.AddDouble("Z", &values[2]);
  reader.AddDouble("W", &values[3]);
  reader.ParseSection(0);
  EXPECT_NE(reader.Faults() & kReadNFNotFinite, 0u);
  EXPECT_EQ(values[0], 0.0) << "not a number is not stored";
  EXPECT_EQ(values[3], 2.0);
  TReadNF plain(files.Write("plain.txt", "[A]\nX=1.5e3\n"), 0);
  plain.ReadSection("[A]");
  plain.AddDouble("X", &values[0]);
  plain.ParseSection(0);
  EXPECT_EQ(plain.Faults(), 0u);
}

// Each file below holds one thing its reader (X, a list L of three, records of R) does not
// take as written; the note names it by line. A section read twice knows the keys of both
// reads; indexed keys and records repeat nothing.
TEST(ReadNFParse, KeysNotTakenAreNamedByLine) {
  TScratchFiles files;
  const struct {
    const char *body;
    const char *told;  // "" when the reader takes everything
  } cases[] = {
      {"X=1\nL=1,2,3\n{ R=1 }\n{ R=2 }\n", ""},
      {"X=1; Y=2\n", "line 2: [A] holds the key Y, which this program does not know; it is not read.\n"},
      {"X=1\n{ R=1; Rr=2 }\n", "line 3: [A] holds the key Rr,"},
      {"X=1\nL(0)=1; L(1)=2; X=3\n", "line 3: [A] gives X a second time; the later value is used.\n"},
      {"{ R=1; R=2 }\n", "line 2: [A] gives R a second time"},
      {"X=9\n", "line 2: X=9 is outside 0 to 5; it is not read, 4 is used.\n"},
      {"L=1,nan\n", "line 2: [A] gives L=nan, which is not a number; it is not read, 0 is used.\n"},
      {"Z=1\n", ""},
      {"{ R=1, 5; X=2 }\n{ R=2 }\n", "line 2: [A] gives R more than one value in a record; the first is used.\n"},
      {"L=1,2,3,4,5; X=1\n", "line 2: [A] gives L more than its 3 values; the rest are not read.\n"},
      {"X?1; L=1\n", "line 2: [A] holds \"X?1\" where a key=value item stands; it is not read.\n"},
      {"Q=1,2; X=1\n", "line 2: [A] holds the key Q, which this program does not know; it is not read.\n"},
      {"X=\n", "line 2: [A] gives X=, which is empty; it is not read, 4 is used.\n"},
      {"{ G=abc; Rx=2 }\n", "line 2: [A] holds the key Rx,"},
      {"{ R=1; G=; }\n", "line 2: [A] gives G=, which is empty; it is not read.\n"},
      {"{ G=\"a\" }\n", "line 2: [A] holds its record 1 without the key R that every record gives; 0 is used.\n"},
      {"{ R=1 } { R=2 }\n", "line 2: [A] holds \"{ R=2 }\" after the brace that ends a record; it is not read.\n"},
      {"{ R=1; G=abc } X=1\n", "line 2: [A] holds \"X=1\" after the brace that ends a record; it is not read.\n"},
      {"X=1\n[A]\nX=2\n", "line 3: the section [A] is given a second time; only the first is read.\n"},
      {"{ R=1 }\nR=2; G=\"b\"\n{ R=3 }\n", "line 3: [A] holds the keys of a record without its braces; they are read as record 2.\n"},
      {"L=1,2\nL(1)=3\n", "line 3: [A] gives element 2 of L(1) a second time: its records or lists may have lost"},
      {"{ R=1 }\n[ R=2 }\n{ R=3 }\n", "line 3: [A] ends at \"[ R=2 }\", a damaged header, before more records; they"},
      {"X=2=; L=1\n", "line 2: [A] gives X=2=, which ends in a stray \"=\"; it is not read, 4 is used.\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.body);
    TReadNF reader(files.Write("keys.txt", std::string("[A]\n") + c.body), 0);
    double x = 4.0, z = 0.0, list[3] = {}, records[4] = {};
    STRING glasses[4];
    ASSERT_EQ(reader.ReadSection("[A]"), 1);
    reader.AddDouble("X", &x);
    reader.AddDouble("L", list, 3);
    reader.AddDouble("R", records, 4);
    reader.AddText("G", glasses, 4);
    reader.Require("R");
    reader.Quote("G");
    reader.Limit("x", 0.0, 5.0);
    reader.Limit("L", 0.0, 5.0);
    reader.ParseSection(0);
    reader.ReadSection("[A]");
    reader.AddDouble("Z", &z);
    reader.ParseSection(0);
    if (std::string(c.body) == "X=9\n") {
      EXPECT_EQ(x, 4.0) << "a value out of range is not stored";
    }
    // The keys after a list in a record stay in that record.
    if (c.body[0] == '{' && c.body[6] == ',') {
      EXPECT_EQ(x, 2.0);
    }
    const std::string told = KeyNotesText(reader.KeyNotes(), "");
    EXPECT_EQ(told.substr(0, std::strlen(c.told)), c.told);
    EXPECT_EQ(told.empty(), *c.told == '\0') << told;
  }
}

// However many unknown keys a file holds, twelve are named, each on its line, and one more
// line counts the rest, with the file's name in front of each.
TEST(ReadNFParse, TwelveKeyNotesAreShownAndTheRestCounted) {
  TScratchFiles files;
  for (int unknown = 0; unknown <= 15; ++unknown) {
    SCOPED_TRACE(unknown);
    std::string body = "[A]\nX=1\n";
    for (int k = 0; k < unknown; ++k) body += "Y" + std::to_string(k) + "=1\n";
    TReadNF reader(files.Write("many.txt", body), 0);
    double x = 0.0;
    ASSERT_EQ(reader.ReadSection("[A]"), 1);
    reader.AddDouble("X", &x);
    reader.ParseSection(0);
    const std::string told = KeyNotesText(reader.KeyNotes(), "F");
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = told.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(told.substr(at, end - at));
    const int shown = std::min(unknown, 12);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(shown + (unknown > 12 ? 1 : 0))) << told;
    for (int k = 0; k < shown; ++k) {
      EXPECT_EQ(lines[k], "F, line " + std::to_string(k + 3) + ": [A] holds the key Y" + std::to_string(k) +
                              ", which this program does not know; it is not read.");
    }
    if (unknown > 12) {
      EXPECT_EQ(lines.back(), "F: " + std::to_string(unknown - 12) + " more such key(s) are not shown.");
    }
  }
}

// The keys a writer gives a section, read off its text: one the file's section lacks is
// named by the section's line with the value written; a section holding less than half of
// them was written by hand; text before the first header is named.
TEST(ReadNFParse, KeysTheWriterGivesThatASectionLacksAreNamedWithTheValueUsed) {
  const std::string written = "[A]\nX=1; Y=2,3\nZ=4\n{ R=1 }\n[B]\nQ=1\n";
  EXPECT_EQ(KeyNotesText(KeysLeftOut("\n[a]\nX=1\nZ=4\n", written), "f"),
            "f, line 2: [a] lacks the key Y that is always written there; Y=2,3 is used.\n");
  EXPECT_TRUE(KeysLeftOut("[A]\nZ=4\n", written).empty());
  EXPECT_EQ(KeysLeftOut("[A]\nZ=4\n", written, {"x"}, false).size(), 1u);
  // A line whose first byte became '[' carries the keys after it under a header of its own:
  // the few left were not written by hand.
  EXPECT_EQ(KeyNotesText(KeysLeftOut("[A]\nX=1\n[=2,3\nZ=4\n", written), "f"),
            "f, line 1: [A] lacks the key Y that is always written there; Y=2,3 is used.\n"
            "f, line 1: [A] lacks the key Z that is always written there; Z=4 is used.\n");
  // A value the writer gives otherwise is told; the same numbers written otherwise are not.
  EXPECT_TRUE(ValuesReplaced("[A]\nY=2.0,3;\n", written, "[a]").empty());
  ASSERT_EQ(ValuesReplaced("[A]\nY=2,4\n", written, "[a]").size(), 1u);
  EXPECT_EQ(ValuesReplaced("[A]\nY=2,4\n", written, "[a]")[0].kept, "2,3");
  TScratchFiles files;
  TReadNF reader(files.Write("lost.txt", "X=1\n[A]\nX=1\n"), 0);
  reader.NameUnknownSections();
  reader.ReadSection("[A]");
  EXPECT_EQ(KeyNotesText(reader.KeyNotes(), ""), "line 1: \"X=1\" stands before the first section; it is not read.\n");
}
