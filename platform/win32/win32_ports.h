// The ports of the real platform, one class per concern. Win32Platform
// holds one of each; the tests construct them directly too.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace tora {

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

class Win32Screen : public ScreenPort {
 public:
  Size ScreenSize() override;
  bool CaptureScreen(Frame& out) override;
  bool CaptureArea(const Rect& area, Frame& out, Point& origin) override;
};

class Win32Input : public InputPort {
 public:
  void KeyEvent(uint8_t vk, bool key_up) override;
  void PostKey(WindowHandle window, KeyMessage message, int32_t code) override;
  void SetCursorPos(int32_t x, int32_t y) override;
  void MouseEvent(uint32_t flags) override;
};

class Win32Clipboard : public ClipboardPort {
 public:
  bool PutText(const std::string& gbk) override;
  // How long PutText keeps trying while another program holds the clipboard.
  void SetOpenTimeout(uint32_t ms) { open_timeout_ms_ = ms; }

 private:
  uint32_t open_timeout_ms_ = 250;
};

class Win32Windows : public WindowPort {
 public:
  WindowHandle FindByTitle(const std::string& title) override;
  WindowHandle FindByClass(const std::string& class_name) override;
  bool IsWindow(WindowHandle window) override;
  bool GetRect(WindowHandle window, Rect& out) override;
  Rect WorkArea() override;
  void Move(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void SetTopmost(WindowHandle window, bool topmost) override;
};

class Win32Clock : public ClockPort {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  bool Pause(uint32_t ms, RunFlag& flag) override;
};

class Win32Threads : public ThreadPort {
 public:
  std::unique_ptr<WorkerThread> Start(std::function<void()> body, ThreadPriority priority) override;
  void WaitUntil(const std::function<bool()>& done) override;
};

class Win32Files : public FilePort {
 public:
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
};

class Win32Images : public ImagePort {
 public:
  bool RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                 Frame& out) override;
  uint64_t MemoryAvailable() override;
};

class Win32Trace : public TracePort {
 public:
  void Trace(const std::string& line) override;
};

// Waits until the handle is signalled or the timeout ends, serving the
// messages that other threads send to this thread's windows meanwhile.
// Returns true when the handle was signalled.
bool WaitServingSentMessages(HANDLE handle, DWORD timeout_ms);

// The Win32 thread priority of a worker priority.
int Win32ThreadPriority(ThreadPriority priority);

}  // namespace tora
