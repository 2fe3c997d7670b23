// The key, mouse and other pages inside a real editor window made in this
// process: keys pressed into a key box (injected input through key capture),
// rows inserted by the buttons, clicks recorded on a test window, and a
// recording saved and run whose clicks and pasted text arrive.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "editor/page_texts.h"
#include "editor/win32/key_page.h"
#include "editor/win32/mouse_page.h"
#include "editor/win32/other_page.h"
#include "editor/win32/setup_aj.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "tests/win/script_run_fixture.h"
#include "tests/win/win_test_util.h"

namespace tora {
namespace {

namespace t = page_texts;
using test::PumpMessages;
using test::PumpUntil;
using test::TestWindow;

// The program directory of the editor is the test's folder: its setup.ini
// and default script live there.
class FolderFiles : public FilePort {
 public:
  FolderFiles(FilePort& real, std::string dir) : real_(real), dir_(std::move(dir)) {}
  std::string ExecutableDir() override { return dir_; }
  std::optional<uint64_t> FileSize(const std::string& path) override { return real_.FileSize(path); }
  bool ReadFile(const std::string& path, std::string& out) override { return real_.ReadFile(path, out); }
  bool WriteFile(const std::string& path, const std::string& bytes) override { return real_.WriteFile(path, bytes); }
  bool CreateFileIfMissing(const std::string& path) override { return real_.CreateFileIfMissing(path); }
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& pattern) override {
    return real_.ListFiles(dir, pattern);
  }
  std::string ReadProfile(const std::string& ini, const std::string& section, const std::string& key) override {
    return real_.ReadProfile(ini, section, key);
  }
  bool WriteProfile(const std::string& ini, const std::string& section, const std::string& key,
                    const std::string& value) override {
    return real_.WriteProfile(ini, section, key, value);
  }

