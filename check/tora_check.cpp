// tora-check: runs a script the way the start button would, on the simulated
// platform, and prints what the run would hold: UTF-8 JSON, or with --text
// the same in Chinese words.
//
//   tora-check [--text] [--strict] [--screen WxH | --screenshot BMP] [--time-limit MS] SCRIPT
//
// With --screenshot the picture stands in for the primary display, and
// every screen condition the script declared is tested on it.
//
// Exit status 0 when the script was loaded (also after a runtime error),
// 1 when the start ended before that, or the script or the tests on the
// screenshot ran past the time limit, 2 for a wrong command line or a
// screenshot that cannot be read; with --strict, 3 for a script that loaded
// with warnings.
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "check/text_report.h"
#include "engine/registry.h"
#include "engine/script_host.h"
#include "platform/sim/sim_platform.h"
#include "platform/text.h"
#include "vision/bmp.h"
#include "vision/condition_check.h"

namespace {

using namespace tora;

class Json {
 public:
  std::string out;
  void Str(const std::string& gbk) {
    const std::string s = GbkToUtf8(gbk);
    out += '"';
    for (unsigned char c : s) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
          } else {
            out += static_cast<char>(c);
          }
      }
    }
    out += '"';
  }
  void Num(long long v) { out += std::to_string(v); }
  void Bool(bool b) { out += b ? "true" : "false"; }
  void Null() { out += "null"; }
  void Key(const char* k) {
    Sep();
    out += '"';
    out += k;
    out += "\":";
    first_ = true;
  }
  void Open(char c) {
    Sep();
    out += c;
    first_ = true;
  }
  void Close(char c) {
    out += c;
    first_ = false;
  }
  // Values inside lists and after keys.
  void Sep() {
    if (!first_) out += ',';
    first_ = false;
  }
  template <typename F>
  void Item(F f) {
    Sep();
    first_ = true;
    f();
    first_ = false;
  }

 private:
  bool first_ = true;
};

template <typename T, typename F>
void List(Json& j, const char* key, const std::vector<T>& items, F each) {
  j.Key(key);
  j.Open('[');
  for (const T& item : items) {
    j.Open('{');
    each(item);
    j.Close('}');
  }
  j.Close(']');
}

void Field(Json& j, const char* key, long long v) { j.Key(key); j.Item([&] { j.Num(v); }); }
void Field(Json& j, const char* key, const std::string& v) { j.Key(key); j.Item([&] { j.Str(v); }); }
void BoolField(Json& j, const char* key, bool v) { j.Key(key); j.Item([&] { j.Bool(v); }); }
void IdOrNull(Json& j, const char* key, bool has, int32_t id) {
  j.Key(key);
  j.Item([&] { has ? j.Num(id) : j.Null(); });
}

void Tasks(Json& j, const char* key, const std::vector<RepeatTask>& tasks) {
  List(j, key, tasks, [&](const RepeatTask& t) {
    Field(j, "action_list", t.action_list_id);
    Field(j, "interval", t.interval);
    Field(j, "count_limit", t.count_limit);
    IdOrNull(j, "window_rule", t.has_window, t.window_rule_id);
    IdOrNull(j, "condition", t.has_condition, t.condition_id);
  });
}

void Position(Json& j, const char* key, bool has, int64_t x, int64_t y) {
  j.Key(key);
  j.Item([&] {
    if (!has) return j.Null();
    j.Open('[');
    j.Item([&] { j.Num(x); });
    j.Item([&] { j.Num(y); });
    j.Close(']');
  });
}

