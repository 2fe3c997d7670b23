// The editor's "帮助" tab where no browser engine renders the help page (as
// under Wine): the page's text, and an example that copies out exactly as
// it runs. (A missing page: tests/e2e, the main window's pane.)
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <string>

#include "editor/win32/editor_window.h"
#include "platform/win32/handles.h"
#include "res/editor_window.h"
#include "res/resource.h"
#include "tests/win/script_run_fixture.h"
#include "ui/web_pane.h"

namespace tora {
namespace {

class HelpTab : public test::ScriptRunFixture, private EditorHost {
 protected:
  HelpTab() : editor_(GetModuleHandleW(nullptr), platform_.platform(), *this) {}
  ~HelpTab() override {
    editor_.Destroy();
    if (placed_) DeleteFileW(page_.c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  void ScriptSaved(const std::string&) override {}

  // Opens the editor on its "帮助" tab with the help page beside the
  // program; the view of the page's text.
  HWND OpenHelpTab() {
    WebPane::RegisterWindowClass(GetModuleHandleW(nullptr));
    const std::string program_dir = platform_.platform().files.ExecutableDir();
    dir_ = Widen(program_dir + "\\tora");
    page_ = Widen(program_dir + "\\" + texts::kHelpPage);
    std::wstring source = L"Z:" + Widen(TORA_HELP_PAGE);
    for (wchar_t& c : source) c = c == L'/' ? L'\\' : c;
    CreateDirectoryW(dir_.c_str(), nullptr);
    placed_ = CopyFileW(source.c_str(), page_.c_str(), TRUE) != FALSE;
    const std::string script = folder_.File("脚本.txt");
    test::TempFolder::WriteBytes(script, "-- 测试\r\n");
    WritePrivateProfileStringW(Widen(texts::kSetupSection).c_str(), Widen(texts::kSetupKeyScript).c_str(),
                               Widen(script).c_str(), ini_.c_str());
    if (!editor_.Open(nullptr)) return nullptr;
    HWND tabs = GetDlgItem(editor_.hwnd(), IDC_TABS);
    SendMessageW(tabs, TCM_SETCURSEL, kTabHelp, 0);
    NMHDR changed{tabs, static_cast<UINT_PTR>(IDC_TABS), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(editor_.hwnd(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&changed));
    for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
      for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 63);
        WebPane* pane = std::wstring(name) == TORA_WEB_PANE_CLASS ? WebPane::FromWindow(child) : nullptr;
        if (pane) return pane->HasBrowser() ? nullptr : pane->TextView();
      }
    return nullptr;
  }

  // As in the program: OLE is up, so the browser control can be made (Wine
  // makes it even without its HTML engine).
  const OleSession ole_;
  EditorWindow editor_;
  std::wstring dir_, page_;
  bool placed_ = false;
};

TEST_F(HelpTab, ShowsThePagesTextAndAnExampleCopiesOutAsItRuns) {
  HWND view = OpenHelpTab();
  ASSERT_TRUE(view) << "no text view in the help tab";
  EXPECT_TRUE(IsWindowVisible(view));
  const auto find = [&](const std::string& what) {
    const std::wstring wide = Widen(what);
    FINDTEXTEXW find{};
    find.chrg = CHARRANGE{0, -1};
    find.lpstrText = wide.c_str();
    SendMessageW(view, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find));
    return find.chrgText;
  };
  EXPECT_EQ(find("Tora按键 1.4").cpMin, 0);
  EXPECT_LT(find("<pre").cpMin, 0);

  const CHARRANGE first = find("-- 每隔2秒");
  const CHARRANGE last = find("重复动作(\"动作_复制\",2,\"0\",\"0\",\"0\",10)");
  ASSERT_GT(first.cpMin, 0);
  ASSERT_GT(last.cpMax, first.cpMin);
  CHARRANGE selection{first.cpMin, last.cpMax};
  SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  SendMessageW(view, WM_COPY, 0, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  std::wstring copied;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) copied = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_EQ(Narrow(copied),
            "-- 每隔2秒：复制、点一下、粘贴，共10次\r\n动作_复制={\r\n{\"按键\",\"Ctrl+C,0.5\"},\r\n"
            "{\"左键单击\",\"300,200,绝对,0.5\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n}\r\n"
            "重复动作(\"动作_复制\",2,\"0\",\"0\",\"0\",10)");
}

}  // namespace
}  // namespace tora
