// The editor's "帮助" tab where no browser engine renders the help page (as
// under Wine): the page's text, an example that copies out exactly as it
// runs, and a missing page that names where it was looked for.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <string>

#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "platform/win32/handles.h"
#include "res/editor_window.h"
#include "res/resource.h"
#include "tests/win/script_run_fixture.h"
#include "ui/web_pane.h"

namespace tora {
namespace {

std::wstring FromUnixPath(const char* path) {
  std::wstring wide = L"Z:" + Widen(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  return wide;
}

// The view's text as GBK, one '\n' per line end whatever the control uses.
std::string ViewText(HWND view) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(view)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(view, text.data(), static_cast<int>(text.size()))));
  std::wstring lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    lines += text[i] == L'\r' ? L'\n' : text[i];
  }
  return Narrow(lines);
}

class HelpTab : public test::ScriptRunFixture, private EditorHost {
 protected:
  HelpTab() : editor_(GetModuleHandleW(nullptr), platform_.platform(), *this) {}

  void SetUp() override {
    WebPane::RegisterWindowClass(GetModuleHandleW(nullptr));
    const std::string dir = platform_.platform().files.ExecutableDir();
    help_dir_ = Widen(dir + "\\tora");
    help_page_ = dir + "\\" + texts::kHelpPage;
    const std::string script = folder_.File("脚本.txt");
    ASSERT_TRUE(test::TempFolder::WriteBytes(script, "-- 测试\r\n"));
    WritePrivateProfileStringW(Widen(texts::kSetupSection).c_str(), Widen(texts::kSetupKeyScript).c_str(),
                               Widen(script).c_str(), ini_.c_str());
  }
  void TearDown() override {
    editor_.Destroy();
    if (placed_) {
      DeleteFileW(Widen(help_page_).c_str());
      RemoveDirectoryW(help_dir_.c_str());
    }
  }
  void ScriptSaved(const std::string&) override {}

  void PlacePage() {
    CreateDirectoryW(help_dir_.c_str(), nullptr);
    placed_ = CopyFileW(FromUnixPath(TORA_HELP_PAGE).c_str(), Widen(help_page_).c_str(), TRUE) != FALSE;
    ASSERT_NE(GetFileAttributesW(Widen(help_page_).c_str()), INVALID_FILE_ATTRIBUTES);
  }

  // Opens the editor on its "帮助" tab; the view of the help page's text.
  HWND OpenHelpTab() {
    if (!editor_.Open(nullptr)) return nullptr;
    HWND tabs = GetDlgItem(editor_.hwnd(), IDC_TABS);
    SendMessageW(tabs, TCM_SETCURSEL, kTabHelp, 0);
    NMHDR changed{tabs, static_cast<UINT_PTR>(IDC_TABS), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(editor_.hwnd(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&changed));
    test::PumpMessages(50);
    for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
      for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 63);
        if (std::wstring(name) != TORA_WEB_PANE_CLASS) continue;
        WebPane* pane = WebPane::FromWindow(child);
        return pane && !pane->HasBrowser() ? pane->TextView() : nullptr;
      }
    }
    return nullptr;
  }

  // As in the program: the browser control can be made (Wine makes it even
  // without its HTML engine).
  const OleSession ole_;
  EditorWindow editor_;
  std::wstring help_dir_;
  std::string help_page_;
  bool placed_ = false;
};

TEST_F(HelpTab, ShowsThePagesTextAndAnExampleCopiesOutAsItRuns) {
  PlacePage();
  HWND view = OpenHelpTab();
  ASSERT_TRUE(view) << "no text view in the help tab";
  EXPECT_TRUE(IsWindowVisible(view));
  const std::string text = ViewText(view);
  EXPECT_EQ(text.rfind("Tora按键 1.4\n", 0), 0u) << text.substr(0, 200);
  EXPECT_NE(text.find("\n动作表\n"), std::string::npos);
  EXPECT_EQ(text.find("<pre"), std::string::npos);

  const std::string example =
      "-- 每隔2秒：复制、点一下、粘贴，共10次\r\n动作_复制={\r\n{\"按键\",\"Ctrl+C,0.5\"},\r\n"
      "{\"左键单击\",\"300,200,绝对,0.5\"},\r\n{\"按键\",\"Ctrl+V,1\"},\r\n}\r\n"
      "重复动作(\"动作_复制\",2,\"0\",\"0\",\"0\",10)";
  const auto find = [&](const std::string& what) {
    std::wstring wide = Widen(what);
    FINDTEXTEXW find{};
    find.chrg = CHARRANGE{0, -1};
    find.lpstrText = wide.c_str();
    SendMessageW(view, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find));
    return find.chrgText;
  };
  const CHARRANGE first = find("-- 每隔2秒");
  const CHARRANGE last = find("重复动作(\"动作_复制\",2,\"0\",\"0\",\"0\",10)");
  ASSERT_GE(first.cpMin, 0);
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
  EXPECT_EQ(Narrow(copied), example);
}

TEST_F(HelpTab, AMissingPageNamesTheFullPathLookedAt) {
  if (GetFileAttributesW(Widen(help_page_).c_str()) != INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "a help page lies beside the tests";
  HWND view = OpenHelpTab();
  ASSERT_TRUE(view);
  const std::string text = ViewText(view);
  EXPECT_NE(text.find(editor_texts::kHelpPageMissing), std::string::npos) << text;
  EXPECT_NE(text.find("\n" + help_page_ + "\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace tora
