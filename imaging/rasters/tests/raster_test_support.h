#pragma once
// What the synthesis tests share: a scratch folder that is the temporary directory for the
// test, recorded message boxes, and small raster-file helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"
#include "optics/model/model_globals.h"
#include "platform/core/recording_providers.h"

class SynthesisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::filesystem::temp_directory_path() /
               ("synthesis_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                std::to_string(getpid()));
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    previousTemp_ = TempDir();
    SetTempDir(scratch_.string());
  }
  void TearDown() override {
    SetTempDir(previousTemp_);
    std::error_code error;
    std::filesystem::remove_all(scratch_, error);
  }

 public:
  std::string Scratch(const std::string &name) const { return (scratch_ / name).string(); }

  // Files now in the scratch folder.
  int FileCount() const {
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(scratch_)) {
      (void)entry;
      ++count;
    }
    return count;
  }

  static std::vector<unsigned char> Bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  // A record naming a file in the scratch folder, with the given wavelength and weight,
  // whose raster (columns x rows, values row after row) has been written.
  TFileData WriteRaster(const std::string &name, int columns, int rows,
                        const std::vector<float> &values, float wavelength = 0.0f,
                        float weight = 1.0f) {
    TFileData record;
    record.fileName = Scratch(name);
    record.wavelength = wavelength;
    record.weight = weight;
    Mem<float> raster(columns, rows);
    for (int k = 0; k < columns * rows; ++k)
      raster.data[k] = values.empty() ? 0.0f : values[static_cast<std::size_t>(k) % values.size()];
    EXPECT_EQ(record.Write(raster), 1) << record.fileName;
    return record;
  }

  TRecordingMessageBoxProvider boxes;

 private:
  std::filesystem::path scratch_;
  std::string previousTemp_;
};
