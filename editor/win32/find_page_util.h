// What the two find pages do alike with their boxes and refusals, and
// "测试条件", which both have.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "editor/find_code.h"
#include "editor/win32/editor_page.h"
#include "engine/registry.h"

namespace tora {

// The label, the rectangle box and "鼠标取得" work only in "活动" mode.
void EnableRangeControls(HWND page, bool moving, int label, int box, int button);
// Shows a refusal: the application's box over owner (the editor), or the
// owner-less "提示" box. True when the edit was not refused.
bool AcceptEdit(const PageEdit& edit, HWND owner);

// "生成动作" with a click relative to the found position while the page is
// in fixed mode: asks once whether to go on. True to go on.
bool GoOnWithRelativeClick(const std::string& repeat_list, bool fixed_mode, HWND owner);

// "测试条件": a condition tested on a fresh capture of the screen, taken
// with the editor out of sight, the answer in a box over the editor, and the
// place it holds framed for a moment.
class ConditionTrial {
 public:
  // Timers of the page that the trial uses.
  static constexpr UINT_PTR kCaptureTimer = 0x5451;
  static constexpr UINT_PTR kFrameTimer = 0x5452;
  static constexpr UINT_PTR kAnswerTimer = 0x5453;

  ConditionTrial() = default;
  ~ConditionTrial();
  ConditionTrial(const ConditionTrial&) = delete;
  ConditionTrial& operator=(const ConditionTrial&) = delete;

  // Tests the condition for the page. When the editor leaves the screen,
  // the capture waits on the page's timer for the screen to follow, so
  // that the interface thread keeps serving messages and hooks meanwhile;
  // otherwise the test and its answer happen at once.
  void Start(HWND page, PageHost& host, std::unique_ptr<ScreenCondition> condition);
  // The page's WM_TIMER; true when the timer was the trial's.
  bool OnTimer(WPARAM id);
  // The editor closes: a trial under way ends without an answer, and the
  // editor (with the main window) comes back.
  void Cancel();
  bool pending() const { return condition_ != nullptr || answer_pending_; }

 private:
  void Finish();
  void Answer();
  void ShowFrame(const Rect& area);
  void DropFrame();

  HWND page_ = nullptr;
  PageHost* host_ = nullptr;
  bool host_hidden_ = false;
  std::unique_ptr<ScreenCondition> condition_;
  // The answer of a finished test, while it waits for the editor to be back.
  bool answer_pending_ = false;
  std::string answer_;
  bool met_ = false;
  std::optional<Rect> found_;
  HWND frame_ = nullptr;
};

}  // namespace tora
