// Colour search on a full-HD frame, against two references measured in the
// same run: the plain walk that reads every pixel through a function call
// (what a GetPixel-per-point search costs at best), and the fastest single
// pass over the whole frame (the floor for anything that looks at every
// pixel).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/platform.h"
#include "vision/color_test.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

// Screen-like noise: short runs of one colour, as flat areas and text give.
const Frame& NoiseFrame() {
  static const Frame frame = [] {
    Frame f;
    f.Resize(kWidth, kHeight);
    std::mt19937 rng(2024);
    uint32_t colour = 0;
    for (size_t i = 0; i < f.pixels.size(); ++i) {
      if (rng() % 8 == 0) colour = rng() & 0xFFFFFF;
      f.pixels[i] = colour;
    }
    return f;
  }();
  return frame;
}

constexpr uint32_t kFirst = 0x1234AB;

// Five points spread over a 40 x 25 box; the first colour is planted alone
// in many places so that the search must test the other points there.
std::vector<ColorPoint> FivePoints(int32_t op_first) {
  return {{100, 200, op_first, kFirst}, {120, 200, kOpEqual, 0x00FF00}, {100, 225, kOpEqual, 0xFF0000},
          {140, 210, kOpNotEqual, 0x000000}, {130, 220, kOpEqual, 0x0000FF}};
}

Frame WithDecoys(Frame f) {
  std::mt19937 rng(7);
  for (int k = 0; k < 300; ++k) f.Set(static_cast<int32_t>(rng() % kWidth), static_cast<int32_t>(rng() % kHeight), kFirst);
  return f;
}

const Frame& AbsentFrame() {
  static const Frame frame = WithDecoys(NoiseFrame());
  return frame;
}

// The pattern stands once, its first point at (1870, 1050).
const Frame& PresentFrame() {
  static const Frame frame = [] {
    Frame f = WithDecoys(NoiseFrame());
    const int32_t x = 1870, y = 1050;
    for (const ColorPoint& p : FivePoints(kOpEqual)) {
      const uint32_t c = p.op == kOpNotEqual ? 0x777777 : p.colour;
      f.Set(x + p.x - 100, y + p.y - 200, c);
    }
    return f;
  }();
  return frame;
}

ScreenCondition SearchCondition(std::vector<ColorPoint> points) {
  ScreenCondition c;
  c.search_in_rect = true;
  c.rect = Rect{0, 0, kWidth, kHeight};
  c.points = std::move(points);
  return c;
}

ScreenCondition NearCondition() {
  // Every point "~=", so the first one is what the scan filters on; about
  // one pixel in a hundred passes it.
  std::vector<ColorPoint> pts = FivePoints(kOpNear);
  for (ColorPoint& p : pts) p.op = kOpNear;
  return SearchCondition(pts);
}

ScreenCondition FixedCondition() {
  ScreenCondition c;
  const Frame& f = NoiseFrame();
  for (int i = 0; i < 20; ++i) {
    const int32_t x = 37 + 91 * i, y = 13 + 51 * i;
    c.points.push_back(ColorPoint{x, y, i % 2 ? kOpEqual : kOpNear, f.At(x, y)});
  }
  return c;
}

// The reference: one call per pixel read, the run flag before every read.
__attribute__((noinline)) uint32_t ReadPixel(const Frame& f, int64_t x, int64_t y) { return f.At(x, y); }

bool PerPixelSearch(ScreenCondition& c, const Frame& f, const RunFlag& flag, Point& found) {
  if (!c.search_in_rect) {
    for (const ColorPoint& p : c.points) {
      if (!flag.IsSet()) return false;
      if (!PointMatches(p.op, ReadPixel(f, p.x, p.y), p.colour, c.tolerance)) return false;
    }
    found = c.found_point.Load();
    return true;
  }
  const ColorPoint& first = c.points.front();
  for (int64_t x = c.rect.left; x < c.rect.right; ++x) {
    for (int64_t y = c.rect.top; y < c.rect.bottom; ++y) {
      bool all = true;
      for (const ColorPoint& p : c.points) {
        if (!flag.IsSet()) return false;
        if (!PointMatches(p.op, ReadPixel(f, x + p.x - first.x, y + p.y - first.y), p.colour, c.tolerance)) {
          all = false;
          break;
        }
      }
      if (all) {
        found = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
        c.found_point.Store(found);
        return true;
      }
    }
  }
  return false;
}

