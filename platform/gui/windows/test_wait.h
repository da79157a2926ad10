#pragma once
// Waiting in a window test for exactly what it then asserts, with a generous limit and a
// failure that says what was awaited and what was seen instead:
//   ASSERT_TRUE(test_kit::WaitFor("the folder closed", [&] { return Folder() == nullptr; }));
//   EXPECT_TRUE(test_kit::WaitForText([&] { return bar.GetText(); }, "outside the frame"));

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/gui/windows/test_kit.h"

namespace test_kit {

inline ::testing::AssertionResult WaitFor(const std::string &what, const std::function<bool()> &holds,
                                          int timeoutMs = kPatienceMs) {
  if (RunUntil(holds, timeoutMs)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "waited " << timeoutMs << " ms for " << what << " in vain";
}

// Runs the loop until the text read holds `part`; a failure shows the last text read.
inline ::testing::AssertionResult WaitForText(const std::function<std::string()> &read, const std::string &part,
                                              int timeoutMs = kPatienceMs) {
  std::string last;
  const bool seen = RunUntil(
      [&] {
        last = read();
        return last.find(part) != std::string::npos;
      },
      timeoutMs);
  if (seen) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "waited " << timeoutMs << " ms for a text holding \"" << part
                                       << "\"; the last read was \"" << last << "\"";
}

}  // namespace test_kit
