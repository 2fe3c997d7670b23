// Helpers for the tests of the real platform under Wine: windows that log
// what they receive, a message pump, a temporary folder, and a stand-in for
// the main window's side.
#pragma once

#include <windows.h>
#include <windowsx.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace tora::test {

// Runs this thread's message loop for about ms milliseconds.
void PumpMessages(DWORD ms);

// Pumps until pred() holds or timeout_ms passed; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD timeout_ms = 3000);

struct LoggedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Answers the next message box of this process with OK, from a thread of
// its own, and keeps its text (GBK).
class MessageBoxAnswer {
 public:
  MessageBoxAnswer();
  ~MessageBoxAnswer() { Stop(); }
  MessageBoxAnswer(const MessageBoxAnswer&) = delete;
  MessageBoxAnswer& operator=(const MessageBoxAnswer&) = delete;
  // A box was answered.
  bool answered() const { return answered_; }
  // Its text, "" when none came; looking stops the watch.
  std::string Text() {
    Stop();
    return text_;
  }

 private:
  void Stop();
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::string text_;
  std::thread thread_;
};

// A top-level window that records its key and mouse messages and paints
// itself with a callback.
class TestWindow {
 public:
  struct Options {
    std::wstring title = L"Tora test window";
    std::wstring class_name = L"ToraTestWindow";
    DWORD style = WS_POPUP | WS_VISIBLE;
    DWORD ex_style = 0;
    RECT rect{100, 100, 300, 250};
    std::function<void(HDC, const RECT&)> paint;
  };
  explicit TestWindow(Options options);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  WindowHandle handle() const { return reinterpret_cast<WindowHandle>(hwnd_); }
  // Brings the window to the foreground with the keyboard focus.
  bool Focus();
  void Destroy();

  std::vector<LoggedMessage> Messages() const { return messages_; }
  // Only the messages of the given kinds, in arrival order.
  std::vector<LoggedMessage> Messages(std::initializer_list<UINT> kinds) const;
  void ClearMessages() { messages_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

  Options options_;
  HWND hwnd_ = nullptr;
  std::vector<LoggedMessage> messages_;
};

// A folder under the temporary directory, with a Chinese name so that every
// path that reaches the system goes through the wide calls; removed with
// everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& wide() const { return path_; }
  std::string gbk() const;  // the same path as GBK
  // Path of a file in the folder (name in GBK).
  std::string File(const std::string& name) const;
  static bool WriteBytes(const std::string& gbk_path, const std::string& bytes);
  static std::string ReadBytes(const std::string& gbk_path);

 private:
  std::wstring path_;
};

// The main window's side as the tests need it: status lines are inserted
// the way the real main window does, by a message that a worker sends
// synchronously to a window of the interface thread.
class FakeUser : public UserPort {
 public:
  FakeUser();
  ~FakeUser() override;
  FakeUser(const FakeUser&) = delete;
  FakeUser& operator=(const FakeUser&) = delete;

  std::vector<std::string> Status();  // top line first
  std::vector<std::string> Shown();   // texts of message boxes
  std::string script_path;
  std::string cpu_priority_text;
  bool show_actions = false;

  void ClearStatus() override;
  void AppendStatus(const std::string& line) override;
  void InsertStatusTop(const std::string& line) override;
  void DeleteFirstStatusWithPrefix(const std::string& prefix) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) override;
  void SetTitle(const std::string& title) override { title_ = title; }
  void SetRunningControls(bool running) override { running_ = running; }
  std::string ScriptPath() override { return script_path; }
  std::string CpuPriorityText() override { return cpu_priority_text; }
  bool ShowActions() override { return show_actions; }
  void RequestOpenUrl() override {}
  bool StopRequested() override { return false; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
  std::mutex mutex_;
  std::vector<std::string> status_;
  std::vector<std::string> shown_;
  std::string title_;
  bool running_ = false;
};

}  // namespace tora::test