void Screenshot(Json& j, const ActionRegistry& reg, const ScreenshotRecord& shot) {
  j.Key("screenshot");
  j.Open('{');
  Field(j, "width", shot.width);
  Field(j, "height", shot.height);
  const std::vector<ScreenCondition>& conditions = reg.screen_conditions.Items();
  j.Key("conditions");
  j.Open('[');
  for (size_t n = 0; n < conditions.size() && n < shot.checks.size(); ++n) {
    const ConditionCheck& c = shot.checks[n];
    j.Open('{');
    Field(j, "name", conditions[n].name);
    BoolField(j, "met", c.met);
    Position(j, "found", c.has_found, c.found.x, c.found.y);
    j.Key("nearest");
    j.Item([&] {
      if (c.met || c.stopped) return j.Null();
      j.Open('{');
      Position(j, "at", c.has_nearest, c.nearest.x, c.nearest.y);
      Field(j, "matched", static_cast<long long>(c.matched));
      Field(j, "of", static_cast<long long>(c.of));
      List(j, "differences", c.differences, [&](const PointDifference& d) {
        Field(j, "point", static_cast<long long>(d.point));
        Position(j, "at", true, d.x, d.y);
        Field(j, "want", d.want);
        Field(j, "got", d.got);
        Field(j, "op", std::string(OperatorText(d.op)));
      });
      IdOrNull(j, "tolerance", c.has_tolerance, c.tolerance);
      j.Close('}');
    });
    j.Close('}');
  }
  j.Close(']');
  j.Key("tasks");
  j.Open('{');
  for (const auto& [key, tasks] : {std::pair<const char*, const RecordList<RepeatTask>*>{"ordinary", &reg.ordinary_tasks},
                                   {"priority", &reg.priority_tasks}}) {
    j.Key(key);
    j.Open('[');
    for (const RepeatTask& t : tasks->Items()) j.Item([&] { j.Bool(TaskHoldsOn(t, shot.checks)); });
    j.Close(']');
  }
  j.Close('}');
  j.Close('}');
}

std::string Report(SimPlatform& sim, ActionRegistry& reg, const std::vector<std::string>& warnings,
                   const ScreenshotRecord* shot) {
  Json j;
  j.Open('{');
  j.Key("status");
  j.Open('[');
  for (const auto& line : sim.Status()) j.Item([&] { j.Str(line); });
  j.Close(']');
  j.Key("messages");
  j.Open('[');
  for (const auto& m : sim.Messages()) j.Item([&] { j.Str(m.text); });
  j.Close(']');
  BoolField(j, "running", reg.run_flag.IsSet());
  List(j, "key_steps", reg.key_steps.Items(), [&](const KeyAction& k) {
    Field(j, "mode", static_cast<int>(k.mode));
    j.Key("keys");
    j.Open('[');
    for (int32_t code : k.keys) j.Item([&] { j.Num(code); });
    j.Close(']');
    Field(j, "pause", k.pause);
  });
  List(j, "mouse_steps", reg.mouse_steps.Items(), [&](const MouseAction& m) {
    Field(j, "coord", static_cast<int>(m.coord));
    Field(j, "press", m.press);
    Field(j, "release", m.release);
    Field(j, "x", m.x);
    Field(j, "y", m.y);
    Field(j, "pause", m.pause);
  });
  List(j, "branch_actions", reg.branch_actions.Items(), [&](const BranchAction& b) {
    Field(j, "name", b.name);
    Field(j, "action_list", b.action_list_id);
    Field(j, "condition", b.condition_id);
  });
  List(j, "paste_text_steps", reg.paste_text_steps.Items(), [&](const PasteTextAction& p) {
    Field(j, "text", p.text);
    Field(j, "pause", p.pause);
  });
  List(j, "open_url_steps", reg.open_url_steps.Items(), [&](const OpenUrlAction& o) {
    Field(j, "url", o.url);
    Field(j, "pause", o.pause);
  });
  List(j, "action_lists", reg.action_lists.Items(), [&](const ActionList& l) {
    j.Key("steps");
    j.Open('[');
    for (const ActionStep& s : l.steps) {
      j.Open('[');
      j.Item([&] { j.Num(static_cast<int>(s.type)); });
      j.Item([&] { j.Num(s.id); });
      j.Close(']');
    }
    j.Close(']');
  });
  List(j, "window_rules", reg.window_rules.Items(), [&](const WindowRule& w) {
    Field(j, "name", w.name);
    Field(j, "window_text", w.window_text);
    Field(j, "corner", w.corner);
    BoolField(j, "topmost", w.topmost);
    Field(j, "width", w.width);
    Field(j, "height", w.height);
    Field(j, "interval", w.interval);
  });
  Tasks(j, "priority_tasks", reg.priority_tasks.Items());
  Tasks(j, "ordinary_tasks", reg.ordinary_tasks.Items());
  List(j, "screen_conditions", reg.screen_conditions.Items(), [&](const ScreenCondition& c) {
    Field(j, "name", c.name);
    j.Key("points");
    j.Open('[');
    for (const ColorPoint& p : c.points) {
      j.Open('[');
      j.Item([&] { j.Num(p.x); });
      j.Item([&] { j.Num(p.y); });
      j.Item([&] { j.Num(p.op); });
      j.Item([&] { j.Num(p.colour); });
      j.Close(']');
    }
    j.Close(']');
    BoolField(j, "search_in_rect", c.search_in_rect);
    j.Key("rect");
    j.Open('[');
    for (int32_t v : {c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}) j.Item([&] { j.Num(v); });
    j.Close(']');
    BoolField(j, "points_are_offsets", c.points_are_offsets);
    Field(j, "tolerance", c.tolerance);
  });
  if (shot) Screenshot(j, reg, *shot);
  j.Key("warnings");
  j.Open('[');
  for (const auto& line : warnings) j.Item([&] { j.Str(line); });
  j.Close(']');
  j.Close('}');
  return j.out;
}

