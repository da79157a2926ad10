// The component library file: elements added from a selection and taken out again after the
// file was closed and reopened, deletion that packs the file, and refusals that leave the
// file as it was.

#include "editor/library/component_library.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "document/system/tests/editor_test_support.h"

namespace {

using ComponentLibraryTest = EditorTest;

// The triplet with its element `e` selected.
void OpenWithSelection(TSystemImage &image, int e) {
  ASSERT_EQ(image.Load(ExamplePath("cooke_triplet.os"), 2), 1);
  image.Update();
  image.ClearSelection();
  image.elements.data[e].mark = 1;
  image.hasSelection = 1;
  image.selectedElement = e;
}

TEST_F(ComponentLibraryTest, AnAddedElementComesBackAfterReopening) {
  const std::string path = Scratch("parts.lct");
  TSystemImage image;
  OpenWithSelection(image, 1);
  {
    TComponentLibrary library;
    ASSERT_EQ(library.Open(path), 1) << library.ErrorText();
    EXPECT_EQ(library.Count(), 0);
    EXPECT_EQ(library.Add("  Flint negative  ", image), 0) << library.ErrorText();
    image.ClearSelection();
    image.elements.data[2].mark = 1;
    EXPECT_EQ(library.Add("Rear crown", image), 1) << library.ErrorText();
  }
  TComponentLibrary library;
  ASSERT_EQ(library.Open(path), 1) << library.ErrorText();
  ASSERT_EQ(library.Count(), 2);
  EXPECT_EQ(library.Name(0), "Flint negative");
  EXPECT_EQ(library.Name(1), "Rear crown");
  TSystemImage taken;
  ASSERT_EQ(library.Take(0, taken), 1) << library.ErrorText();
  ASSERT_EQ(taken.SurfaceCount(), 4);  // object, the lens's two surfaces, image
  EXPECT_EQ(taken.ElementCount(), 1);
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(taken.Surface(1 + k)->general.R, image.Surface(3 + k)->general.R);
    EXPECT_EQ(taken.Surface(1 + k)->general.glass, image.Surface(3 + k)->general.glass);
    EXPECT_APPROX(taken.Surface(1 + k)->general.vertex[0], image.Surface(3 + k)->general.vertex[0], 1e-9);
  }
}

TEST_F(ComponentLibraryTest, DeletingPacksTheFileAndTheRestStays) {
  const std::string path = Scratch("parts.lct");
  TSystemImage image;
  OpenWithSelection(image, 0);
  TComponentLibrary library;
  ASSERT_EQ(library.Open(path), 1);
  ASSERT_EQ(library.Add("A", image), 0);
  ASSERT_EQ(library.Add("B", image), 1);
  const auto full = std::filesystem::file_size(path);
  EXPECT_EQ(library.Delete(0), 1) << library.ErrorText();
  EXPECT_LT(std::filesystem::file_size(path), full);
  ASSERT_EQ(library.Count(), 1);
  EXPECT_EQ(library.Name(0), "B");
  library.Close();
  ASSERT_EQ(library.Open(path), 1);
  EXPECT_EQ(library.Names(), std::vector<std::string>{"B"});
  EXPECT_EQ(library.Delete(3), 0);
  TSystemImage none;
  EXPECT_EQ(library.Take(-1, none), 0);
}

TEST_F(ComponentLibraryTest, RefusalsSayWhyAndLeaveTheFile) {
  const std::string path = Scratch("parts.lct");
  TSystemImage image;
  OpenWithSelection(image, 0);
  TComponentLibrary library;
  ASSERT_EQ(library.Open(path), 1);
  ASSERT_EQ(library.Add("Front", image), 0);
  const std::string saved = ReadText(path);
  EXPECT_EQ(library.Add("Front", image), -1);  // the name is taken
  EXPECT_FALSE(library.ErrorText().empty());
  EXPECT_EQ(library.Add("   ", image), -1);
  EXPECT_EQ(library.Add("Doublet long name number 12345", image), -1);  // never cut inside a word
  EXPECT_NE(library.ErrorText().find("at most 20 characters"), std::string::npos) << library.ErrorText();
  image.ClearSelection();
  EXPECT_EQ(library.Add("Nothing", image), -1);  // nothing selected
  EXPECT_EQ(ReadText(path), saved);
  library.Close();
  // A broken file is refused as a whole and stays as it was.
  const std::string broken = saved.substr(0, saved.size() - 7);
  WriteText(path, broken);
  EXPECT_EQ(library.Open(path), 0);
  EXPECT_FALSE(library.ErrorText().empty());
  EXPECT_EQ(ReadText(path), broken);
}

