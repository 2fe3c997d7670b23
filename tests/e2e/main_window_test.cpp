// The real program under Wine, driven from outside: start-up, setup.ini,
// the outcomes of a start, hotkeys, the script list and shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/texts.h"
#include "editor/texts.h"
#include "engine/texts.h"
#include "res/main_window.h"
#include "res/resource.h"
#include "res/version.h"
#include "tests/e2e/tora_harness.h"

namespace tora_e2e {
namespace {

namespace texts = tora::texts;
namespace app_texts = tora::app_texts;

class MainWindow : public ::testing::Test {
 protected:
  // Starts the program in the test's folder and waits for its window.
  HWND Launch() {
    if (!tora_.Start()) return nullptr;
    return tora_.WaitMainWindow();
  }

  std::wstring Script(const std::wstring& name, const std::string& gbk_text) {
    const std::wstring path = folder_.File(name);
    WriteBytes(path, gbk_text);
    return path;
  }

  // setup.ini is GBK text whatever the system's code page, so the test
  // reads and writes its bytes itself.
  std::wstring IniValue() {
    std::string text;
    if (!ReadBytes(folder_.File(L"setup.ini"), text)) return L"";
    const std::string section = std::string("[") + texts::kSetupSection + "]";
    const std::string key = std::string(texts::kSetupKeyScript) + "=";
    const size_t at = text.find(section);
    if (at == std::string::npos) return L"";
    size_t line = text.find(key, at);
    if (line == std::string::npos) return L"";
    line += key.size();
    const size_t end = text.find_first_of("\r\n", line);
    return W(text.substr(line, end == std::string::npos ? std::string::npos : end - line));
  }

  void WriteIni(const std::wstring& value) {
    WriteBytes(folder_.File(L"setup.ini"), std::string("[") + texts::kSetupSection + "]\r\n" +
                                               texts::kSetupKeyScript + "=" + Gbk(value) + "\r\n");
  }

  // Clicks start with the path in the script box; returns the box the start
  // showed (dismissed), or nullptr when it showed none.
  std::wstring StartWith(const std::wstring& path) {
    tora_.SetText(IDC_SCRIPT_FILE, path);
    const std::vector<std::wstring> before = tora_.Status();
    tora_.Click(IDC_START);
    // A start ends either with a box or with changed status lines.
    HWND box = nullptr;
    WaitFor([&] { return (box = tora_.FindMessageBox()) != nullptr || tora_.Status() != before; }, 5000);
    if (!box) return L"";
    std::wstring text = Tora::MessageBoxText(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), tora_.main());
    EXPECT_EQ(WindowText(box), W(texts::kAppTitle));
    Tora::Dismiss(box);
    WaitFor([&] { return !IsWindow(box); }, 3000);
    return text;
  }

  bool WaitForStatus(size_t lines, DWORD ms = 5000) {
    return WaitFor([&] { return tora_.Status().size() >= lines; }, ms);
  }

  void ExpectIdleControls() {
    EXPECT_EQ(WindowText(tora_.main()), W(texts::kAppTitle));
    for (int id : {IDC_SCRIPT_FILE, IDC_BROWSE, IDC_START, IDC_START_HOTKEY, IDC_STOP_HOTKEY, IDC_SET_HOTKEYS,
                   IDC_SETUP_KEYS, IDC_CPU_PRIORITY, IDC_WEB_LINK, IDC_SHOW_ACTIONS, IDC_STATUS_LIST})
      EXPECT_TRUE(tora_.Enabled(id)) << id;
    EXPECT_FALSE(tora_.Enabled(IDC_STOP));
  }

