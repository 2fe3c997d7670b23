// Finding, measuring, moving and pinning a real window.
#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

using test::TestWindow;

TestWindow::Options Target() {
  TestWindow::Options o;
  o.title = L"窗口操作测试";
  o.class_name = L"Tora窗口类";
  o.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  o.rect = RECT{50, 60, 450, 360};
  return o;
}

// Titles and class names are GBK inside and must reach the system as the
// same Chinese characters.
TEST(Windows, FoundByChineseTitleAndByClass) {
  TestWindow window(Target());
  Win32Windows windows;
  EXPECT_EQ(windows.FindByTitle("窗口操作测试"), window.handle());
  EXPECT_EQ(windows.FindByClass("Tora窗口类"), window.handle());
  EXPECT_EQ(windows.FindByTitle("窗口操作测"), 0u) << "a title matches only whole";
  EXPECT_EQ(windows.FindByTitle("Tora窗口类"), 0u) << "a class name is no title";
  EXPECT_EQ(windows.FindByClass("窗口操作测试"), 0u);
  EXPECT_EQ(windows.FindByClass(""), 0u);
  EXPECT_TRUE(windows.IsWindow(window.handle()));
  const WindowHandle handle = window.handle();
  window.Destroy();
  EXPECT_FALSE(windows.IsWindow(handle));
  EXPECT_FALSE(windows.IsWindow(0));
  EXPECT_EQ(windows.FindByTitle("窗口操作测试"), 0u);
  Rect r{1, 2, 3, 4};
  EXPECT_FALSE(windows.GetRect(handle, r));
}

TEST(Windows, MovedAndSizedAsAsked) {
  TestWindow window(Target());
  Win32Windows windows;
  Rect r;
  ASSERT_TRUE(windows.GetRect(window.handle(), r));
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  windows.Move(window.handle(), 120, 80, 500, 250);
  test::PumpMessages(50);
  ASSERT_TRUE(windows.GetRect(window.handle(), r));
  EXPECT_EQ(r, (Rect{120, 80, 620, 330}));
  // a position off the work area (a centred window larger than the screen)
  windows.Move(window.handle(), -30, -20, 300, 200);
  test::PumpMessages(50);
  ASSERT_TRUE(windows.GetRect(window.handle(), r));
  EXPECT_EQ(r, (Rect{-30, -20, 270, 180}));
}

TEST(Windows, TopmostAndBackWithoutMovingOrActivating) {
  TestWindow window(Target());
  TestWindow::Options other_options = Target();
  other_options.title = L"另一个窗口";
  other_options.rect = RECT{600, 100, 800, 300};
  TestWindow other(other_options);
  ASSERT_TRUE(other.Focus());
  Win32Windows windows;
  Rect before;
  ASSERT_TRUE(windows.GetRect(window.handle(), before));
  const auto ex_style = [&] { return GetWindowLongW(window.hwnd(), GWL_EXSTYLE); };
  ASSERT_EQ(ex_style() & WS_EX_TOPMOST, 0);

  windows.SetTopmost(window.handle(), true);
  test::PumpMessages(50);
  EXPECT_NE(ex_style() & WS_EX_TOPMOST, 0);
  Rect after;
  ASSERT_TRUE(windows.GetRect(window.handle(), after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(GetForegroundWindow(), other.hwnd()) << "pinning does not take the focus";

  windows.SetTopmost(window.handle(), false);
  test::PumpMessages(50);
  EXPECT_EQ(ex_style() & WS_EX_TOPMOST, 0);
  ASSERT_TRUE(windows.GetRect(window.handle(), after));
  EXPECT_EQ(after, before);
}

TEST(Windows, WorkAreaLiesWithinTheScreen) {
  Win32Windows windows;
  const Rect area = windows.WorkArea();
  EXPECT_GE(area.left, 0);
  EXPECT_GE(area.top, 0);
  EXPECT_GT(area.right, area.left);
  EXPECT_GT(area.bottom, area.top);
  EXPECT_LE(area.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_LE(area.bottom, GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
}  // namespace tora
