// The views of the edited system are told of an edit by one notice: each observer once, in
// the order added, none that was removed meanwhile, and a copy made with Assign keeps the
// target's own observers.

#include "document/system/system_observer.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/system/tests/editor_test_support.h"

namespace {

// Writes its name into the shared log at every notice, and may act then.
class TLoggingObserver final : public TSystemObserver {
 public:
  TLoggingObserver(std::vector<std::string> &log, std::string name) : log_(log), name_(std::move(name)) {}
  void SystemEdited() override {
    log_.push_back(name_);
    if (onEdited) onEdited();
  }
  std::function<void()> onEdited;

 private:
  std::vector<std::string> &log_;
  std::string name_;
};

using SystemObserverTest = EditorTest;

TEST_F(SystemObserverTest, EachObserverIsToldOncePerEditInTheOrderAdded) {
  TSystemImage system;
  std::vector<std::string> log;
  TLoggingObserver canvas(log, "canvas"), folder(log, "folder");
  system.AddObserver(&canvas);
  system.AddObserver(&folder);
  // A second registration must not make a second refresh.
  system.AddObserver(&canvas);
  system.NotifyEdited();
  EXPECT_EQ(log, (std::vector<std::string>{"canvas", "folder"}));
  system.RemoveObserver(&canvas);
  system.NotifyEdited();
  EXPECT_EQ(log, (std::vector<std::string>{"canvas", "folder", "folder"}));
}

TEST_F(SystemObserverTest, AnObserverRemovedDuringTheNoticeIsNotToldAnyMore) {
  TSystemImage system;
  std::vector<std::string> log;
  TLoggingObserver frame(log, "frame"), window(log, "window"), late(log, "late");
  // The frame's refresh closes the window (and so unregisters it) and opens another.
  frame.onEdited = [&] {
    system.RemoveObserver(&window);
    system.AddObserver(&late);
  };
  system.AddObserver(&frame);
  system.AddObserver(&window);
  system.NotifyEdited();
  EXPECT_EQ(log, (std::vector<std::string>{"frame"}));
  frame.onEdited = nullptr;
  system.NotifyEdited();
  EXPECT_EQ(log, (std::vector<std::string>{"frame", "frame", "late"}));
}

TEST_F(SystemObserverTest, AssignKeepsTheTargetsOwnObservers) {
  TSystemImage edited, copy;
  Open(copy, "cooke_triplet.os");
  std::vector<std::string> log;
  TLoggingObserver view(log, "view");
  edited.AddObserver(&view);
  edited.Assign(copy, 1);
  edited.NotifyEdited();
  copy.NotifyEdited();
  EXPECT_EQ(log, (std::vector<std::string>{"view"}));
  EXPECT_EQ(edited.SurfaceCount(), copy.SurfaceCount());
}

}  // namespace
