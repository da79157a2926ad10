#include "foundation/containers/string_class.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/containers/mem.h"

namespace {

std::string Upper(const std::string &text) {
  std::string result = text;
  for (char &c : result) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return result;
}

TEST(STRING, ConvertsBothWaysWithTheRuntimeString) {
  STRING name = "bk7_schott";
  const std::string plain = name;
  STRING back = Upper(plain);
  EXPECT_EQ(back, "BK7_SCHOTT");
  back = std::string("f2");
  EXPECT_EQ(back.size(), 2u);
  back = "refl";
  EXPECT_EQ(back, STRING("refl"));
  const STRING repeated(3, 'x');
  EXPECT_EQ(repeated, "xxx");
}

TEST(STRING, ListCellsAreIndependentCopies) {
  Mem<STRING> names(2);
  names.data[0] = "misc";
  Mem<STRING> copy(names);
  names.data[0] += ".dgc";
  EXPECT_EQ(copy.data[0], "misc");
  EXPECT_EQ(names.data[0], "misc.dgc");
  EXPECT_TRUE(copy.data[1].empty());
}

}  // namespace
