// Drives the real program from outside: a fresh folder per test with its
// own copy of the executable, the main window found by process, controls
// read and clicked with window messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tora_e2e {

// GBK (the program's own texts) to UTF-16, whatever the ANSI code page.
std::wstring W(const std::string& gbk);
std::string Gbk(const std::wstring& wide);
// A Unix path of the build (as CMake knows it) as a Wine path.
std::wstring FromUnixPath(const char* path);

// Polls until pred holds or ms have passed; pumps this thread's messages.
bool WaitFor(const std::function<bool()>& pred, DWORD ms = 10000);

std::wstring WindowText(HWND hwnd);
std::vector<std::wstring> ListLines(HWND list);

// Writes bytes (GBK text) to a file; true on success.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool ReadBytes(const std::wstring& path, std::string& out);
bool FileExists(const std::wstring& path);

class Folder {
 public:
  Folder();
  ~Folder();
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// One running copy of the program.
class Tora {
 public:
  explicit Tora(const Folder& folder);
  ~Tora();

  // Starts the copy in the folder; false when it does not come up.
  bool Start();
  // Waits for the main window (created, and after any start-up notice).
  HWND WaitMainWindow(DWORD ms = 20000);
  HWND main() const { return main_; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }

  // A message box of this process other than the main window, or nullptr.
  HWND FindMessageBox() const;
  HWND WaitMessageBox(DWORD ms = 10000) const;
  // The editor window when it is open and shown, or nullptr.
  HWND FindEditor() const;
  static std::wstring MessageBoxText(HWND box);
  static void Dismiss(HWND box);

  // Posts a click to a button and returns at once (the handler may open a
  // modal box).
  void Click(int id) const;
  std::vector<std::wstring> Status() const { return ListLines(Control(1040)); }
  std::wstring Text(int id) const { return WindowText(Control(id)); }
  void SetText(int id, const std::wstring& text) const;
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

  // Closes the window and waits for the process to end; false on a hang
  // (the process is then terminated).
  bool Close(DWORD ms = 15000);
  bool Exited(DWORD ms) const;
  DWORD pid() const { return info_.dwProcessId; }

 private:
  const Folder& folder_;
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

// Makes the window the foreground one (hotkeys under Wine need a focused
// window); false when it does not become so.
bool Focus(HWND hwnd);

// Presses a combination with synthetic input (modifier down, key, ups).
void PressCombo(BYTE modifier, BYTE key);

// Saves the screen area of the window as a 24-bit BMP.
bool SaveWindowShot(HWND hwnd, const std::wstring& path);

}  // namespace tora_e2e