 private:
  FilePort& real_;
  std::string dir_;
};

class SavedPaths : public EditorHost {
 public:
  void ScriptSaved(const std::string& path) override { saved.push_back(path); }
  std::vector<std::string> saved;
};

// Answers the message boxes the interface thread opens: each one's text is
// kept and the box is closed with OK. A box runs its own loop inside the
// handler that opened it, so this watches from another thread.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(HWND editor) : editor_(editor), ui_thread_(GetCurrentThreadId()) {
    thread_ = std::thread([this] { Watch(); });
  }
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.clear();
  }

 private:
  void Watch() {
    while (!stop_) {
      EnumThreadWindows(ui_thread_, &MessageBoxWatcher::Found, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }
  static BOOL CALLBACK Found(HWND window, LPARAM self_ptr) {
    auto* self = reinterpret_cast<MessageBoxWatcher*>(self_ptr);
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (window == self->editor_ || GetWindow(window, GW_OWNER) != self->editor_ ||
        std::wstring(class_name) != L"#32770" || !IsWindowVisible(window))
      return TRUE;
    std::string text;
    EnumChildWindows(window, &MessageBoxWatcher::Static, reinterpret_cast<LPARAM>(&text));
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->texts_.push_back(text);
    }
    // Once per box: it is gone before the next look.
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static BOOL CALLBACK Static(HWND child, LPARAM text_ptr) {
    wchar_t class_name[16] = {};
    GetClassNameW(child, class_name, 16);
    if (_wcsicmp(class_name, L"Static") == 0) *reinterpret_cast<std::string*>(text_ptr) += ControlText(child);
    return TRUE;
  }

  HWND editor_;
  DWORD ui_thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

// Injected input, as a user's hand would give it.
void Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
  PumpMessages(30);
}
void Tap(WORD vk) {
  Key(vk, false);
  Key(vk, true);
}
void MouseAt(int x, int y, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((x * 65535LL + GetSystemMetrics(SM_CXSCREEN) / 2) / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>((y * 65535LL + GetSystemMetrics(SM_CYSCREEN) / 2) / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &in, sizeof in);
  PumpMessages(40);
}
void Click(int x, int y, bool right = false) {
  MouseAt(x, y, 0);
  MouseAt(x, y, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  MouseAt(x, y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}
POINT CentreOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class EditorPages : public test::ScriptRunFixture {
 protected:
  EditorPages()
      : files_(platform_.platform().files, folder_.gbk()),
        editor_platform_{platform_.platform().screen,  platform_.platform().input, platform_.platform().clipboard,
                         platform_.platform().windows, platform_.platform().clock, platform_.platform().threads,
                         platform_.platform().user,    files_,                     platform_.platform().images,
                         platform_.platform().trace},
        editor_(GetModuleHandleW(nullptr), editor_platform_, host_saved_) {}

  void SetUp() override {
    script_ = folder_.File(texts::kDefaultScriptName);
    ASSERT_TRUE(test::TempFolder::WriteBytes(script_, "-- 测试\r\n"));
    OpenEditor();
  }
  void TearDown() override {
    watcher_.reset();
    editor_.Destroy();
    PumpMessages(50);
  }

  void OpenEditor() {
    ASSERT_TRUE(editor_.Open(nullptr));
    editor_hwnd_ = editor_.hwnd();
    watcher_ = std::make_unique<MessageBoxWatcher>(editor_hwnd_);
    MoveWindow(editor_hwnd_, 0, 0, 1000, 560, TRUE);
    EnumChildWindows(GetDlgItem(editor_hwnd_, kIdTabs), &EditorPages::FindPage, reinterpret_cast<LPARAM>(this));
    ASSERT_TRUE(key_page_ && mouse_page_ && other_page_);
    PumpUntil([&] {
      if (GetForegroundWindow() != editor_hwnd_) SetForegroundWindow(editor_hwnd_);
      return GetForegroundWindow() == editor_hwnd_;
    });
  }
  static BOOL CALLBACK FindPage(HWND child, LPARAM self_ptr) {
    auto* self = reinterpret_cast<EditorPages*>(self_ptr);
    if (GetParent(child) != GetDlgItem(self->editor_hwnd_, kIdTabs)) return TRUE;
    if (GetDlgItem(child, kIdKeyMain)) self->key_page_ = child;
    if (GetDlgItem(child, kIdMouseKind)) self->mouse_page_ = child;
    if (GetDlgItem(child, kIdWebAddress)) self->other_page_ = child;
    return TRUE;
  }

  // The tab chosen as a click on it would choose it.
  void SelectTab(int tab) {
    HWND tabs = GetDlgItem(editor_hwnd_, kIdTabs);
    SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    NMHDR header{tabs, static_cast<UINT_PTR>(kIdTabs), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(editor_hwnd_, WM_NOTIFY, kIdTabs, reinterpret_cast<LPARAM>(&header));
    PumpMessages(50);
  }

  std::string RepeatList() const { return ControlText(GetDlgItem(editor_hwnd_, kIdRepeatList)); }
  std::string Text(HWND page, int id) const { return ControlText(GetDlgItem(page, id)); }
  void SetText(HWND page, int id, const std::string& gbk) const { SetControlText(GetDlgItem(page, id), gbk); }
  // A button clicked the way the dialog manager clicks it; the handler may
  // open a message box, which the watcher answers.
  void Press(HWND page, int id) {
    PostMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
    PumpMessages(150);
  }
  bool Told(const char* message) {
    return PumpUntil([&] {
      for (const std::string& text : watcher_->Texts())
        if (text.find(message) != std::string::npos) return true;
      return false;
    });
  }
  std::string RecordCaption() const { return ControlText(GetDlgItem(editor_hwnd_, kIdRecordButton)); }
  void ClickRecordButton() {
    const POINT at = CentreOf(GetDlgItem(editor_hwnd_, kIdRecordButton));
    Click(at.x, at.y);
    PumpMessages(100);
  }

  FolderFiles files_;
  Platform editor_platform_;
  SavedPaths host_saved_;
  CSetupAj editor_;
  HWND editor_hwnd_ = nullptr;
  HWND key_page_ = nullptr;
  HWND mouse_page_ = nullptr;
  HWND other_page_ = nullptr;
  std::string script_;
  std::unique_ptr<MessageBoxWatcher> watcher_;
};

TEST_F(EditorPages, PagesStartAsTheTemplatesSay) {
  HWND key_box = GetDlgItem(key_page_, kIdKeyMain);
  EXPECT_EQ(SendMessageW(key_box, CB_GETCOUNT, 0, 0), 59);
  EXPECT_EQ(Text(key_page_, kIdKeyMode), "按键");
  EXPECT_EQ(Text(key_page_, kIdKeyPause), "0");
  EXPECT_EQ(Text(key_page_, kIdInsertKey), "插入按键");
  EXPECT_EQ(SendMessageW(GetDlgItem(mouse_page_, kIdMouseKind), CB_GETCOUNT, 0, 0), 11);
  EXPECT_EQ(Text(mouse_page_, kIdMouseKind), "左键单击");
  EXPECT_EQ(Text(mouse_page_, kIdMousePosition), "按[F11]");
  EXPECT_EQ(Text(mouse_page_, kIdMouseCoordType), "绝对");
  EXPECT_EQ(Text(mouse_page_, kIdMousePause), "1");
  EXPECT_EQ(Text(other_page_, kIdOtherPause), "0");
  EXPECT_EQ(RecordCaption(), t::kRecordStart);
}

TEST_F(EditorPages, KeysPressedIntoTheKeyBoxesMakeTheRow) {
  SelectTab(kTabKey);
  HWND main_box = GetDlgItem(key_page_, kIdKeyMain);
  SetFocus(main_box);
  ASSERT_TRUE(PumpUntil([] { return CKey::CaptureInstalled() && CKey::CaptureTarget() == kIdKeyMain; }));
  Tap('A');
  EXPECT_TRUE(PumpUntil([&] { return Text(key_page_, kIdKeyMain) == "A"; })) << Text(key_page_, kIdKeyMain);
  Tap(VK_DOWN);  // names the key instead of moving through the list
  EXPECT_TRUE(PumpUntil([&] { return Text(key_page_, kIdKeyMain) == "下"; })) << Text(key_page_, kIdKeyMain);
  Tap('Q');

  SetFocus(GetDlgItem(key_page_, kIdKeyCombo2));
  ASSERT_TRUE(PumpUntil([] { return CKey::CaptureTarget() == kIdKeyCombo2; }));
  Key(VK_CONTROL, false);
  Tap('C');
  Key(VK_CONTROL, true);
  EXPECT_TRUE(PumpUntil([&] { return Text(key_page_, kIdKeyCombo2) == "Ctrl"; })) << Text(key_page_, kIdKeyCombo2);

  Press(key_page_, kIdInsertKey);
  EXPECT_FALSE(CKey::CaptureInstalled());  // the focus left the key boxes
  EXPECT_EQ(RepeatList(), "{\"按键\",\"Q+Ctrl,0\"},\r\n");
  for (int id : {kIdKeyMain, kIdKeyCombo1, kIdKeyCombo2, kIdKeyCombo3}) EXPECT_EQ(Text(key_page_, id), "");

  // Without a main key: the message, and nothing appended.
  SetText(key_page_, kIdKeyCombo1, "V");
  Press(key_page_, kIdInsertKey);
  EXPECT_TRUE(Told(t::kNoKey));
  EXPECT_EQ(RepeatList(), "{\"按键\",\"Q+Ctrl,0\"},\r\n");
  EXPECT_EQ(Text(key_page_, kIdKeyCombo1), "V");
}

TEST_F(EditorPages, MouseRowsByButtonAndByF11) {
  SelectTab(kTabMouse);
  Press(mouse_page_, kIdInsertMouse);
  EXPECT_TRUE(Told(t::kBadMousePosition));
  EXPECT_EQ(RepeatList(), "");

  HWND coord = GetDlgItem(mouse_page_, kIdMouseCoordType);
  SendMessageW(coord, CB_SETCURSEL,
               static_cast<WPARAM>(SendMessageW(coord, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(Widen(t::kCoordRelativeItem).c_str()))),
               0);
  SendMessageW(mouse_page_, WM_COMMAND, MAKEWPARAM(kIdMouseCoordType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(coord));
  EXPECT_EQ(Text(mouse_page_, kIdMousePosition), "0,0");
  Press(mouse_page_, kIdInsertMouse);
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"0,0,相对,1\"},\r\n");

  // F11 (the editor's hotkey) takes the cursor position and inserts at once.
  SetCursorPos(123, 45);
  PumpMessages(50);
  Tap(VK_F11);
  EXPECT_TRUE(PumpUntil([&] { return RepeatList().find("123,45") != std::string::npos; })) << RepeatList();
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"0,0,相对,1\"},\r\n{\"左键单击\",\"123,45,相对,1\"},\r\n");
}

TEST_F(EditorPages, ClicksRecordedOnAWindowAndStoppedWithCtrlF11) {
  TestWindow::Options o;
  o.title = L"录制目标";
  o.class_name = L"ToraRecordTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{600, 300, 800, 450};
  TestWindow window(o);
  SetControlText(GetDlgItem(editor_hwnd_, kIdRepeatList), "旧的行\r\n");

  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStop);
  EXPECT_TRUE(CMouse::RecordingHookInstalled());
  EXPECT_EQ(RepeatList(), "");  // a recording starts a new list

  Click(650, 320);
  Sleep(1100);
  PumpMessages(20);
  Click(700, 400, true);
  Key(VK_CONTROL, false);
  Tap(VK_F11);
  Key(VK_CONTROL, true);
  ASSERT_TRUE(PumpUntil([&] { return RecordCaption() == t::kRecordStart; }));
  EXPECT_FALSE(CMouse::RecordingHookInstalled());
  EXPECT_FALSE(SharedEditorState().recording);
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"650,320,绝对,1\"},\r\n{\"右键单击\",\"700,400,绝对,0\"},\r\n");
  // The clicks went on to the window.
  EXPECT_EQ(window.Messages({WM_LBUTTONUP}).size(), 1u);
  EXPECT_EQ(window.Messages({WM_RBUTTONUP}).size(), 1u);
  // Hotkey 900 is gone: another window may take Ctrl+F11 now.
  ASSERT_TRUE(RegisterHotKey(window.hwnd(), 900, MOD_CONTROL, VK_F11));
  UnregisterHotKey(window.hwnd(), 900);
}

TEST_F(EditorPages, StoppedWithTheButtonTheStopClickLeavesNoRow) {
  TestWindow::Options o;
  o.title = L"录制目标";
  o.class_name = L"ToraRecordTarget";
  o.ex_style = WS_EX_TOPMOST;
  o.rect = RECT{600, 300, 800, 450};
  TestWindow window(o);

  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStop);
  // Inserting from the mouse page and adding code are refused meanwhile.
  SetText(mouse_page_, kIdMousePosition, "1,2");
  Press(mouse_page_, kIdInsertMouse);
  EXPECT_TRUE(Told(t::kStopMouseFirst));
  Click(610, 310);
  Click(790, 440, true);
  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStart);
  EXPECT_EQ(RepeatList(), "{\"左键单击\",\"610,310,绝对,0\"},\r\n{\"右键单击\",\"790,440,绝对,0\"},\r\n");
}

