// The key, mouse and other pages in a real editor window made in this
// process, driven by injected input: keys pressed into a key box, clicks
// recorded on a test window, and a recording saved and run.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "editor/page_texts.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/key_page.h"
#include "editor/win32/mouse_page.h"
#include "editor/win32/other_page.h"
#include "res/magnifier.h"
#include "tests/win/script_run_fixture.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {
namespace {

namespace t = page_texts;
using test::PumpMessages;
using test::PumpUntil;
using test::TestWindow;

void Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
  PumpMessages(30);
}
void Tap(WORD vk, WORD held = 0) {
  if (held) Key(held, false);
  Key(vk, false);
  Key(vk, true);
  if (held) Key(held, true);
}
void MouseAt(int x, int y, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((x * 65535LL + w / 2) / (w - 1));
  in.mi.dy = static_cast<LONG>((y * 65535LL + h / 2) / (h - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &in, sizeof in);
  PumpMessages(40);
}
void Click(int x, int y, bool right = false) {
  MouseAt(x, y, 0);
  MouseAt(x, y, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  MouseAt(x, y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

TestWindow::Options Target() {
  TestWindow::Options o;
  o.class_name = L"ToraRecordTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{600, 300, 800, 450};
  return o;
}

class EditorPages : public test::ScriptRunFixture, private EditorHost {
 protected:
  EditorPages() : editor_(GetModuleHandleW(nullptr), platform_.platform(), *this) {}

  void SetUp() override {
    // The editor opens the script that setup.ini beside the program names
    // (the fixture removes a setup.ini it did not find).
    script_ = folder_.File("脚本.txt");
    ASSERT_TRUE(test::TempFolder::WriteBytes(script_, "-- 测试\r\n"));
    WritePrivateProfileStringW(Widen(texts::kSetupSection).c_str(), Widen(texts::kSetupKeyScript).c_str(),
                               Widen(script_).c_str(), ini_.c_str());
    OpenEditor();
  }
  void TearDown() override { editor_.Destroy(); }
  void ScriptSaved(const std::string& path) override { saved_ = path; }

  void OpenEditor() {
    ASSERT_TRUE(editor_.Open(nullptr));
    MoveWindow(editor_.hwnd(), 0, 0, 1000, 560, TRUE);
    for (HWND page = GetWindow(Item(IDC_TABS), GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
      if (GetDlgItem(page, IDC_KEY_MAIN)) key_page_ = page;
      if (GetDlgItem(page, IDC_OTHER_WEB_ADDRESS)) other_page_ = page;
    }
    ASSERT_TRUE(key_page_ && other_page_);
    PumpUntil([&] { return SetForegroundWindow(editor_.hwnd()) && GetForegroundWindow() == editor_.hwnd(); });
  }
  HWND Item(int id) const { return GetDlgItem(editor_.hwnd(), id); }
  std::string RepeatList() const { return ControlText(Item(IDC_REPEAT_LIST)); }
  std::string RecordCaption() const { return ControlText(Item(IDC_RECORD_BUTTON)); }
  // The recording button clicked by the mouse, as a user clicks it: the
  // recorder sees the stop click too.
  void ClickRecordButton() {
    RECT r;
    GetWindowRect(Item(IDC_RECORD_BUTTON), &r);
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PumpMessages(100);
  }
  bool Shows(int id, const char* text) const {
    return PumpUntil([&] { return ControlText(GetDlgItem(key_page_, id)) == text; });
  }
  bool StopWithCtrlF11() {
    Tap(VK_F11, VK_CONTROL);
    return PumpUntil([&] { return RecordCaption() == t::kRecordStart; });
  }

  EditorWindow editor_;
  HWND key_page_ = nullptr;
  HWND other_page_ = nullptr;
  std::string script_;
  std::string saved_;
};

TEST_F(EditorPages, KeysPressedIntoTheKeyBoxesMakeTheRow) {
  HWND tabs = Item(IDC_TABS);
  SendMessageW(tabs, TCM_SETCURSEL, kTabKey, 0);
  NMHDR changed{tabs, static_cast<UINT_PTR>(IDC_TABS), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(editor_.hwnd(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&changed));
  EXPECT_EQ(SendMessageW(GetDlgItem(key_page_, IDC_KEY_MAIN), CB_GETCOUNT, 0, 0), 59);

  SetFocus(GetDlgItem(key_page_, IDC_KEY_MAIN));
  ASSERT_TRUE(PumpUntil([&] { return editor_.key_page().capture_target() == IDC_KEY_MAIN; }));
  Tap('A');
  EXPECT_TRUE(Shows(IDC_KEY_MAIN, "A"));  // named, not typed
  Tap(VK_DOWN);
  EXPECT_TRUE(Shows(IDC_KEY_MAIN, "下"));  // not a move through the list
  SetFocus(GetDlgItem(key_page_, IDC_KEY_COMBO2));
  ASSERT_TRUE(PumpUntil([&] { return editor_.key_page().capture_target() == IDC_KEY_COMBO2; }));
  Tap('C', VK_CONTROL);
  EXPECT_TRUE(Shows(IDC_KEY_COMBO2, "Ctrl"));

  SendMessageW(GetDlgItem(key_page_, IDC_KEY_INSERT), BM_CLICK, 0, 0);
  EXPECT_FALSE(editor_.key_page().capture_installed());  // the focus left the key boxes
  EXPECT_EQ(RepeatList(), "{\"按键\",\"下+Ctrl,0\"},\r\n");
  for (int id : {IDC_KEY_MAIN, IDC_KEY_COMBO1, IDC_KEY_COMBO2, IDC_KEY_COMBO3})
    EXPECT_EQ(ControlText(GetDlgItem(key_page_, id)), "");
}

TEST_F(EditorPages, ClicksRecordedAndStoppedByCtrlF11OrByTheButton) {
  TestWindow window(Target());
  SetControlText(Item(IDC_REPEAT_LIST), "旧\r\n");
  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStop);
  EXPECT_EQ(RepeatList(), "");  // a recording starts a new list
  Click(650, 320);
  Sleep(1100);
  Click(700, 400, true);
  ASSERT_TRUE(StopWithCtrlF11());
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"650,320,绝对,1\"},\r\n{\"右键单击\",\"700,400,绝对,0\"},\r\n");
  EXPECT_EQ(window.Messages({WM_LBUTTONUP, WM_RBUTTONUP}).size(), 2u);  // the clicks went on
  EXPECT_FALSE(editor_.mouse_page().recording_hook_installed());
  ASSERT_TRUE(RegisterHotKey(window.hwnd(), kRecordingStopHotkeyId, MOD_CONTROL, VK_F11));  // 900 is free again
  UnregisterHotKey(window.hwnd(), kRecordingStopHotkeyId);

  // Stopped with the button: the stop click leaves no row.
  ClickRecordButton();
  Click(610, 310);
  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStart);
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"610,310,绝对,0\"},\r\n");

  // The button pressed with Space: no stop click, the last click stays.
  ClickRecordButton();
  Click(620, 330);
  SetFocus(Item(IDC_RECORD_BUTTON));
  Tap(VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return RecordCaption() == t::kRecordStart; }));
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"620,330,绝对,0\"},\r\n");
}

