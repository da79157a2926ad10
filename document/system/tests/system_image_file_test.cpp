#include <map>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include "document/system/tests/editor_test_support.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/testing/key_damage.h"
#include "foundation/testing/small_disk.h"

namespace {

int Count(const Mem<double> &m) { return m.Cells(); }

// Configurations 0 to count - 1 of a and b.
void ExpectSameFirstConfigurations(const TSystemImage &a, const TSystemImage &b, int count) {
  ASSERT_GE(a.ConfigurationCount(), count);
  ASSERT_GE(b.ConfigurationCount(), count);
  for (int k = 0; k < count; ++k) {
    const TConfigurationParameters &p = a.configurations.data[k];
    const TConfigurationParameters &q = b.configurations.data[k];
    EXPECT_EQ(p.Naper, q.Naper) << k;
    EXPECT_EQ(p.Unit, q.Unit) << k;
    EXPECT_EQ(p.Dzr, q.Dzr) << k;
    ASSERT_EQ(Count(p.AlfaM), Count(q.AlfaM)) << k;
    for (int i = 0; i < Count(p.AlfaM); ++i) EXPECT_EQ(p.AlfaM.data[i], q.AlfaM.data[i]) << k;
    ASSERT_EQ(p.positions.cols, q.positions.cols) << k;
    for (int e = 0; e < p.positions.cols; ++e) {
      EXPECT_EQ(p.positions.data[e].x, q.positions.data[e].x) << k << " " << e;
      EXPECT_EQ(p.positions.data[e].y, q.positions.data[e].y) << k << " " << e;
      EXPECT_EQ(p.positions.data[e].z, q.positions.data[e].z) << k << " " << e;
    }
    EXPECT_EQ(p.imageStored, q.imageStored) << k;
    EXPECT_EQ(p.image.x, q.image.x) << k;
  }
}

void ExpectSameConfigurations(const TSystemImage &a, const TSystemImage &b) {
  ASSERT_EQ(a.ConfigurationCount(), b.ConfigurationCount());
  ExpectSameFirstConfigurations(a, b, a.ConfigurationCount());
}

class SystemImageFileTest : public EditorTest {
 protected:
  // The triplet with a second configuration: other fields, stop, unit and image shift, and
  // offsets that have no short decimal form.
  void OpenTwo(TSystemImage &image) {
    Open(image, "cooke_triplet.os");
    image.StoreConfiguration(-1);
    image.InsertConfiguration(0);
    TOpticalElement &first = image.elements.data[0];
    first.MoveTo(first.referencePoint.x + 0.1, first.referencePoint.y + 1.0 / 3.0,
                 first.referencePoint.z - 0.2);
    ASSERT_TRUE(image.info.AlfaM.Allocate(2, 1));
    image.info.AlfaM.data[0] = 0.0;
    image.info.AlfaM.data[1] = 7.0 / 3.0;
    image.info.Naper = 3;
    image.info.Unit = 1;
    image.Dzr = -0.7;
    image.StoreConfiguration(-1);
  }
  // The double Gauss in three configurations, each with its front lens moved and its own stop.
  void SaveThreeGauss(const std::string &path) {
    TSystemImage image;
    Open(image, "double_gauss.os");
    image.StoreConfiguration(-1);
    for (int k = 1; k <= 2; ++k) {
      image.InsertConfiguration(k - 1);
      ASSERT_EQ(image.SelectConfiguration(k), 1);
      TOpticalElement &front = image.elements.data[0];
      front.MoveTo(front.referencePoint.x - 0.5 * k, front.referencePoint.y, front.referencePoint.z);
      image.info.Naper = 3 + k;
      image.StoreConfiguration(-1);
    }
    ASSERT_EQ(image.ConfigurationCount(), 3);
    ASSERT_EQ(image.Save(path), 1);
  }
};

TEST_F(SystemImageFileTest, TwoConfigurationsSurviveLoadSaveLoadAndForeignSectionsStay) {
  TSystemImage image;
  OpenTwo(image);
  const std::string first = Scratch("two.os");
  WriteText(first, "[Foreign]\nKey=1;\n\n[foreign]\nsecond\n\n[Remark]\nkept\n");
  ASSERT_EQ(image.Save(first), 1);
  // Saving in the second configuration leaves it current, with its positions.
  EXPECT_EQ(image.currentConfiguration, 1);
  EXPECT_EQ(image.Dzr, -0.7);

  TSystemImage loaded;
  ASSERT_EQ(loaded.Load(first, 2), 1);
  ExpectSameConfigurations(image, loaded);
  EXPECT_EQ(loaded.currentConfiguration, 0);
  const std::string second = Scratch("again.os");
  ASSERT_EQ(loaded.Save(second), 1);
  TSystemImage again;
  ASSERT_EQ(again.Load(second, 2), 1);
  // The user's own section is named at each open, carried also into the other file, and
  // nothing else is said.
  ASSERT_EQ(BoxCount(), 2u);
  for (const auto &box : Boxes().boxes)
    EXPECT_EQ(box.text.find("holds sections this program does not know: [Foreign] (line"), box.text.find("holds"))
        << box.text;
  EXPECT_NE(ReadText(second).find("[Foreign]\nKey=1;\n"), std::string::npos);
  EXPECT_NE(ReadText(second).find("[foreign]\nsecond\n"), std::string::npos) << ReadText(second);
  ExpectSameConfigurations(image, again);
  // The second configuration applied to the reloaded system stands where it stood.
  ASSERT_EQ(again.SelectConfiguration(1), 1);
  const std::vector<DPOINT3> expected = Vertices(image);
  const std::vector<DPOINT3> actual = Vertices(again);
  for (int i = 0; i < again.SurfaceCount(); ++i) {
    EXPECT_EQ(actual[i].x, expected[i].x) << i;
    EXPECT_EQ(actual[i].y, expected[i].y) << i;
  }
  EXPECT_EQ(again.info.Naper, 3);
  EXPECT_EQ(again.Dzr, -0.7);
  // Saved again into the file that holds both of the user's sections, each is written once.
  ASSERT_EQ(again.Save(second), 1);
  const std::string resaved = ReadText(second);
  ASSERT_NE(resaved.find("[foreign]\nsecond\n"), std::string::npos) << resaved;
  EXPECT_EQ(resaved.find("[foreign]\nsecond\n"), resaved.rfind("[foreign]\nsecond\n")) << resaved;

  const std::string text = ReadText(first);
  EXPECT_NE(text.find("[Foreign]\nKey=1;\n"), std::string::npos);
  ASSERT_NE(text.find("[foreign]\nsecond\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("[foreign]\nsecond\n"), text.rfind("[foreign]\nsecond\n")) << text;
  // The remark goes with the system: the triplet's own replaces the one the file held.
  EXPECT_NE(text.find("[Remark]\nThe classic air-spaced triplet"), std::string::npos) << text;
  EXPECT_EQ(text.find("kept"), std::string::npos) << text;
  EXPECT_NE(text.find("[Config_2]"), std::string::npos);
  EXPECT_NE(text.find("dX(0)="), std::string::npos);
}

TEST_F(SystemImageFileTest, SectionsOfDeletedConfigurationsAreRemoved) {
  TSystemImage image;
  OpenTwo(image);
  image.InsertConfiguration(1);
  ASSERT_EQ(image.ConfigurationCount(), 3);
  const std::string path = Scratch("three.os");
  ASSERT_EQ(image.Save(path), 1);
  EXPECT_NE(ReadText(path).find("[Config_3]"), std::string::npos);
  image.DeleteConfiguration(2);
  image.DeleteConfiguration(1);
  ASSERT_EQ(image.Save(path), 1);
  const std::string text = ReadText(path);
  EXPECT_EQ(text.find("[Config_2]"), std::string::npos);
  EXPECT_EQ(text.find("[Config_3]"), std::string::npos);
  TSystemImage loaded;
  ASSERT_EQ(loaded.Load(path, 2), 1);
  EXPECT_EQ(loaded.ConfigurationCount(), 1);
}

TEST_F(SystemImageFileTest, DamagedSectionsKeepWhatFitsAndFallBack) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  const std::string path = Scratch("damaged.os");
  ASSERT_EQ(image.Save(path), 1);
  std::string text = ReadText(path);
  const std::size_t start = text.find("[Config_1]");
  ASSERT_NE(start, std::string::npos);
  text = text.substr(0, start) +
         "[Config_1]\nNaper=5\n"
         "[Config_2]\nNaper=2\nDzr=x\ndX(1)=0.5 ; dY(99)=7; dZ(-3)=1;\ndY(0)=nonsense;\n\n[End]\n";
  WriteText(path, text);
  TSystemImage loaded;
  ASSERT_EQ(loaded.Load(path, 2), 1);
  ASSERT_EQ(loaded.ConfigurationCount(), 2);
  const TConfigurationParameters &offsets = loaded.configurations.data[1];
  ASSERT_EQ(offsets.positions.cols, 3);
  EXPECT_EQ(offsets.positions.data[1].x, 0.5);
  EXPECT_EQ(offsets.positions.data[2].y, 0.0);
  EXPECT_EQ(offsets.Naper, 2);
  // The base configuration is where the surfaces stand.
  for (int e = 0; e < 3; ++e)
    EXPECT_EQ(loaded.configurations.data[0].positions.data[e].x,
              loaded.elements.data[e].referencePoint.x);
}

// A file of three configurations cut at every byte of its configuration sections: a
// configuration is taken whole or left out, and said; a section name left open refuses the
// file and keeps the open system. No configuration is ever made of the offsets it lost.
TEST_F(SystemImageFileTest, EveryByteCutOfTheConfigurationsKeepsOnlyWholeOnes) {
  const std::string path = Scratch("three.os");
  SaveThreeGauss(path);
  const std::string whole = ReadText(path);
  TSystemImage reference;
  ASSERT_EQ(reference.Load(path, 2), 1);
  const std::size_t first = whole.find("[Config_1]");
  const std::size_t end = whole.find("[End]");
  ASSERT_LT(first, end);
  for (std::size_t length = first + 1; length <= end + 5; ++length) {
    const std::string cut = whole.substr(0, length);
    SCOPED_TRACE(length);
    WriteText(Scratch("cut.os"), cut);
    TSystemImage loaded;
    Open(loaded, "cooke_triplet.os");
    const std::size_t boxes = BoxCount();
    const int tripletSurfaces = loaded.SurfaceCount();
    const int read = loaded.Load(Scratch("cut.os"), 2);
    const std::size_t lastHeader = cut.rfind("\n[") + 1;
    const bool openHeader = cut.find(']', lastHeader) == std::string::npos;
    const bool endRead = cut.compare(lastHeader, 5, "[End]") == 0;
    // Every configuration section followed by another section is whole; a refused file
    // keeps the open triplet's one.
    int sections = 0;
    for (std::size_t at = cut.find("[Config_"); at != std::string::npos; at = cut.find("[Config_", at + 1)) ++sections;
    const int kept = openHeader ? 1 : std::max(1, endRead ? sections : sections - 1);
    EXPECT_EQ(read, openHeader ? 0 : 1);
    ASSERT_EQ(loaded.ConfigurationCount(), kept);
    if (openHeader) {
      EXPECT_EQ(loaded.SurfaceCount(), tripletSurfaces) << "the open triplet stays";
    } else {
      ExpectSameFirstConfigurations(reference, loaded, kept);
    }
    if (!endRead) {
      ASSERT_EQ(BoxCount(), boxes + 1) << "a cut taken without a word";
      const std::string &told = Boxes().boxes.back().text;
      EXPECT_NE(told.find(openHeader ? "is not closed" : "that section is left out"), std::string::npos) << told;
    }
    if (HasFailure()) return;
  }
}

// A configuration header damaged or missing at any place: the configurations before it
// are read, and every section left out (or a section run into the one before) is named
// with its line, never dropped without a word. Values no configuration can hold are told.
TEST_F(SystemImageFileTest, DamagedConfigurationHeadersAndValuesAreTold) {
  const std::string path = Scratch("three.os");
  SaveThreeGauss(path);
  const std::string whole = ReadText(path);
  const struct {
    const char *header;  // the text replaced, the first after `within`
    const char *replacement;
    int kept;
    std::vector<std::string> told;
    const char *within = "[Config_1]";
  } cases[] = {
      {"[Config_1]", "[Config_-1]", 1, {"[Config_-1] (line", "[Config_2] (line", "[Config_3] (line"}},
      {"[Config_2]", "[Config_-2]", 1, {"[Config_-2] (line", "[Config_3] (line"}},
      {"[Config_2]", "[Config_99999999999]", 1, {"[Config_99999999999] (line", "[Config_3] (line"}},
      {"[Config_2]", "", 1, {"configuration 1 holds naper a second time", "[Config_3] (line"}},
      {"[Config_3]", "[Config_-3]", 2, {"[Config_-3] (line"}},
      {"[Config_3]", "", 2, {"configuration 2 holds naper a second time"}},
      {"dX(3)=", "Image=1e400,0,0; dX(99)=48.5; dX(3)=nan; unread=", 3,
       {"[Config_3] gives dX(3)=nan, which is not a number; it is not read.", "configuration 3: dX(99) names no element",
        "Image=1e400 is outside -1e+12 to 1e+12; it is not read, 0 is used", "[Config_3] holds the key unread,"},
       "[Config_3]"},
      // The element count itself is one past the last element.
      {"dX(3)=", "dX(5)=1; dX(3)=", 3, {"configuration 3: dX(5) names no element of the 5"}, "[Config_3]"},
      {"dX(3)=", "dX(3)=6#; unread=", 3, {"[Config_3] gives dX(3)=6#, which is not a number; it is not read."}, "[Config_3]"},
      // A configuration's values are judged as the same keys in [Common].
      {"Naper=", "Unit=9; Dzr=1e300; AlfaM=0,nan,14; Naper=-5; Naperr=", 3,
       {"Unit=9 is outside 0 to 2", "Dzr=1e300 is outside", "AlfaM=nan, which is not a number", "configuration 2: Naper=-5 names no surface",
        "[Config_2] holds the key Naperr,"},
       "[Config_2]"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.header) + " -> " + c.replacement);
    std::string text = whole;
    const std::size_t at = text.find(c.header, text.find(c.within));
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::strlen(c.header), c.replacement);
    WriteText(path, text);
    TSystemImage loaded;
    const std::size_t boxes = BoxCount();
    ASSERT_EQ(loaded.Load(path, 2), 1);
    EXPECT_EQ(loaded.ConfigurationCount(), c.kept);
    ASSERT_EQ(BoxCount(), boxes + 1);
    for (const std::string &part : c.told)
      EXPECT_NE(Boxes().boxes.back().text.find(part), std::string::npos) << Boxes().boxes.back().text;
    // A section run into the one before is told once, not key by key.
    const std::string &told = Boxes().boxes.back().text;
    EXPECT_EQ(told.find("a second time"), told.rfind("a second time")) << told;
    // A snapshot taken and restored (Undo) tells nothing again and keeps them with the file.
    ASSERT_EQ(loaded.SaveUndo("opened"), 1);
    ASSERT_EQ(loaded.SaveUndo("step"), 1);
    ASSERT_EQ(loaded.Undo(-1), 1);
    EXPECT_EQ(BoxCount(), boxes + 1);
    // The next save keeps every configuration section, read or left out, also under another name.
    ASSERT_EQ(loaded.Save(Scratch("other.os")), 1);
    ASSERT_EQ(loaded.Save(path), 1);
    // A section left out stays left out when the file is opened again, though the saved
    // configurations now close the gap before it.
    for (std::size_t h = text.find("\n[Config_"); h != std::string::npos; h = text.find("\n[Config_", h + 1))
      for (const std::string &saved : {path, Scratch("other.os")})
        EXPECT_NE(ReadText(saved).find(text.substr(h, text.find(']', h + 1) - h)), std::string::npos) << h << saved;
    TSystemImage reopened;
    const std::size_t beforeReopen = BoxCount();
    ASSERT_EQ(reopened.Load(path, 2), 1);
    EXPECT_EQ(reopened.ConfigurationCount(), c.kept);
    // The program's own left-out marks open quietly; a header the user damaged is named again.
    std::string retold;
    for (std::size_t k = beforeReopen; k < BoxCount(); ++k) retold += Boxes().boxes[k].text;
    EXPECT_EQ(retold.find(" left out] (line"), std::string::npos) << retold;
    if (c.replacement[0] == '[' && std::strchr(c.replacement, '-') != nullptr) {
      EXPECT_NE(retold.find(std::string(c.replacement) + " (line"), std::string::npos) << retold;
    }
    // Configurations added later never take a left-out section's place, and rounds of Save
    // and Undo write each left-out section once.
    loaded.InsertConfiguration(loaded.ConfigurationCount());
    loaded.InsertConfiguration(loaded.ConfigurationCount());
    ASSERT_EQ(loaded.SaveUndo("added"), 1);
    // Sections by header: those of live configurations are the system's, the others held.
    auto sectionsOf = [](const std::string &file, int live) {
      std::multimap<std::string, std::string> held;
      for (std::size_t h = file.find("\n[Config_"); h != std::string::npos; h = file.find("\n[Config_", h + 1)) {
        const std::size_t body = file.find('\n', h + 1) + 1;
        const std::string header = file.substr(h + 1, body - h - 2);
        bool isLive = false;
        for (int k = 1; k <= live; ++k) isLive = isLive || header == "[Config_" + std::to_string(k) + "]";
        if (!isLive) held.emplace(file.substr(body, file.find("\n[", body) - body), header);
      }
      return held;
    };
    const auto given = sectionsOf(text, c.kept);
    for (int round = 0; round < 2; ++round) {
      ASSERT_EQ(loaded.Save(path), 1);
      const auto kept = sectionsOf(ReadText(path), loaded.ConfigurationCount());
      for (const auto &[body, header] : given)
        EXPECT_EQ(kept.count(body), 1u) << header << ", round " << round << " in:\n" << ReadText(path);
      if (round == 0) {
        ASSERT_EQ(loaded.Undo(-1), 1);
      }
    }
    // A sound file opened next takes none of them into its saves.
    const std::string sound = Scratch("sound.os");
    WriteText(sound, whole);
    ASSERT_EQ(loaded.Load(sound, 2), 1);
    ASSERT_EQ(loaded.Save(sound), 1);
    EXPECT_TRUE(sectionsOf(ReadText(sound), loaded.ConfigurationCount()).empty()) << ReadText(sound);
  }
}

