// The simulated platform: every port of the seam over plain data that tests
// and tora-check set up and inspect. A pixel buffer is the screen, input is
// logged, windows are rows of a table, files are the real file system but
// the profile lives in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tora {

// The DIB renderer of the simulated platform: decodes the BMP formats that
// tests and tora-check use (1, 4, 8, 16, 24 and 32 bits, bottom-up and
// top-down). platform/sim/sim_dib.cpp.
bool SimRenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size, Frame& out);

struct InputEvent {
  enum Kind { KeyDown, KeyUp, Post, Cursor, Mouse } kind;
  int32_t code = 0;  // virtual key (KeyDown, KeyUp, Post)
  WindowHandle window = 0;
  KeyMessage message = KeyMessage::KeyDown;
  int32_t x = 0, y = 0;
  uint32_t flags = 0;
  uint32_t tick = 0;  // the clock's tick when the event happened
};

struct SimWindow {
  WindowHandle handle = 0;
  std::string title;
  std::string class_name;
  Rect rect;
  bool topmost = false;
  bool alive = true;
  int moves = 0;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageOwner owner;
};

class SimPlatform : private ScreenPort,
                    private InputPort,
                    private ClipboardPort,
                    private WindowPort,
                    private ClockPort,
                    private ThreadPort,
                    private UserPort,
                    private FilePort,
                    private ImagePort,
                    private TracePort {
 public:
  SimPlatform();
  ~SimPlatform() override;
  Platform& platform() { return platform_; }

  // Screen
  void SetScreen(const Frame& frame);
  void SetScreenSize(int32_t width, int32_t height, uint32_t fill = 0);
  int CaptureCount() const { return captures_.load(); }
  // The area asked of the last CaptureArea, before clipping to the screen.
  Rect LastCaptureArea();

  // Input log
  std::vector<InputEvent> Events();
  void ClearEvents();

  // Clipboard
  std::string Clipboard();
  std::atomic<bool> clipboard_fails{false};
  int ClipboardWrites();

  // Windows
  WindowHandle AddWindow(const std::string& title, const std::string& class_name, Rect rect);
  void CloseWindow(WindowHandle handle);
  SimWindow Window(WindowHandle handle);
  void SetWorkArea(Rect area);

  // Clock: virtual by default (sleeps advance the tick at once); real time
  // for tests that run workers against the wall clock.
  void UseRealTime(bool real) { real_time_ = real; }
  void SetTick(uint32_t tick) { tick_.store(tick); }
  uint32_t Tick() const { return tick_.load(); }
  uint64_t SleptMs() const { return slept_.load(); }

  // Threads: run for real by default; tora-check only records them.
  void RunThreads(bool run) { run_threads_ = run; }
  std::vector<ThreadPriority> StartedPriorities();

  // The main window's side
  std::vector<std::string> Status();  // top line first
  std::vector<ShownMessage> Messages();
  std::string title() { std::lock_guard<std::mutex> l(mutex_); return title_; }
  bool running_controls() { std::lock_guard<std::mutex> l(mutex_); return running_controls_; }
  void SetScriptPath(const std::string& path) { std::lock_guard<std::mutex> l(mutex_); script_path_ = path; }
  void SetCpuPriorityText(const std::string& text) { std::lock_guard<std::mutex> l(mutex_); cpu_text_ = text; }
  std::atomic<bool> show_actions{false};
  std::atomic<bool> stop_requested{false};
  int OpenUrlRequests() const { return open_url_requests_.load(); }

  // Files
  void SetExecutableDir(const std::string& dir) { std::lock_guard<std::mutex> l(mutex_); exe_dir_ = dir; }
  std::string Profile(const std::string& ini, const std::string& section, const std::string& key);
  void SetProfile(const std::string& ini, const std::string& section, const std::string& key, const std::string& value);

  // Pictures: the memory the program may still take (unbounded unless set).
  void SetMemoryAvailable(uint64_t bytes) { memory_available_.store(bytes); }

  // Developer trace
  std::vector<std::string> TraceLines();
  void KeepTrace(bool keep) { keep_trace_ = keep; }

 private:
  // ScreenPort
  Size ScreenSize() override;
  bool CaptureScreen(Frame& out) override;
  bool CaptureArea(const Rect& area, Frame& out, Point& origin) override;
  // InputPort
  void KeyEvent(uint8_t vk, bool key_up) override;
  void PostKey(WindowHandle window, KeyMessage message, int32_t code) override;
  void SetCursorPos(int32_t x, int32_t y) override;
  void MouseEvent(uint32_t flags) override;
  // ClipboardPort
  bool PutText(const std::string& gbk) override;
  // WindowPort
  WindowHandle FindByTitle(const std::string& title) override;
  WindowHandle FindByClass(const std::string& class_name) override;
  bool IsWindow(WindowHandle window) override;
  bool GetRect(WindowHandle window, Rect& out) override;
  Rect WorkArea() override;
  void Move(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  // ClockPort
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  bool Pause(uint32_t ms, RunFlag& flag) override;
  // ThreadPort
  std::unique_ptr<WorkerThread> Start(std::function<void()> body, ThreadPriority priority) override;
  void WaitUntil(const std::function<bool()>& done) override;
  // UserPort
  void ClearStatus() override;
  void AppendStatus(const std::string& line) override;
  void InsertStatusTop(const std::string& line) override;
  void DeleteFirstStatusWithPrefix(const std::string& prefix) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) override;
  void SetTitle(const std::string& title) override;
  void SetRunningControls(bool running) override;
  std::string ScriptPath() override;
  std::string CpuPriorityText() override;
  bool ShowActions() override;
  void RequestOpenUrl() override;
  bool StopRequested() override;
  // FilePort
  std::string ExecutableDir() override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  bool ReadFile(const std::string& path, std::string& out) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool CreateFileIfMissing(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& pattern,
                                             size_t* unlisted = nullptr) override;
  std::string ReadProfile(const std::string& ini, const std::string& section, const std::string& key) override;
  bool WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                    const std::string& value) override;
  // ImagePort
  bool RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size, Frame& out) override;
  uint64_t MemoryAvailable() override { return memory_available_.load(); }
  // TracePort
  void Trace(const std::string& line) override;

  void Record(InputEvent event);

  Platform platform_;
  std::mutex mutex_;
  Frame screen_;
  Rect last_capture_area_;
  std::atomic<int> captures_{0};
  std::atomic<uint64_t> memory_available_{UINT64_MAX};
  std::vector<InputEvent> events_;
  std::string clipboard_;
  int clipboard_writes_ = 0;
  std::vector<SimWindow> windows_;
  Rect work_area_;
  bool real_time_ = false;
  std::atomic<uint32_t> tick_{1000};
  std::atomic<uint64_t> slept_{0};
  bool run_threads_ = true;
  std::vector<ThreadPriority> priorities_;
  std::vector<std::string> status_;
  std::vector<ShownMessage> messages_;
  std::string title_;  // empty until a run sets it
  bool running_controls_ = false;
  std::string script_path_;
  std::string cpu_text_;  // empty reads as the normal priority
  std::atomic<int> open_url_requests_{0};
  std::string exe_dir_;
  std::map<std::string, std::string> profile_;
  std::vector<std::string> trace_;
  bool keep_trace_ = true;
};

}  // namespace tora
