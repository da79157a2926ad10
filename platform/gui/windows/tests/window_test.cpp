// Window creation, message dispatch through response tables, posting and self-deletion.

#include "platform/gui/windows/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/gui/windows/test_kit.h"

namespace {

constexpr UINT kSelectPage = WM_USER + 20;
constexpr int kWaitMs = test_kit::kPatienceMs;

// A window that records what its handlers saw.
class TBaseWindow : public TWindow {
 public:
  explicit TBaseWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  bool Find(TEventInfo &info) override;
  LRESULT EvSelectPage(WPARAM wParam, LPARAM lParam) {
    calls.push_back("base " + std::to_string(wParam) + " " + std::to_string(lParam));
    return 11;
  }
  void CmOpen() { calls.push_back("base open"); }
  void CmSave() { calls.push_back("base save"); }
  std::vector<std::string> calls;
};

const TResponseTableEntry kBaseTable[] = {
    EvMessage<&TBaseWindow::EvSelectPage>(kSelectPage),
    EvCommand<&TBaseWindow::CmOpen>(101),
    EvCommand<&TBaseWindow::CmSave>(102),
};

bool TBaseWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kBaseTable, info) || TWindow::Find(info);
}

class TDerivedWindow : public TBaseWindow {
 public:
  explicit TDerivedWindow(TWindow *parentWindow, bool ownPage)
      : TBaseWindow(parentWindow), handlesPage(ownPage) {}
  bool Find(TEventInfo &info) override;
  LRESULT EvSelectPage(WPARAM wParam, LPARAM) {
    calls.push_back("derived " + std::to_string(wParam));
    return 22;
  }
  void CmOpen() { calls.push_back("derived open"); }
  bool handlesPage;
};

const TResponseTableEntry kDerivedPageTable[] = {
    EvMessage<&TDerivedWindow::EvSelectPage>(kSelectPage),
    EvCommand<&TDerivedWindow::CmOpen>(101),
};
const TResponseTableEntry kDerivedPlainTable[] = {
    EvCommand<&TDerivedWindow::CmOpen>(101),
};

bool TDerivedWindow::Find(TEventInfo &info) {
  if (handlesPage) return SearchResponseTable(kDerivedPageTable, info) || TBaseWindow::Find(info);
  return SearchResponseTable(kDerivedPlainTable, info) || TBaseWindow::Find(info);
}

TWindow *MakeFrame(int width = 300, int height = 200) {
  test_kit::EnsureApplication();
  auto *frame = new TWindow(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.X = 10;
  frame->Attr.Y = 10;
  frame->Attr.W = width;
  frame->Attr.H = height;
  EXPECT_TRUE(frame->Create());
  return frame;
}

// A window that answers each link of a chain by posting the next, until the chain ends; each
// link takes a little time, so that a chain outlasts a single turn of the loop.
constexpr UINT kChainLink = WM_USER + 21;
class TChainWindow : public TWindow {
 public:
  using TWindow::TWindow;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != kChainLink) return TWindow::WindowProc(msg, wParam, lParam);
    ++handled;
    std::this_thread::sleep_for(std::chrono::microseconds(50));
    if (wParam > 1) PostMessage(kChainLink, wParam - 1, 0);
    return 0;
  }
  int handled = 0;
};

}  // namespace

TEST(ResponseTable, PostedUserMessageReachesDerivedHandlerFirst) {
  TWindow *frame = MakeFrame();
  auto *window = new TDerivedWindow(frame, true);
  ASSERT_TRUE(window->Create());
  ASSERT_TRUE(window->PostMessage(kSelectPage, 3, 4));
  EXPECT_TRUE(window->calls.empty()) << "a posted message waits for the loop";
  ASSERT_TRUE(test_kit::RunUntil([&] { return !window->calls.empty(); }, kWaitMs));
  ASSERT_EQ(window->calls.size(), 1u);
  EXPECT_EQ(window->calls[0], "derived 3");
  delete frame;
}

TEST(ResponseTable, BaseHandlerAnswersWhenDerivedTableHasNoEntry) {
  TWindow *frame = MakeFrame();
  auto *window = new TDerivedWindow(frame, false);
  ASSERT_TRUE(window->Create());
  ASSERT_TRUE(PostMessage(window->GetHandle(), kSelectPage, 5, 6));
  ASSERT_TRUE(test_kit::RunUntil([&] { return !window->calls.empty(); }, kWaitMs));
  EXPECT_EQ(window->calls[0], "base 5 6");
  // Sent directly, the handler's result comes back.
  EXPECT_EQ(window->SendMessage(kSelectPage, 1, 2), 11);
  delete frame;
}

