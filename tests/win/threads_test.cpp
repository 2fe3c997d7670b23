// Worker threads, their priorities, and waits on the interface thread that
// keep serving the status-line inserts workers send meanwhile.
#include <gtest/gtest.h>

#include <atomic>

#include "engine/registry.h"
#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

TEST(Threads, RunAtTheChosenPriority) {
  Win32Threads threads;
  const ThreadPriority all[] = {ThreadPriority::Highest, ThreadPriority::Normal, ThreadPriority::BelowNormal,
                                ThreadPriority::Lowest};
  const int want[] = {THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_BELOW_NORMAL,
                      THREAD_PRIORITY_LOWEST};
  for (size_t i = 0; i < 4; ++i) {
    std::atomic<int> seen{-100};
    auto worker = threads.Start([&] { seen = GetThreadPriority(GetCurrentThread()); }, all[i]);
    worker->Join();
    EXPECT_EQ(seen.load(), want[i]) << i;
  }
}

TEST(Threads, FinishedOnlyOnceTheBodyReturned) {
  Win32Threads threads;
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> ran{false};
  auto worker = threads.Start(
      [&] {
        WaitForSingleObject(go, INFINITE);
        ran = true;
      },
      ThreadPriority::Normal);
  Sleep(20);
  EXPECT_FALSE(worker->Finished());
  SetEvent(go);
  worker->Join();
  EXPECT_TRUE(worker->Finished());
  EXPECT_TRUE(ran);
  worker->Join();  // a second join returns at once
  CloseHandle(go);
}

// Dropping a worker waits for its body: the body refers to state its owner
// is about to free.
TEST(Threads, DestroyingAWorkerWaitsForItsBody) {
  Win32Threads threads;
  std::atomic<int> steps{0};
  {
    auto worker = threads.Start(
        [&] {
          for (int i = 0; i < 5; ++i) {
            Sleep(10);
            ++steps;
          }
        },
        ThreadPriority::Lowest);
  }
  EXPECT_EQ(steps.load(), 5);
}

// The worker inserts status lines the way the program's workers do, with a
// synchronous message to a window of this thread. A timeout instead of an
// endless send turns a deadlock into a failure.
constexpr UINT kLine = WM_APP + 7;

struct Sink {
  HWND hwnd = nullptr;
  std::vector<int> lines;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kLine) {
      reinterpret_cast<Sink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->lines.push_back(static_cast<int>(wp));
      return 1;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  Sink() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Sink::Proc;
    wc.lpszClassName = L"ToraThreadSink";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, L"ToraThreadSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Sink() { DestroyWindow(hwnd); }
};

// Sends count lines; returns how many were delivered before the first one
// that the receiving thread did not take within two seconds.
int SendLines(HWND to, int count) {
  for (int i = 0; i < count; ++i) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(to, kLine, static_cast<WPARAM>(i), 0, SMTO_NORMAL, 2000, &result)) return i;
  }
  return count;
}

TEST(Threads, JoinServesMessagesSentByTheWorker) {
  Sink sink;
  Win32Threads threads;
  std::atomic<int> delivered{-1};
  auto worker = threads.Start([&] { delivered = SendLines(sink.hwnd, 200); }, ThreadPriority::Normal);
  worker->Join();
  EXPECT_EQ(delivered.load(), 200);
  ASSERT_EQ(sink.lines.size(), 200u);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(sink.lines[i], i);
}

TEST(Threads, WaitUntilServesMessagesSentByTheWorker) {
  Sink sink;
  Win32Threads threads;
  std::atomic<int> delivered{-1};
  std::atomic<bool> done{false};
  auto worker = threads.Start(
      [&] {
        delivered = SendLines(sink.hwnd, 50);
        done = true;
        Sleep(50);  // still running when the wait ends
      },
      ThreadPriority::Normal);
  threads.WaitUntil([&] { return done.load(); });
  EXPECT_EQ(delivered.load(), 50);
  EXPECT_EQ(sink.lines.size(), 50u);
  worker->Join();
}

// The fake main window inserts status lines the same way; several workers
// at once, none of them lost.
TEST(Threads, StatusLinesFromSeveralWorkersWhileTheInterfaceThreadJoins) {
  test::FakeUser user;
  Win32Threads threads;
  std::vector<std::unique_ptr<WorkerThread>> workers;
  for (int w = 0; w < 3; ++w)
    workers.push_back(threads.Start(
        [&user, w] {
          for (int i = 0; i < 30; ++i) user.InsertStatusTop("工作" + std::to_string(w));
        },
        ThreadPriority::BelowNormal));
  for (auto& worker : workers) worker->Join();
  const std::vector<std::string> status = user.Status();
  EXPECT_EQ(status.size(), 90u);
}

TEST(Clock, PauseEndsWhenTheRunIsStopped) {
  Win32Clock clock;
  RunFlag flag;
  flag.Set();
  Win32Threads threads;
  auto stopper = threads.Start(
      [&] {
        Sleep(50);
        flag.Clear();
      },
      ThreadPriority::Normal);
  const uint32_t start = clock.TickCount();
  EXPECT_FALSE(clock.Pause(10000, flag));
  EXPECT_LT(clock.TickCount() - start, 5000u);
  stopper->Join();
  flag.Set();
  EXPECT_TRUE(clock.Pause(20, flag));
}

}  // namespace
}  // namespace tora
