// The main window's status list over a long run with every action shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window_user.h"
#include "platform/win32/wide.h"
#include "res/main_window.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

// The main window's part for the status list: its parent hands the list's
// measuring and drawing to the user, as the main window does.
MainWindowUser* drawing_user = nullptr;
WNDPROC parent_proc = nullptr;
LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MEASUREITEM && wp == IDC_STATUS_LIST) {
    drawing_user->MeasureStatusItem(GetDlgItem(hwnd, IDC_STATUS_LIST), *reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (msg == WM_DRAWITEM && wp == IDC_STATUS_LIST) {
    drawing_user->DrawStatusItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  return CallWindowProcW(parent_proc, hwnd, msg, wp, lp);
}

// A status list of the main window's kind in parent, drawn by user.
HWND StatusList(HWND parent, int width, int height, MainWindowUser& user) {
  drawing_user = &user;
  parent_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ParentProc)));
  return CreateWindowExW(0, L"LISTBOX", L"",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                             LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS,
                         0, 0, width, height, parent, reinterpret_cast<HMENU>(IDC_STATUS_LIST), nullptr, nullptr);
}

TEST(StatusList, KeepsTheNewestTraceLinesAndEveryAppendedLine) {
  test::TestWindow parent(test::TestWindow::Options{});
  MainWindowUser user;
  HWND list = StatusList(parent.hwnd(), 200, 100, user);
  ASSERT_TRUE(list);
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
  MainWindowUser user;
  HWND list = StatusList(parent.hwnd(), 300, 200, user);
  ASSERT_TRUE(list);
  list_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingListProc)));
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

// A line wider than the list is shown whole in rows of its width, broken
// where Chinese text and blanks allow; the list still holds it as one line.
TEST(StatusList, LongLinesGoOnInFurtherRows) {
  test::TestWindow::Options o;
  o.rect = RECT{100, 100, 400, 300};
  test::TestWindow parent(o);
  MainWindowUser user;
  HWND list = StatusList(parent.hwnd(), 300, 200, user);
  ASSERT_TRUE(list);
  user.Attach(parent.hwnd());
  const std::string warning =
      "警告：第3行 重复动作：动作表\"动作_3\"有相对坐标的鼠标动作，但这个任务的条件不找位置（没有条件，或是固定方式），"
      "相对坐标不会从找到的位置算起（开始时是0,0）";
  user.AppendStatus("按键运行中......");
  user.AppendStatus(warning);
  const LRESULT row = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  EXPECT_GE(SendMessageW(list, LB_GETITEMHEIGHT, 1, 0), 3 * row) << "the list is narrower than a third of the line";
  std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, 1, 0)), L'\0');
  SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text.data()));
  EXPECT_EQ(Narrow(text), warning);
  // A line of a megabyte takes the tallest item a list holds, and no
  // longer than its rows to measure.
  user.AppendStatus(std::string(1 << 20, 'x'));
  EXPECT_GT(SendMessageW(list, LB_GETITEMHEIGHT, 2, 0), 200);

  // Rows of any line in any width: in order, covering it, each within the
  // width unless it is a single character.
  HDC dc = GetDC(list);
  SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const std::wstring pieces[] = {L"条件", L"，", L"a", L"bcdefghij", L" ", L"（0,0）", L"W"};
  uint32_t seed = 1;
  for (int i = 0; i < 2000; ++i) {
    std::wstring line;
    for (int n = static_cast<int>(seed % 40); n > 0; --n) {
      seed = seed * 1103515245u + 12345u;
      line += pieces[(seed >> 16) % std::size(pieces)];
    }
    const int width = 4 + static_cast<int>(seed % 300);
    const std::vector<StatusRow> rows = StatusRows(dc, line, width, 1000);
    ASSERT_FALSE(rows.empty());
    size_t at = 0;
    for (const StatusRow& r : rows) {
      ASSERT_EQ(r.begin, at) << Narrow(line) << " in " << width;
      ASSERT_TRUE(r.end > r.begin || line.empty());
      SIZE size{};
      GetTextExtentPoint32W(dc, line.c_str() + r.begin, static_cast<int>(r.end - r.begin), &size);
      ASSERT_TRUE(size.cx <= width || r.end - r.begin == 1) << Narrow(line) << " in " << width;
      at = r.end;
    }
    ASSERT_EQ(at, line.size());
  }
  ReleaseDC(list, dc);
  user.Detach();
}

}  // namespace
}  // namespace tora
