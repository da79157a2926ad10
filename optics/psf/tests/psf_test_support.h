#pragma once
// The perfect systems of the PSF and whole-system tests, with the temporary directory
// moved into the test's scratch folder.

#include <string>

#include "optics/model/tests/system_test_support.h"

class PsfTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    previousTemp_ = TempDir();
    SetTempDir(Scratch(""));
  }
  void TearDown() override {
    SetTempDir(previousTemp_);
    SystemTest::TearDown();
  }

  // The f = 100 paraboloid with a 40 mm entrance pupil (f/2.5) at 0.5875618 um: every axial
  // ray meets the focus, so the axial wavefront is flat.
  void LoadParabola(TOpticalSystem &system) {
    ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  }

  // Number of files in the temporary directory.
  int TempFileCount() const {
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(Scratch(""))) {
      (void)entry;
      ++count;
    }
    return count;
  }

  static float Node(const TOpticalSystem &system, int row, int column) {
    return system.workArray1.data[row * system.info.Nd + column];
  }

 private:
  std::string previousTemp_;
};
