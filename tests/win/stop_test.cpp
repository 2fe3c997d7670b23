// A stop ends a worker at once whatever the condition it is testing: the
// real worker loop on the real screen, stopped in the middle of a search
// that would go on for seconds, and while it tests a picture larger than
// the screen over and over.
//
// What the worker still does after the stop is measured as the CPU time the
// process spends until the worker has ended, which a loaded machine does not
// stretch as it stretches the wall time; the wall time gets the bound of a
// second, so that a worker blocked somewhere does not pass either.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>

#include "engine/registry.h"
#include "engine/scheduler.h"
#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"
#include "vision/bmp.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

// The real screen, its copies counted.
class CountingScreen : public ScreenPort {
 public:
  Size ScreenSize() override { return screen_.ScreenSize(); }
  bool CaptureScreen(Frame& out) override { return screen_.CaptureScreen(out); }
  bool CaptureArea(const Rect& area, Frame& out, Point& origin) override {
    ++captures;
    return screen_.CaptureArea(area, out, origin);
  }
  std::atomic<int> captures{0};

 private:
  Win32Screen screen_;
};

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

class StopTest : public ::testing::Test {
 protected:
  StopTest()
      : platform_{screen_, input_, clipboard_, windows_, clock_, threads_, user_, files_, images_, trace_} {}

  // One ordinary task gated by the condition, due at every pass.
  void Gate(ScreenCondition condition) {
    PrepareCondition(condition);
    registry_.screen_conditions.Append(std::move(condition));
    registry_.action_lists.Append(ActionList{});
    RepeatTask task;
    task.has_condition = true;
    task.condition_id = 0;
    registry_.ordinary_tasks.Append(task);
    registry_.run_flag.Set();
    worker_ = threads_.Start([this] { RunRepeatWorker(TaskListKind::Ordinary, registry_, platform_); },
                             ThreadPriority::Normal);
  }

  // Stops the run; the CPU time the process spent until the worker ended,
  // and the wall time.
  void StopAndJoin(double& cpu_ms, double& wall_ms) {
    const double cpu = ProcessCpuMs();
    const auto start = std::chrono::steady_clock::now();
    registry_.run_flag.Clear();
    worker_->Join();
    wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cpu_ms = ProcessCpuMs() - cpu;
  }

  CountingScreen screen_;
  Win32Input input_;
  Win32Clipboard clipboard_;
  Win32Windows windows_;
  Win32Clock clock_;
  Win32Threads threads_;
  test::FakeUser user_;
  Win32Files files_;
  Win32Images images_;
  Win32Trace trace_;
  Platform platform_;
  ActionRegistry registry_;
  std::unique_ptr<WorkerThread> worker_;
};

// A pattern of 200,000 points "not near black" over 2000 x 2000 pixels,
// searched for over the whole screen, which is white with every fifth row
// black. No point has to lie on the screen, so every position is a
// candidate, and none matches: at four rows in five a candidate is rejected
// only by one of four points at the end of the list (which one depends on
// its row, so the points that rejected the last few candidates do not help),
// after reading all the others. The first search would take minutes; the
// stop comes when it has run for a while and must end it at once.
TEST_F(StopTest, EndsTheWorkerInTheMiddleOfALongSearch) {
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
  test::TestWindow screen(o);
  test::PumpMessages(300);

  ScreenCondition c;
  c.search_in_rect = true;
  c.points_are_offsets = true;
  c.rect = Rect{0, 0, 1280, 800};
  std::mt19937 rng(7);
  std::vector<ColorPoint> points{ColorPoint{0, 0, kOpNotNear, 0}};
  // Five rows apart: black for a candidate on a black row, else white.
  for (int i = 1; i < 200000; ++i)
    points.push_back(ColorPoint{static_cast<int32_t>(rng() % 2000), static_cast<int32_t>(rng() % 400) * 5,
                                kOpNotNear, 0});
  for (int32_t d = 1; d <= 4; ++d) points.push_back(ColorPoint{0, d, kOpNotNear, 0});
  c.points = std::move(points);
  Gate(std::move(c));
  ASSERT_TRUE(test::PumpUntil([&] { return screen_.captures.load() > 0; }, 10000));
  test::PumpMessages(500);  // well into the first search

  double cpu_ms = 0, wall_ms = 0;
  ASSERT_EQ(screen_.captures.load(), 1) << "the first search ended before the stop: it is too short for this test";
  StopAndJoin(cpu_ms, wall_ms);
  EXPECT_EQ(screen_.captures.load(), 1);
  EXPECT_LE(cpu_ms, 100.0) << "wall " << wall_ms << " ms";
  EXPECT_LE(wall_ms, 1000.0) << "CPU " << cpu_ms << " ms";
}

// A picture of 2000 x 2000 unthinned samples (four million) tested at every
// pass: it can never fit the screen, and testing it must stay cheap enough
// that a stop ends the worker at once.
TEST_F(StopTest, EndsTheWorkerTestingAPictureLargerThanTheScreen) {
  Frame picture;
  picture.Resize(2000, 2000);
  uint32_t state = 1;
  for (uint32_t& p : picture.pixels) p = (state = state * 1103515245u + 12345u) >> 8;
  ScreenCondition c;
  c.search_in_rect = true;
  c.points_are_offsets = true;
  c.rect = Rect{0, 0, 1280, 800};
  c.points = SamplePicture(picture, 0, ThinningRule::kDropAtOrBelow, Point{}, nullptr);
  Gate(std::move(c));
  test::PumpMessages(500);

  double cpu_ms = 0, wall_ms = 0;
  StopAndJoin(cpu_ms, wall_ms);
  EXPECT_LE(cpu_ms, 100.0) << "wall " << wall_ms << " ms";
  EXPECT_LE(wall_ms, 1000.0) << "CPU " << cpu_ms << " ms";
}

}  // namespace
}  // namespace tora