// The count hook ends a script that loops in its own code, but not one stuck
// where no hook reaches: a finalizer (the interpreter runs those with hooks
// off) or a pattern match that backtracks for ages inside the string
// library. Some time past the limit the tool gives up on such a run.
class Watchdog {
 public:
  explicit Watchdog(unsigned long limit_ms) {
    if (limit_ms != 0) thread_ = std::thread([this, limit_ms] { Watch(limit_ms); });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static constexpr std::chrono::milliseconds kGrace{2000};

  void Watch(unsigned long limit_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (done_changed_.wait_for(lock, std::chrono::milliseconds(limit_ms) + kGrace, [this] { return done_; })) return;
    std::fprintf(stderr, "tora-check: the script ran longer than %lu ms and could not be ended\n", limit_ms);
    std::fflush(stderr);
    std::_Exit(1);
  }

  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

int Usage() {
  std::fprintf(stderr,
               "usage: tora-check [--text] [--strict] [--screen WxH | --screenshot BMP] [--time-limit MS] SCRIPT\n");
  return 2;
}

// Clears a run flag once the time limit has passed, unless dismissed first:
// the tests on a screenshot end like a stopped run.
class Deadline {
 public:
  Deadline(RunFlag& flag, unsigned long limit_ms) {
    flag.Set();
    if (limit_ms != 0) thread_ = std::thread([this, &flag, limit_ms] { Watch(flag, limit_ms); });
  }
  ~Deadline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

 private:
  void Watch(RunFlag& flag, unsigned long limit_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_changed_.wait_for(lock, std::chrono::milliseconds(limit_ms), [this] { return done_; })) flag.Clear();
  }

  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

// Reads the screenshot with the program's own BMP reader; false, with a
// message naming the file, when it cannot be used.
bool ReadScreenshot(const std::string& path, SimPlatform& sim, Frame& screen) {
  // Far more than the largest picture the reader takes, with any colour
  // table or profile: a larger file is not read into memory at all.
  constexpr uint64_t kMaxBytes = uint64_t{256} << 20;
  FilePort& files = sim.platform().files;
  const std::optional<uint64_t> size = files.FileSize(path);
  std::string bytes;
  const BmpError error = size && *size <= kMaxBytes && files.ReadFile(path, bytes)
                             ? RenderBmp(bytes, sim.platform().images, screen)
                             : BmpError::kReadError;
  if (error == BmpError::kNone) return true;
  std::fprintf(stderr, "tora-check: the screenshot %s cannot be read: %s\n", path.c_str(),
               error == BmpError::kNotBmp ? "it is not a BMP file"
                                          : "the file is missing, unreadable, cut short or of a format not read here");
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1920, height = 1080;
  unsigned long time_limit = 10000;
  std::string script, screenshot;
  bool text = false, strict = false, screen_given = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--text") == 0) {
      text = true;
    } else if (std::strcmp(argv[i], "--strict") == 0) {
      strict = true;
    } else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 || width > 16384 ||
          height > 16384)
        return Usage();
      screen_given = true;
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc && screenshot.empty()) {
      screenshot = argv[++i];
      if (screenshot.empty()) return Usage();
    } else if (std::strcmp(argv[i], "--time-limit") == 0 && i + 1 < argc) {
      char* end = nullptr;
      time_limit = std::strtoul(argv[++i], &end, 10);
      if (!end || *end || time_limit > UINT32_MAX) return Usage();
    } else if (script.empty() && argv[i][0] != '-') {
      script = argv[i];
    } else {
      return Usage();
    }
  }
  if (script.empty()) return Usage();
  if (screen_given && !screenshot.empty()) {
    std::fprintf(stderr, "tora-check: --screen and --screenshot cannot be used together (the screenshot's size is the "
                         "screen's)\n");
    return 2;
  }

  SimPlatform sim;
  sim.RunThreads(false);
  Frame shot_screen;
  if (!screenshot.empty()) {
    if (!ReadScreenshot(screenshot, sim, shot_screen)) return 2;
    sim.SetScreen(shot_screen);
  } else {
    sim.SetScreenSize(width, height);
  }
  sim.SetScriptPath(script);
  ActionRegistry registry;
  ScriptHost host(registry, sim.platform());
  host.SetScriptTimeLimit(static_cast<uint32_t>(time_limit));
  host.SetReportWaitingWindows(false);  // no windows here: every rule would wait
  ScriptHost::Outcome outcome;
  {
    Watchdog watchdog(time_limit);
    outcome = host.RunScript();
  }
  if (host.TimedOut())
    std::fprintf(stderr, "tora-check: the script ran longer than %lu ms and was ended\n", time_limit);
  ScreenshotRecord shot;
  bool shot_stopped = false;
  if (!screenshot.empty()) {
    shot.width = shot_screen.width;
    shot.height = shot_screen.height;
    RunFlag testing;
    Deadline deadline(testing, time_limit);
    for (const ScreenCondition& c : registry.screen_conditions.Items()) {
      shot.checks.push_back(CheckCondition(c, shot_screen, testing));
      if (shot.checks.back().stopped && !shot_stopped) {
        std::fprintf(stderr, "tora-check: testing condition %d on the screenshot took longer than %lu ms and was ended\n",
                     static_cast<int>(shot.checks.size() - 1), time_limit);
        shot_stopped = true;
      }
    }
  }
  const ScreenshotRecord* shot_record = screenshot.empty() ? nullptr : &shot;
  std::string out;
  if (text) {
    StartRecord start;
    start.status = sim.Status();
    for (const auto& m : sim.Messages()) start.messages.push_back(m.text);
    start.warnings = host.Warnings();
    start.screenshot = shot_record;
    out = GbkToUtf8(TextReport(registry, start));
  } else {
    out = Report(sim, registry, host.Warnings(), shot_record) + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (outcome != ScriptHost::Outcome::Loaded || host.TimedOut() || shot_stopped) return 1;
  return strict && !host.Warnings().empty() ? 3 : 0;
}