TEST(ResponseTable, CommandIdReachesTheNamedHandler) {
  TWindow *frame = MakeFrame();
  auto *window = new TDerivedWindow(frame, false);
  ASSERT_TRUE(window->Create());
  window->SendMessage(WM_COMMAND, 102, 0);
  window->SendMessage(WM_COMMAND, 101, 0);
  window->SendMessage(WM_COMMAND, 999, 0);  // nobody's: ignored
  ASSERT_EQ(window->calls.size(), 2u);
  EXPECT_EQ(window->calls[0], "base save");
  EXPECT_EQ(window->calls[1], "derived open");
  delete frame;
}

TEST(ResponseTable, UnhandledMenuCommandTravelsToParent) {
  test_kit::EnsureApplication();
  auto *frame = new TDerivedWindow(nullptr, false);
  frame->Attr.Style = WS_POPUP;
  frame->Attr.W = 100;
  frame->Attr.H = 100;
  ASSERT_TRUE(frame->Create());
  auto *child = new TWindow(frame);
  ASSERT_TRUE(child->Create());
  child->SendMessage(WM_COMMAND, 102, 0);
  ASSERT_EQ(frame->calls.size(), 1u);
  EXPECT_EQ(frame->calls[0], "base save");
  delete frame;
}

namespace {

// Deletes itself from inside its own handler, in either of the two ways window code does.
class TSelfDeletingWindow : public TWindow {
 public:
  TSelfDeletingWindow(TWindow *parentWindow, bool *deletedFlag, bool deferred)
      : TWindow(parentWindow), deleted(deletedFlag), useDestroyAndDelete(deferred) {}
  ~TSelfDeletingWindow() override { *deleted = true; }
  bool Find(TEventInfo &info) override;
  void EvLButtonDown(UINT, const POINT &) {
    if (useDestroyAndDelete) {
      DestroyAndDelete();
      // Deferred: the object is still whole until this dispatch returns.
      stillHereAfterRequest = !*deleted;
      return;
    }
    delete this;
  }
  void CmClose() { DestroyAndDelete(); }
  bool *deleted;
  bool useDestroyAndDelete;
  bool stillHereAfterRequest = false;
};

const TResponseTableEntry kSelfDeletingTable[] = {
    EvMessage<WM_LBUTTONDOWN, &TSelfDeletingWindow::EvLButtonDown>(),
    EvCommand<&TSelfDeletingWindow::CmClose>(7),
};

bool TSelfDeletingWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kSelfDeletingTable, info) || TWindow::Find(info);
}

}  // namespace

TEST(SelfDeletingWindow, DeleteThisInsideMouseHandlerLeavesDispatcherSound) {
  TWindow *frame = MakeFrame();
  bool deleted = false;
  auto *window = new TSelfDeletingWindow(frame, &deleted, false);
  window->Attr.W = 50;
  window->Attr.H = 50;
  ASSERT_TRUE(window->Create());
  const HWND handle = window->GetHandle();
  test_kit::PostMouse(*window, WM_LBUTTONDOWN, {5, 5});
  test_kit::PostMouse(*window, WM_LBUTTONUP, {5, 5});
  ASSERT_TRUE(test_kit::RunUntil([&] { return deleted; }, kWaitMs));
  test_kit::RunFor(20);  // the host's remaining events must find nothing to call
  EXPECT_EQ(WindowFromHandle(handle), nullptr);
  EXPECT_TRUE(frame->GetChildren().empty());
  delete frame;
}

TEST(SelfDeletingWindow, DestroyAndDeleteWaitsForTheDispatchToReturn) {
  TWindow *frame = MakeFrame();
  bool deleted = false;
  auto *window = new TSelfDeletingWindow(frame, &deleted, true);
  ASSERT_TRUE(window->Create());
  const HWND handle = window->GetHandle();
  window->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
  EXPECT_TRUE(deleted);
  EXPECT_EQ(WindowFromHandle(handle), nullptr);
  // A message posted to the dead handle is dropped, and posting reports the failure.
  EXPECT_EQ(PostMessage(handle, WM_COMMAND, 7, 0), 0);
  delete frame;
}

