// The same files in every locale: a desktop with a decimal comma (German, Russian) must
// neither read nor write a number differently.
#include <clocale>
#include <filesystem>
#include <map>

#include "document/system/tests/editor_test_support.h"

namespace {

std::vector<std::string> ExampleNames() {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::path(ExamplePath("singlet.os")).parent_path()))
    if (entry.path().extension() == ".os") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Sets a numeric locale by name for the guard's life; Active when it reads a decimal comma.
class TNumericLocale {
 public:
  explicit TNumericLocale(const std::string &name) {
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = previous != nullptr ? previous : "C";
    for (const std::string &spelling : {name + ".UTF-8", name + ".utf8"}) {
      if (std::setlocale(LC_NUMERIC, spelling.c_str()) == nullptr) continue;
      active_ = std::localeconv()->decimal_point[0] == ',';
      if (active_) return;
    }
    std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  ~TNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  TNumericLocale(const TNumericLocale &) = delete;
  TNumericLocale &operator=(const TNumericLocale &) = delete;
  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

class SystemImageLocaleTest : public EditorTest {};

TEST_F(SystemImageLocaleTest, EveryExampleOpensAndSavesToTheSameBytesUnderADecimalComma) {
  const std::vector<std::string> examples = ExampleNames();
  ASSERT_GE(examples.size(), 10u);
  std::map<std::string, std::string> plain;
  std::map<std::string, int> plainElements;
  for (const std::string &example : examples) {
    TSystemImage image;
    ASSERT_EQ(image.Load(ExamplePath(example), 2), 1) << example;
    plainElements[example] = image.ElementCount();
    const std::string path = Scratch("C_" + example);
    ASSERT_EQ(image.Save(path), 1) << example;
    plain[example] = ReadText(path);
  }
  // Five lenses in the double Gauss: counted by the air between them.
  EXPECT_EQ(plainElements["double_gauss.os"], 5);
  int localesTried = 0;
  for (const std::string locale : {"de_DE", "ru_RU"}) {
    TNumericLocale comma(locale);
    if (!comma.Active()) continue;
    ++localesTried;
    for (const std::string &example : examples) {
      SCOPED_TRACE(locale + " " + example);
      TSystemImage image;
      ASSERT_EQ(image.Load(ExamplePath(example), 2), 1);
      EXPECT_EQ(image.ElementCount(), plainElements[example]);
      const std::string path = Scratch(locale + "_" + example);
      ASSERT_EQ(image.Save(path), 1);
      EXPECT_EQ(ReadText(path), plain[example]);
    }
  }
  if (localesTried == 0)
    GTEST_SKIP() << "neither de_DE nor ru_RU is generated here; scripts/build.sh test makes them";
}

}  // namespace