// The element goes through a work copy in the temporary directory; when that copy cannot be
// written, Add and Take say why, not only where.
TEST_F(ComponentLibraryTest, AWorkCopyThatCannotBeWrittenIsRefusedWithItsCause) {
  const std::string path = Scratch("parts.lct");
  TSystemImage image;
  OpenWithSelection(image, 0);
  TComponentLibrary library;
  ASSERT_EQ(library.Open(path), 1);
  ASSERT_EQ(library.Add("Front", image), 0) << library.ErrorText();
  const std::string saved = ReadText(path);
  const std::string blocker = Scratch("blocker"), locked = Scratch("locked");
  WriteText(blocker, "a file\n");
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::string kept = TempDir();
  struct TCase {
    std::string directory, cause;
  } cases[] = {
      {blocker + "/tmp", "cannot be written: its directory does not exist."},
      {locked, "cannot be written: you have no permission to write it or its directory."},
      {"", "No private temporary directory"},
  };
  for (const TCase &c : cases) {
    // The administrator writes anywhere: no permission stops it.
    if (c.directory == locked && ::geteuid() == 0) continue;
    SCOPED_TRACE(c.directory);
    SetTempDir(c.directory);
    EXPECT_EQ(library.Add("Back", image), -1);
    EXPECT_NE(library.ErrorText().find(c.cause), std::string::npos) << library.ErrorText();
    TSystemImage taken;
    EXPECT_EQ(library.Take(0, taken), 0);
    EXPECT_NE(library.ErrorText().find(c.cause), std::string::npos) << library.ErrorText();
  }
  SetTempDir(kept);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadText(path), saved);
  EXPECT_FALSE(std::filesystem::exists("~element.tmp")) << "never in the current directory";
}

TEST_F(ComponentLibraryTest, ARecordWithoutASystemIsRefusedOnTaking) {
  const std::string path = Scratch("parts.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Open(path.c_str()), 0);
    TItemHandler record;
    record.SetName("Empty");
    const char text[] = "no system here";
    ASSERT_TRUE(record.AddItem("System", text, kItemText, sizeof text));
    ASSERT_GE(base.AddRecord(record), 0);
  }
  TComponentLibrary library;
  ASSERT_EQ(library.Open(path), 1);
  ASSERT_EQ(library.Count(), 1);
  TSystemImage target;
  ASSERT_EQ(target.Load(ExamplePath("singlet.os"), 2), 1);
  const int surfaces = target.SurfaceCount();
  EXPECT_EQ(library.Take(0, target), 0);
  EXPECT_FALSE(library.ErrorText().empty());
  EXPECT_EQ(target.SurfaceCount(), surfaces);
}

// Sets an environment variable for the life of the object (unset: null), then puts it back.
class TScopedEnvironment {
 public:
  TScopedEnvironment(const char *name, const char *value) : name_(name) {
    if (const char *was = std::getenv(name)) kept_ = was;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~TScopedEnvironment() {
    if (kept_)
      ::setenv(name_, kept_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  TScopedEnvironment(const TScopedEnvironment &) = delete;
  TScopedEnvironment &operator=(const TScopedEnvironment &) = delete;

 private:
  const char *name_;
  std::optional<std::string> kept_;
};

TEST_F(ComponentLibraryTest, TheUsersLibraryLivesBesideTheSettingsAndStartsFromTheProgramsCopy) {
  const std::string config = Scratch("config");
  TScopedEnvironment xdg("XDG_CONFIG_HOME", config.c_str());
  // An installation's library beside the program, with one element.
  const std::string program = Scratch("program");
  std::filesystem::create_directories(program);
  const std::string shipped = program + "/elements.lct";
  TSystemImage image;
  OpenWithSelection(image, 1);
  {
    TComponentLibrary library;
    ASSERT_EQ(library.Open(shipped), 1) << library.ErrorText();
    ASSERT_EQ(library.Add("Shipped lens", image), 0) << library.ErrorText();
  }
  const auto size = [](const std::string &path) { return std::filesystem::file_size(path); };
  const std::uintmax_t shippedSize = size(shipped);

  // The user has none yet: the program's is read into the user's own, which takes the adds.
  const std::string own = LibraryFilePath(program);
  EXPECT_EQ(own, config + "/korvex/elements.lct");
  {
    TComponentLibrary library;
    ASSERT_EQ(library.Open(own), 1) << library.ErrorText();
    EXPECT_EQ(library.Names(), std::vector<std::string>{"Shipped lens"});
    ASSERT_EQ(library.Add("My lens", image), 1) << library.ErrorText();
  }
  EXPECT_EQ(size(shipped), shippedSize);

  // Once the user has one, it stays theirs: the program's is not read again.
  EXPECT_EQ(LibraryFilePath(program), own);
  {
    TComponentLibrary library;
    ASSERT_EQ(library.Open(own), 1) << library.ErrorText();
    EXPECT_EQ(library.Names(), (std::vector<std::string>{"Shipped lens", "My lens"}));
  }

  // No settings directory at all: the program's own file.
  TScopedEnvironment noXdg("XDG_CONFIG_HOME", nullptr);
  TScopedEnvironment noHome("HOME", nullptr);
  EXPECT_EQ(LibraryFilePath(program), shipped);
}

}  // namespace
