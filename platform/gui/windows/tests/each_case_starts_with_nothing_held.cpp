// Linked into every test program whose code reaches the windows: each case starts with no key
// and no mouse button held, as a fresh program does. The program follows the keys held from
// the input it is given, and a case that ends on a shift-click or a control-click (a user's
// hand still on the key) would otherwise hand that key to whichever case runs next.

#include <gtest/gtest.h>

#include "platform/gui/windows/window_host.h"

namespace {

class TNothingHeldAtStart final : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo &) override { ForgetKeyState(); }
};

[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TNothingHeldAtStart);
  return true;
}();

}  // namespace
