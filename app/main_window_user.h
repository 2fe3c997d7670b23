// The main window as the engine sees it: status list, message boxes, title,
// control states, the script and priority boxes, and the stop request.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/messages.h"

namespace tora {

// A row of a status line drawn in several: characters [begin, end).
struct StatusRow {
  size_t begin, end;
};
// The rows of a line in a list whose text has width pixels, in the font
// selected into dc: broken after blanks and beside Chinese characters,
// never before closing punctuation; one row for a line that fits. At most
// most rows: the last then holds the rest of the line.
std::vector<StatusRow> StatusRows(HDC dc, const std::wstring& line, int width, size_t most);

class MainWindowUser : public UserPort {
 public:
  enum StatusOp : WPARAM { kClear, kAppend, kInsertTop, kDeleteWithPrefix };

  // Called on the interface thread when the main window initialises, and
  // when it is destroyed (workers then talk to nobody).
  void Attach(HWND dialog);
  void Detach();
  HWND window() const { return hwnd_.load(); }

  // The main window's handler of kMsgStatusRequest. lParam names a request
  // that a worker of ours has filed; anything else (another process can
  // send or post this message too) is ignored.
  LRESULT ServeStatusRequest(WPARAM unused, LPARAM request);

  // The main window's timer kStatusRedrawTimer: draws the status list after
  // a burst of lines.
  void FlushStatusRedraw();
  static constexpr UINT kStatusRedrawMs = 100;
  // The longest a steady stream of lines keeps the list from being drawn.
  static constexpr uint32_t kStatusRedrawAtMostMs = 150;
  // The clock of those waits (the system's tick count unless a test sets one).
  void UseClock(std::function<uint32_t()> tick) { tick_ = std::move(tick); }

  // The status list draws its own lines (the main window hands it these
  // two messages): a line wider than the list goes on in further rows, so
  // that a long warning is read whole in the narrow list.
  void MeasureStatusItem(HWND list, MEASUREITEMSTRUCT& item);
  void DrawStatusItem(const DRAWITEMSTRUCT& item);

  void SetShowActions(bool on) { show_actions_.store(on); }
  // A new start forgets a stop hotkey seen during the previous one.
  void ForgetStopRequest() { stop_seen_ = false; }
  // A stop hotkey that a box opened by the script delivered to the window.
  void NoteStopRequest() { stop_seen_ = true; }
  // A close that arrived while a script was running on the interface thread.
  void SetClosePending() { close_pending_ = true; }
  // That close did not happen (the editor could not save): starts run on.
  void ClearClosePending() { close_pending_ = false; }

  void ClearStatus() override;
  void AppendStatus(const std::string& line) override;
  void InsertStatusTop(const std::string& line) override;
  void DeleteFirstStatusWithPrefix(const std::string& prefix) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) override;
  void SetTitle(const std::string& title) override;
  void SetRunningControls(bool running) override;
  std::string ScriptPath() override;
  std::string CpuPriorityText() override;
  bool ShowActions() override { return show_actions_.load(); }
  void RequestOpenUrl() override;
  bool StopRequested() override;

 private:
  // Runs op on the interface thread: directly there, else by SendMessage.
  void Status(StatusOp op, const std::string& line);
  void DoStatus(StatusOp op, const std::string& line);
  // Gives the line at index as many rows as it needs.
  void FitRows(HWND list, int index, const std::wstring& line);
  int RowHeight(HWND list);
  void DeferRedraw(HWND list);
  // A click on the close box, Alt+F4 or a system-menu close waits in the
  // queue (it is taken from it).
  bool CloseGestureQueued();

  // Lines handed over by workers, by request number: a message carries only
  // the number, never a pointer.
  struct Request {
    StatusOp op;
    const std::string* line;
  };
  std::mutex requests_mutex_;
  std::map<LPARAM, Request> requests_;
  LPARAM next_request_ = 0;

  std::atomic<HWND> hwnd_{nullptr};
  std::atomic<DWORD> ui_thread_{0};
  std::atomic<bool> show_actions_{false};
  bool stop_seen_ = false;
  bool close_pending_ = false;
  // The height of one row in the list's font, and that font.
  int row_height_ = 0;
  HFONT row_font_ = nullptr;
  // Lines inserted at the top since the list was last emptied.
  int top_lines_ = 0;
  bool redraw_deferred_ = false;
  uint32_t deferred_since_ = 0;
  std::function<uint32_t()> tick_ = [] { return static_cast<uint32_t>(GetTickCount()); };

 public:
  // How many top lines (action traces, the stop line) the list keeps.
  static constexpr int kMaxTopLines = 5000;
};

}  // namespace tora
