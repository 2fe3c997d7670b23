// The script editor in the real program: opened from the main window, its
// tabs, adding code from the repeat list, saving and loading, and what it
// refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "editor/texts.h"
#include "engine/texts.h"
#include "res/main_window.h"
#include "tests/e2e/tora_harness.h"

namespace tora_e2e {
namespace {

namespace texts = tora::texts;
namespace editor_texts = tora::editor_texts;

constexpr int kRepeatList = 1009;
constexpr int kCodeBox = 1077;
constexpr int kTabs = 1082;
constexpr int kInterval = 1030;
constexpr int kCount = 1137;
constexpr int kCondition = 1116;
constexpr int kWindow = 1034;
constexpr int kDescription = 1124;
constexpr int kAddCode = 1031;
constexpr int kSaveScript = 1129;
constexpr int kCloseSave = 1033;
constexpr int kCloseNoSave = 1071;
constexpr int kScriptName = 1051;
constexpr int kTestColour = 1139;
constexpr int kTestResult = 1140;

const std::string kRows = "{\"按键\",\"A,1\"},\r\n{\"左键单击\",\"100,200,绝对,1\"},\r\n";

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    script_ = folder_.File(L"脚本.txt");
    ASSERT_TRUE(WriteBytes(script_, "x\r\r\ny\r\r\n"));
    WriteBytes(folder_.File(L"setup.ini"), std::string("[") + texts::kSetupSection + "]\r\n" +
                                               texts::kSetupKeyScript + "=" + Gbk(script_) + "\r\n");
    ASSERT_TRUE(tora_.Start());
    ASSERT_TRUE(tora_.WaitMainWindow());
  }
  void TearDown() override { EXPECT_TRUE(tora_.Close()); }

  HWND Open() {
    tora_.Click(IDC_SETUP_KEYS);
    WaitFor([&] { return (editor_ = tora_.FindEditor()) != nullptr; });
    return editor_;
  }
  HWND E(int id) const { return GetDlgItem(editor_, id); }
  std::wstring Text(int id) const { return WindowText(E(id)); }
  void Set(int id, const std::string& gbk) const {
    SendMessageW(E(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(gbk).c_str()));
  }
  void Click(int id) const { PostMessageW(E(id), BM_CLICK, 0, 0); }

  // The box the last action showed, dismissed; empty when none came.
  std::wstring TakeBox(DWORD ms = 5000) {
    HWND box = tora_.WaitMessageBox(ms);
    if (!box) return L"";
    std::wstring text = Tora::MessageBoxText(box);
    Tora::Dismiss(box);
    WaitFor([&] { return !IsWindow(box); }, 3000);
    return text;
  }

