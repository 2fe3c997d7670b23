// The time of one full-screen capture (a BitBlt into a fresh DIB section), as
// the screen conditions pay it at every evaluation. A measurement, not a test:
//   scripts/wine-run.sh build/win64/tests/capture_bench.exe [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/win32_ports.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  tora::Win32Screen screen;
  tora::Frame frame;
  if (!screen.CaptureScreen(frame)) {  // warm-up
    std::fprintf(stderr, "capture failed\n");
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) screen.CaptureScreen(frame);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / (runs > 0 ? runs : 1);
  std::printf("full-screen capture %dx%d: %.2f ms\n", frame.width, frame.height, ms);
  return 0;
}
