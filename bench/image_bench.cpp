// Finding a 32 x 32 picture (thinned by 50) on a full-HD frame, against
// three references measured in the same run: an exact template match of the
// same picture by a general image library (single thread); the plain search
// that reads every sample through a function call (what one GetPixel per
// sample costs at best); and the exact search a typical scripting tool
// offers, the picture's first pixel at every place and then the picture
// row by row. The worst cases put a picture that agrees with the screen at
// most of its samples on a flat screen, so that the picture's first samples
// reject no place.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/platform.h"
#include "vision/bmp.h"
#include "vision/color_test.h"
#include "vision/prepared_condition.h"

namespace tora {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kSide = 32;
constexpr int32_t kThinning = 50;
// Near the bottom-right: almost every column is searched before the match.
constexpr Point kPresentAt{1880, 1040};
constexpr uint32_t kFlat = 0x3C6E9A;

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

void Draw(Frame& screen, const Frame& picture, Point at) {
  for (int32_t y = 0; y < picture.height; ++y)
    for (int32_t x = 0; x < picture.width; ++x) screen.Set(at.x + x, at.y + y, picture.At(x, y));
}

// What 找图像条件 registers for the picture over the whole screen.
ScreenCondition ImageCondition(const Frame& picture) {
  ScreenCondition c;
  c.search_in_rect = true;
  c.points_are_offsets = true;
  c.rect = Rect{0, 0, kWidth, kHeight};
  SetThinningRandState(1);
  c.points = SamplePicture(picture, kThinning, ThinningRule::kDropAtOrBelow, Point{}, nullptr);
  return c;
}

struct Case {
  Frame screen;
  Frame picture;
  mutable ScreenCondition condition;  // the search writes its found point
  bool present = false;
  Point at;
  cv::Mat screen_bgr;
  cv::Mat picture_bgr;
};

cv::Mat ToBgr(const Frame& f) {
  cv::Mat m(f.height, f.width, CV_8UC3);
  for (int32_t y = 0; y < f.height; ++y) {
    auto* row = m.ptr<uint8_t>(y);
    for (int32_t x = 0; x < f.width; ++x) {
      const uint32_t c = f.At(x, y);
      row[3 * x] = static_cast<uint8_t>(c >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(c);
    }
  }
  return m;
}

Case MakeCase(Frame screen, Frame picture, bool present, Point at) {
  Case c;
  if (present) Draw(screen, picture, at);
  c.screen = std::move(screen);
  c.picture = std::move(picture);
  c.condition = ImageCondition(c.picture);
  PrepareCondition(c.condition);  // once, as the script's call does
  c.present = present;
  c.at = at;
  c.screen_bgr = ToBgr(c.screen);
  c.picture_bgr = ToBgr(c.picture);
  return c;
}

const Case& Absent() {
  static const Case c = MakeCase(Noise(kWidth, kHeight, 2024), Noise(kSide, kSide, 99), false, {});
  return c;
}

// A picture of 640 x 480 (153,000 samples) that the screen does not show:
// what a check of a large picture costs once it is prepared.
const Case& LargeAbsent() {
  static const Case c = MakeCase(Noise(kWidth, kHeight, 2024), Noise(640, 480, 7), false, {});
  return c;
}

const Case& Present() {
  static const Case c = MakeCase(Noise(kWidth, kHeight, 2024), Noise(kSide, kSide, 99), true, kPresentAt);
  return c;
}

Frame Flat() {
  Frame f;
  f.Resize(kWidth, kHeight, kFlat);
  return f;
}

// The picture's first column has the screen's colour: every place passes
// the first samples and is rejected in the second column.
const Case& FlatFirstColumn() {
  static const Case c = [] {
    Frame picture = Noise(kSide, kSide, 99);
    for (int32_t y = 0; y < kSide; ++y) picture.Set(0, y, kFlat);
    return MakeCase(Flat(), picture, false, {});
  }();
  return c;
}

// All of the picture but its last sample has the screen's colour: every
// place reads every sample.
const Case& FlatAllButLast() {
  static const Case c = [] {
    Frame picture;
    picture.Resize(kSide, kSide, kFlat);
    const ColorPoint last = ImageCondition(picture).points.back();
    picture.Set(last.x, last.y, 0x000001);
    return MakeCase(Flat(), picture, false, {});
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
    std::fprintf(stderr, "image_bench: %s\n", what);
    std::abort();
  }
}

bool Fast(const Case& c, Point& found) { return MatchCondition(c.condition, c.screen, Running(), found, nullptr); }

// The smallest sum of squared differences is where the picture stands if
// it stands anywhere; the library computes it in floating point, so the
// place is then compared exactly.
bool Template(const Case& c, Point& found) {
  cv::Mat result;
  cv::matchTemplate(c.screen_bgr, c.picture_bgr, result, cv::TM_SQDIFF);
  cv::Point where;
  cv::minMaxLoc(result, nullptr, nullptr, &where, nullptr);
  found = Point{where.x, where.y};
  const cv::Mat place = c.screen_bgr(cv::Rect(where.x, where.y, c.picture_bgr.cols, c.picture_bgr.rows));
  return cv::norm(place, c.picture_bgr, cv::NORM_L1) == 0.0;
}

__attribute__((noinline)) uint32_t ReadPixel(const Frame& frame, int64_t x, int64_t y) { return frame.At(x, y); }

// The search as one would write it over a pixel-reading call.
bool PerPixel(const Case& c, Point& found) {
  const ScreenCondition& cond = c.condition;
  const RunFlag& flag = Running();
  for (int32_t x = cond.rect.left; x < cond.rect.right; ++x) {
    for (int32_t y = cond.rect.top; y < cond.rect.bottom; ++y) {
      bool all = true;
      for (const ColorPoint& p : cond.points) {
        if (!flag.IsSet()) return false;
        if (ReadPixel(c.screen, int64_t{x} + p.x, int64_t{y} + p.y) != p.colour) {
          all = false;
          break;
        }
      }
      if (all) {
        found = Point{x, y};
        return true;
      }
    }
  }
  return false;
}

// The picture search of a typical scripting tool: places row by row, each
// checked at the picture's first pixel and then compared with the whole
// picture one row at a time (memcmp), up to the first row that differs. It
// answers in row order, which is the same here: each case has at most one
// place where the picture stands.
bool FirstPixelRows(const Case& c, Point& found) {
  const Frame& screen = c.screen;
  const Frame& picture = c.picture;
  const uint32_t first = picture.pixels[0];
  const size_t row_bytes = static_cast<size_t>(picture.width) * sizeof(uint32_t);
  const size_t stride = static_cast<size_t>(screen.width);
  for (int32_t y = 0; y + picture.height <= screen.height; ++y) {
    const uint32_t* line = screen.pixels.data() + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x + picture.width <= screen.width; ++x) {
      if (line[x] != first) continue;
      int32_t k = 0;
      while (k < picture.height &&
             std::memcmp(line + static_cast<size_t>(k) * stride + x,
                         picture.pixels.data() + static_cast<size_t>(k) * picture.width, row_bytes) == 0)
        ++k;
      if (k == picture.height) {
        found = Point{x, y};
        return true;
      }
    }
  }
  return false;
}

using Method = bool (*)(const Case&, Point&);

void Run(benchmark::State& state, const Case& c, Method method) {
  cv::setNumThreads(1);
  Point found;
  const bool hit = method(c, found);
  Expect(hit == c.present, "a method disagrees on whether the picture is there");
  if (hit) Expect(found == c.at, "a method found the picture elsewhere");
  for (auto _ : state) {
    benchmark::DoNotOptimize(method(c, found));
    benchmark::DoNotOptimize(found);
  }
  state.counters["samples"] = static_cast<double>(c.condition.points.size());
}

void BM_Image_Absent_Fast(benchmark::State& s) { Run(s, Absent(), Fast); }
void BM_Image_Absent_MatchTemplate(benchmark::State& s) { Run(s, Absent(), Template); }
void BM_Image_Absent_PerPixel(benchmark::State& s) { Run(s, Absent(), PerPixel); }
void BM_Image_Absent_FirstPixelRows(benchmark::State& s) { Run(s, Absent(), FirstPixelRows); }
void BM_Image_LargeAbsent_Fast(benchmark::State& s) { Run(s, LargeAbsent(), Fast); }
void BM_Image_Present_Fast(benchmark::State& s) { Run(s, Present(), Fast); }
void BM_Image_Present_MatchTemplate(benchmark::State& s) { Run(s, Present(), Template); }
void BM_Image_Present_PerPixel(benchmark::State& s) { Run(s, Present(), PerPixel); }
void BM_Image_Present_FirstPixelRows(benchmark::State& s) { Run(s, Present(), FirstPixelRows); }
void BM_Image_FlatFirstColumn_Fast(benchmark::State& s) { Run(s, FlatFirstColumn(), Fast); }
void BM_Image_FlatFirstColumn_MatchTemplate(benchmark::State& s) { Run(s, FlatFirstColumn(), Template); }
void BM_Image_FlatFirstColumn_FirstPixelRows(benchmark::State& s) { Run(s, FlatFirstColumn(), FirstPixelRows); }
void BM_Image_FlatAllButLast_Fast(benchmark::State& s) { Run(s, FlatAllButLast(), Fast); }
void BM_Image_FlatAllButLast_MatchTemplate(benchmark::State& s) { Run(s, FlatAllButLast(), Template); }
void BM_Image_FlatAllButLast_FirstPixelRows(benchmark::State& s) { Run(s, FlatAllButLast(), FirstPixelRows); }

BENCHMARK(BM_Image_Absent_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Absent_MatchTemplate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Absent_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_LargeAbsent_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Absent_FirstPixelRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Present_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Present_MatchTemplate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Present_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_Present_FirstPixelRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_FlatFirstColumn_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_FlatFirstColumn_MatchTemplate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_FlatFirstColumn_FirstPixelRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_FlatAllButLast_Fast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Image_FlatAllButLast_MatchTemplate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Image_FlatAllButLast_FirstPixelRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tora
