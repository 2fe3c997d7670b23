// The process-wide store that a script run fills and the workers read.
// Records refer to each other by id (position in their list) or by name,
// never by pointer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/run_flag.h"

namespace tora {

enum class StepType : int32_t { Key = 1, Mouse = 2, Branch = 3, PasteText = 4, OpenUrl = 5 };
enum class KeyMode : int32_t { Press = 1, Down = 2, Up = 3 };
enum class CoordMode : int32_t { Absolute = 1, Relative = 2 };
// A point's operator is stored as a plain number: values outside 1..4 are
// possible (an unknown operator text) and always match.
enum ColorOp : int32_t { kOpEqual = 1, kOpNotEqual = 2, kOpNear = 3, kOpNotNear = 4, kOpNone = 0 };

// A point that two workers may write and read at once: packed into one
// 64-bit atomic so that x and y always belong together.
class AtomicPoint {
 public:
  AtomicPoint() = default;
  // noexcept, so that a list of records grows by moving them, not copying
  // (a picture condition's points may take megabytes).
  AtomicPoint(const AtomicPoint& o) noexcept : v_(o.v_.load()) {}
  AtomicPoint& operator=(const AtomicPoint& o) noexcept { v_.store(o.v_.load()); return *this; }
  Point Load() const {
    uint64_t v = v_.load(std::memory_order_acquire);
    return Point{static_cast<int32_t>(static_cast<uint32_t>(v >> 32)), static_cast<int32_t>(static_cast<uint32_t>(v))};
  }
  void Store(Point p) {
    v_.store((static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) | static_cast<uint32_t>(p.y),
             std::memory_order_release);
  }

 private:
  std::atomic<uint64_t> v_{0};
};

// A window handle that the window keeper writes while the dispatcher reads it.
class AtomicHandle {
 public:
  AtomicHandle() = default;
  AtomicHandle(const AtomicHandle& o) noexcept : v_(o.v_.load()) {}
  AtomicHandle& operator=(const AtomicHandle& o) noexcept { v_.store(o.v_.load()); return *this; }
  WindowHandle Load() const { return v_.load(std::memory_order_acquire); }
  void Store(WindowHandle h) { v_.store(h, std::memory_order_release); }

 private:
  std::atomic<WindowHandle> v_{0};
};

struct ActionStep {
  StepType type = StepType::Key;
  int32_t id = 0;
};

struct ActionList {
  int32_t id = 0;
  std::vector<ActionStep> steps;
};

constexpr int kMaxKeysPerStep = 5;

struct KeyAction {
  KeyMode mode = KeyMode::Press;
  std::vector<int32_t> keys;  // at most kMaxKeysPerStep, in the order written
  int32_t pause = 0;          // milliseconds
};

// Windows mouse-event flag words.
enum MouseFlags : uint32_t {
  kMouseLeftDown = 0x02, kMouseLeftUp = 0x04, kMouseRightDown = 0x08, kMouseRightUp = 0x10,
  kMouseMiddleDown = 0x20, kMouseMiddleUp = 0x40,
};

struct MouseAction {
  CoordMode coord = CoordMode::Absolute;
  uint32_t press = 0;
  uint32_t release = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t pause = 0;
};

struct BranchAction {
  std::string name;
  int32_t action_list_id = 0;
  int32_t condition_id = 0;
};

struct PasteTextAction {
  std::string text;
  int32_t pause = 0;
};

struct OpenUrlAction {
  std::string url;
  int32_t pause = 0;
};

struct RepeatTask {
  int32_t action_list_id = 0;
  int32_t interval = 0;     // milliseconds
  uint32_t next_run = 0;    // tick count; 0 = due at once
  int32_t count_limit = 0;  // 0 = without limit
  int32_t tries = 0;
  bool has_window = false;
  int32_t window_rule_id = -1;
  bool has_condition = false;
  int32_t condition_id = -1;
  // The script named a condition or window rule that does not exist: the
  // task is never run, rather than run unguarded or at the wrong window.
  bool unlinked = false;
  int32_t script_line = 0;  // the line of the script's call; 0 when not known
  Point found_point;  // written and read only by the task's own worker
  // Whether the condition has held in this run, and since when it has been
  // tested without holding; written and read only by the task's own worker.
  bool condition_tested = false;
  bool condition_held = false;
  bool never_held_said = false;
  uint32_t first_test = 0;  // tick count
};

struct WindowRule {
  std::string name;
  std::string window_text;
  std::string corner;
  bool topmost = false;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t interval = 0;     // milliseconds
  uint32_t next_check = 0;  // tick count
  AtomicHandle window;
  bool ready = false;
  bool move = false;
};

struct ColorPoint {
  int32_t x = 0;
  int32_t y = 0;
  int32_t op = kOpEqual;
  uint32_t colour = 0;  // 0x00BBGGRR
};

// A picture's sample: its position within the picture (a side is at most
// 16384 pixels) and its colour, tested with "==". Eight bytes where a
// ColorPoint takes sixteen: a picture's millions of samples are held once,
// in this form.
struct PictureSample {
  uint16_t x = 0;
  uint16_t y = 0;
  uint32_t colour = 0;
};

// The points of a condition: written one by one (a point table), or the
// samples of a picture, each at the picture's origin plus its position.
// Either way every point reads as a ColorPoint. Copies of a list share a
// picture's samples, which never change once taken.
class PointList {
 public:
  struct Picture {
    Point origin;
    std::vector<PictureSample> samples;
  };

