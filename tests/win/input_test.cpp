// Synthetic keys and mouse clicks reaching a real window, and the clipboard.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/win32_ports.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

using test::LoggedMessage;
using test::PumpUntil;
using test::TestWindow;

TestWindow::Options KeyTarget() {
  TestWindow::Options o;
  o.title = L"按键目标";
  o.class_name = L"ToraKeyTarget";
  o.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  o.rect = RECT{300, 200, 600, 400};
  return o;
}

std::vector<LoggedMessage> Keys(const TestWindow& w) {
  return w.Messages({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP});
}

// Posting does not go through the input queue: each message arrives as
// posted, the code as wParam and 0 as lParam, system keys as system keys,
// whether or not the window has the focus.
TEST(PostedKeys, ArriveWithTheGivenMessageCodeAndZeroLParam) {
  TestWindow window(KeyTarget());
  Win32Input input;
  input.PostKey(window.handle(), KeyMessage::KeyDown, VK_RETURN);
  input.PostKey(window.handle(), KeyMessage::KeyUp, VK_RETURN);
  input.PostKey(window.handle(), KeyMessage::SysKeyDown, VK_MENU);
  input.PostKey(window.handle(), KeyMessage::SysKeyDown, 'V');
  input.PostKey(window.handle(), KeyMessage::SysKeyUp, VK_MENU);
  input.PostKey(window.handle(), KeyMessage::SysKeyUp, 'V');
  ASSERT_TRUE(PumpUntil([&] { return Keys(window).size() == 6; }));
  const std::vector<LoggedMessage> got = Keys(window);
  const UINT want_msg[] = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP};
  const WPARAM want_code[] = {VK_RETURN, VK_RETURN, VK_MENU, 'V', VK_MENU, 'V'};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(got[i].message, want_msg[i]) << i;
    EXPECT_EQ(got[i].wparam, want_code[i]) << i;
    EXPECT_EQ(got[i].lparam, 0) << i;
  }
}

// System-wide events reach the focused window in order: downs in the order
// given, then ups in the same order.
TEST(ForegroundKeys, ReachTheFocusedWindowInOrder) {
  TestWindow window(KeyTarget());
  ASSERT_TRUE(window.Focus()) << "the test window could not get the focus";
  window.ClearMessages();
  Win32Input input;
  input.KeyEvent(VK_CONTROL, false);
  input.KeyEvent('A', false);
  input.KeyEvent(VK_CONTROL, true);
  input.KeyEvent('A', true);
  ASSERT_TRUE(PumpUntil([&] { return Keys(window).size() >= 4; }));
  const std::vector<LoggedMessage> got = Keys(window);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(got[0].wparam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(got[1].wparam, static_cast<WPARAM>('A'));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(got[2].wparam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_EQ(got[3].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(got[3].wparam, static_cast<WPARAM>('A'));
  // a key-up carries the transition bit, a key-down does not
  EXPECT_EQ(got[0].lparam & (1u << 31), 0);
  EXPECT_NE(got[2].lparam & (1u << 31), 0);
}

// Keys carry their scan codes, the arrows and editing keys their extended
// bit, as a keyboard sends them.
TEST(ForegroundKeys, CarryScanCodesAndTheExtendedBit) {
  TestWindow window(KeyTarget());
  ASSERT_TRUE(window.Focus()) << "the test window could not get the focus";
  window.ClearMessages();
  Win32Input input;
  for (uint8_t vk : {uint8_t('A'), uint8_t(VK_LEFT), uint8_t(VK_DELETE), uint8_t(VK_F5)}) {
    input.KeyEvent(vk, false);
    input.KeyEvent(vk, true);
  }
  ASSERT_TRUE(PumpUntil([&] { return Keys(window).size() >= 8; }));
  const std::vector<LoggedMessage> got = Keys(window);
  ASSERT_EQ(got.size(), 8u);
  const bool extended[] = {false, true, true, false};
  for (size_t i = 0; i < 4; ++i) {
    const LoggedMessage& down = got[2 * i];
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(down.wparam), MAPVK_VK_TO_VSC);
    EXPECT_NE(scan, 0u) << down.wparam;
    EXPECT_EQ((down.lparam >> 16) & 0xFF, static_cast<LPARAM>(scan)) << down.wparam;
    EXPECT_EQ((down.lparam >> 24) & 1, extended[i] ? 1 : 0) << down.wparam;
  }
}

// Keys posted to a bound window reach the control that has its focus:
// letters typed into its edit.
TEST(PostedKeys, ReachTheFocusedControlOfTheWindow) {
  TestWindow window(KeyTarget());
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, window.hwnd(), nullptr,
                              nullptr, nullptr);
  ASSERT_TRUE(window.Focus());
  SetFocus(edit);
  // The bound window is usually behind another one.
  TestWindow::Options front = KeyTarget();
  front.title = L"前面的窗口";
  front.rect = RECT{500, 100, 700, 300};
  TestWindow other(front);
  ASSERT_TRUE(other.Focus());
  Win32Input input;
  for (int32_t code : {int32_t('T'), int32_t('O')}) {
    input.PostKey(window.handle(), KeyMessage::KeyDown, code);
    input.PostKey(window.handle(), KeyMessage::KeyUp, code);
  }
  EXPECT_TRUE(PumpUntil([&] {
    wchar_t text[16] = {};
    GetWindowTextW(edit, text, 16);
    return std::wstring(text) == L"to";
  }));
}

// Alt goes through the system as a system key, and a key pressed while Alt
// is down too.
TEST(ForegroundKeys, AltMakesSystemKeys) {
  TestWindow window(KeyTarget());
  ASSERT_TRUE(window.Focus());
  window.ClearMessages();
  Win32Input input;
  input.KeyEvent(VK_MENU, false);
  input.KeyEvent(VK_F5, false);
  input.KeyEvent(VK_F5, true);
  input.KeyEvent(VK_MENU, true);
  ASSERT_TRUE(PumpUntil([&] { return Keys(window).size() >= 4; }));
  const std::vector<LoggedMessage> got = Keys(window);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(got[0].wparam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(got[1].wparam, static_cast<WPARAM>(VK_F5));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_SYSKEYUP));
  EXPECT_EQ(got[3].wparam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(GetAsyncKeyState(VK_MENU) & 0x8000, 0) << "Alt is released again";
}

TestWindow::Options MouseTarget() {
  TestWindow::Options o;
  o.title = L"Mouse target";
  o.class_name = L"ToraMouseTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{400, 300, 700, 500};
  return o;
}

// A click lands at the cursor position the step set: the window sees it at
// the matching client position.
TEST(Mouse, ClicksLandAtTheGivenScreenPositions) {
  TestWindow window(MouseTarget());
  test::PumpMessages(100);
  Win32Input input;
  input.SetCursorPos(450, 320);
  input.MouseEvent(MOUSEEVENTF_LEFTDOWN);
  input.MouseEvent(MOUSEEVENTF_LEFTUP);
  input.SetCursorPos(690, 490);
  input.MouseEvent(MOUSEEVENTF_RIGHTDOWN);
  input.MouseEvent(MOUSEEVENTF_RIGHTUP);
  const auto clicks = [&] {
    return window.Messages({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP});
  };
  ASSERT_TRUE(PumpUntil([&] { return clicks().size() >= 4; }));
  const std::vector<LoggedMessage> got = clicks();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(GET_X_LPARAM(got[0].lparam), 50);
  EXPECT_EQ(GET_Y_LPARAM(got[0].lparam), 20);
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(GET_X_LPARAM(got[2].lparam), 290);
  EXPECT_EQ(GET_Y_LPARAM(got[2].lparam), 190);
  EXPECT_EQ(got[3].message, static_cast<UINT>(WM_RBUTTONUP));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 690);
  EXPECT_EQ(p.y, 490);
}

