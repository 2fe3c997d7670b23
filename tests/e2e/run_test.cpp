// Runs of the real program: the running state, stop by button and hotkey,
// changed hotkeys, a key task reaching a window of ours, closing mid-run,
// the texts under any display language, and a screenshot for the docs.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "engine/texts.h"
#include "res/main_window.h"
#include "res/resource.h"
#include "tests/e2e/tora_harness.h"
#include "ui/messages.h"

namespace tora_e2e {
namespace {

namespace texts = tora::texts;

// Keeps a rule for a window that never appears: the run lasts, and nothing
// is typed anywhere.
const char kKeeperOnly[] = "窗口操作(\"无窗\",\"没有这样的窗口\",\"无\",\"不置顶\",0,0,1)\r\n";

const int kIdleOnly[] = {IDC_SCRIPT_FILE, IDC_BROWSE,      IDC_START,      IDC_START_HOTKEY, IDC_STOP_HOTKEY,
                         IDC_SET_HOTKEYS, IDC_SETUP_KEYS, IDC_CPU_PRIORITY, IDC_WEB_LINK};
const int kAlwaysEnabled[] = {IDC_SHOW_ACTIONS, IDC_STATUS_LIST, IDC_WEB_PANE};

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    script_ = folder_.File(W("守窗.txt"));
    ASSERT_TRUE(WriteBytes(script_, kKeeperOnly));
    ASSERT_TRUE(tora_.Start());
    ASSERT_TRUE(tora_.WaitMainWindow());
    tora_.SetText(IDC_SCRIPT_FILE, script_);
    // Hotkeys fire for the window that has the input focus under Wine.
    Focus(tora_.main());
  }

  // Wine's focus follows the window manager with a lag, and a key pressed
  // before it has settled can miss: a press that must have an effect is
  // repeated (a repeated start or stop hotkey does nothing more).
  bool PressUntil(BYTE modifier, BYTE key, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      Focus(tora_.main());
      PressCombo(modifier, key);
      if (WaitFor(done, 2500)) return true;
    }
    return false;
  }

  bool Minimize() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      PostMessageW(tora_.main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      if (WaitFor([&] { return IsIconic(tora_.main()) != FALSE; }, 2000)) return true;
    }
    return false;
  }

  bool Running() { return WindowText(tora_.main()) == W(texts::kRunningTitle); }
  bool WaitRunning() { return WaitFor([&] { return Running(); }, 8000); }
  bool WaitIdle() { return WaitFor([&] { return WindowText(tora_.main()) == W(texts::kAppTitle); }, 8000); }

  // The rule's window is not there: a line says that the keeper waits for it.
  const std::wstring waiting_ = W("窗口操作\"无窗\"：还没有找到窗口\"没有这样的窗口\"，找到后再摆放，发给它的按键也等它出现");

  void ExpectRunningState() {
    const std::vector<std::wstring> lines = tora_.Status();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], waiting_);
    EXPECT_EQ(lines[1], W(texts::kRunningLine));
    EXPECT_EQ(lines[2], W(texts::kHintLine));
    EXPECT_EQ(lines[3], W(texts::kHintTargetLine));
    for (int id : kIdleOnly) EXPECT_FALSE(tora_.Enabled(id)) << id;
    for (int id : kAlwaysEnabled) EXPECT_TRUE(tora_.Enabled(id)) << id;
    EXPECT_TRUE(tora_.Enabled(IDC_STOP));
  }

  void ExpectStoppedState() {
    const std::vector<std::wstring> lines = tora_.Status();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], W(texts::kStoppedLine));
    EXPECT_EQ(lines[1], waiting_);
    EXPECT_EQ(lines[2], W(texts::kHintLine));
    EXPECT_EQ(lines[3], W(texts::kHintTargetLine));
    for (int id : kIdleOnly) EXPECT_TRUE(tora_.Enabled(id)) << id;
    EXPECT_FALSE(tora_.Enabled(IDC_STOP));
  }

  Folder folder_;
  Tora tora_{folder_};
  std::wstring script_;
};

