// What a waiting condition costs while the program runs: a copy of the
// given program runs one task gated by a condition that never holds, so
// that each check is a copy of the screen and a look at it, nothing more.
// A measurement, not a test:
//   scripts/wine-run.sh build/win64/tests/condition_cpu_bench.exe TORA_EXE [SECONDS [CASE]]
// CASE is one of
//   points  (the default) a fixed-mode condition of 20 points within a 60 x 40
//           area, checked ten times a second;
//   WxH     a picture of W x H pixels of 24-bit noise, thinned by 50 (the
//           editor's first choice; WxH/P: by P), searched for over the whole
//           screen every 0.5 s;
//   none    the same task every 0.5 s without a condition (the idle program).
// TORA_EXE is a Unix path. Prints "BEGIN" when the task has started, "END
// ..." after SECONDS, then stops the run and prints "STOPPED" once its
// workers had a second to end; scripts/condition-cpu.sh reads the CPU time
// of the program's Linux process and of the X server between the first two
// lines, and the program's memory at the last two.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/texts.h"
#include "res/main_window.h"
#include "tests/e2e/tora_harness.h"

using namespace tora_e2e;

namespace {

constexpr char kTask[] = "动作_无={ {\"按键\",\"Shift,0\"}, }\r\n";

// 20 points on a 5 x 4 grid spanning 60 x 40 pixels in the middle of a
// 1280 x 800 screen.
std::string PointsScript() {
  std::string points = "颜色点列表_二十={\r\n";
  for (int i = 0; i < 20; ++i) {
    const int x = 610 + (i % 5) * 59 / 4, y = 380 + (i / 5) * 39 / 3;
    points += "{" + std::to_string(x) + "," + std::to_string(y) + ",\"==\",0x010203},\r\n";
  }
  points += "}\r\n";
  return points + "找颜色点条件(\"二十\",\"颜色点列表_二十\",\"固定\",30)\r\n" + kTask +
         "重复动作(\"动作_无\",0.1,\"找颜色点条件(二十)\",\"0\",\"0\",0)\r\n";
}

std::string PictureScript(int thinning) {
  return "找图像条件(\"图\",\"活动\",\"全屏\"," + std::to_string(thinning) + ",\"图.bmp\")\r\n" + kTask +
         "重复动作(\"动作_无\",0.5,\"找图像条件(图)\",\"0\",\"0\",0)\r\n";
}

std::string IdleScript() { return std::string(kTask) + "重复动作(\"动作_无\",0.5,\"0\",\"0\",\"0\",0)\r\n"; }

void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 24-bit bottom-up BMP of noise, which no screen shows.
std::string NoiseBmp(int32_t width, int32_t height) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::string s(54 + stride * static_cast<size_t>(height), '\0');
  s[0] = 'B';
  s[1] = 'M';
  PutU32(s, 2, static_cast<uint32_t>(s.size()));
  PutU32(s, 10, 54);
  PutU32(s, 14, 40);
  PutU32(s, 18, static_cast<uint32_t>(width));
  PutU32(s, 22, static_cast<uint32_t>(height));
  s[26] = 1;
  s[28] = 24;
  uint32_t state = 2463534242u;
  for (int32_t row = 0; row < height; ++row)
    for (int32_t x = 0; x < width; ++x) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      std::memcpy(&s[54 + static_cast<size_t>(row) * stride + static_cast<size_t>(x) * 3], &state, 3);
    }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: condition_cpu_bench.exe TORA_EXE [SECONDS [points|none|WxH[/P]]]\n");
    return 2;
  }
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  const std::string which = argc > 3 ? argv[3] : "points";
  Folder folder;
  if (!CopyFileW(FromUnixPath(argv[1]).c_str(), folder.File(L"tora.exe").c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", argv[1]);
    return 1;
  }
  std::string script;
  int width = 0, height = 0, thinning = 50;
  if (which == "points") {
    script = PointsScript();
  } else if (which == "none") {
    script = IdleScript();
  } else if (std::sscanf(which.c_str(), "%dx%d/%d", &width, &height, &thinning) >= 2 && width > 0 && height > 0) {
    if (!WriteBytes(folder.File(W("图.bmp")), NoiseBmp(width, height))) {
      std::fprintf(stderr, "cannot write the picture\n");
      return 1;
    }
    script = PictureScript(thinning);
  } else {
    std::fprintf(stderr, "unknown case %s\n", which.c_str());
    return 2;
  }
  const std::wstring path = folder.File(W("条件.txt"));
  Tora tora(folder);
  if (!WriteBytes(path, script) || !tora.Start() || !tora.WaitMainWindow()) {
    std::fprintf(stderr, "the program did not come up\n");
    return 1;
  }
  tora.SetText(IDC_SCRIPT_FILE, path);
  tora.Click(IDC_START);
  if (!WaitFor([&] { return WindowText(tora.main()) == W(tora::texts::kRunningTitle); }, 60000)) {
    std::fprintf(stderr, "the task did not start\n");
    for (const std::wstring& line : tora.Status()) std::fprintf(stderr, "status: %s\n", Gbk(line).c_str());
    return 1;
  }
  Sleep(1000);  // past the start's own work
  std::printf("BEGIN\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  std::printf("END wall_ms=%lu\n", static_cast<unsigned long>(GetTickCount() - start));
  std::fflush(stdout);
  // Give the reader time to take its figures before the run stops; the
  // status lines show on the error stream that the script ran as meant.
  Sleep(500);
  for (const std::wstring& line : tora.Status()) std::fprintf(stderr, "status: %s\n", Gbk(line).c_str());
  tora.Click(IDC_STOP);
  WaitFor([&] { return WindowText(tora.main()) == W(tora::texts::kAppTitle); });
  Sleep(1000);
  std::printf("STOPPED\n");
  std::fflush(stdout);
  Sleep(500);
  return tora.Close() ? 0 : 1;
}