  PointList() = default;
  PointList(std::initializer_list<ColorPoint> points) : written_(points) {}
  PointList(std::vector<ColorPoint> points) : written_(std::move(points)) {}
  PointList(Point origin, std::vector<PictureSample> samples);

  size_t size() const { return picture_ ? picture_->samples.size() : written_.size(); }
  bool empty() const { return size() == 0; }
  ColorPoint operator[](size_t i) const { return picture_ ? Decode(*picture_, i) : written_[i]; }
  ColorPoint front() const { return (*this)[0]; }
  ColorPoint back() const { return (*this)[size() - 1]; }
  void push_back(const ColorPoint& p) { Edit().push_back(p); }
  // The points as a plain list to change; a picture's are written out first.
  std::vector<ColorPoint>& Edit();

  // A picture's samples, or null for written points.
  const Picture* picture() const { return picture_.get(); }
  const std::vector<ColorPoint>& written() const { return written_; }

  // A sample where the condition reads it: origin + position, each kept
  // within 32 bits.
  static ColorPoint Decode(const Picture& picture, size_t i);

  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ColorPoint;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ColorPoint;
    Iterator(const PointList* list, size_t i) : list_(list), i_(i) {}
    ColorPoint operator*() const { return (*list_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const Iterator& o) const { return i_ == o.i_; }
    bool operator!=(const Iterator& o) const { return i_ != o.i_; }

   private:
    const PointList* list_;
    size_t i_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

 private:
  std::vector<ColorPoint> written_;
  std::shared_ptr<const Picture> picture_;
};

constexpr int32_t kDefaultTolerance = 30;

class PreparedCondition;  // vision/prepared_condition.h

struct ScreenCondition {
  std::string name;
  PointList points;
  bool search_in_rect = false;
  Rect rect;  // right and bottom exclusive
  AtomicPoint found_point;
  bool points_are_offsets = false;
  int32_t tolerance = kDefaultTolerance;
  std::string picture;  // the BMP file of a picture condition, as read
  // What the condition's test needs that no screen changes, built from the
  // fields above once the script has declared them all (PrepareCondition);
  // the workers share it and never write it. Whoever changes those fields
  // afterwards must prepare again. Without it, each test prepares its own.
  std::shared_ptr<const PreparedCondition> prepared;
};

// Holds a step open for its lifetime; ok() is false when the run was stopped.
class StepGuard {
 public:
  explicit StepGuard(RunFlag& flag) : flag_(flag), ok_(flag.BeginStep()) {}
  ~StepGuard() {
    if (ok_) flag_.EndStep();
  }
  StepGuard(const StepGuard&) = delete;
  StepGuard& operator=(const StepGuard&) = delete;
  bool ok() const { return ok_; }

 private:
  RunFlag& flag_;
  bool ok_;
};

// What a worker hands to the main window for an open-url step.
class OpenUrlHandOver {
 public:
  void Reset();
  void Request(const std::string& url, int32_t step_id);
  struct Snapshot {
    std::string url;
    int32_t requested_id = 0;
    int32_t last_opened_id = -1;
  };
  Snapshot Get() const;
  void MarkOpened(int32_t id);

 private:
  mutable std::mutex mutex_;
  std::string url_;
  int32_t requested_id_ = 0;
  int32_t last_opened_id_ = -1;
};

// One ordered list of records: appended at the tail, never reordered.
template <typename T>
class RecordList {
 public:
  int32_t Length() const { return static_cast<int32_t>(items_.size()); }
  int32_t Append(T record) {
    items_.push_back(std::move(record));
    return Length() - 1;
  }
  const T* Get(int32_t id) const {
    return (id >= 0 && id < Length()) ? &items_[static_cast<size_t>(id)] : nullptr;
  }
  T* Get(int32_t id) { return (id >= 0 && id < Length()) ? &items_[static_cast<size_t>(id)] : nullptr; }
  // Id of the last record whose name equals the text, byte for byte.
  std::optional<int32_t> FindByName(const std::string& name) const {
    for (int32_t i = Length() - 1; i >= 0; --i)
      if (items_[static_cast<size_t>(i)].name == name) return i;
    return std::nullopt;
  }
  void Clear() { items_.clear(); }
  bool Empty() const { return items_.empty(); }
  std::vector<T>& Items() { return items_; }
  const std::vector<T>& Items() const { return items_; }

 private:
  std::vector<T> items_;
};

class ActionRegistry {
 public:
  RecordList<KeyAction> key_steps;
  RecordList<MouseAction> mouse_steps;
  RecordList<BranchAction> branch_actions;
  RecordList<PasteTextAction> paste_text_steps;
  RecordList<OpenUrlAction> open_url_steps;
  RecordList<ActionList> action_lists;
  RecordList<WindowRule> window_rules;
  RecordList<RepeatTask> priority_tasks;
  RecordList<RepeatTask> ordinary_tasks;
  RecordList<ScreenCondition> screen_conditions;

  RunFlag run_flag;
  OpenUrlHandOver open_url;

  // Discards every record of the previous run and resets the hand-over.
  void EmptyAll();
};

// Appends the three records of a find action (找颜色点动作, 找图像动作). The
// ids are taken here, once the call has read everything it reads: a
// metamethod run during that read may have declared records of its own, and
// the branch must still name this call's condition and list.
inline void AppendBranch(ActionRegistry& registry, ScreenCondition condition, ActionList list,
                         BranchAction branch) {
  list.id = registry.action_lists.Length();
  branch.condition_id = registry.screen_conditions.Append(std::move(condition));
  branch.action_list_id = registry.action_lists.Append(std::move(list));
  registry.branch_actions.Append(std::move(branch));
}

}  // namespace tora
