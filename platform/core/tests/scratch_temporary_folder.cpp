// Linked into every test program: the program's temporary files go to a scratch folder of its
// own, made before the first test and removed after the last. The program under test makes
// its private directory (optbench-<user>-XXXXXX, with a lock and undo copies) in TMP; left in
// the shared temporary folder, one would be offered to the user's next start as an aborted
// session.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr const char *kSharedVariable = "TEST_SCRATCH_FOLDER";

class TScratchTemporaryFolder final : public ::testing::Environment {
 public:
  void SetUp() override {
    // A child the program starts of itself (a death test run anew) shares its parent's
    // folder, which the parent removes.
    if (const char *shared = std::getenv(kSharedVariable); shared != nullptr && shared[0] == '/') return;
    const char *outer = std::getenv("TMPDIR");
    const std::string base = outer != nullptr && outer[0] == '/' ? outer : "/tmp";
    std::vector<char> pattern;
    for (char c : base + "/test-scratch-XXXXXX") pattern.push_back(c);
    pattern.push_back('\0');
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "no scratch folder in " << base;
    folder_ = pattern.data();
    for (const char *variable : {"TMP", "TEMP", "TMPDIR", kSharedVariable}) setenv(variable, folder_.c_str(), 1);
  }

  void TearDown() override {
    if (folder_.empty()) return;
    std::error_code error;
    // Tests may leave folders without write permission behind: given back first, so that
    // nothing of the run stays.
    for (auto it = std::filesystem::recursive_directory_iterator(
             folder_, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_directory(error) && !it->is_symlink(error))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(folder_, error);
  }

 private:
  std::string folder_;
};

// Registered before main runs; GoogleTest owns it.
[[maybe_unused]] ::testing::Environment *const kScratchFolder =
    ::testing::AddGlobalTestEnvironment(new TScratchTemporaryFolder);

}  // namespace
