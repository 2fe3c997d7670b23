// What a waiting condition costs while the program runs: a copy of the
// given program runs one task gated by a fixed-mode condition of 20 points
// within a 60 x 40 area, checked ten times a second. The condition never
// holds (its colour is nowhere on the screen), so each check is a copy of
// the screen and a look at it, nothing more. A measurement, not a test:
//   scripts/wine-run.sh build/win64/tests/condition_cpu_bench.exe TORA_EXE [SECONDS]
// TORA_EXE is a Unix path. Prints "BEGIN" when the task has started and
// "END ..." after SECONDS; scripts/condition-cpu.sh reads the CPU time of
// the program's Linux process and of the X server between the two lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/texts.h"
#include "res/resource.h"
#include "tests/e2e/tora_harness.h"

using namespace tora_e2e;

namespace {

// 20 points on a 5 x 4 grid spanning 60 x 40 pixels in the middle of a
// 1280 x 800 screen.
std::string Script() {
  std::string points = "颜色点列表_二十={\r\n";
  for (int i = 0; i < 20; ++i) {
    const int x = 610 + (i % 5) * 59 / 4, y = 380 + (i / 5) * 39 / 3;
    points += "{" + std::to_string(x) + "," + std::to_string(y) + ",\"==\",0x010203},\r\n";
  }
  points += "}\r\n";
  return points +
         "找颜色点条件(\"二十\",\"颜色点列表_二十\",\"固定\",30)\r\n"
         "动作_无={ {\"按键\",\"Shift,0\"}, }\r\n"
         "重复动作(\"动作_无\",0.1,\"找颜色点条件(二十)\",\"0\",\"0\",0)\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: condition_cpu_bench.exe TORA_EXE [SECONDS]\n");
    return 2;
  }
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  Folder folder;
  if (!CopyFileW(FromUnixPath(argv[1]).c_str(), folder.File(L"tora.exe").c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", argv[1]);
    return 1;
  }
  const std::wstring script = folder.File(W("条件.txt"));
  Tora tora(folder);
  if (!WriteBytes(script, Script()) || !tora.Start() || !tora.WaitMainWindow()) {
    std::fprintf(stderr, "the program did not come up\n");
    return 1;
  }
  tora.SetText(IDC_SCRIPT_FILE, script);
  tora.Click(IDC_START);
  if (!WaitFor([&] { return WindowText(tora.main()) == W(tora::texts::kRunningTitle); })) {
    std::fprintf(stderr, "the task did not start\n");
    return 1;
  }
  Sleep(1000);  // past the start's own work
  std::printf("BEGIN\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  std::printf("END wall_ms=%lu\n", static_cast<unsigned long>(GetTickCount() - start));
  std::fflush(stdout);
  // Give the reader time to take its figures before the program goes; the
  // status lines show on the error stream that the script ran as meant.
  Sleep(500);
  for (const std::wstring& line : tora.Status()) std::fprintf(stderr, "status: %s\n", Gbk(line).c_str());
  tora.Click(IDC_STOP);
  return tora.Close() ? 0 : 1;
}