  // The page shown in the tab control.
  HWND VisiblePage() const {
    for (HWND child = GetWindow(E(kTabs), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (IsWindowVisible(child)) return child;
    return nullptr;
  }

  std::string Disk() {
    std::string bytes;
    ReadBytes(script_, bytes);
    return bytes;
  }

  Folder folder_;
  Tora tora_{folder_};
  std::wstring script_;
  HWND editor_ = nullptr;
};

TEST_F(Editor, OpensOnceWithTheMainWindowsScriptAndItsStartingChoices) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(WindowText(editor_), W(editor_texts::kEditorCaption));
  EXPECT_EQ(GetWindow(editor_, GW_OWNER), tora_.main());
  EXPECT_EQ(Text(kCodeBox), L"x\r\ny\r\n");
  EXPECT_EQ(Text(kScriptName), script_);
  EXPECT_EQ(Text(kInterval), L"3");
  EXPECT_EQ(Text(kCount), W(editor_texts::kEndless));
  // Each choice box starts with its entry that writes "0".
  for (const auto& [box, item] : {std::pair{kCondition, editor_texts::kNoConditionItem},
                                  std::pair{kWindow, editor_texts::kForegroundWindowItem}}) {
    ASSERT_EQ(SendMessageW(E(box), CB_GETCOUNT, 0, 0), 1);
    std::wstring text(static_cast<size_t>(SendMessageW(E(box), CB_GETLBTEXTLEN, 0, 0)), L'\0');
    SendMessageW(E(box), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    EXPECT_EQ(text, W(item));
  }
  // Left of the main window (at the right edge of the work area), over it
  // only by what the work area lacks.
  RECT main{}, editor{}, work{};
  GetWindowRect(tora_.main(), &main);
  GetWindowRect(editor_, &editor);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(editor.left, work.left);
  EXPECT_EQ(std::max(0L, editor.right - main.left),
            std::max(0L, (editor.right - editor.left) - (main.left - work.left)));
  EXPECT_EQ(SendMessageW(E(kTabs), TCM_GETITEMCOUNT, 0, 0), 7);
  EXPECT_EQ(SendMessageW(E(kTabs), TCM_GETCURSEL, 0, 0), 0);
  HWND first = VisiblePage();
  EXPECT_NE(first, nullptr);

  // A second "设置按键" shows the same window, and setup.ini learns the main
  // window's script again. (The box of the empty repeat list comes after it
  // in the same queue: once it shows, the click was handled.)
  const std::wstring other = folder_.File(L"另一个.txt");
  tora_.SetText(IDC_SCRIPT_FILE, other);
  tora_.Click(IDC_SETUP_KEYS);
  Click(kAddCode);
  EXPECT_EQ(TakeBox(), W(editor_texts::kEmptyActionList));
  EXPECT_EQ(tora_.FindEditor(), editor_);
  std::string ini;
  ReadBytes(folder_.File(L"setup.ini"), ini);
  EXPECT_NE(ini.find(Gbk(other)), std::string::npos);

  // Switching tabs shows one page at a time.
  SendMessageW(E(kTabs), TCM_SETCURFOCUS, 3, 0);
  EXPECT_TRUE(WaitFor([&] { return VisiblePage() && VisiblePage() != first; }, 3000));
  HWND third = VisiblePage();
  SendMessageW(E(kTabs), TCM_SETCURFOCUS, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return VisiblePage() == first; }, 3000));
  EXPECT_FALSE(IsWindowVisible(third));

  CreateDirectoryW(FromUnixPath(TORA_ARTIFACT_DIR).c_str(), nullptr);
  EXPECT_TRUE(SaveWindowShot(editor_, FromUnixPath(TORA_ARTIFACT_DIR) + L"\\editor-" + std::to_wstring(GetACP()) +
                                          L".bmp"));

