// Window creation, message dispatch through response tables, posting and self-deletion.

#include "platform/gui/window.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gui/test_kit.h"

namespace {

constexpr UINT kSelectPage = WM_USER + 20;
constexpr int kWaitMs = 2000;

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