std::wstring ClipboardUnicode() {
  std::wstring text = L"<none>";
  if (!OpenClipboard(nullptr)) return L"<not opened>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

std::string ClipboardAnsi() {
  std::string text = "<none>";
  if (!OpenClipboard(nullptr)) return "<not opened>";
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const auto* p = static_cast<const char*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Clipboard, ChineseTextRoundTrip) {
  Win32Clipboard clipboard;
  ASSERT_TRUE(clipboard.PutText("中文剪贴板 abc\r\n第二行"));
  EXPECT_EQ(ClipboardUnicode(), L"中文剪贴板 abc\r\n第二行");
  // Programs that read plain text get it in the system code page; here that
  // is 936, so the GBK bytes come back unchanged.
  if (GetACP() == 936) {
    EXPECT_EQ(ClipboardAnsi(), "中文剪贴板 abc\r\n第二行");
  }
}

TEST(Clipboard, EmptyTextStillReplacesTheClipboard) {
  Win32Clipboard clipboard;
  ASSERT_TRUE(clipboard.PutText("旧的"));
  ASSERT_TRUE(clipboard.PutText(""));
  EXPECT_EQ(ClipboardUnicode(), L"");
}

// Holds the clipboard from another thread through a window of its own, as
// another program does, until told to let go.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(DWORD hold_ms) : thread_([this, hold_ms] { Run(hold_ms); }) {
    while (!held_ && !failed_) Sleep(1);
  }
  ~ClipboardHolder() {
    release_ = true;
    thread_.join();
  }
  bool held() const { return held_; }

 private:
  void Run(DWORD hold_ms) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!owner || !OpenClipboard(owner)) {
      failed_ = true;
      return;
    }
    held_ = true;
    const DWORD start = GetTickCount();
    while (!release_ && GetTickCount() - start < hold_ms) Sleep(5);
    CloseClipboard();
    DestroyWindow(owner);
  }
  std::atomic<bool> held_{false}, failed_{false}, release_{false};
  std::thread thread_;
};

// Another program holding the clipboard for a moment does not make the step
// fail; holding it for longer does, and that is reported.
TEST(Clipboard, WaitsBrieflyForAnotherHolderThenGivesUp) {
  Win32Clipboard clipboard;
  clipboard.SetOpenTimeout(1000);
  {
    ClipboardHolder holder(150);
    ASSERT_TRUE(holder.held());
    EXPECT_TRUE(clipboard.PutText("稍后"));
  }
  EXPECT_EQ(ClipboardUnicode(), L"稍后");

  clipboard.SetOpenTimeout(50);
  {
    ClipboardHolder holder(INFINITE);
    ASSERT_TRUE(holder.held());
    EXPECT_FALSE(clipboard.PutText("不会放上"));
  }
  EXPECT_EQ(ClipboardUnicode(), L"稍后");
}

}  // namespace
}  // namespace tora
