// What one evaluation of a screen condition pays to copy the screen: the
// whole screen, against the areas ColorTest copies for typical conditions.
// A measurement, not a test:
//   scripts/wine-run.sh build/win64/tests/capture_bench.exe [RUNS [XSERVER_PID]]
// Wall time is the median of RUNS captures; CPU time is the mean over them,
// as the clocks are too coarse to time one capture: this process's, and
// under Wine the X server's too when its Linux process id is given (it does
// much of the copying there).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/win32/win32_ports.h"

namespace {

struct Timing {
  double wall_ms = 0;    // median
  double cpu_ms = 0;     // mean
  double server_ms = 0;  // mean, the X server's
};

int server_pid = 0;

// The X server's CPU time so far, read through Wine's view of the Linux
// file system; 0 when there is none.
double ServerCpuMs() {
  if (server_pid <= 0) return 0;
  char path[64];
  std::snprintf(path, sizeof path, "Z:\\proc\\%d\\stat", server_pid);
  std::FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  char text[1024] = {};
  const size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  text[n] = '\0';
  // Fields 14 and 15 (user and system time in ticks of 10 ms) follow the
  // command name, which ends at the last ')'.
  const char* p = std::strrchr(text, ')');
  if (!p) return 0;
  unsigned long long user = 0, system = 0;
  if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system) != 2) return 0;
  return static_cast<double>(user + system) * 10.0;
}

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

Timing Measure(int runs, const std::function<bool()>& capture) {
  capture();  // warm-up
  std::vector<double> wall;
  wall.reserve(static_cast<size_t>(runs));
  const double cpu_start = ProcessCpuMs(), server_start = ServerCpuMs();
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    capture();
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  Timing t;
  std::nth_element(wall.begin(), wall.begin() + static_cast<long>(wall.size() / 2), wall.end());
  t.wall_ms = wall[wall.size() / 2];
  t.cpu_ms = (ProcessCpuMs() - cpu_start) / runs;
  t.server_ms = (ServerCpuMs() - server_start) / runs;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 200);
  server_pid = argc > 2 ? std::atoi(argv[2]) : 0;
  tora::Win32Screen screen;
  tora::Frame frame;
  tora::Point origin;
  if (!screen.CaptureScreen(frame)) {
    std::fprintf(stderr, "capture failed\n");
    return 1;
  }
  const int32_t w = frame.width, h = frame.height;
  struct Case {
    const char* name;
    tora::Rect area;  // what ColorTest copies for that condition
  };
  // Placed in the middle of the screen, away from its edges.
  const int32_t cx = w / 2, cy = h / 2;
  const Case cases[] = {
      {"fixed mode, 20 points within 100 x 100", {cx, cy, cx + 100, cy + 100}},
      {"rectangle 200 x 200, 5-point pattern within 10 x 10", {cx, cy, cx + 209, cy + 209}},
      {"fixed picture 32 x 32", {cx, cy, cx + 32, cy + 32}},
  };
  const Timing full = Measure(runs, [&] { return screen.CaptureScreen(frame); });
  std::printf("full-screen capture %dx%d: %.3f ms wall (median of %d), %.3f ms CPU, X server %.3f ms\n", w, h,
              full.wall_ms, runs, full.cpu_ms, full.server_ms);
  for (const Case& c : cases) {
    const Timing t = Measure(runs, [&] { return screen.CaptureArea(c.area, frame, origin); });
    std::printf("%s (copies %dx%d): %.3f ms wall, %.3f ms CPU, X server %.3f ms; full screen costs %.0fx the wall time\n",
                c.name, c.area.right - c.area.left, c.area.bottom - c.area.top, t.wall_ms, t.cpu_ms, t.server_ms,
                t.wall_ms > 0 ? full.wall_ms / t.wall_ms : 0.0);
  }
  return 0;
}