TEST_F(Run, StartAndStopByButton) {
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  ExpectRunningState();
  EXPECT_EQ(WindowText(tora_.main()), W(texts::kRunningTitle));

  // The start button is disabled and a click on it changes nothing: once a
  // click posted after it (on 显示动作) has shown, it has been handled.
  tora_.Click(IDC_START);
  tora_.Click(IDC_SHOW_ACTIONS);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(tora_.Control(IDC_SHOW_ACTIONS), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));
  EXPECT_EQ(tora_.Status().size(), 4u);
  tora_.Click(IDC_SHOW_ACTIONS);

  tora_.Click(IDC_STOP);
  ASSERT_TRUE(WaitIdle());
  ExpectStoppedState();

  // Started again, the list starts afresh.
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  ExpectRunningState();
  tora_.Click(IDC_STOP);
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, StartAndStopByHotkey) {
  ASSERT_TRUE(PressUntil(VK_MENU, VK_F1, [&] { return Running(); }));
  ExpectRunningState();

  ASSERT_TRUE(PressUntil(VK_MENU, VK_F2, [&] { return !Running(); }));
  ExpectStoppedState();
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, AChangedStartHotkeyReplacesTheOldOne) {
  const LRESULT ctrl_f5 = SendMessageW(tora_.Control(IDC_START_HOTKEY), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(L"Ctrl+F5"));
  ASSERT_EQ(ctrl_f5, 16);
  SendMessageW(tora_.Control(IDC_START_HOTKEY), CB_SETCURSEL, static_cast<WPARAM>(ctrl_f5), 0);
  tora_.Click(IDC_SET_HOTKEYS);
  // A combination is free for us exactly when no other program holds it.
  const auto taken = [](UINT modifiers, UINT vk) {
    if (!RegisterHotKey(nullptr, 0x7777, modifiers, vk)) return true;
    UnregisterHotKey(nullptr, 0x7777);
    return false;
  };
  ASSERT_TRUE(WaitFor([&] { return taken(MOD_CONTROL, VK_F5); }, 3000));
  EXPECT_FALSE(taken(MOD_ALT, VK_F1)) << "Alt+F1 was withdrawn";
  EXPECT_TRUE(taken(MOD_ALT, VK_F2)) << "the stop hotkey stays";

  ASSERT_TRUE(PressUntil(VK_CONTROL, VK_F5, [&] { return Running(); }));
  EXPECT_TRUE(PressUntil(VK_MENU, VK_F2, [&] { return !Running(); }));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, TheFirstCopyKeepsItsHotkeysWhenASecondStarts) {
  Folder other;
  Tora second(other);
  ASSERT_TRUE(second.Start());
  HWND notice = second.WaitMessageBox(20000);
  ASSERT_TRUE(notice);
  Tora::Dismiss(notice);
  ASSERT_TRUE(second.WaitMainWindow());
  EXPECT_TRUE(PressUntil(VK_MENU, VK_F1, [&] { return Running(); }));
  EXPECT_TRUE(second.Status().empty());
  EXPECT_TRUE(second.Close());
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, ClosingTheWindowMidRunEndsTheProcess) {
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  EXPECT_TRUE(tora_.Close(10000));
}

TEST_F(Run, ClosingWhileTheScriptItselfRunsEndsTheProcess) {
  // The script's own loop never returns unless the close request stops it.
  const std::wstring busy = folder_.File(W("忙.txt"));
  // The file it writes first says the loop has begun.
  ASSERT_TRUE(WriteBytes(busy, "io.open(\"started\",\"w\"):close()\r\nwhile true do end\r\n"));
  tora_.SetText(IDC_SCRIPT_FILE, busy);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder_.File(L"started")); }, 5000));
  EXPECT_TRUE(tora_.Close(10000));
}

// The close box, Alt+F4 and the system menu's close end a script that never
// returns, and then the program.
TEST(BusyScript, EveryWayOfClosingEndsIt) {
  const struct {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  } gestures[] = {{WM_NCLBUTTONDOWN, HTCLOSE, 0}, {WM_SYSKEYDOWN, VK_F4, 1 << 29}, {WM_SYSCOMMAND, SC_CLOSE, 0}};
  for (const auto& gesture : gestures) {
    Folder folder;
    Tora tora(folder);
    const std::wstring busy = folder.File(W("忙.txt"));
    // The file it writes first says the loop has begun.
    ASSERT_TRUE(WriteBytes(busy, "io.open(\"started\",\"w\"):close()\r\nwhile true do end\r\n"));
    ASSERT_TRUE(tora.Start());
    ASSERT_TRUE(tora.WaitMainWindow());
    tora.SetText(IDC_SCRIPT_FILE, busy);
    tora.Click(IDC_START);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder.File(L"started")); }, 5000));
    PostMessageW(tora.main(), gesture.message, gesture.wparam, gesture.lparam);
    EXPECT_TRUE(tora.Exited(10000)) << "message " << gesture.message;
    tora.Close(1000);
  }
}