// No length limit: a burst of a thousand clicks all become rows, and all
// still reach the window under the cursor.
TEST_F(EditorPages, AThousandClicksAreAllRecorded) {
  TestWindow window(Target());
  ClickRecordButton();
  MouseAt(700, 350, 0);
  std::vector<INPUT> burst(2000);
  for (size_t i = 0; i < burst.size(); ++i) {
    burst[i].type = INPUT_MOUSE;
    burst[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(burst.size()), burst.data(), sizeof(INPUT)), burst.size());
  EXPECT_TRUE(PumpUntil([&] { return window.Messages({WM_LBUTTONUP}).size() == 1000; }, 30000));
  ASSERT_TRUE(StopWithCtrlF11());
  const std::string list = RepeatList();
  size_t rows = 0;
  for (size_t at = list.find("700,350,绝对,"); at != std::string::npos; at = list.find("700,350,绝对,", at + 1)) ++rows;
  EXPECT_EQ(rows, 1000u);
  EXPECT_EQ(list.substr(list.size() - 6), "0\"},\r\n");
}

TEST_F(EditorPages, ClosingTheEditorStopsTheRecordingAndFreesItsFont) {
  ClickRecordButton();
  ASSERT_TRUE(editor_.mouse_page().recording());
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(Item(IDC_CODE_BOX), WM_GETFONT, 0, 0));
  ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  editor_.Destroy();
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_FALSE(editor_.mouse_page().recording());
  EXPECT_FALSE(editor_.mouse_page().recording_hook_installed());
  TestWindow window(Target());
  ASSERT_TRUE(RegisterHotKey(window.hwnd(), kRecordingStopHotkeyId, MOD_CONTROL, VK_F11));
  UnregisterHotKey(window.hwnd(), kRecordingStopHotkeyId);

  OpenEditor();
  EXPECT_EQ(RecordCaption(), t::kRecordStart);
  Click(650, 320);
  EXPECT_EQ(RepeatList(), "");
}

