// Expands fuzzed bytes as an SZDD file. Expectations: an expansion that succeeds gives
// exactly the length its header states; one that fails gives nothing and a reason. The
// input taken as plain data goes through the test compressor and expands back unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/records/lz_expand.h"
#include "foundation/records/tests/lz_compress_support.h"
#include "fuzz/fuzz_scratch.h"

namespace {

// The test compressor searches the whole ring for every byte: only short inputs go round.
constexpr std::size_t kLargestRoundTrip = 128;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::vector<unsigned char> out;
  std::string error;
  if (LzExpand(data, size, out, error)) {
    const std::uint32_t length = static_cast<std::uint32_t>(data[10]) |
                                 (static_cast<std::uint32_t>(data[11]) << 8) |
                                 (static_cast<std::uint32_t>(data[12]) << 16) |
                                 (static_cast<std::uint32_t>(data[13]) << 24);
    FUZZ_CHECK(out.size() == length, "expanded to " + std::to_string(out.size()) +
                                         " bytes instead of " + std::to_string(length));
    FUZZ_CHECK(error.empty(), "a reason after success: " + error);
  } else {
    FUZZ_CHECK(out.empty(), "output after a failure");
    FUZZ_CHECK(!error.empty(), "a failure without a reason");
  }
  if (size <= kLargestRoundTrip) {
    const std::vector<unsigned char> plain(data, data + size);
    const std::vector<unsigned char> packed = LzCompress(plain);
    FUZZ_CHECK(LzExpand(packed.data(), packed.size(), out, error), "own stream refused: " + error);
    FUZZ_CHECK(out == plain, "round trip changed the data");
  }
  return 0;
}