TEST_F(Run, TheStopHotkeyEndsAScriptStillRunning) {
  const std::wstring busy = folder_.File(W("忙.txt"));
  // The file it writes first says the loop has begun.
  ASSERT_TRUE(WriteBytes(busy, "io.open(\"started\",\"w\"):close()\r\nwhile true do end\r\n"));
  tora_.SetText(IDC_SCRIPT_FILE, busy);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder_.File(L"started")); }, 5000));
  ASSERT_TRUE(PressUntil(VK_MENU, VK_F2, [&] {
    const std::vector<std::wstring> lines = tora_.Status();
    return !lines.empty() && lines[0] == W(texts::kStoppedLine);
  }));
  EXPECT_FALSE(Running());
  EXPECT_TRUE(tora_.Enabled(IDC_START));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, TheStopHotkeyPressedWhileAScriptBoxIsUpEndsTheScript) {
  const std::wstring boxed = folder_.File(W("先弹框.txt"));
  ASSERT_TRUE(WriteBytes(boxed, "中文(1,2)\r\nwhile true do end\r\n"));
  tora_.SetText(IDC_SCRIPT_FILE, boxed);
  tora_.Click(IDC_START);
  HWND box = tora_.WaitMessageBox(5000);
  ASSERT_TRUE(box);
  ASSERT_EQ(WindowText(box), W(texts::kSumCaption));
  // The box's own loop takes the hotkey; repeats change nothing.
  for (int attempt = 0; attempt < 3; ++attempt) {
    Focus(box);
    PressCombo(VK_MENU, VK_F2);
    WaitFor([] { return false; }, 300);
  }
  Tora::Dismiss(box);
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<std::wstring> lines = tora_.Status();
    return !lines.empty() && lines[0] == W(texts::kStoppedLine);
  }, 5000));
  EXPECT_TRUE(tora_.Close());
}

// A window of the test that counts the key presses posted to it.
std::atomic<int> g_k_presses{0};
std::atomic<int> g_l_presses{0};
std::atomic<bool> g_marker_seen{false};
constexpr UINT kMarker = WM_APP + 77;

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN && wparam == 'K') ++g_k_presses;
  if (message == WM_KEYDOWN && wparam == 'L') ++g_l_presses;
  if (message == kMarker) g_marker_seen = true;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND CreateTarget() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &TargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ToraE2ETarget";
  RegisterClassW(&wc);
  const std::wstring title = W("按键目标窗口");
  return CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                         nullptr, nullptr, wc.hInstance, nullptr);
}

TEST_F(Run, AKeyTaskReachesItsWindow) {
  HWND target = CreateTarget();
  ASSERT_TRUE(target);
  g_k_presses = 0;
  const std::string script =
      "窗口操作(\"目标\",\"按键目标窗口\",\"无\",\"不置顶\",0,0,0.1)\r\n"
      "动作_K={\r\n{\"按键\",\"K,0.1\"},\r\n}\r\n"
      "重复动作(\"动作_K\",0.3,\"0\",\"窗口操作(目标)\",\"0\",0)\r\n";
  const std::wstring path = folder_.File(W("按K.txt"));
  ASSERT_TRUE(WriteBytes(path, script));
  tora_.SetText(IDC_SCRIPT_FILE, path);
  // With 显示动作 ticked every press is traced into the status list.
  tora_.Click(IDC_SHOW_ACTIONS);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  EXPECT_TRUE(WaitFor([] { return g_k_presses >= 2; }, 10000)) << g_k_presses;
  EXPECT_TRUE(WaitFor([&] {
    for (const std::wstring& line : tora_.Status())
      if (line.find(L"[K]") != std::wstring::npos) return true;
    return false;
  }, 3000));
  tora_.Click(IDC_STOP);
  ASSERT_TRUE(WaitIdle());
  // Stopped means no step half done: our own message, posted after the stop
  // returned, comes after every key posted before it, and by then each press
  // traced in the status list has arrived, and no other.
  g_marker_seen = false;
  PostMessageW(target, kMarker, 0, 0);
  ASSERT_TRUE(WaitFor([] { return g_marker_seen.load(); }, 3000));
  int traced = 0;
  for (const std::wstring& line : tora_.Status())
    if (line.rfind(W(texts::kTraceDown) + L"K]", 0) == 0) ++traced;
  EXPECT_EQ(g_k_presses, traced);
  DestroyWindow(target);
  EXPECT_TRUE(tora_.Close());
}

