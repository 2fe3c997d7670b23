// A stop ends a worker at once in the middle of a search: the real worker
// loop on the real screen. What the worker still does after the stop is
// measured as the CPU time the process spends until the worker has ended,
// which a loaded machine does not stretch as it stretches the wall time;
// the wall time gets a bound of a second, so that a worker blocked
// somewhere does not pass either.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>

#include "engine/registry.h"
#include "engine/scheduler.h"
#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

// The real screen, its copies counted.
class CountingScreen : public Win32Screen {
 public:
  bool CaptureArea(const Rect& area, Frame& out, Point& origin) override {
    ++captures;
    return Win32Screen::CaptureArea(area, out, origin);
  }
  std::atomic<int> captures{0};
};

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

// A pattern of 200,000 points "not near black" over 2000 x 2000 pixels,
// searched for over the whole screen, which is white with every fifth row
// black. No point has to lie on the screen, so every position is a
// candidate, and none matches: at four rows in five a candidate is rejected
// only by one of four points at the end of the list (which one depends on
// its row, so the points that rejected the last few candidates do not help),
// after reading all the others. The first search would take minutes.
TEST(Stop, EndsTheWorkerInTheMiddleOfALongSearch) {
  test::TestWindow::Options o;
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{0, 0, 1280, 800};
  o.paint = [](HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (LONG y = 4; y < client.bottom; y += 5) {
      const RECT row{0, y, client.right, y + 1};
      FillRect(dc, &row, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
  };
  test::TestWindow window(o);
  test::PumpMessages(300);

  ActionRegistry registry;
  ScreenCondition c;
  c.search_in_rect = true;
  c.points_are_offsets = true;
  c.rect = Rect{0, 0, 1280, 800};
  std::mt19937 rng(7);
  std::vector<ColorPoint> points{ColorPoint{0, 0, kOpNotNear, 0}};
  for (int i = 1; i < 200000; ++i)  // five rows apart: all black or all white for a candidate
    points.push_back(ColorPoint{static_cast<int32_t>(rng() % 2000), static_cast<int32_t>(rng() % 400) * 5,
                                kOpNotNear, 0});
  for (int32_t d = 1; d <= 4; ++d) points.push_back(ColorPoint{0, d, kOpNotNear, 0});
  c.points = std::move(points);
  PrepareCondition(c);
  registry.screen_conditions.Append(std::move(c));
  registry.action_lists.Append(ActionList{});
  RepeatTask task;
  task.has_condition = true;
  task.condition_id = 0;
  registry.ordinary_tasks.Append(task);

  CountingScreen screen;
  Win32Input input;
  Win32Clipboard clipboard;
  Win32Windows windows;
  Win32Clock clock;
  Win32Threads threads;
  test::FakeUser user;
  Win32Files files;
  Win32Images images;
  Win32Trace trace;
  Platform platform{screen, input, clipboard, windows, clock, threads, user, files, images, trace};
  registry.run_flag.Set();
  auto worker = threads.Start([&] { RunRepeatWorker(TaskListKind::Ordinary, registry, platform); },
                              ThreadPriority::Normal);
  ASSERT_TRUE(test::PumpUntil([&] { return screen.captures.load() > 0; }, 10000));
  test::PumpMessages(500);  // well into the first search
  ASSERT_EQ(screen.captures.load(), 1) << "the first search ended before the stop: too short for this test";

  const double cpu = ProcessCpuMs();
  const auto start = std::chrono::steady_clock::now();
  registry.run_flag.Clear();
  worker->Join();
  const double wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpu_ms = ProcessCpuMs() - cpu;
  EXPECT_EQ(screen.captures.load(), 1);
  EXPECT_LE(cpu_ms, 100.0) << "wall " << wall_ms << " ms";
  EXPECT_LE(wall_ms, 1000.0) << "CPU " << cpu_ms << " ms";
}

}  // namespace
}  // namespace tora