  Folder folder_;
  Tora tora_{folder_};
};

TEST_F(MainWindow, FirstStartInAnEmptyFolder) {
  ASSERT_TRUE(Launch());
  const std::wstring default_script = folder_.File(W(texts::kDefaultScriptName));
  std::string bytes = "x";
  ASSERT_TRUE(ReadBytes(default_script, bytes));
  EXPECT_EQ(bytes.size(), 0u);
  EXPECT_EQ(tora_.Text(IDC_SCRIPT_FILE), default_script);
  EXPECT_FALSE(FileExists(folder_.File(L"setup.ini")));
  EXPECT_EQ(tora_.Text(IDC_START_HOTKEY), W(app_texts::kDefaultStartHotkey));
  EXPECT_EQ(tora_.Text(IDC_STOP_HOTKEY), W(app_texts::kDefaultStopHotkey));
  EXPECT_EQ(tora_.Text(IDC_CPU_PRIORITY), W(texts::kPriorityNormal));
  EXPECT_EQ(SendMessageW(tora_.Control(IDC_START_HOTKEY), CB_GETCOUNT, 0, 0), 24);
  EXPECT_EQ(SendMessageW(tora_.Control(IDC_CPU_PRIORITY), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(tora_.Control(IDC_SHOW_ACTIONS), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(tora_.Status().empty());
  ExpectIdleControls();
  EXPECT_TRUE(tora_.Close());
}

// The pane's text view (the program's own text where no browser engine
// renders the page, as under Wine), asked across the process boundary.
std::wstring PaneText(HWND main) {
  HWND pane = GetDlgItem(main, IDC_WEB_PANE);
  HWND view = pane ? GetWindow(pane, GW_CHILD) : nullptr;
  if (!view) return L"";
  std::wstring text(1 << 20, L'\0');
  DWORD_PTR length = 0;
  SendMessageTimeoutW(view, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &length);
  text.resize(length);
  return text;
}

TEST_F(MainWindow, ThePaneShowsTheHelpPageOrWhereItWasLookedFor) {
  // Missing: the pane names the full path, and the tray's "帮助", which no
  // program can open, says so in the status list.
  ASSERT_TRUE(Launch());
  const std::wstring page = folder_.File(L"tora\\torasoft.htm");
  std::wstring text;
  EXPECT_TRUE(WaitFor([&] { return (text = PaneText(tora_.main())).find(page) != std::wstring::npos; }, 5000))
      << Gbk(text);
  EXPECT_NE(text.find(W(tora::editor_texts::kHelpPageMissing)), std::wstring::npos);
  PostMessageW(tora_.main(), WM_COMMAND, ID_TRAY_HELP, 0);
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<std::wstring> lines = tora_.Status();
    return !lines.empty() && lines[0] == W(app_texts::kHelpMissing);
  }, 5000));
  ASSERT_TRUE(tora_.Close());

  // Beside the program: its text, headings and examples included.
  CreateDirectoryW(folder_.File(L"tora").c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((FromUnixPath(TORA_SOURCE_DIR) + L"\\tora\\torasoft.htm").c_str(), page.c_str(), FALSE));
  Tora again(folder_);
  ASSERT_TRUE(again.Start());
  ASSERT_TRUE(again.WaitMainWindow());
  EXPECT_TRUE(WaitFor([&] { return (text = PaneText(again.main())).find(L"Tora") == 0; }, 5000)) << Gbk(text);
  EXPECT_NE(text.find(W("重复动作(\"动作_复制\",2,\"0\",\"0\",\"0\",10)")), std::wstring::npos);
  EXPECT_TRUE(again.Close());
  DeleteFileW(page.c_str());
  RemoveDirectoryW(folder_.File(L"tora").c_str());
}

TEST_F(MainWindow, AnExistingDefaultScriptIsLeftAlone) {
  const std::string text = "-- 我的脚本\r\n";
  Script(W(texts::kDefaultScriptName), text);
  ASSERT_TRUE(Launch());
  std::string bytes;
  ASSERT_TRUE(ReadBytes(folder_.File(W(texts::kDefaultScriptName)), bytes));
  EXPECT_EQ(bytes, text);
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, SitsAtTheRightEdgeOfTheWorkAreaVerticallyCentred) {
  ASSERT_TRUE(Launch());
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(tora_.main(), &r));
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  EXPECT_EQ(r.left, (work.right - work.left) - w);
  EXPECT_EQ(r.top, ((work.bottom - work.top) - h) / 2);
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, TheLastScriptIsRememberedAcrossRestarts) {
  const std::wstring chosen = Script(W("第二个.txt"), "local a = 1\r\n");
  ASSERT_TRUE(Launch());
  tora_.SetText(IDC_SCRIPT_FILE, chosen);
  // 设置按键 stores the path before it opens the editor.
  tora_.Click(IDC_SETUP_KEYS);
  ASSERT_TRUE(WaitFor([&] { return IniValue() == chosen; }, 5000));
  std::string ini;
  ASSERT_TRUE(ReadBytes(folder_.File(L"setup.ini"), ini));
  EXPECT_NE(ini.find(Gbk(chosen)), std::string::npos) << "setup.ini holds GBK text";
  ASSERT_TRUE(tora_.Close());

  Tora again(folder_);
  ASSERT_TRUE(again.Start());
  ASSERT_TRUE(again.WaitMainWindow());
  EXPECT_EQ(again.Text(IDC_SCRIPT_FILE), chosen);
  EXPECT_TRUE(again.Close());
}