TEST_F(EditorPages, ClosingTheEditorStopsTheRecording) {
  ClickRecordButton();
  ASSERT_TRUE(SharedEditorState().recording);
  watcher_.reset();
  editor_.Destroy();
  PumpMessages(50);
  EXPECT_FALSE(SharedEditorState().recording);
  EXPECT_FALSE(CMouse::RecordingHookInstalled());
  TestWindow::Options o;
  TestWindow window(o);
  ASSERT_TRUE(RegisterHotKey(window.hwnd(), 900, MOD_CONTROL, VK_F11));
  UnregisterHotKey(window.hwnd(), 900);

  OpenEditor();
  EXPECT_EQ(RecordCaption(), t::kRecordStart);
  Click(150, 150);
  PumpMessages(100);
  EXPECT_EQ(RepeatList(), "");
}

TEST_F(EditorPages, PasteAndAddressRows) {
  SelectTab(kTabOther);
  SetText(other_page_, kIdPasteText, "a,b\r\nc");
  Press(other_page_, kIdInsertPasteText);
  EXPECT_EQ(RepeatList(), "{\"粘贴文字\",\"a，b\\r\\nc,0\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");
  EXPECT_EQ(Text(other_page_, kIdPasteText), "");

  const std::string before = RepeatList();
  SetText(other_page_, kIdWebAddress, "http://example.com");
  SetText(other_page_, kIdOtherPause, "0.0");
  Press(other_page_, kIdInsertWebAddress);
  EXPECT_TRUE(Told(t::kBadPause));
  EXPECT_EQ(RepeatList(), before);
  EXPECT_EQ(Text(other_page_, kIdWebAddress), "http://example.com");
  SetText(other_page_, kIdOtherPause, "2s");
  Press(other_page_, kIdInsertWebAddress);
  EXPECT_EQ(RepeatList(), before + "{\"刷新网址\",\"http://example.com,2s\"},\r\n");
  EXPECT_EQ(Text(other_page_, kIdWebAddress), "");
}