// A misspelt condition name is said, and its task sends nothing: the task
// beside it, listed after it and due as often, has pressed L several times
// by the time K is counted.
TEST_F(Run, AMisspeltConditionIsSaidAndItsTaskSendsNothing) {
  HWND target = CreateTarget();
  ASSERT_TRUE(target);
  g_k_presses = 0;
  g_l_presses = 0;
  const std::string script =
      "窗口操作(\"目标\",\"按键目标窗口\",\"无\",\"不置顶\",0,0,0.1)\r\n"
      "颜色点列表_笑脸={\r\n{0,0,\"!~\",0},\r\n}\r\n"
      "找颜色点条件(\"笑脸\",\"颜色点列表_笑脸\",\"固定\",0)\r\n"
      "动作_K={\r\n{\"按键\",\"K,0\"},\r\n}\r\n"
      "动作_L={\r\n{\"按键\",\"L,0\"},\r\n}\r\n"
      "重复动作(\"动作_K\",0.1,\"找颜色点条件(笑睑)\",\"窗口操作(目标)\",\"0\",0)\r\n"
      "重复动作(\"动作_L\",0.1,\"0\",\"窗口操作(目标)\",\"0\",0)\r\n";
  const std::wstring path = folder_.File(W("笑睑.txt"));
  ASSERT_TRUE(WriteBytes(path, script));
  tora_.SetText(IDC_SCRIPT_FILE, path);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  const std::vector<std::wstring> lines = tora_.Status();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], W("警告：第12行 重复动作：条件\"找颜色点条件(笑睑)\"：没有名为\"笑睑\"的找颜色点条件或找图像条件，这个任务不会运行"));
  EXPECT_EQ(lines[1], W(texts::kRunningLine));
  EXPECT_TRUE(WaitFor([] { return g_l_presses >= 5; }, 10000)) << g_l_presses;
  EXPECT_EQ(g_k_presses, 0);
  tora_.Click(IDC_STOP);
  ASSERT_TRUE(WaitIdle());
  DestroyWindow(target);
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, OpenUrlStepsKeepTheWindowAlive) {
  // Whether or not a browser engine is there, the pane takes the requests.
  const std::string script =
      "动作_网址={\r\n{\"刷新网址\",\"about:blank,0.1\"},\r\n{\"刷新网址\",\"about:blank,0.1\"},\r\n}\r\n"
      "重复动作(\"动作_网址\",0.2,\"0\",\"0\",\"0\",0)\r\n";
  const std::wstring path = folder_.File(W("网址.txt"));
  ASSERT_TRUE(WriteBytes(path, script));
  tora_.SetText(IDC_SCRIPT_FILE, path);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  WaitFor([] { return false; }, 1500);
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(tora_.main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer));
  tora_.Click(IDC_STOP);
  EXPECT_TRUE(WaitIdle());
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, TheTrayIconRestoresAMinimizedWindow) {
  ASSERT_TRUE(Minimize());
  PostMessageW(tora_.main(), WM_COMMAND, ID_TRAY_SHOW, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(tora_.main()); }, 3000));

  ASSERT_TRUE(Minimize());
  PostMessageW(tora_.main(), tora::kMsgTrayNotify, 111, WM_LBUTTONUP);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(tora_.main()); }, 3000));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(Run, TextsShowInChineseUnderAnyDisplayLanguage) {
  EXPECT_EQ(tora_.Text(IDC_START), W("开始按键 "));
  EXPECT_EQ(tora_.Text(IDC_STOP), W("结束按键"));
  EXPECT_EQ(tora_.Text(IDC_SETUP_KEYS), W("设置按键"));
  EXPECT_EQ(tora_.Text(IDC_SET_HOTKEYS), W("设置快捷键"));
  EXPECT_EQ(tora_.Text(IDC_SHOW_ACTIONS), W("显示动作"));
  EXPECT_EQ(tora_.Text(IDC_CPU_PRIORITY), W(texts::kPriorityNormal));
  EXPECT_EQ(tora_.Text(IDC_SCRIPT_FILE), script_);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitRunning());
  ExpectRunningState();

  CreateDirectoryW(FromUnixPath(TORA_ARTIFACT_DIR).c_str(), nullptr);
  EXPECT_TRUE(SaveWindowShot(tora_.main(), FromUnixPath(TORA_ARTIFACT_DIR) + L"\\main-window-" + std::to_wstring(GetACP()) + L".bmp"));

  tora_.Click(IDC_STOP);
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(tora_.Close());
}

}  // namespace
}  // namespace tora_e2e