// A script whose name GBK cannot hold is said, not listed as "?".
TEST_F(MainWindow, AScriptNameGbkCannotHoldIsSaidNotListed) {
  Script(L"\x0E01\x0E02.txt", "local a = 1\r\n");
  ASSERT_TRUE(Launch());
  HWND combo = tora_.Control(IDC_SCRIPT_FILE);
  PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  HWND box = tora_.WaitMessageBox(5000);
  ASSERT_TRUE(box);
  EXPECT_EQ(Tora::MessageBoxText(box).rfind(W("有1个脚本文件"), 0), 0u);
  Tora::Dismiss(box);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1) << "only the default script";
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, AnEmptyScriptBoxFallsBackToTheDefaultForTheEditor) {
  ASSERT_TRUE(Launch());
  tora_.SetText(IDC_SCRIPT_FILE, L"");
  tora_.Click(IDC_SETUP_KEYS);
  EXPECT_TRUE(WaitFor([&] { return IniValue() == folder_.File(W(texts::kDefaultScriptName)); }, 5000));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, AnOverlongSetupValueIsShownWhole) {
  std::wstring long_path = folder_.path() + L"\\";
  while (Gbk(long_path).size() < 300) long_path += W("很长的名字");
  long_path += L".txt";
  WriteIni(long_path);
  ASSERT_TRUE(Launch());
  EXPECT_EQ(tora_.Text(IDC_SCRIPT_FILE), long_path);
  // Starting it reports the missing file instead of running a cut path.
  EXPECT_EQ(StartWith(long_path), W(texts::kScriptNotFound));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, EachEarlyEndOfAStartHasItsMessage) {
  const std::wstring empty = Script(W("空的.txt"), "");
  ASSERT_TRUE(Launch());

  EXPECT_EQ(StartWith(L""), W(texts::kNoScriptPath));
  EXPECT_TRUE(tora_.Status().empty());

  EXPECT_EQ(StartWith(folder_.File(W("没有这个.txt"))), W(texts::kScriptNotFound));
  EXPECT_EQ(StartWith(empty), W(texts::kScriptEmpty));
  EXPECT_TRUE(tora_.Status().empty());
  EXPECT_FALSE(FileExists(folder_.File(L"setup.ini"))) << "no start happened, nothing remembered";
  ExpectIdleControls();
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, ASyntaxErrorNamesItsLine) {
  const std::wstring bad = Script(W("坏的.txt"), "local a = 1\r\nlocal b = 2\r\nlocal = 3\r\n");
  ASSERT_TRUE(Launch());
  EXPECT_EQ(StartWith(bad), L"");
  ASSERT_TRUE(WaitForStatus(2));
  const std::vector<std::wstring> lines = tora_.Status();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], W(texts::kSyntaxError));
  EXPECT_EQ(lines[1].rfind(W(texts::kErrorLinePrefix) + L"3:", 0), 0u) << Gbk(lines[1]);
  EXPECT_EQ(IniValue(), bad) << "a found, non-empty script is remembered";
  ExpectIdleControls();
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, AScriptThatRegistersNothingStopsAtOnce) {
  const std::wstring idle = Script(W("无事.txt"), "local a = 1\r\n");
  ASSERT_TRUE(Launch());
  EXPECT_EQ(StartWith(idle), L"");
  ASSERT_TRUE(WaitForStatus(2));
  const std::vector<std::wstring> lines = tora_.Status();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], W(texts::kStoppedLine));
  EXPECT_EQ(lines[1], W(texts::kNothingRuns));
  ExpectIdleControls();
  // A second start clears the list first.
  const std::wstring marker = L"marker";
  SendMessageW(tora_.Control(IDC_STATUS_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(marker.c_str()));
  EXPECT_EQ(StartWith(idle), L"");
  ASSERT_TRUE(WaitFor([&] { return tora_.Status().size() == 2; }, 3000));
  EXPECT_EQ(tora_.Status()[0], W(texts::kStoppedLine));
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, DroppingDownTheScriptListListsTheFolderAndKeepsTheText) {
  const std::wstring a = Script(W("甲.txt"), "local a = 1\r\n");
  const std::wstring b = Script(L"b.txt", "local b = 1\r\n");
  Script(L".hidden.txt", "");
  Script(L"note.lua", "");
  CreateDirectoryW(folder_.File(L"dir.txt").c_str(), nullptr);
  ASSERT_TRUE(Launch());
  const std::wstring typed = L"C:\\somewhere\\else.txt";
  tora_.SetText(IDC_SCRIPT_FILE, typed);
  HWND combo = tora_.Control(IDC_SCRIPT_FILE);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()));
    items.emplace_back(buffer.data());
  }
  std::sort(items.begin(), items.end());
  std::vector<std::wstring> expected = {a, b, folder_.File(W(texts::kDefaultScriptName))};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(items, expected);
  EXPECT_EQ(tora_.Text(IDC_SCRIPT_FILE), typed);
  RemoveDirectoryW(folder_.File(L"dir.txt").c_str());
  EXPECT_TRUE(tora_.Close());
}

