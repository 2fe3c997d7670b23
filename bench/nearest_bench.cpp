// A condition that does not hold, explained on a full-HD frame: the nearest
// miss (the candidate where most points pass, with what differs there)
// beside the live search's own answer, and beside a plain count of every
// candidate that stops a candidate once it can no longer beat the best so
// far (for a picture only in the worst case: it takes some 15 s a run).
// A 20-point pattern and a 32 x 32 picture (no thinning) over the whole
// screen: absent, drawn with a few pixels changed, and for the picture the
// worst cases: colours the screen holds but nowhere together, and a flat
// screen of its colour but for one sample.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/platform.h"
#include "vision/bmp.h"
#include "vision/color_test.h"
#include "vision/condition_check.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
// Near the bottom-right: nearly every place is counted before it.
constexpr Point kDrawnAt{1850, 1030};

// Screen-like noise: short runs of one colour, as flat areas and text give.
Frame Noise(int32_t width, int32_t height, uint32_t seed) {
  Frame f;
  f.Resize(width, height);
  std::mt19937 rng(seed);
  uint32_t colour = 0;
  for (uint32_t& p : f.pixels) {
    if (rng() % 8 == 0) colour = rng() & 0xFFFFFF;
    p = colour;
  }
  return f;
}

// Twenty points within 60 x 40, four of them "~=" (tolerance 20), with
// colours of another noise.
ScreenCondition Pattern() {
  ScreenCondition c;
  c.search_in_rect = true;
  c.rect = Rect{0, 0, kWidth, kHeight};
  c.tolerance = 20;
  std::mt19937 rng(11);
  for (int i = 0; i < 20; ++i)
    c.points.push_back(ColorPoint{500 + static_cast<int32_t>(rng() % 60), 300 + static_cast<int32_t>(rng() % 40),
                                  i % 5 == 4 ? kOpNear : kOpEqual, static_cast<uint32_t>(rng() & 0xFFFFFF)});
  PrepareCondition(c);
  return c;
}

// What 找图像条件 registers for a 32 x 32 picture over the whole screen,
// unthinned.
ScreenCondition Picture(const Frame& picture) {
  ScreenCondition c;
  c.search_in_rect = true;
  c.points_are_offsets = true;
  c.rect = Rect{0, 0, kWidth, kHeight};
  c.picture = "bench.bmp";
  c.points = SamplePicture(picture, 0, ThinningRule::kDropAtOrBelow, Point{}, nullptr);
  PrepareCondition(c);
  return c;
}

const Frame& Screen() {
  static const Frame f = Noise(kWidth, kHeight, 2024);
  return f;
}

const Frame& PictureFrame() {
  static const Frame f = Noise(32, 32, 99);
  return f;
}

// The screen with the pattern drawn at kDrawnAt, `spoiled` of its points
// given another colour.
Frame WithPattern(const ScreenCondition& c, int spoiled) {
  Frame f = Screen();
  const ColorPoint first = c.points.front();
  for (size_t i = 0; i < c.points.size(); ++i) {
    const ColorPoint p = c.points[i];
    const uint32_t colour = static_cast<int>(i) * 7 % static_cast<int>(c.points.size()) < spoiled ? 0x010203 : p.colour;
    const int32_t dx = c.points_are_offsets ? p.x : p.x - first.x, dy = c.points_are_offsets ? p.y : p.y - first.y;
    f.Set(kDrawnAt.x + dx, kDrawnAt.y + dy, colour);
  }
  return f;
}

struct Case {
  ScreenCondition condition;
  Frame screen;
  uint64_t matched = 0;  // at the nearest place
};

const Case& PatternAbsent() {
  static const Case c{Pattern(), Screen()};
  return c;
}
const Case& PatternNearMiss() {
  static const Case c = [] {
    ScreenCondition cond = Pattern();
    Frame f = WithPattern(cond, 2);
    return Case{cond, f, 18};
  }();
  return c;
}
const Case& PictureAbsent() {
  static const Case c{Picture(PictureFrame()), Screen()};
  return c;
}
const Case& PictureNearMiss() {
  static const Case c = [] {
    ScreenCondition cond = Picture(PictureFrame());
    Frame f = WithPattern(cond, 3);
    return Case{cond, f, 1021};
  }();
  return c;
}
// A picture of colours that the screen holds, each somewhere else: no
// sample can be left out of the counts, and no place comes near.
const Case& PictureOfScreenColours() {
  static const Case c = [] {
    Frame picture;
    picture.Resize(32, 32);
    std::mt19937 rng(3);
    for (uint32_t& p : picture.pixels) p = Screen().pixels[rng() % Screen().pixels.size()];
    return Case{Picture(picture), Screen()};
  }();
  return c;
}

// A flat screen and a picture of its colour but for one sample: every place
// misses by that one sample.
const Case& PictureFlat() {
  static const Case c = [] {
    Frame flat;
    flat.Resize(kWidth, kHeight, 0x3C6E9A);
    Frame picture;
    picture.Resize(32, 32, 0x3C6E9A);
    picture.Set(31, 31, 0x000001);
    return Case{Picture(picture), flat, 1023};
  }();
  return c;
}

