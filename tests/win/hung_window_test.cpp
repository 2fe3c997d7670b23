// A window rule whose window stops answering: the keeper and the stop never
// wait on another program.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/win/script_run_fixture.h"

namespace tora::test {
namespace {

using HungWindowRun = ScriptRunFixture;

// A window on a thread of its own that pumps until it is told to hang, and
// then waits for release without serving any message (a hung program).
class HangingWindow {
 public:
  HangingWindow() {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    hang_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] {
      TestWindow::Options o;
      o.title = L"挂起的窗口";
      o.class_name = L"ToraHungTarget";
      o.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
      o.rect = RECT{200, 200, 500, 400};
      TestWindow window(o);
      hwnd_ = window.hwnd();
      SetEvent(ready_);
      while (MsgWaitForMultipleObjects(1, &hang_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      }
      WaitForSingleObject(release_, INFINITE);
    });
    WaitForSingleObject(ready_, INFINITE);
  }
  ~HangingWindow() {
    SetEvent(hang_);
    SetEvent(release_);
    thread_.join();
    for (HANDLE h : {ready_, hang_, release_}) CloseHandle(h);
  }
  HWND hwnd() const { return hwnd_; }
  void Hang() { SetEvent(hang_); }
  // Lets the thread go after ms, as a program that recovers would; true
  // when that was needed before the caller got on.
  void ReleaseAfter(DWORD ms) {
    watchdog_ = std::thread([this, ms] {
      if (WaitForSingleObject(done_with_it_, ms) == WAIT_TIMEOUT) {
        released_by_watchdog_ = true;
        SetEvent(release_);
      }
    });
  }
  bool Finish() {
    SetEvent(done_with_it_);
    watchdog_.join();
    return released_by_watchdog_;
  }

 private:
  HANDLE ready_, hang_, release_;
  HANDLE done_with_it_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> released_by_watchdog_{false};
  std::thread thread_;
  std::thread watchdog_;
  HWND hwnd_ = nullptr;
};

TEST_F(HungWindowRun, StopReturnsWhileThePinnedWindowHangs) {
  HangingWindow target;
  Start("窗口操作(\"挂起\",\"挂起的窗口\",\"左上角\",\"置顶\",250,150,0.1)\r\n");
  ASSERT_TRUE(PumpUntil([&] { return (GetWindowLongW(target.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5000));
  target.Hang();
  // The keeper keeps placing the hung window for a while.
  PumpMessages(500);
  target.ReleaseAfter(20000);
  host_.StopScript();
  host_.JoinWorkers();
  EXPECT_FALSE(target.Finish()) << "the stop waited for the hung window";
}

}  // namespace
}  // namespace tora::test