TEST_F(MainWindow, TheAboutBoxOpensFromTheSystemMenu) {
  ASSERT_TRUE(Launch());
  PostMessageW(tora_.main(), WM_SYSCOMMAND, IDM_ABOUT_BOX, 0);
  HWND about = nullptr;
  WaitFor([&] { return (about = FindWindowW(L"#32770", W("关于 Velm").c_str())) != nullptr; }, 5000);
  ASSERT_TRUE(about);
  EXPECT_EQ(WindowText(about), W("关于 Velm"));
  // The version the executable's version resource and the release's zips carry.
  EXPECT_TRUE(FindWindowExW(about, nullptr, L"Static", W("版本：" TORA_VERSION_TEXT).c_str()));
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, 3000));
  EXPECT_TRUE(tora_.Close());
}

// Another program's messages are never taken as pointers into ours.
TEST_F(MainWindow, ForeignStatusRequestsAreIgnored) {
  ASSERT_TRUE(Launch());
  PostMessageW(tora_.main(), WM_APP + 1, 1, static_cast<LPARAM>(0x12345678));
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(tora_.main(), WM_APP + 1, 2, static_cast<LPARAM>(0x7654321), SMTO_ABORTIFHUNG, 3000, &answer);
  EXPECT_TRUE(SendMessageTimeoutW(tora_.main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer));
  EXPECT_FALSE(tora_.Exited(0));
  EXPECT_TRUE(tora_.Status().empty());
  EXPECT_TRUE(tora_.Close());
}

TEST(SecondInstance, ShowsTheNoticeAndRegistersNoHotkeys) {
  Folder folder;
  Tora first(folder);
  DWORD start = GetTickCount();
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(first.WaitMainWindow());
  const DWORD first_ms = GetTickCount() - start;

  Folder other;
  Tora second(other);
  start = GetTickCount();
  ASSERT_TRUE(second.Start());
  HWND notice = second.WaitMessageBox(20000);
  ASSERT_TRUE(notice);
  // For the reader: how long each copy takes to show itself.
  std::printf("start-up: first copy's window after %lu ms, second copy's notice after %lu ms\n", first_ms,
              GetTickCount() - start);
  EXPECT_EQ(WindowText(notice), W(app_texts::kNoticeCaption));
  EXPECT_EQ(Tora::MessageBoxText(notice), W(app_texts::kSecondInstance));
  EXPECT_EQ(GetWindow(notice, GW_OWNER), nullptr);
  Tora::Dismiss(notice);
  ASSERT_TRUE(second.WaitMainWindow());
  EXPECT_EQ(SendMessageW(second.Control(IDC_START_HOTKEY), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(second.Control(IDC_STOP_HOTKEY), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_TRUE(second.Close());
  EXPECT_TRUE(first.Close());
}

TEST(Shutdown, TheTrayMenuExitEndsTheProcess) {
  Folder folder;
  Tora tora(folder);
  ASSERT_TRUE(tora.Start());
  ASSERT_TRUE(tora.WaitMainWindow());
  PostMessageW(tora.main(), WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_TRUE(tora.Exited(10000));
}

}  // namespace
}  // namespace tora_e2e