TEST(SelfDeletingWindow, PostedCloseCommandDeletesAfterwardsAndLaterPostsAreDropped) {
  TWindow *frame = MakeFrame();
  bool deleted = false;
  auto *window = new TSelfDeletingWindow(frame, &deleted, true);
  ASSERT_TRUE(window->Create());
  const HWND handle = window->GetHandle();
  ASSERT_TRUE(window->PostMessage(WM_COMMAND, 7, 0));
  ASSERT_TRUE(window->PostMessage(WM_COMMAND, 7, 0));  // finds the window gone
  ASSERT_TRUE(test_kit::RunUntil([&] { return deleted; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_FALSE(IsWindow(handle));
  delete frame;
}

TEST(WindowTree, ParentDeletesChildrenAndHandlesDie) {
  TWindow *frame = MakeFrame();
  auto *first = new TWindow(frame);
  first->Attr.Id = 301;
  auto *second = new TWindow(frame);
  second->Attr.Id = 302;
  auto *grandChild = new TWindow(second);
  grandChild->Attr.Id = 401;
  // Children constructed before the parent's creation come up in its SetupWindow.
  frame->Destroy();
  EXPECT_FALSE(frame->IsWindow());
  ASSERT_TRUE(frame->Create());
  EXPECT_TRUE(first->IsWindow());
  EXPECT_TRUE(grandChild->IsWindow());
  EXPECT_EQ(frame->ChildWithId(302), second);
  EXPECT_EQ(frame->ChildWithId(401), nullptr);
  EXPECT_EQ(second->GetParent(), frame->GetHandle());
  const HWND grandHandle = grandChild->GetHandle();
  delete frame;
  EXPECT_FALSE(IsWindow(grandHandle));
}

namespace {

// Counts the destruction messages in order.
class TDestroyWatcher : public TWindow {
 public:
  TDestroyWatcher(TWindow *parentWindow, std::vector<std::string> *logTarget, const char *name)
      : TWindow(parentWindow, name), log(logTarget) {}
  bool Find(TEventInfo &info) override;
  void EvDestroy() {
    log->push_back(GetWindowText());
    TWindow::EvDestroy();
  }
  bool CanClose() override { return allowClose && TWindow::CanClose(); }
  std::vector<std::string> *log;
  bool allowClose = true;
};

const TResponseTableEntry kDestroyWatcherTable[] = {
    EvMessage<WM_DESTROY, &TDestroyWatcher::EvDestroy>(),
};

bool TDestroyWatcher::Find(TEventInfo &info) {
  return SearchResponseTable(kDestroyWatcherTable, info) || TWindow::Find(info);
}

}  // namespace

TEST(WindowTree, CloseAsksCanCloseAndDestroysParentBeforeChildren) {
  test_kit::EnsureApplication();
  std::vector<std::string> log;
  auto *frame = new TDestroyWatcher(nullptr, &log, "frame");
  frame->Attr.Style = WS_POPUP;
  frame->Attr.W = frame->Attr.H = 80;
  auto *child = new TDestroyWatcher(frame, &log, "child");
  ASSERT_TRUE(frame->Create());
  child->allowClose = false;
  frame->SendMessage(WM_CLOSE);
  EXPECT_TRUE(frame->IsWindow()) << "a child that refuses keeps the frame open";
  child->allowClose = true;
  frame->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(frame->IsWindow());
  EXPECT_FALSE(child->IsWindow());
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "frame");
  EXPECT_EQ(log[1], "child");
  delete frame;
}

namespace {

// Keeps its text elsewhere, as an edit control keeps it in its Qt widget.
class TOwnTextWindow : public TWindow {
 public:
  explicit TOwnTextWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_SETTEXT:
        stored = "[" + std::string(reinterpret_cast<const char *>(lParam)) + "]";
        return 1;
      case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(stored.size());
      case WM_GETTEXT: {
        const std::size_t copied = std::min<std::size_t>(stored.size(), wParam - 1);
        stored.copy(reinterpret_cast<char *>(lParam), copied);
        reinterpret_cast<char *>(lParam)[copied] = '\0';
        return static_cast<LRESULT>(copied);
      }
      default:
        return TWindow::WindowProc(msg, wParam, lParam);
    }
  }
  std::string stored;
};

}  // namespace

TEST(WindowText, TextTravelsThroughMessagesAndBuffersNeverOverflow) {
  TWindow *frame = MakeFrame();
  frame->SetWindowText("Spot diagram");
  EXPECT_EQ(frame->GetWindowText(), "Spot diagram");
  EXPECT_EQ(GetWindowTextLength(frame->GetHandle()), 12);
  char small[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetWindowText(frame->GetHandle(), small, 5), 4);
  EXPECT_STREQ(small, "Spot");
  EXPECT_EQ(GetWindowText(frame->GetHandle(), small, 0), 0);
  EXPECT_EQ(GetWindowText(frame->GetHandle(), nullptr, 10), 0);
  EXPECT_EQ(GetWindowText(nullptr, small, 5), 0);
  EXPECT_STREQ(small, "") << "an unknown window gives an empty text";
  auto *control = new TOwnTextWindow(frame);
  ASSERT_TRUE(control->Create());
  ASSERT_TRUE(SetWindowText(control->GetHandle(), "12.5"));
  EXPECT_EQ(control->GetWindowText(), "[12.5]");
  delete frame;
}

// The test kit's pump for a set time, however short, ends only once every message queued
// before it and every one those queued in turn have been handled.
TEST(ResponseTable, APumpEndsOnceEveryQueuedMessageAndTheOnesItQueuedAreHandled) {
  TWindow *frame = MakeFrame();
  auto *window = new TChainWindow(frame);
  ASSERT_TRUE(window->Create());
  for (int chain = 0; chain < 3; ++chain) ASSERT_TRUE(window->PostMessage(kChainLink, 200, 0));
  test_kit::RunFor(0);
  EXPECT_EQ(window->handled, 600);
  delete frame;
}