  // Esc closes a list dropped down in a page, and nothing else.
  HWND corners = GetDlgItem(first, 1054);
  SendMessageW(corners, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(SendMessageW(corners, CB_GETDROPPEDSTATE, 0, 0));
  PostMessageW(corners, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor([&] { return !SendMessageW(corners, CB_GETDROPPEDSTATE, 0, 0); }, 3000));

  // Enter and Esc, as the dialog manager delivers them, close nothing.
  PostMessageW(E(kCodeBox), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(E(kDescription), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(E(kDescription), WM_KEYDOWN, VK_ESCAPE, 0);
  Click(kAddCode);
  EXPECT_EQ(TakeBox(), W(editor_texts::kEmptyActionList));
  EXPECT_TRUE(IsWindowVisible(editor_));

  // Tab moves the focus between the editor's controls: the program's one
  // message loop serves the modeless editor as a dialog.
  ASSERT_TRUE(Focus(editor_));
  const auto focus = [&] {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(editor_, nullptr), &gui);
    return gui.hwndFocus;
  };
  ASSERT_TRUE(WaitFor([&] { return focus() != nullptr; }, 3000));
  const HWND focused = focus();
  PostMessageW(focused, WM_KEYDOWN, VK_TAB, 0);
  PostMessageW(focused, WM_KEYUP, VK_TAB, 0);
  EXPECT_TRUE(WaitFor([&] { return focus() != focused && focus() != nullptr; }, 3000));
}

TEST_F(Editor, AddsCodeSavesItAndLoadsItBack) {
  ASSERT_TRUE(Open());
  Set(kRepeatList, kRows);
  Click(kAddCode);
  const std::wstring expected = W("x\r\ny\r\n动作_3={\r\n" + kRows + "  }\r\n重复动作(\"动作_3\",3,\"0\",\"0\",\"0\",0)\r\n\r\n");
  ASSERT_TRUE(WaitFor([&] { return Text(kCodeBox) == expected; }, 3000)) << Gbk(Text(kCodeBox));
  EXPECT_EQ(Text(kRepeatList), L"");

  // The condition box offers the conditions the code declares.
  Set(kCodeBox, Gbk(expected) + "找颜色点条件(\"颜色点列表_2\",\"颜色点列表_2\")\r\n");
  SendMessageW(E(kCondition), CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(E(kCondition), CB_SHOWDROPDOWN, FALSE, 0);
  ASSERT_EQ(SendMessageW(E(kCondition), CB_GETCOUNT, 0, 0), 2);
  Set(kCodeBox, Gbk(expected));

  Click(kSaveScript);
  ASSERT_TRUE(WaitFor([&] { return Disk().size() > 10; }, 3000));
  std::string stored = Gbk(expected);
  for (size_t at = 0; (at = stored.find("\r\n", at)) != std::string::npos; at += 3) stored.insert(at, "\r");
  EXPECT_EQ(Disk(), stored);
  EXPECT_EQ(tora_.Text(IDC_SCRIPT_FILE), script_);

  Click(kCloseNoSave);
  ASSERT_TRUE(WaitFor([&] { return tora_.FindEditor() == nullptr; }, 3000));
  ASSERT_TRUE(Open());
  EXPECT_EQ(Text(kCodeBox), expected);

  // A click relative to a found position, with the entry that says no
  // condition chosen: asked first; no leaves everything as it was.
  const std::string relative = "{\"左键单击\",\"0,0,相对,1\"},\r\n";
  Set(kRepeatList, relative);
  SendMessageW(E(kCondition), CB_SETCURSEL, 0, 0);
  for (const int answer : {IDNO, IDYES}) {
    Click(kAddCode);
    HWND box = tora_.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(Tora::MessageBoxText(box), W(editor_texts::kRelativeWithoutCondition));
    PostMessageW(box, WM_COMMAND, answer, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 3000));
    if (answer == IDNO) {
      EXPECT_EQ(Text(kRepeatList) + Text(kCodeBox), W(relative) + expected);
    }
  }
  const std::wstring added = W("动作_9={\r\n" + relative + "  }\r\n重复动作(\"动作_9\",3,\"0\",\"0\",\"0\",0)\r\n\r\n");
  EXPECT_TRUE(WaitFor([&] { return Text(kCodeBox) == expected + added; }, 3000)) << Gbk(Text(kCodeBox));
}

TEST_F(Editor, RefusesWithoutChangingAnything) {
  ASSERT_TRUE(Open());
  Click(kAddCode);
  EXPECT_EQ(TakeBox(), W(editor_texts::kEmptyActionList));
  Set(kRepeatList, kRows);
  Set(kInterval, "");
  Set(kDescription, "说明");
  Click(kAddCode);
  EXPECT_EQ(TakeBox(), W(editor_texts::kNoInterval));
  EXPECT_EQ(Text(kRepeatList), W(kRows));
  EXPECT_EQ(Text(kDescription), W("说明"));
  EXPECT_EQ(Text(kCodeBox), L"x\r\ny\r\n");

  // A character GBK cannot hold is never saved as "?": the old file stays.
  SendMessageW(E(kCodeBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ok\r\n\x0E01\r\n"));
  Click(kSaveScript);
  EXPECT_EQ(TakeBox(), W(tora::editor_texts::kSaveNotGbk).replace(W(tora::editor_texts::kSaveNotGbk).find(L"%d"), 2, L"2"));
  EXPECT_EQ(Disk(), "x\r\r\ny\r\r\n");
  // The program itself cannot close over that text either (it would lose it).
  PostMessageW(tora_.main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(TakeBox().empty(), false);
  EXPECT_TRUE(IsWindow(tora_.main()));
  Click(kCloseNoSave);
  EXPECT_TRUE(WaitFor([&] { return tora_.FindEditor() == nullptr; }, 3000));
}

TEST_F(Editor, AFailedSaveKeepsTheEditorAndTheTextOpen) {
  ASSERT_TRUE(Open());
  const std::wstring nowhere = folder_.File(L"没有的文件夹\\a.txt");
  SendMessageW(E(kScriptName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(nowhere.c_str()));
  Set(kCodeBox, "要保留的文字\r\n");
  Click(kCloseSave);
  EXPECT_EQ(TakeBox().rfind(W("保存脚本失败"), 0), 0u);
  EXPECT_TRUE(IsWindowVisible(editor_));
  EXPECT_EQ(Text(kCodeBox), W("要保留的文字\r\n"));
  Click(kCloseNoSave);
  EXPECT_TRUE(WaitFor([&] { return tora_.FindEditor() == nullptr; }, 3000));
}

TEST_F(Editor, ClosingTheProgramSavesWhatTheEditorHolds) {
  ASSERT_TRUE(Open());
  Set(kCodeBox, "改过的\r\n");
  PostMessageW(tora_.main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(tora_.Exited(15000));
  EXPECT_EQ(Disk(), "改过的\r\r\n");
}

TEST_F(Editor, TheSessionsEndSavesAsClosingDoes) {
  ASSERT_TRUE(Open());
  Set(kCodeBox, "注销前\r\n");
  DWORD_PTR agreed = 0;
  ASSERT_TRUE(SendMessageTimeoutW(tora_.main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &agreed));
  EXPECT_TRUE(agreed);
  SendMessageTimeoutW(tora_.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, nullptr);
  EXPECT_TRUE(tora_.Exited(15000));
  EXPECT_EQ(Disk(), "注销前\r\r\n");
}

// A close that waited for a script, and then found that the editor could
// not save, leaves a program that starts and stops as before.
TEST_F(Editor, AProgramThatCouldNotCloseRunsOn) {
  ASSERT_TRUE(Open());
  SendMessageW(E(kScriptName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder_.File(L"没有的文件夹\\a.txt").c_str()));
  Set(kCodeBox, "要保留的文字\r\n");
  // The close arrives while the script's own box is up: it waits for the
  // script, which then ends at its next look.
  const std::wstring boxed = folder_.File(W("先弹框.txt"));
  ASSERT_TRUE(WriteBytes(boxed, "中文(1,2)\r\nwhile true do end\r\n"));
  tora_.SetText(IDC_SCRIPT_FILE, boxed);
  tora_.Click(IDC_START);
  HWND box = tora_.WaitMessageBox(5000);
  ASSERT_TRUE(box);
  PostMessageW(tora_.main(), WM_CLOSE, 0, 0);
  Tora::Dismiss(box);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 3000));
  EXPECT_EQ(TakeBox().rfind(W("保存脚本失败"), 0), 0u);
  Click(kCloseNoSave);
  ASSERT_TRUE(WaitFor([&] { return tora_.FindEditor() == nullptr; }, 3000));

  const std::wstring keeper = folder_.File(W("守窗.txt"));
  ASSERT_TRUE(WriteBytes(keeper, "窗口操作(\"无窗\",\"没有这样的窗口\",\"无\",\"不置顶\",0,0,1)\r\n"));
  tora_.SetText(IDC_SCRIPT_FILE, keeper);
  tora_.Click(IDC_START);
  ASSERT_TRUE(WaitFor([&] { return WindowText(tora_.main()) == W(texts::kRunningTitle); }, 8000));
  tora_.Click(IDC_STOP);
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<std::wstring> lines = tora_.Status();
    return !lines.empty() && lines[0] == W(texts::kStoppedLine);
  }, 8000));
  EXPECT_FALSE(tora_.Exited(0));
}

TEST_F(Editor, ReadsUtf8ScriptsAndWarnsAboutBytesItCannotShow) {
  const std::wstring utf8 = folder_.File(L"utf8.txt");
  WriteBytes(utf8, "\xEF\xBB\xBF-- \xE4\xB8\xAD\xE6\x96\x87\n");  // "-- 中文" with a byte-order mark
  const std::wstring nul = folder_.File(L"zero.txt");
  WriteBytes(nul, std::string("a\0b\r\n", 5));
  ASSERT_TRUE(Open());
  SendMessageW(E(kScriptName), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8.c_str()));
  SendMessageW(E(kScriptName), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(nul.c_str()));
  const auto choose = [&](const std::wstring& path) {
    const LRESULT at = SendMessageW(E(kScriptName), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(path.c_str()));
    SendMessageW(E(kScriptName), CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    PostMessageW(editor_, WM_COMMAND, MAKEWPARAM(kScriptName, CBN_SELCHANGE), reinterpret_cast<LPARAM>(E(kScriptName)));
  };
  choose(utf8);
  EXPECT_TRUE(WaitFor([&] { return Text(kCodeBox) == W("-- 中文\r\n"); }, 3000));
  EXPECT_EQ(tora_.FindMessageBox(), nullptr);
  choose(nul);
  EXPECT_EQ(TakeBox(), W(editor_texts::kLoadNotShownUnchanged));
  EXPECT_EQ(Text(kCodeBox), W(std::string("a") + editor_texts::kNulStandIn + "b\r\n"));

  // Megabytes of script load whole: no limit of the edit control cuts them.
  std::string big;
  for (int i = 0; i < 100000; ++i) big += "-- 第" + std::to_string(i) + "行\r\n";
  const std::wstring large = folder_.File(L"large.txt");
  WriteBytes(large, big);
  SendMessageW(E(kScriptName), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(large.c_str()));
  choose(large);
  // The program answers while the script goes in: the editor's caption says
  // how far it is.
  const std::wstring loading = W(editor_texts::kLoadingCaption).substr(0, W(editor_texts::kLoadingCaption).find(L'%'));
  EXPECT_TRUE(WaitFor([&] { return WindowText(editor_).rfind(loading, 0) == 0; }, 20000));
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(E(kCodeBox), WM_GETTEXTLENGTH, 0, 0) == static_cast<LRESULT>(W(big).size()); }, 60000));
  EXPECT_EQ(Text(kCodeBox), W(big));
  EXPECT_EQ(WindowText(editor_), W(editor_texts::kEditorCaption));
}

TEST_F(Editor, TestsTheColourAtTheCaretLinesPosition) {
  ASSERT_TRUE(Open());
  Set(kCodeBox, "{\"左键单击\",\"100,200,绝对,1\"},\r\n-- 注释\r\n");
  SendMessageW(E(kCodeBox), EM_SETSEL, 3, 3);
  Click(kTestColour);
  ASSERT_TRUE(WaitFor([&] { return Text(kTestResult).rfind(L"100,200 = 0x", 0) == 0; }, 3000));
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 100);
  EXPECT_EQ(at.y, 200);

  // Not a row: nothing shown, the cursor stays.
  const LRESULT comment = SendMessageW(E(kCodeBox), EM_LINEINDEX, 1, 0);
  SendMessageW(E(kCodeBox), EM_SETSEL, static_cast<WPARAM>(comment), comment);
  SetCursorPos(300, 300);
  Click(kTestColour);
  Click(kAddCode);
  EXPECT_EQ(TakeBox(), W(editor_texts::kEmptyActionList));
  EXPECT_EQ(Text(kTestResult), L"");
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 300);
}

}  // namespace
}  // namespace tora_e2e