RunFlag& Running() {
  static RunFlag* flag = [] {
    auto* f = new RunFlag;
    f->Set();
    return f;
  }();
  return *flag;
}

void Expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "nearest_bench: %s\n", what);
    std::abort();
  }
}

// Every candidate in the search's order, its points in list order, given
// up once it cannot beat the best so far.
uint64_t PlainCount(const ScreenCondition& c, const Frame& f, Point& at) {
  const ColorPoint first = c.points.front();
  const int64_t n = static_cast<int64_t>(c.points.size());
  int64_t best = -1;
  for (int32_t x = c.rect.left; x < c.rect.right; ++x)
    for (int32_t y = c.rect.top; y < c.rect.bottom; ++y) {
      int64_t fails = 0;
      for (const ColorPoint& p : c.points) {
        const int64_t px = c.points_are_offsets ? x + p.x : x + p.x - first.x;
        const int64_t py = c.points_are_offsets ? y + p.y : y + p.y - first.y;
        if (!PointMatches(p.op, f.At(px, py), p.colour, c.tolerance) && n - ++fails <= best) break;
      }
      if (n - fails > best) {
        best = n - fails;
        at = Point{x, y};
      }
    }
  return static_cast<uint64_t>(best);
}

void Check(benchmark::State& state, const Case& c) {
  const ConditionCheck first = CheckCondition(c.condition, c.screen, Running());
  Expect(!first.met && first.has_nearest, "the condition holds or has no nearest place");
  if (c.matched != 0) Expect(first.matched == c.matched, "the nearest place is not the drawn one");
  for (auto _ : state) benchmark::DoNotOptimize(CheckCondition(c.condition, c.screen, Running()));
  state.counters["points"] = static_cast<double>(c.condition.points.size());
}

void Search(benchmark::State& state, const Case& c) {
  Point at;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SearchCondition(*c.condition.prepared, c.screen, Running(), at));
    benchmark::DoNotOptimize(at);
  }
}

void Plain(benchmark::State& state, const Case& c) {
  const ConditionCheck check = CheckCondition(c.condition, c.screen, Running());
  Point at;
  Expect(PlainCount(c.condition, c.screen, at) == check.matched && at == check.nearest,
         "the plain count disagrees with the nearest miss");
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlainCount(c.condition, c.screen, at));
    benchmark::DoNotOptimize(at);
  }
}

void BM_NearestMiss_Pattern20Absent_Fast(benchmark::State& s) { Check(s, PatternAbsent()); }
void BM_NearestMiss_Pattern20Absent_LiveSearch(benchmark::State& s) { Search(s, PatternAbsent()); }
void BM_NearestMiss_Pattern20Absent_PlainCount(benchmark::State& s) { Plain(s, PatternAbsent()); }
void BM_NearestMiss_Pattern20Near_Fast(benchmark::State& s) { Check(s, PatternNearMiss()); }
void BM_NearestMiss_Pattern20Near_LiveSearch(benchmark::State& s) { Search(s, PatternNearMiss()); }
void BM_NearestMiss_Pattern20Near_PlainCount(benchmark::State& s) { Plain(s, PatternNearMiss()); }
void BM_NearestMiss_Picture32Absent_Fast(benchmark::State& s) { Check(s, PictureAbsent()); }
void BM_NearestMiss_Picture32Absent_LiveSearch(benchmark::State& s) { Search(s, PictureAbsent()); }
void BM_NearestMiss_Picture32ScreenColours_Fast(benchmark::State& s) { Check(s, PictureOfScreenColours()); }
void BM_NearestMiss_Picture32ScreenColours_LiveSearch(benchmark::State& s) { Search(s, PictureOfScreenColours()); }
void BM_NearestMiss_Picture32ScreenColours_PlainCount(benchmark::State& s) { Plain(s, PictureOfScreenColours()); }
void BM_NearestMiss_Picture32Near_Fast(benchmark::State& s) { Check(s, PictureNearMiss()); }
void BM_NearestMiss_Picture32Near_LiveSearch(benchmark::State& s) { Search(s, PictureNearMiss()); }
void BM_NearestMiss_Picture32Flat_Fast(benchmark::State& s) { Check(s, PictureFlat()); }
void BM_NearestMiss_Picture32Flat_LiveSearch(benchmark::State& s) { Search(s, PictureFlat()); }

BENCHMARK(BM_NearestMiss_Pattern20Absent_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Pattern20Absent_LiveSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Pattern20Absent_PlainCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Pattern20Near_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Pattern20Near_LiveSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Pattern20Near_PlainCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Absent_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Absent_LiveSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32ScreenColours_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32ScreenColours_LiveSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32ScreenColours_PlainCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Near_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Near_LiveSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Flat_Fast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestMiss_Picture32Flat_LiveSearch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tora
