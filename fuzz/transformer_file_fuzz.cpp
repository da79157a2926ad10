// Reads a fuzzed optical-transformer file (*.otd). Expectations: a refused file leaves the
// table as it was and says why, naming the file; an accepted one gives as many gains as
// frequencies (2 to 1001), finite values, frequencies rising from 0 or above and a positive
// step; its gain is finite at every radial frequency, and the point response made from it
// on a 64 x 64 raster is finite, between 0 and 1.
#include <cmath>
#include <cstdint>
#include <string>

#include "foundation/containers/mem.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "synthesis/detectors/transformer_detectors.h"
#include "synthesis/detectors/transformer_file.h"

namespace {

constexpr int kRasterSide = 64;
constexpr double kPixelSize = 0.01;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static TQuietBoxes boxes;
  static TTestImage image;
  static const bool installed = [] {
    SetMessageBoxProvider(&boxes);
    SetTempDir(FuzzScratchDirectory());
    image.pixelCount = kRasterSide;
    image.pixelSize = kPixelSize;
    SetTestImage(&image);
    return true;
  }();
  (void)installed;
  const std::string path = WriteFuzzFile("input.otd", data, size);
  TTransformerTable table;
  table.F = {0.0f, 7.0f};
  table.G = {1.0f, 0.5f};
  table.dF = 3.0f;
  std::string problem;
  if (!ReadTransformerFile(path, 2.0f, table, problem)) {
    FUZZ_CHECK(table.F.size() == 2 && table.G.size() == 2 && table.F[1] == 7.0f && table.G[1] == 0.5f &&
                   table.dF == 3.0f,
               "a refused file changed the table");
    FUZZ_CHECK(problem.find(path) != std::string::npos, "the refusal does not name the file");
    return 0;
  }
  const std::size_t samples = table.F.size();
  FUZZ_CHECK(table.G.size() == samples, "gains and frequencies differ in number");
  FUZZ_CHECK(samples >= 2 && samples <= kTransformerMaxSamples + 1, std::to_string(samples));
  FUZZ_CHECK(std::isfinite(table.dF) && table.dF > 0.0f, "step");
  for (std::size_t k = 0; k < samples; ++k) {
    FUZZ_CHECK(std::isfinite(table.F[k]) && std::isfinite(table.G[k]), "a value is not finite");
    FUZZ_CHECK(k == 0 ? table.F[k] >= 0.0f : table.F[k] > table.F[k - 1], "frequencies do not rise");
  }
  for (const float rho : {0.0f, table.F[samples / 2] * 0.5f, table.F[samples - 1], 1e30f})
    FUZZ_CHECK(std::isfinite(TransformerGain(table, rho)), "gain not finite");
  TDetectorOpticalTransformerModel transformer;
  transformer.FileName = path;
  FUZZ_CHECK(transformer.ReadParameters() == 1, "the model refuses what the reader took");
  Mem<float> response;
  if (transformer.FillResponse(response, kRasterSide)) {
    for (int k = 0; k < kRasterSide * kRasterSide; ++k)
      FUZZ_CHECK(std::isfinite(response.data[k]), "response not finite");
  }
  return 0;
}
