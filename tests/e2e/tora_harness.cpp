#include "tests/e2e/tora_harness.h"

#include <cstdio>

#include <atomic>

namespace tora_e2e {

std::wstring W(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string Gbk(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromUnixPath(const char* path) {
  std::wstring out = L"Z:";
  for (const char* p = path; *p; ++p) out += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return out;
}

bool WaitFor(const std::function<bool()>& pred, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start >= ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

std::wstring WindowText(HWND hwnd) {
  const LRESULT len = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> buffer(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::wstring(buffer.data());
}

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(len < 0 ? 0 : len) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()));
    lines.emplace_back(buffer.data());
  }
  return lines;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

bool ReadBytes(const std::wstring& path, std::string& out) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  out.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(f);
  return true;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Folder::Folder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  // A Chinese folder name: every path the program handles passes GBK.
  // Wine hands out small process ids again after its server restarts, so a
  // folder of an earlier run may still stand under the same name: take the
  // first name that is free.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    path_ = std::wstring(temp) + W("按键测试-") + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

Folder::~Folder() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      SetFileAttributesW(File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(File(name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(path_.c_str());
}

Tora::Tora(const Folder& folder) : folder_(folder) {}

Tora::~Tora() {
  if (info_.hProcess) {
    if (!Exited(0)) Close();
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Tora::Start() {
  const std::wstring exe = folder_.File(L"tora.exe");
  if (!FileExists(exe) && !CopyFileW(FromUnixPath(TORA_EXE).c_str(), exe.c_str(), FALSE)) {
    std::fprintf(stderr, "copying the program failed (error %lu)\n", GetLastError());
    return false;
  }
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  // A start can fail for a moment while Wine is still tearing down the
  // previous copy; try a few times, and say why when it keeps failing.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.path().c_str(),
                       &startup, &info_))
      return true;
    std::fprintf(stderr, "CreateProcess failed (error %lu), attempt %d\n", GetLastError(), attempt + 1);
    Sleep(300);
  }
  return false;
}

namespace {

struct Search {
  DWORD pid;
  HWND skip;
  bool want_main;
  HWND found;
};

BOOL CALLBACK FindDialogOf(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || hwnd == s->skip) return TRUE;
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 63);
  if (std::wstring(cls) != L"#32770") return TRUE;
  // The main window is the one with the status list; a message box has its
  // text in the static 0xFFFF (the editor and the tools have none).
  const bool is_main = GetDlgItem(hwnd, 1040) != nullptr;
  if (is_main != s->want_main) return TRUE;
  if (!s->want_main && (!IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 0xFFFF))) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND Tora::WaitMainWindow(DWORD ms) {
  WaitFor(
      [this] {
        Search s{info_.dwProcessId, nullptr, true, nullptr};
        EnumWindows(&FindDialogOf, reinterpret_cast<LPARAM>(&s));
        main_ = s.found;
        return main_ && IsWindowVisible(main_);
      },
      ms);
  return main_;
}

HWND Tora::FindMessageBox() const {
  Search s{info_.dwProcessId, main_, false, nullptr};
  EnumWindows(&FindDialogOf, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

namespace {
struct EditorSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindEditorOf(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<EditorSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  // The editor is the dialog with the code box.
  if (pid != s->pid || !GetDlgItem(hwnd, 1077) || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}
}  // namespace

HWND Tora::FindEditor() const {
  EditorSearch s{info_.dwProcessId, nullptr};
  EnumWindows(&FindEditorOf, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND Tora::WaitMessageBox(DWORD ms) const {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindMessageBox()) != nullptr; }, ms);
  return box;
}

std::wstring Tora::MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void Tora::Dismiss(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

void Tora::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void Tora::SetText(int id, const std::wstring& text) const {
  SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Tora::Exited(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

bool Tora::Close(DWORD ms) {
  if (!info_.hProcess) return true;
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  if (Exited(ms)) return true;
  TerminateProcess(info_.hProcess, 99);
  Exited(5000);
  return false;
}

bool Focus(HWND hwnd) {
  return WaitFor(
      [hwnd] {
        if (GetForegroundWindow() == hwnd) return true;
        SetForegroundWindow(hwnd);
        return false;
      },
      5000);
}

void PressCombo(BYTE modifier, BYTE key) {
  keybd_event(modifier, 0, 0, 0);
  Sleep(30);
  keybd_event(key, 0, 0, 0);
  Sleep(30);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  Sleep(30);
  keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

bool SaveWindowShot(HWND hwnd, const std::wstring& path) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(h), '\0');
  GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bytes += pixels;
  return WriteBytes(path, bytes);
}

}  // namespace tora_e2e
