// The magnifier's CPU use, both ways in one run: copying the whole screen at
// every tick and then enlarging a small part of it (the first way), and
// copying only the area the view shows (the way the magnifier works). Each
// way runs for the same time at the magnifier's own pace, a tick every
// 100 ms on a timer, doing what a tick does: read the cursor and its pixel,
// draw the enlarged view. Prints one line per way; scripts/zoom-bench.sh
// adds the X server's share, which the screen copies cost too.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/gdi.h"
#include "tools/magnifier.h"
#include "tools/tool_logic.h"

namespace tora {
namespace {

// The view of the magnifier as Wine shows its template here.
constexpr int kViewW = 96;
constexpr int kViewH = 72;

void DrawFromWholeScreen(HDC screen, int sw, int sh, POINT cursor, HDC target) {
  HDC copy = CreateCompatibleDC(screen);
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, sw, sh));
  {
    Selected use(copy, bitmap.get());
    BitBlt(copy, 0, 0, sw, sh, screen, 0, 0, SRCCOPY);
    const MagnifierArea area = MagnifierSource(Point{cursor.x, cursor.y},
                                               Point{kCursorMarkerHotspot.x, kCursorMarkerHotspot.y}, kViewW, kViewH,
                                               sw, sh);
    DrawCursorMarker(copy, area.marker.x, area.marker.y);
    const Rect& s = area.source;
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, kViewW, kViewH, copy, s.left, s.top, s.right - s.left, s.bottom - s.top, SRCCOPY);
  }
  DeleteDC(copy);
}

uint64_t ProcessCpu100ns() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto v = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  return v(kernel) + v(user);
}

void RunWay(const char* name, bool whole_screen, DWORD ms) {
  std::printf("BEGIN %s\n", name);
  std::fflush(stdout);
  DibCanvas view(kViewW, kViewH);
  const uint64_t cpu0 = ProcessCpu100ns();
  const DWORD start = GetTickCount();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, nullptr);
  int ticks = 0;
  MSG msg;
  while (GetTickCount() - start < ms && GetMessageW(&msg, nullptr, 0, 0)) {
    if (msg.message != WM_TIMER) continue;
    POINT at{};
    GetCursorPos(&at);
    ScreenDc screen;
    volatile COLORREF colour = GetPixel(screen.get(), at.x, at.y);
    (void)colour;
    const int sw = GetDeviceCaps(screen.get(), HORZRES);
    const int sh = GetDeviceCaps(screen.get(), VERTRES);
    if (whole_screen)
      DrawFromWholeScreen(screen.get(), sw, sh, at, view.dc());
    else
      DrawMagnifiedArea(screen.get(), sw, sh, at, view.dc(), kViewW, kViewH);
    GdiFlush();
    ++ticks;
  }
  KillTimer(nullptr, timer);
  const DWORD wall = GetTickCount() - start;
  const double cpu_ms = static_cast<double>(ProcessCpu100ns() - cpu0) / 10000.0;
  std::printf("END %s ticks=%d wall_ms=%lu cpu_ms=%.1f cpu_percent=%.2f cpu_ms_per_tick=%.3f\n", name, ticks,
              static_cast<unsigned long>(wall), cpu_ms, 100.0 * cpu_ms / wall, ticks ? cpu_ms / ticks : 0.0);
  std::fflush(stdout);
}

}  // namespace
}  // namespace tora

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 10;
  tora::RunWay("whole-screen", true, seconds * 1000);
  tora::RunWay("view-area", false, seconds * 1000);
  return 0;
}
