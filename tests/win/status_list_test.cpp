// The main window's status list over a long run with every action shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/main_window_user.h"
#include "platform/win32/wide.h"
#include "res/main_window.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

TEST(StatusList, KeepsTheNewestTraceLinesAndEveryAppendedLine) {
  test::TestWindow parent(test::TestWindow::Options{});
  HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, 200, 100,
                              parent.hwnd(), reinterpret_cast<HMENU>(IDC_STATUS_LIST), nullptr, nullptr);
  ASSERT_TRUE(list);
  MainWindowUser user;
  user.Attach(parent.hwnd());
  user.ClearStatus();
  user.AppendStatus("按键运行中......");
  user.AppendStatus("提示：");

  // Prints the time of a block of 1,000 top lines at two points of the run
  // and of all of them (the list is drawn every 150 ms meanwhile); the
  // figures are for the reader, not a verdict.
  using Clock = std::chrono::steady_clock;
  double early_us = 0, late_us = 0;
  constexpr int kLines = 100000;
  const Clock::time_point run_start = Clock::now();
  for (int i = 1; i <= kLines; ++i) {
    const bool timed = (i > 100 && i <= 1100) || i > kLines - 1000;
    const Clock::time_point start = timed ? Clock::now() : Clock::time_point{};
    user.InsertStatusTop("按下[A](前台) " + std::to_string(i));
    if (timed) {
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
      (i <= 1100 ? early_us : late_us) += us;
    }
  }
  const double all_us = std::chrono::duration<double, std::micro>(Clock::now() - run_start).count();
  std::printf("status line cost: lines 101-1100 %.1f us each, last 1000 of %d lines %.1f us each, all %.1f us each\n",
              early_us / 1000, kLines, late_us / 1000, all_us / kLines);

  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  EXPECT_EQ(count, MainWindowUser::kMaxTopLines + 2);
  const auto line = [&](LRESULT i) {
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    return Narrow(text);
  };
  EXPECT_EQ(line(0), "按下[A](前台) " + std::to_string(kLines));
  EXPECT_EQ(line(MainWindowUser::kMaxTopLines - 1), "按下[A](前台) " + std::to_string(kLines - MainWindowUser::kMaxTopLines + 1));
  EXPECT_EQ(line(count - 2), "按键运行中......");
  EXPECT_EQ(line(count - 1), "提示：");

  // The stop removes the running line and adds its own at the top.
  user.DeleteFirstStatusWithPrefix("按键运行中");
  user.InsertStatusTop("已停止!!!!!!!");
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), MainWindowUser::kMaxTopLines + 1);
  EXPECT_EQ(line(0), "已停止!!!!!!!");
  EXPECT_EQ(line(MainWindowUser::kMaxTopLines), "提示：");
  user.FlushStatusRedraw();
  EXPECT_TRUE(IsWindowVisible(list)) << "drawn again after the burst";
  user.Detach();
}

// The status list's paints, counted by a subclass of its window procedure.
WNDPROC list_proc = nullptr;
int list_paints = 0;
LRESULT CALLBACK CountingListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) ++list_paints;
  return CallWindowProcW(list_proc, hwnd, msg, wp, lp);
}

// A steady stream of lines leaves the timer that draws the list after a
// burst no turn (here the queue is not served at all): the list is drawn
// all the same, every 150 ms of the stream, right when the draw is due.
TEST(StatusList, IsDrawnDuringASteadyStream) {
  test::TestWindow::Options o;
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{200, 200, 500, 400};
  test::TestWindow parent(o);
  HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, 300, 200,
                              parent.hwnd(), reinterpret_cast<HMENU>(IDC_STATUS_LIST), nullptr, nullptr);
  ASSERT_TRUE(list);
  list_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingListProc)));
  MainWindowUser user;
  user.Attach(parent.hwnd());
  uint32_t now = 1000;
  user.UseClock([&] { return now; });
  user.ClearStatus();
  user.AppendStatus("按键运行中......");
  test::PumpMessages(100);

  // One line every 10 ms, until the list holds as many as it keeps (each
  // new line then drops the oldest).
  list_paints = 0;
  constexpr int kLines = MainWindowUser::kMaxTopLines + 100;
  for (int i = 1; i <= kLines; ++i) {
    user.InsertStatusTop("按下[A](前台) " + std::to_string(i));
    now += 10;
  }
  EXPECT_GE(list_paints, kLines * 10 / 150 - 1);
  user.Detach();
}

}  // namespace
}  // namespace tora
