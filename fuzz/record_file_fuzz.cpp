// Opens a fuzzed record file (a component library, perhaps compressed in the SZDD form).
// Expectations: a refused file is left byte for byte as it was and the base closed, with a
// reason; an accepted one reads every record and every item's data, finds each record by
// its name, is not changed by reading, and takes a new record and a pack without disturbing
// the records it had.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/records/easy_base.h"
#include "foundation/records/item_handler.h"
#include "foundation/records/lz_expand.h"
#include "fuzz/fuzz_scratch.h"

namespace {

// Data beyond this is not read back into memory; the file is at most a few kilobytes anyway.
constexpr std::int64_t kLargestData = 1 << 20;

void ReadEveryItem(TItemHandler &handler, const std::string &copyPath) {
  for (int k = 0; k < handler.itemCount; ++k) {
    const TItem &item = handler.items.data[k];
    const std::int64_t size = item.DataSize();
    FUZZ_CHECK(size >= 0 && size <= kLargestData, "item data size");
    if (item.type == kItemFile) {
      handler.ReadItemData(item.name, item.type, const_cast<char *>(copyPath.c_str()), 0);
      continue;
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(size) + 1);
    // The first item of that name and type is read; it may be a smaller one.
    handler.ReadItemData(item.name, item.type, data.data(), data.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string original(reinterpret_cast<const char *>(data), size);
  const std::string path = WriteFuzzFile("input.lct", original);
  const std::string copyPath = FuzzScratchDirectory() + "/item.bin";

  TEasyBase base;
  if (base.Open(path.c_str()) < 0) {
    FUZZ_CHECK(!base.IsOpen(), "a refused library stays open");
    FUZZ_CHECK(!base.ErrorText().empty(), "a refused library without a reason");
    FUZZ_CHECK(ReadFuzzFile(path) == original, "a refused library was changed");
    return 0;
  }
  const int records = base.count;
  FUZZ_CHECK(records >= 0, "negative record count");
  std::vector<std::string> names;
  for (int i = 0; i < records; ++i) {
    TItemHandler handler;
    FUZZ_CHECK(base.ReadRecord(i, handler) == i, "record " + std::to_string(i) + " not read");
    names.push_back(handler.Name());
    ReadEveryItem(handler, copyPath);
    const int found = base.FindName(handler.Name().c_str());
    FUZZ_CHECK(found >= 0 && found <= i, "record name not in the table: " + handler.Name());
    TItemHandler byName;
    FUZZ_CHECK(base.FindRecord(handler.Name().c_str(), byName) == found, handler.Name());
  }
  base.Close();
  FUZZ_CHECK(ReadFuzzFile(path) == original, "reading changed the library");

  // A new record goes behind the others and leaves them as they were.
  FUZZ_CHECK(base.Open(path.c_str()) >= 0, "an accepted library is refused the second time");
  const long end = base.positions.data[records];
  // A compressed library is written back expanded: its records are compared as expanded.
  std::string plain = original;
  if (IsLzCompressed(data, size)) {
    std::vector<unsigned char> expanded;
    std::string reason;
    FUZZ_CHECK(LzExpand(data, size, expanded, reason), "an opened library does not expand");
    plain.assign(expanded.begin(), expanded.end());
  }
  TItemHandler added;
  added.SetName("fuzz added");
  const std::int32_t values[2] = {17, -4};
  FUZZ_CHECK(added.AddItem("values", values, kItemInts, 2), "item not added");
  FUZZ_CHECK(base.AddRecord(added) == records, "record not added");
  FUZZ_CHECK(base.count == records + 1, "count after adding");
  const std::string grown = ReadFuzzFile(path);
  const auto kept = static_cast<std::size_t>(end);
  FUZZ_CHECK(records == 0 || (grown.size() >= kept && plain.size() >= kept &&
                              grown.compare(4, kept - 4, plain, 4, kept - 4) == 0),
             "adding a record changed the others");
  TItemHandler back;
  FUZZ_CHECK(base.ReadRecord(records, back) == records, "added record not read back");
  std::int32_t read[2] = {};
  FUZZ_CHECK(back.ReadItemData("values", kItemInts, read, sizeof read), "added item not read");
  FUZZ_CHECK(read[0] == 17 && read[1] == -4, "added item read back wrong");

  // Packing without the first record keeps the others in order.
  base.MarkDeleted(0);
  FUZZ_CHECK(base.Pack("") == 0, "pack failed: " + base.ErrorText());
  FUZZ_CHECK(base.count == records, "count after packing");
  for (int i = 1; i < records; ++i) {
    TItemHandler handler;
    FUZZ_CHECK(base.ReadRecord(i - 1, handler) == i - 1, "packed record not read");
    FUZZ_CHECK(handler.Name() == names[static_cast<std::size_t>(i)], "packed record renamed");
  }
  return 0;
}
