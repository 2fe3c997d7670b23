// A condition tested on a given screen, and a miss explained.
#include "vision/condition_check.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "engine/text_util.h"
#include "engine/texts.h"
#include "vision/color_test.h"
#include "vision/condition_points.h"
#include "vision/nearest_miss.h"
#include "vision/prepared_condition.h"

namespace tora {

namespace {

// What a point reads at the place looked at, and whether it passes there.
struct Reading {
  int64_t x = 0, y = 0;
  uint32_t got = 0;
  bool passes = false;
};

// The largest difference of one channel (the top byte never counts).
int64_t ChannelDistance(uint32_t a, uint32_t b) {
  int64_t most = 0;
  for (int k = 0; k < 3; ++k)
    most = std::max<int64_t>(most, std::abs(static_cast<int64_t>((a >> (8 * k)) & 0xFF) -
                                            static_cast<int64_t>((b >> (8 * k)) & 0xFF)));
  return most;
}

// Calls f(i, reading) for every point in list order: at the candidate
// (rectangle mode) or at its own position (fixed mode).
template <typename F>
void ReadEach(const PreparedCondition& prepared, const Frame& f, Point at, F&& each) {
  const PointList& list = prepared.points();
  if (!prepared.search_in_rect()) {
    for (size_t i = 0; i < list.size(); ++i) {
      const ColorPoint p = list[i];
      const uint32_t got = f.At(p.x, p.y);
      each(i, Reading{p.x, p.y, got, PointMatches(p.op, got, p.colour, prepared.tolerance())});
    }
    return;
  }
  WithPoints(prepared, [&](const auto& points) {
    for (size_t i = 0; i < points.size(); ++i) {
      const int64_t x = at.x + points.dx(i), y = at.y + points.dy(i);
      const uint32_t got = f.At(x, y);
      each(i, Reading{x, y, got, points.Pass(i, got)});
    }
  });
}

// Counts, differences and tolerance at the place looked at.
void Explain(const PreparedCondition& prepared, const Frame& f, Point at, ConditionCheck& check) {
  const PointList& list = prepared.points();
  int64_t needed = 0;  // the tolerance every failing "~=" point asks for
  bool only_near = true;
  ReadEach(prepared, f, at, [&](size_t i, const Reading& r) {
    if (r.passes) {
      ++check.matched;
      return;
    }
    const ColorPoint p = list[i];
    if (check.differences.size() < kMaxDifferences)
      check.differences.push_back(PointDifference{i, r.x, r.y, p.op, p.colour, r.got, !f.Contains(r.x, r.y)});
    if (p.op == kOpNear)
      needed = std::max(needed, ChannelDistance(r.got, p.colour) + 1);
    else
      only_near = false;
  });
  if (check.matched == check.of || !only_near) return;
  // A wider tolerance keeps every "~=" point that passes, but may fail a
  // "!~" point: every point is tried with it.
  const int32_t tolerance = static_cast<int32_t>(needed);
  bool all = true;
  ReadEach(prepared, f, at, [&](size_t i, const Reading& r) {
    const ColorPoint p = list[i];
    const bool by_tolerance = p.op == kOpNear || p.op == kOpNotNear;
    all = all && (by_tolerance ? PointMatches(p.op, r.got, p.colour, tolerance) : r.passes);
  });
  if (!all) return;
  check.has_tolerance = true;
  check.tolerance = tolerance;
}

const Frame& SoundFrame(const Frame& frame) {
  static const Frame kEmpty;
  const bool sound = frame.width >= 0 && frame.height >= 0 &&
                     frame.pixels.size() == static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  return sound ? frame : kEmpty;
}

ConditionCheck Stopped() {
  ConditionCheck check;
  check.stopped = true;
  return check;
}

int Int(uint64_t v) { return static_cast<int>(std::min<uint64_t>(v, INT_MAX)); }

}  // namespace

const char* OperatorText(int32_t op) {
  switch (op) {
    case kOpEqual: return "==";
    case kOpNotEqual: return "!=";
    case kOpNear: return "~=";
    case kOpNotNear: return "!~";
    default: return "";
  }
}

ConditionCheck CheckCondition(const ScreenCondition& condition, const Frame& screen, const RunFlag& run_flag) {
  std::unique_ptr<PreparedCondition> own;
  if (!condition.prepared) own = std::make_unique<PreparedCondition>(condition);
  const PreparedCondition& prepared = condition.prepared ? *condition.prepared : *own;
  const Frame& f = SoundFrame(screen);
  ConditionCheck check;
  check.of = prepared.points().size();
  Point at;
  check.met = SearchCondition(prepared, f, run_flag, at);
  if (!run_flag.IsSet()) return Stopped();
  if (check.met) {
    check.matched = check.of;
    check.has_found = prepared.search_in_rect() && check.of > 0;
    check.found = at;
    return check;
  }
  if (prepared.search_in_rect()) {
    NearestPlace place;
    if (!FindNearestPlace(prepared, f, run_flag, place)) return Stopped();
    if (!place.any) return check;
    check.has_nearest = true;
    check.nearest = place.at;
  }
  Explain(prepared, f, check.nearest, check);
  return check;
}

std::vector<std::string> DescribeCheck(const ScreenCondition& condition, const ConditionCheck& check) {
  std::vector<std::string> lines;
  const char* unit = condition.picture.empty() ? texts::kCheckUnitPoint : texts::kCheckUnitSample;
  if (check.stopped) return {texts::kCheckStopped};
  if (check.met) {
    if (check.has_found)
      lines.push_back(Format(texts::kCheckFoundAt, check.found.x, check.found.y));
    else
      lines.push_back(check.of == 0 ? std::string(texts::kCheckHoldsWithoutPoints) : Format(texts::kCheckHolds, unit));
    return lines;
  }
  if (condition.search_in_rect && !check.has_nearest) return {texts::kCheckNoCandidate};
  if (check.has_nearest)
    lines.push_back(Format(texts::kCheckNearest, check.nearest.x, check.nearest.y, Int(check.of), unit,
                           Int(check.matched)));
  else
    lines.push_back(Format(texts::kCheckFixedMiss, Int(check.of), unit, Int(check.matched)));
  for (const PointDifference& d : check.differences) {
    const int number = Int(d.point + 1);
    const long long x = d.x, y = d.y;
    lines.push_back(d.off_screen ? Format(texts::kCheckDifferenceOffScreen, number, unit, x, y, OperatorText(d.op), d.want)
                            : Format(texts::kCheckDifference, number, unit, x, y, OperatorText(d.op), d.want, d.got));
  }
  const uint64_t failing = check.of - check.matched;
  if (failing > check.differences.size())
    lines.push_back(Format(texts::kCheckMoreDifferences, Int(failing - check.differences.size()), unit));
  if (check.has_tolerance)
    lines.push_back(Format(check.has_nearest ? texts::kCheckToleranceFinds : texts::kCheckToleranceHolds,
                           condition.tolerance, check.tolerance));
  return lines;
}

}  // namespace tora