// A recorded click and a paste row, added as code, saved and run: the click
// gives the focus back to the edit it was recorded on, and the text arrives.
TEST_F(EditorPages, ARecordingSavedAndRunReplaysItsClickAndPaste) {
  HWND edit = CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 600, 300,
                              200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ClickRecordButton();
  Click(620, 320);
  ASSERT_TRUE(StopWithCtrlF11());
  SetControlText(GetDlgItem(other_page_, IDC_OTHER_PASTE_TEXT), "你好,\"世界\"");
  SendMessageW(GetDlgItem(other_page_, IDC_OTHER_INSERT_TEXT), BM_CLICK, 0, 0);
  EXPECT_EQ(ControlText(GetDlgItem(other_page_, IDC_OTHER_PASTE_TEXT)), "");
  ASSERT_EQ(RepeatList(),
            "{\"左键单击\",\"620,320,绝对,0\"},\r\n{\"粘贴文字\",\"你好，”世界”,0\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");

  SetControlText(Item(IDC_REPEAT_COUNT), "1");
  editor_.AddRepeatCode();
  ASSERT_TRUE(editor_.SaveScript());
  EXPECT_EQ(saved_, script_);
  SetWindowTextW(edit, L"");
  PumpUntil([&] { return SetForegroundWindow(editor_.hwnd()) && GetForegroundWindow() == editor_.hwnd(); });
  user_.script_path = script_;
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_TRUE(PumpUntil([&] { return ControlText(edit) == "你好，”世界”"; }, 10000)) << ControlText(edit);
  host_.StopScript();
  DestroyWindow(edit);
}

BOOL CALLBACK FindMagnifier(HWND w, LPARAM found) {
  return GetDlgItem(w, IDC_MAGNIFIER_VIEW) ? (*reinterpret_cast<HWND*>(found) = w, FALSE) : TRUE;
}

// The magnifier belongs to no window, so that minimising the editor leaves
// it on the screen with its arrow keys; hidden, it takes no key from anyone.
TEST_F(EditorPages, MagnifierIsOwnedByNoWindowAndHiddenTakesNoKeys) {
  SendMessageW(editor_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_MAGNIFIER_BUTTON, BN_CLICKED), 0);
  HWND zoom = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindMagnifier, reinterpret_cast<LPARAM>(&zoom));
  ASSERT_TRUE(zoom);
  EXPECT_EQ(GetWindow(zoom, GW_OWNER), nullptr);
  TestWindow window(Target());
  ASSERT_TRUE(window.Focus());
  ShowWindow(zoom, SW_HIDE);
  Tap(VK_LEFT);
  // (keys of an earlier test may still arrive: only the arrow counts)
  EXPECT_TRUE(PumpUntil([&] {
    for (const test::LoggedMessage& m : window.Messages({WM_KEYUP}))
      if (m.wparam == VK_LEFT) return true;
    return false;
  }));
}

}  // namespace
}  // namespace tora
