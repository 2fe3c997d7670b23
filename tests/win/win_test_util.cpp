#include "tests/win/win_test_util.h"

#include <atomic>

#include "platform/win32/wide.h"

namespace tora::test {

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start >= timeout_ms) return pred();
    PumpMessages(5);
  }
  return true;
}

namespace {

BOOL CALLBACK FindMessageBox(HWND w, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  // a message box's text is its static 0xFFFF
  if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !GetDlgItem(w, 0xFFFF)) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

}  // namespace

MessageBoxAnswer::MessageBoxAnswer()
    : thread_([this] {
        for (int i = 0; i < 500 && !stop_; ++i, Sleep(10)) {
          HWND box = nullptr;
          EnumWindows(&FindMessageBox, reinterpret_cast<LPARAM>(&box));
          if (!box) continue;
          wchar_t text[2048] = {};
          GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 2048);
          text_ = Narrow(text);
          PostMessageW(box, WM_COMMAND, IDOK, 0);
          answered_ = true;
          return;
        }
      }) {}

void MessageBoxAnswer::Stop() {
  if (thread_.joinable()) {
    stop_ = true;
    thread_.join();
  }
}

TestWindow::TestWindow(Options options) : options_(std::move(options)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &TestWindow::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = options_.class_name.c_str();
  RegisterClassExW(&wc);  // a second window of the same class finds it registered
  const RECT& r = options_.rect;
  hwnd_ = CreateWindowExW(options_.ex_style, options_.class_name.c_str(), options_.title.c_str(), options_.style,
                          r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (hwnd_) {
    UpdateWindow(hwnd_);
    PumpMessages(50);
  }
}

TestWindow::~TestWindow() { Destroy(); }

void TestWindow::Destroy() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    PumpMessages(20);
  }
}

bool TestWindow::Focus() {
  return PumpUntil([this] {
    if (GetForegroundWindow() != hwnd_) SetForegroundWindow(hwnd_);
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    return GetForegroundWindow() == hwnd_ && GetFocus() == hwnd_;
  });
}

std::vector<LoggedMessage> TestWindow::Messages(std::initializer_list<UINT> kinds) const {
  std::vector<LoggedMessage> out;
  for (const LoggedMessage& m : messages_)
    for (UINT k : kinds)
      if (m.message == k) out.push_back(m);
  return out;
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    self->hwnd_ = hwnd;
    return self->Handle(msg, wp, lp);
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TestWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYDOWN: case WM_SYSKEYUP:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      messages_.push_back(LoggedMessage{msg, wp, lp});
      // System keys are taken here so that Alt never opens a window menu.
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      if (options_.paint) {
        options_.paint(dc, client);
      } else {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

namespace {
std::atomic<int> folder_counter{0};

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}
}  // namespace

TempFolder::TempFolder() {
  std::wstring base(MAX_PATH + 1, L'\0');
  base.resize(GetTempPathW(static_cast<DWORD>(base.size()), base.data()));
  path_ = base + L"tora测试_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++folder_counter);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::gbk() const { return Narrow(path_); }

std::string TempFolder::File(const std::string& name) const { return gbk() + "\\" + name; }

bool TempFolder::WriteBytes(const std::string& gbk_path, const std::string& bytes) {
  HANDLE h = CreateFileW(Widen(gbk_path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(h);
  return ok;
}

std::string TempFolder::ReadBytes(const std::string& gbk_path) {
  HANDLE h = CreateFileW(Widen(gbk_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string("<missing>");
  std::string out;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
  CloseHandle(h);
  return out;
}

namespace {
constexpr UINT kInsertTop = WM_APP + 1;
constexpr wchar_t kStatusClass[] = L"ToraTestStatusSink";
}  // namespace

FakeUser::FakeUser() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &FakeUser::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kStatusClass;
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(0, kStatusClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                          nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakeUser::~FakeUser() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK FakeUser::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kInsertTop) {
    auto* self = reinterpret_cast<FakeUser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      std::lock_guard<std::mutex> l(self->mutex_);
      self->status_.insert(self->status_.begin(), *reinterpret_cast<const std::string*>(wp));
    }
    return 1;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<std::string> FakeUser::Status() {
  std::lock_guard<std::mutex> l(mutex_);
  return status_;
}

std::vector<std::string> FakeUser::Shown() {
  std::lock_guard<std::mutex> l(mutex_);
  return shown_;
}

void FakeUser::ClearStatus() {
  std::lock_guard<std::mutex> l(mutex_);
  status_.clear();
}

void FakeUser::AppendStatus(const std::string& line) {
  std::lock_guard<std::mutex> l(mutex_);
  status_.push_back(line);
}

void FakeUser::InsertStatusTop(const std::string& line) {
  // A wait that never ends would hide a deadlock as a hung test; five
  // seconds without an answer shows it as a lost line instead.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd_, kInsertTop, reinterpret_cast<WPARAM>(&line), 0, SMTO_NORMAL, 5000, &result);
}

void FakeUser::DeleteFirstStatusWithPrefix(const std::string& prefix) {
  std::lock_guard<std::mutex> l(mutex_);
  for (auto it = status_.begin(); it != status_.end(); ++it)
    if (it->compare(0, prefix.size(), prefix) == 0) {
      status_.erase(it);
      return;
    }
}

void FakeUser::ShowMessage(const std::string& text, const std::string&, MessageOwner) {
  std::lock_guard<std::mutex> l(mutex_);
  shown_.push_back(text);
}

}  // namespace tora::test