// A configuration left out again under the header a section kept before carries: both
// texts stay, the same text given again is kept once, and a second save writes the same file.
TEST_F(SystemImageFileTest, ASectionLeftOutBesideOneKeptBeforeUnderItsHeaderKeepsBoth) {
  const std::string path = Scratch("three.os");
  SaveThreeGauss(path);
  std::string text = ReadText(path);
  const std::size_t third = text.find("[Config_3]\n");
  const std::string body = text.substr(third + 11, text.find('[', third + 1) - third - 11);
  text.replace(third, 10, "[Config_4 left out]\nkept before\n\n[Config_4]");
  WriteText(path, text + "[Config_4]\n" + body);
  TSystemImage loaded;
  ASSERT_EQ(loaded.Load(path, 2), 1);
  ASSERT_EQ(loaded.ConfigurationCount(), 2);
  ASSERT_EQ(loaded.Save(path), 1);
  const std::string saved = ReadText(path);
  EXPECT_NE(saved.find("left out]\nkept before\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("left out 2]\n" + body), std::string::npos) << saved;
  EXPECT_EQ(saved.find("left out 3]"), std::string::npos) << saved;
  ASSERT_EQ(loaded.Save(path), 1);
  EXPECT_EQ(ReadText(path), saved);
}

TEST_F(SystemImageFileTest, NamesKeepTheirCaseAndAFailedLoadChangesNothing) {
  TSystemImage image;
  OpenTwo(image);
  std::filesystem::create_directories(Scratch("Lenses"));
  const std::string path = Scratch("Lenses/Triplet B.os");
  ASSERT_EQ(image.Save(path), 1);
  TSystemImage loaded;
  ASSERT_EQ(loaded.Load(path, 1), 1);
  EXPECT_EQ(loaded.name, path);
  const std::vector<DPOINT3> before = Vertices(loaded);
  EXPECT_EQ(loaded.Load(Scratch("Lenses/missing.os"), 1), 0);
  EXPECT_EQ(loaded.name, path);
  EXPECT_EQ(loaded.ConfigurationCount(), 2);
  ASSERT_EQ(loaded.SurfaceCount(), static_cast<int>(before.size()));
  EXPECT_EQ(Vertices(loaded)[3].x, before[3].x);
}

TEST_F(SystemImageFileTest, AFileReadWholeButNotPreparedLeavesNoElementOnAGoneSurface) {
  TSystemImage image;
  OpenTwo(image);
  // A singlet whose file reads whole but whose preparation fails (a wavelength where its
  // glass has no index, an object without aperture): the read surfaces replace the triplet,
  // and the file is open with its glass named, to be mended.
  const std::string path =
      SourceRoot() + "/fuzz/corpus/system_image/read_whole_preparation_fails.os";
  EXPECT_EQ(image.Load(path, 2), 1);
  ASSERT_EQ(image.SurfaceCount(), 4);
  ASSERT_EQ(image.ElementCount(), 1);
  for (int k = 0; k < 2; ++k)
    EXPECT_EQ(image.IndexOfSurface(image.elements.data[0].surfaces.data[k]), k + 1);
  ASSERT_EQ(image.ConfigurationCount(), 1);
  EXPECT_EQ(image.configurations.data[0].positions.cols, 1);
}

// Everything in the directory but the one file: work files left behind.
std::vector<std::string> OthersBeside(const std::string &path) {
  std::vector<std::string> others;
  const std::filesystem::path file(path);
  for (const auto &entry : std::filesystem::directory_iterator(file.parent_path()))
    if (entry.path().filename() != file.filename()) others.push_back(entry.path().filename().string());
  std::sort(others.begin(), others.end());
  return others;
}

TEST_F(SystemImageFileTest, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  // Kills spread over this long in all: enough runs to land in every step of a save.
  constexpr auto kKillingTime = std::chrono::seconds(3);
  constexpr int kMostRuns = 400;
  constexpr unsigned kSeed = 20240611;
  std::printf("kill delays drawn with seed %u\n", kSeed);
  TSystemImage image;
  OpenTwo(image);
  std::filesystem::create_directories(Scratch("kill"));
  const std::string path = Scratch("kill/triplet.os");
  ASSERT_EQ(image.Save(path), 1);
  const std::string oldText = ReadText(path);
  // The new save differs in a surface and in the configurations: a file holding the
  // surfaces of one and the configurations of the other is neither.
  image.Surface(2)->general.R *= 1.01;
  image.InsertConfiguration(1);
  const std::string newPath = Scratch("new.os");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(image.Save(newPath), 1);
  const auto saveTime = std::chrono::steady_clock::now() - started;
  const std::string newText = ReadText(newPath);
  ASSERT_NE(oldText, newText);

  std::mt19937 random(kSeed);
  std::uniform_int_distribution<long long> delayNs(
      0, std::chrono::duration_cast<std::chrono::nanoseconds>(saveTime).count() * 3 / 2);
  int runs = 0;
  int keptOld = 0;
  const auto deadline = std::chrono::steady_clock::now() + kKillingTime;
  while (std::chrono::steady_clock::now() < deadline && runs < kMostRuns) {
    ++runs;
    WriteText(path, oldText);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      static_cast<void>(image.Save(path));
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::nanoseconds(delayNs(random)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string found = ReadText(path);
    ASSERT_TRUE(found == oldText || found == newText) << "run " << runs << ": a mixture of two saves";
    if (found == oldText) ++keptOld;
    // The next open finds and removes what the killed save left.
    TSystemImage reopened;
    ASSERT_EQ(reopened.Load(path, 2), 1);
    ASSERT_EQ(OthersBeside(path), std::vector<std::string>()) << "run " << runs;
  }
  std::printf("%d saves killed, %d of them before the new file was in place\n", runs, keptOld);
  EXPECT_GT(keptOld, 0);
}

// Each refusal leaves the old file as it was and says the true cause.
TEST_F(SystemImageFileTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
  TSystemImage image;
  OpenTwo(image);
  const std::string readOnly = Scratch("kept.os");
  ASSERT_EQ(image.Save(readOnly), 1);
  const std::string kept = ReadText(readOnly);
  ::chmod(readOnly.c_str(), 0444);
  TFileWriteResult why;
  image.Surface(2)->general.R *= 1.01;
  EXPECT_EQ(image.Save(readOnly, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(ReadText(readOnly), kept);
  EXPECT_EQ(image.Save(Scratch("missing/lens.os"), &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoDirectory);

  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string onDisk = disk.PathOf("lens.os");
  WriteText(onDisk, kept);
  disk.Fill();
  EXPECT_EQ(image.Save(onDisk, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoSpace);
  EXPECT_EQ(ReadText(onDisk), kept);
  EXPECT_EQ(OthersBeside(onDisk), (std::vector<std::string>{"filler", "filler-tail"}));
}

}  // namespace

// Every key and every line of a three-configuration file the program wrote, damaged: the
// open names it or the next save keeps what the damaged text gives.
TEST_F(SystemImageFileTest, EveryKeyAndLineOfConfigurationsDamagedIsNamedOrKept) {
  SaveThreeGauss(Scratch("sound.os"));
  const int opened = CheckEveryKeyDamage("three configurations", ReadText(Scratch("sound.os")), Scratch("damaged.os"),
                                         [this](const std::string &path) {
                                           const std::size_t before = BoxCount();
                                           TSystemImage image;
                                           TOpenOutcome outcome;
                                           outcome.refused = image.Load(path, 0) == 0;
                                           for (std::size_t k = before; k < BoxCount(); ++k)
                                             outcome.told += Boxes().boxes[k].text + "\n";
                                           if (!outcome.refused && image.Save(Scratch("saved.os")) == 1)
                                             outcome.saved = ReadText(Scratch("saved.os"));
                                           return outcome;
                                         },
                                         // The base configuration is the system's own, its places
                                         // the surfaces'. A title is
                                         // written only when it is not the name, so a lost one
                                         // cannot be told from none ("" stands for any line).
                                         {{"", "title"}, {"", "[config_1]|dx"}, {"", "[config_1]|dy"},
                                          {"", "[config_1]|dz"}, {"lambda", "weight"}, {"boundtypeext", "dextx"}, {"boundtypeint", "dintx"},
                                          {"naper", "naper"}, {"alfam", "alfam"}, {"unit", "unit"}, {"dx", "dx"},
                                          {"dy", "dy"}, {"dz", "dz"}});
  EXPECT_GT(opened, 100);
}