enum Method { kFast, kPerPixel };

void Run(benchmark::State& state, ScreenCondition condition, const Frame& frame, Method method, bool expect) {
  PrepareCondition(condition);  // once, as the script's call does
  RunFlag flag;
  flag.Set();
  Point found;
  for (auto _ : state) {
    const bool hit = method == kFast ? MatchCondition(condition, frame, flag, found, nullptr)
                                     : PerPixelSearch(condition, frame, flag, found);
    if (hit != expect) state.SkipWithError("wrong result");
    benchmark::DoNotOptimize(found);
  }
}

void BM_Color_Absent_Fast(benchmark::State& s) { Run(s, SearchCondition(FivePoints(kOpEqual)), AbsentFrame(), kFast, false); }
void BM_Color_Absent_PerPixel(benchmark::State& s) {
  Run(s, SearchCondition(FivePoints(kOpEqual)), AbsentFrame(), kPerPixel, false);
}
void BM_Color_BottomRight_Fast(benchmark::State& s) {
  Run(s, SearchCondition(FivePoints(kOpEqual)), PresentFrame(), kFast, true);
}
void BM_Color_BottomRight_PerPixel(benchmark::State& s) {
  Run(s, SearchCondition(FivePoints(kOpEqual)), PresentFrame(), kPerPixel, true);
}
void BM_Color_NearFirst_Fast(benchmark::State& s) { Run(s, NearCondition(), AbsentFrame(), kFast, false); }
void BM_Color_NearFirst_PerPixel(benchmark::State& s) { Run(s, NearCondition(), AbsentFrame(), kPerPixel, false); }
void BM_Color_Fixed20_Fast(benchmark::State& s) { Run(s, FixedCondition(), NoiseFrame(), kFast, true); }
void BM_Color_Fixed20_PerPixel(benchmark::State& s) { Run(s, FixedCondition(), NoiseFrame(), kPerPixel, true); }

// The floor: one pass over every pixel of the frame in memory order, each
// compared with a colour and the equal ones counted, so that no read can be
// dropped. Sixteen counters let the compiler keep several vector registers
// busy at once; one counter made the pass 2.7 times as slow, and so did an
// xor of the pixels (one chain of dependent steps).
inline __attribute__((always_inline)) size_t CountEqualIn(const uint32_t* pixels, size_t n, uint32_t colour) {
  constexpr size_t kLanes = 16;
  uint32_t lanes[kLanes] = {};
  size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    for (size_t k = 0; k < kLanes; ++k) lanes[k] += pixels[i + k] == colour ? 1 : 0;
  size_t total = 0;
  for (; i < n; ++i) total += pixels[i] == colour ? 1 : 0;
  for (uint32_t c : lanes) total += c;
  return total;
}

__attribute__((noinline)) size_t CountEqual(const uint32_t* pixels, size_t n, uint32_t colour) {
  return CountEqualIn(pixels, n, colour);
}

// The same pass in AVX2's wider registers. The program is built for plain
// x86-64; on this machine the wider pass is as fast when the machine is
// quiet (the memory's limit) and faster when the other core is busy.
__attribute__((noinline, target("avx2"))) size_t CountEqualAvx2(const uint32_t* pixels, size_t n, uint32_t colour) {
  return CountEqualIn(pixels, n, colour);
}

// The floor every search is measured against: the fastest of the two passes
// this processor can run.
void BM_Frame_SequentialRead(benchmark::State& state) {
  const Frame& f = AbsentFrame();
  const bool wide = __builtin_cpu_supports("avx2");
  for (auto _ : state)
    benchmark::DoNotOptimize(wide ? CountEqualAvx2(f.pixels.data(), f.pixels.size(), kFirst)
                                  : CountEqual(f.pixels.data(), f.pixels.size(), kFirst));
  state.SetLabel(wide ? "AVX2" : "x86-64");
}

void BM_Frame_SequentialReadPlain(benchmark::State& state) {
  const Frame& f = AbsentFrame();
  for (auto _ : state) benchmark::DoNotOptimize(CountEqual(f.pixels.data(), f.pixels.size(), kFirst));
}

BENCHMARK(BM_Frame_SequentialRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame_SequentialReadPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_Absent_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_Absent_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_BottomRight_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_BottomRight_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_NearFirst_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_NearFirst_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_Fixed20_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Color_Fixed20_PerPixel)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tora
