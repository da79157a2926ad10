#pragma once
// Shared set-up of the system tests: the shipped glass catalogs as the program's catalog
// set, recorded message boxes, the example systems and scratch files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "optics/glass/glass_catalog.h"
#include "optics/glass/glass_info.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/recording_providers.h"

inline std::string SourceRoot() {
  // TEST_SOURCE_DIR is the optics folder, compiled into the test program.
  return std::string(TEST_SOURCE_DIR) + "/..";
}
inline std::string ExamplePath(const std::string &name) {
  return SourceRoot() + "/resources/examples/" + name;
}

inline std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Catalogs, message boxes and a scratch directory for one test.
class SystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalog_ = std::make_unique<TGlassCatalog>(SourceRoot() + "/resources/cglass", "schott");
    SetGlassCatalog(catalog_.get());
    boxes_ = std::make_unique<TRecordingMessageBoxProvider>();
    scratch_ = std::filesystem::temp_directory_path() /
               ("systemfile_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    SetGlassCatalog(nullptr);
    boxes_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
  std::string Scratch(const std::string &name) const { return (scratch_ / name).string(); }
  const TRecordingMessageBoxProvider &Boxes() const { return *boxes_; }
  std::size_t BoxCount() const { return boxes_->boxes.size(); }

  // A surface at x on the axis with a round aperture of the given semi-height.
  static TSurface *AddAt(TOpticalSystem &system, double x, double R, const char *glass,
                         double semiHeight) {
    TSurface *s = system.AddSurface(new TSurface(x, 0.0, 0.0));
    s->general.R = R;
    s->general.type = R == 0.0 ? kSurfacePlane : kSurfaceSphere;
    s->general.glass = glass;
    s->general.materialKind = std::string(glass) == "refl" ? 1 : 0;
    s->general.semiHeightExt = semiHeight;
    s->general.semiWidthExt = semiHeight;
    return s;
  }

 private:
  std::unique_ptr<TGlassCatalog> catalog_;
  std::unique_ptr<TRecordingMessageBoxProvider> boxes_;
  std::filesystem::path scratch_;
};

// A ray at (x, y, z) along (L, M, N), normalised.
inline TCurrentRay RayAlong(double x, double y, double z, double L, double M, double N) {
  TCurrentRay ray(x, y, z);
  const double length = std::sqrt(L * L + M * M + N * N);
  ray.L = L / length;
  ray.M = M / length;
  ray.N = N / length;
  return ray;
}