// Recorded clicks and a paste row, added as code, saved, and run: the clicks
// and the text arrive at the window they were recorded on.
TEST_F(EditorPages, ARecordingSavedAndRunReplaysItsClicksAndPaste) {
  HWND target = CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 600,
                                300, 200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(target);
  PumpMessages(100);

  ClickRecordButton();
  ASSERT_EQ(RecordCaption(), t::kRecordStop);
  Click(620, 320);
  Key(VK_CONTROL, false);
  Tap(VK_F11);
  Key(VK_CONTROL, true);
  ASSERT_TRUE(PumpUntil([&] { return RecordCaption() == t::kRecordStart; }));
  SetText(other_page_, kIdPasteText, "你好,\"世界\"");
  Press(other_page_, kIdInsertPasteText);
  SetWindowTextW(target, L"");
  ASSERT_EQ(RepeatList(),
            "{\"左键单击\",\"620,320,绝对,0\"},\r\n{\"粘贴文字\",\"你好，”世界”,0\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n");

  SetControlText(GetDlgItem(editor_hwnd_, kIdCount), "1");
  SetControlText(GetDlgItem(editor_hwnd_, kIdInterval), "0.1");
  editor_.AddRepeatCode();
  ASSERT_TRUE(editor_.SaveScript());
  ASSERT_EQ(host_saved_.saved, std::vector<std::string>{script_});

  // Elsewhere meanwhile, so that the click has to bring the focus back.
  SetForegroundWindow(editor_hwnd_);
  SetFocus(editor_hwnd_);
  PumpMessages(100);
  user_.script_path = script_;
  ASSERT_EQ(host_.RunScript(), ScriptHost::Outcome::Loaded);
  EXPECT_TRUE(PumpUntil([&] { return ControlText(target) == "你好，”世界”"; }, 10000)) << ControlText(target);
  host_.StopScript();
  DestroyWindow(target);
}

}  // namespace
}  // namespace tora
