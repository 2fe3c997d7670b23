// A stand-in for the real platform while it is being written: enough of
// each port for the main window to start and stop runs. Left out of the
// build as soon as platform/win32/win32_platform.cpp exists.
#include <windows.h>

#include <thread>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace tora {

namespace {

// Serves messages sent by workers while the interface thread waits.
void PumpSent() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

class Thread : public WorkerThread {
 public:
  Thread(std::function<void()> body, ThreadPriority priority) : body_(std::move(body)), priority_(priority) {
    handle_ = CreateThread(nullptr, 0, &Thread::Main, this, 0, nullptr);
  }
  ~Thread() override {
    Join();
  }
  void Join() override {
    if (!handle_) return;
    while (MsgWaitForMultipleObjects(1, &handle_, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) PumpSent();
    CloseHandle(handle_);
    handle_ = nullptr;
  }
  bool Finished() override { return !handle_ || WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Main(void* self) {
    auto* t = static_cast<Thread*>(self);
    SetThreadPriority(GetCurrentThread(), static_cast<int>(t->priority_));
    t->body_();
    return 0;
  }
  std::function<void()> body_;
  ThreadPriority priority_;
  HANDLE handle_ = nullptr;
};

}  // namespace

struct Win32Platform::Ports : ScreenPort, InputPort, ClipboardPort, WindowPort, ClockPort, ThreadPort, FilePort,
                              ImagePort, TracePort {
  explicit Ports(UserPort& user)
      : platform{*this, *this, *this, *this, *this, *this, user, *this, *this, *this} {}

  Size ScreenSize() override { return Size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
  bool CaptureScreen(Frame&) override { return false; }

  void KeyEvent(uint8_t vk, bool key_up) override { keybd_event(vk, 0, key_up ? KEYEVENTF_KEYUP : 0, 0); }
  void PostKey(WindowHandle window, KeyMessage message, int32_t code) override {
    static const UINT kMessages[] = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP};
    PostMessageW(reinterpret_cast<HWND>(window), kMessages[static_cast<int>(message)], static_cast<WPARAM>(code), 0);
  }
  void SetCursorPos(int32_t x, int32_t y) override { ::SetCursorPos(x, y); }
  void MouseEvent(uint32_t flags) override { mouse_event(flags, 0, 0, 0, 0); }

  bool PutText(const std::string&) override { return false; }

  WindowHandle FindByTitle(const std::string& title) override {
    return reinterpret_cast<WindowHandle>(FindWindowW(nullptr, Widen(title).c_str()));
  }
  WindowHandle FindByClass(const std::string& class_name) override {
    return reinterpret_cast<WindowHandle>(FindWindowW(Widen(class_name).c_str(), nullptr));
  }
  bool IsWindow(WindowHandle window) override { return ::IsWindow(reinterpret_cast<HWND>(window)) != FALSE; }
  bool GetRect(WindowHandle window, Rect& out) override {
    RECT r;
    if (!GetWindowRect(reinterpret_cast<HWND>(window), &r)) return false;
    out = Rect{r.left, r.top, r.right, r.bottom};
    return true;
  }
  Rect WorkArea() override {
    RECT r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  void Move(WindowHandle window, int32_t x, int32_t y, int32_t w, int32_t h) override {
    MoveWindow(reinterpret_cast<HWND>(window), x, y, w, h, TRUE);
  }
  void SetTopmost(WindowHandle window, bool topmost) override {
    SetWindowPos(reinterpret_cast<HWND>(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  uint32_t TickCount() override { return GetTickCount(); }
  void Sleep(uint32_t ms) override { ::Sleep(ms); }
  bool Pause(uint32_t ms, RunFlag& flag) override { return flag.WaitWhileSet(ms); }

  std::unique_ptr<WorkerThread> Start(std::function<void()> body, ThreadPriority priority) override {
    return std::make_unique<Thread>(std::move(body), priority);
  }
  void WaitUntil(const std::function<bool()>& done) override {
    while (!done()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
      PumpSent();
    }
  }

  std::string ExecutableDir() override {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
      if (n < name.size()) {
        std::wstring path(name.data(), n);
        return Narrow(path.substr(0, path.rfind(L'\\')));
      }
      name.resize(name.size() * 2);
    }
  }
  std::optional<uint64_t> FileSize(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  bool ReadFile(const std::string& path, std::string& out) override {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(f);
    return true;
  }
  std::string ReadProfile(const std::string& ini, const std::string& section, const std::string& key) override {
    std::vector<wchar_t> value(512);
    for (;;) {
      const DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"", value.data(),
                                               static_cast<DWORD>(value.size()), Widen(ini).c_str());
      if (n + 1 < value.size()) return Narrow(std::wstring(value.data(), n));
      value.resize(value.size() * 2);
    }
  }
  bool WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                    const std::string& value) override {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                      Widen(ini).c_str()) != FALSE;
  }

  bool RenderDib(const uint8_t*, size_t, const uint8_t*, size_t, Frame&) override { return false; }
  void Trace(const std::string& line) override { OutputDebugStringW(Widen(line + "\n").c_str()); }

  Platform platform;
};

Win32Platform::Win32Platform(UserPort& user) : ports_(std::make_unique<Ports>(user)) {}
Win32Platform::~Win32Platform() = default;
Platform& Win32Platform::platform() { return ports_->platform; }

}  // namespace tora
