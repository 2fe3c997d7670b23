#include "editor/win32/find_page_util.h"

#include <algorithm>
#include <cstdint>

#include "editor/codegen.h"
#include "editor/condition_trial.h"
#include "editor/texts.h"
#include "engine/texts.h"
#include "platform/run_flag.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "vision/condition_check.h"

namespace tora {

namespace {

// The screen follows the editor's leaving this long after it left, as for
// the image tool's screenshot.
constexpr UINT kTrialCaptureDelayMs = 1000;
// The answer waits this long for the editor and the main window to be back
// and drawn: a box shown while the window manager still restores them
// leaves them unpainted under Wine.
constexpr UINT kAnswerDelayMs = 300;
// How long the found place stays framed.
constexpr UINT kFrameShownMs = 1000;
// The frame's width, drawn outside the found pixels so that they stay seen.
constexpr int kFrameWidth = 3;
constexpr COLORREF kFrameColour = RGB(255, 0, 0);
constexpr wchar_t kFrameClass[] = L"ToraFoundFrame";

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) {
    RECT all{};
    GetClientRect(hwnd, &all);
    const GdiObject<HBRUSH> red(CreateSolidBrush(kFrameColour));
    FillRect(reinterpret_cast<HDC>(wparam), &all, red.get());
    return 1;
  }
  // Clicks go through to whatever lies below.
  if (message == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool RegisterFrameClass() {
  static const bool registered = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = FrameProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = kFrameClass;
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    return RegisterClassW(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

void EnableRangeControls(HWND page, bool moving, int label, int box, int button) {
  for (int id : {label, box, button}) EnableWindow(GetDlgItem(page, id), moving ? TRUE : FALSE);
}

bool AcceptEdit(const PageEdit& edit, HWND owner) {
  if (!edit.refused) return true;
  if (edit.message.empty()) return false;
  if (edit.hint_box)
    MessageBoxW(nullptr, Widen(edit.message).c_str(), Widen(editor_texts::kHintCaption).c_str(), MB_OK);
  else
    MessageBoxW(owner, Widen(edit.message).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
  return false;
}

bool GoOnWithRelativeClick(const std::string& repeat_list, bool fixed_mode, HWND owner) {
  if (!fixed_mode || !HasRelativeClick(repeat_list)) return true;
  return MessageBoxW(owner, Widen(editor_texts::kRelativeWithFixedCondition).c_str(), Widen(texts::kAppTitle).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

ConditionTrial::~ConditionTrial() {
  // The page's timers end with its window; a trial that never finished
  // still owes the editor its return.
  if (host_hidden_ && host_) host_->ReturnAfterShot();
  DropFrame();
}

void ConditionTrial::Start(HWND page, PageHost& host, std::unique_ptr<ScreenCondition> condition) {
  if (pending()) return;
  page_ = page;
  host_ = &host;
  condition_ = std::move(condition);
  DropFrame();
  host_hidden_ = host.LeaveScreenForShot();
  if (host_hidden_ && SetTimer(page_, kCaptureTimer, kTrialCaptureDelayMs, nullptr)) return;
  Finish();
}

bool ConditionTrial::OnTimer(WPARAM id) {
  if (id == kCaptureTimer) {
    KillTimer(page_, kCaptureTimer);
    if (condition_) Finish();
    return true;
  }
  if (id == kAnswerTimer) {
    KillTimer(page_, kAnswerTimer);
    if (answer_pending_) Answer();
    return true;
  }
  if (id == kFrameTimer) {
    KillTimer(page_, kFrameTimer);
    DropFrame();
    return true;
  }
  return false;
}

void ConditionTrial::Cancel() {
  if (page_) {
    KillTimer(page_, kCaptureTimer);
    KillTimer(page_, kAnswerTimer);
    KillTimer(page_, kFrameTimer);
  }
  condition_.reset();
  answer_pending_ = false;
  if (host_hidden_) {
    host_hidden_ = false;
    host_->ReturnAfterShot();
  }
  DropFrame();
}

void ConditionTrial::Finish() {
  std::unique_ptr<ScreenCondition> condition = std::move(condition_);
  Frame screen;
  const bool captured = Win32Screen().CaptureScreen(screen);
  const bool returning = host_hidden_;
  if (host_hidden_) {
    host_hidden_ = false;
    host_->ReturnAfterShot();
  }
  met_ = false;
  found_.reset();
  if (captured) {
    RunFlag going;
    going.Set();
    const ConditionCheck check = CheckCondition(*condition, screen, going);
    answer_ = TrialAnswer(*condition, check);
    met_ = check.met;
    found_ = FoundArea(*condition, check);
  } else {
    answer_ = editor_texts::kTrialNoCapture;
  }
  answer_pending_ = true;
  if (returning && SetTimer(page_, kAnswerTimer, kAnswerDelayMs, nullptr)) return;
  Answer();
}

void ConditionTrial::Answer() {
  answer_pending_ = false;
  if (found_) ShowFrame(*found_);
  MessageBoxW(GetAncestor(page_, GA_ROOT), Widen(answer_).c_str(), Widen(texts::kAppTitle).c_str(),
              MB_OK | (met_ ? MB_ICONINFORMATION : MB_ICONWARNING));
}

void ConditionTrial::ShowFrame(const Rect& area) {
  if (!RegisterFrameClass()) return;
  // Points that hold off the screen ("!=" reads the invalid colour there)
  // may reach far beyond it; the frame stays just around the screen.
  const auto within = [](int32_t v, int screen) {
    return static_cast<int>(std::clamp<int64_t>(v, -kFrameWidth, int64_t{screen} + kFrameWidth));
  };
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  const int left = within(area.left, cx), top = within(area.top, cy);
  const int width = within(area.right, cx) - left + 2 * kFrameWidth;
  const int height = within(area.bottom, cy) - top + 2 * kFrameWidth;
  // Owned by the editor, so that it goes with it.
  frame_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, kFrameClass, L"",
                           WS_POPUP, left - kFrameWidth, top - kFrameWidth, width, height,
                           GetAncestor(page_, GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!frame_) return;
  // Only the border: the found pixels inside stay in sight.
  HRGN outer = CreateRectRgn(0, 0, width, height);
  HRGN inner = CreateRectRgn(kFrameWidth, kFrameWidth, width - kFrameWidth, height - kFrameWidth);
  CombineRgn(outer, outer, inner, RGN_DIFF);
  DeleteObject(inner);
  if (!SetWindowRgn(frame_, outer, FALSE)) DeleteObject(outer);  // the window owns it once set
  ShowWindow(frame_, SW_SHOWNOACTIVATE);
  UpdateWindow(frame_);
  SetTimer(page_, kFrameTimer, kFrameShownMs, nullptr);
}

void ConditionTrial::DropFrame() {
  if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
  frame_ = nullptr;
}

}  // namespace tora
