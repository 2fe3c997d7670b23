// The seam between the portable core and the world. The core never includes
// <windows.h>; it reaches the screen, the input devices, other programs'
// windows, the clipboard, time, threads, the main window and files only
// through these interfaces. platform/win32/ implements them with the real
// calls; platform/sim/ holds test doubles for tora-check and the tests.
// All texts are GBK byte strings.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace tora {

class ScreenPort {
 public:
  virtual ~ScreenPort() = default;
  // The primary display's resolution in pixels.
  virtual Size ScreenSize() = 0;
  // Copies the whole primary display into out (resized to the screen).
  virtual bool CaptureScreen(Frame& out) = 0;
  // Copies the part of area (right and bottom exclusive) that lies on the
  // primary display into out, resized to that part; origin receives the
  // screen position of out's pixel (0, 0). An area wholly off the screen
  // gives an empty frame and succeeds: every position in it reads as off
  // the screen, as it would in a full capture.
  virtual bool CaptureArea(const Rect& area, Frame& out, Point& origin) = 0;
};

enum class KeyMessage { KeyDown, KeyUp, SysKeyDown, SysKeyUp };

class InputPort {
 public:
  virtual ~InputPort() = default;
  // A system-wide synthetic key event (scan code 0).
  virtual void KeyEvent(uint8_t vk, bool key_up) = 0;
  // Posts a key message to a window: wParam = code, lParam = 0.
  virtual void PostKey(WindowHandle window, KeyMessage message, int32_t code) = 0;
  virtual void SetCursorPos(int32_t x, int32_t y) = 0;
  // One mouse event with the given flag word, no movement, no wheel data.
  virtual void MouseEvent(uint32_t flags) = 0;
};

class ClipboardPort {
 public:
  virtual ~ClipboardPort() = default;
  // Places the GBK text as plain text; false when the clipboard cannot be opened.
  virtual bool PutText(const std::string& gbk) = 0;
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  virtual WindowHandle FindByTitle(const std::string& title) = 0;
  virtual WindowHandle FindByClass(const std::string& class_name) = 0;
  virtual bool IsWindow(WindowHandle window) = 0;
  virtual bool GetRect(WindowHandle window, Rect& out) = 0;
  virtual Rect WorkArea() = 0;
  virtual void Move(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  // Puts the window into or out of the topmost band without moving it.
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
};

class RunFlag;

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  // Milliseconds since system start, wrapping after 49.7 days.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Sleeps ms milliseconds unless the flag is cleared first; returns whether
  // the flag is still set.
  virtual bool Pause(uint32_t ms, RunFlag& flag) = 0;
};

// Worker thread priorities, as the CPU-priority box maps them.
enum class ThreadPriority : int { Highest = 2, Normal = 0, BelowNormal = -1, Lowest = -2 };

class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
  // Waits for the thread to end. On the interface thread this keeps serving
  // the synchronous status-line inserts that workers send meanwhile.
  virtual void Join() = 0;
  virtual bool Finished() = 0;
};

class ThreadPort {
 public:
  virtual ~ThreadPort() = default;
  virtual std::unique_ptr<WorkerThread> Start(std::function<void()> body, ThreadPriority priority) = 0;
  // Waits on the interface thread until done() holds, serving the
  // synchronous status-line inserts of workers meanwhile.
  virtual void WaitUntil(const std::function<bool()>& done) = 0;
};

enum class MessageOwner { MainWindow, None };

// The main window as the engine sees it.
class UserPort {
 public:
  virtual ~UserPort() = default;
  virtual void ClearStatus() = 0;
  virtual void AppendStatus(const std::string& line) = 0;
  // Inserts a line at the top of the status list; callable from any thread,
  // returns after the line is in the list.
  virtual void InsertStatusTop(const std::string& line) = 0;
  // Deletes the first status line that begins with the prefix, if any.
  virtual void DeleteFirstStatusWithPrefix(const std::string& prefix) = 0;
  // A modal message box with one OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Disables the idle controls and enables the stop button (running), or back.
  virtual void SetRunningControls(bool running) = 0;
  virtual std::string ScriptPath() = 0;
  virtual std::string CpuPriorityText() = 0;
  virtual bool ShowActions() = 0;
  // Asks the interface thread to carry out the open-url hand-over (timer 5).
  virtual void RequestOpenUrl() = 0;
  // Polled while a script runs on the interface thread: has the user asked
  // to stop (stop hotkey, closing the window)?
  virtual bool StopRequested() = 0;
};

class FilePort {
 public:
  virtual ~FilePort() = default;
  // The running executable's directory, without a trailing separator.
  virtual std::string ExecutableDir() = 0;
  // Size of the file at path, or nothing when there is no such file.
  virtual std::optional<uint64_t> FileSize(const std::string& path) = 0;
  // Reads the whole file (shared read access) into out.
  virtual bool ReadFile(const std::string& path, std::string& out) = 0;
  // Writes the whole file. An existing file is replaced only once the new
  // bytes are complete on disk: a write that fails leaves it as it was.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Creates an empty file when there is none; never touches one that exists.
  virtual bool CreateFileIfMissing(const std::string& path) = 0;
  // The names of the files in dir that match pattern ("*.txt"), in the
  // order the system lists them; folders and names beginning with "." are
  // left out, and so are names that GBK cannot hold (counted in unlisted):
  // no text of the program could name them.
  virtual std::vector<std::string> ListFiles(const std::string& dir, const std::string& pattern,
                                             size_t* unlisted = nullptr) = 0;
  virtual std::string ReadProfile(const std::string& ini, const std::string& section, const std::string& key) = 0;
  virtual bool WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                            const std::string& value) = 0;
};

// The platform's DIB renderer: draws a BMP's info header, colour table and
// pixel data into a 32-bit frame of width x |height|, top row first.
class ImagePort {
 public:
  virtual ~ImagePort() = default;
  virtual bool RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                         Frame& out) = 0;
  // Bytes the program can still take without paging: the physical memory
  // available, and no more than the address space it has left.
  virtual uint64_t MemoryAvailable() = 0;
};

class TracePort {
 public:
  virtual ~TracePort() = default;
  // A developer trace line (debugger output); never shown to the user.
  virtual void Trace(const std::string& line) = 0;
};

struct Platform {
  ScreenPort& screen;
  InputPort& input;
  ClipboardPort& clipboard;
  WindowPort& windows;
  ClockPort& clock;
  ThreadPort& threads;
  UserPort& user;
  FilePort& files;
  ImagePort& images;
  TracePort& trace;
};

}  // namespace tora
