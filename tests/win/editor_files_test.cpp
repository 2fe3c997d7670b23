// The editor's script files in a real editor window made in this process:
// another script chosen while the code box holds changes, a script that
// cannot be read, and the end of the session.
#include <gtest/gtest.h>
#include <windows.h>

#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "engine/text_util.h"
#include "tests/win/script_run_fixture.h"
#include "ui/controls.h"

namespace tora {
namespace {

using test::MessageBoxAnswer;
using test::PumpUntil;
using test::TempFolder;

class EditorFiles : public test::ScriptRunFixture, private EditorHost {
 protected:
  EditorFiles() : editor_(GetModuleHandleW(nullptr), platform_.platform(), *this) {}
  void TearDown() override { editor_.Destroy(); }
  void ScriptSaved(const std::string&) override {}

  // Opens the editor on the script that setup.ini beside the program names.
  void OpenOn(const std::string& path) {
    WritePrivateProfileStringW(Widen(texts::kSetupSection).c_str(), Widen(texts::kSetupKeyScript).c_str(),
                               Widen(path).c_str(), ini_.c_str());
    ASSERT_TRUE(editor_.Open(nullptr));
  }
  HWND Item(int id) const { return GetDlgItem(editor_.hwnd(), id); }
  std::string Code() const { return ControlText(Item(IDC_CODE_BOX)); }
  // A step of the script list's closed box, as the arrow keys make it.
  void Step(WPARAM key) const { SendMessageW(Item(IDC_SCRIPT_NAME), WM_KEYDOWN, key, 0); }

  EditorWindow editor_;
};

TEST_F(EditorFiles, ChoosingAnotherScriptSavesTheChangesFirstOrStays) {
  const std::string a = folder_.File("甲.txt");
  const std::string b = folder_.File("乙.txt");
  ASSERT_TRUE(TempFolder::WriteBytes(a, "a\r\n"));
  ASSERT_TRUE(TempFolder::WriteBytes(b, "b\n"));
  OpenOn(a);
  HWND names = Item(IDC_SCRIPT_NAME);
  SendMessageW(names, CB_RESETCONTENT, 0, 0);
  AddComboItem(names, a);
  AddComboItem(names, b);
  SendMessageW(names, CB_SETCURSEL, 0, 0);

  SetControlText(Item(IDC_CODE_BOX), "a 改过\r\n");
  Step(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return Code() == "b\r\n"; }));
  EXPECT_EQ(TempFolder::ReadBytes(a), "a 改过\r\r\n");
  EXPECT_EQ(ControlText(names), b);
  Step(VK_UP);  // nothing changed: nothing written
  ASSERT_TRUE(PumpUntil([&] { return Code() == "a 改过\r\n"; }));
  EXPECT_EQ(TempFolder::ReadBytes(b), "b\n");

  // A save that cannot happen keeps the editor on its script, with the text.
  SetWindowTextW(Item(IDC_CODE_BOX), L"a\x0E01\r\n");
  MessageBoxAnswer answer;
  Step(VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return answer.answered() && ControlText(names) == a; }));
  EXPECT_EQ(answer.Text(), Format(editor_texts::kSaveNotGbk, 1));
  EXPECT_EQ(ControlTextWide(Item(IDC_CODE_BOX)), L"a\x0E01\r\n");
  EXPECT_EQ(TempFolder::ReadBytes(a), "a 改过\r\r\n");

  // The session's end saves what closing would save.
  SetControlText(Item(IDC_CODE_BOX), "a 最后\r\n");
  EXPECT_TRUE(SendMessageW(editor_.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(TempFolder::ReadBytes(a), "a 最后\r\r\n");
}

// A script too large to read (a sparse file of 600 MB) is said when it
// opens, and nothing writes the empty code box over it.
TEST_F(EditorFiles, AScriptThatCannotBeReadIsNeverWrittenOver) {
  const std::string big = folder_.File("大.txt");
  HANDLE file = CreateFileW(Widen(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = 600LL << 20;
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
  CloseHandle(file);
  const auto size = [&] { return platform_.platform().files.FileSize(big).value_or(0); };
  const std::string said = Format(editor_texts::kScriptUnreadable, big.c_str());
  for (int opening = 0; opening < 2; ++opening) {
    MessageBoxAnswer answer;
    OpenOn(big);
    EXPECT_EQ(answer.Text(), said);
    if (opening == 0) SendMessageW(editor_.hwnd(), WM_CLOSE, 0, 0);  // the close box
  }
  EXPECT_EQ(size(), 600ULL << 20);
  MessageBoxAnswer refused;
  SendMessageW(Item(IDC_SAVE_SCRIPT), BM_CLICK, 0, 0);
  EXPECT_EQ(refused.Text(), Format(editor_texts::kSaveRefusedUnreadable, big.c_str()));
  EXPECT_TRUE(editor_.CloseSaving());  // closing the program
  EXPECT_EQ(size(), 600ULL << 20);
}

// A long script goes into the code box a slice at a time, the editor busy
// meanwhile; a close then writes nothing (the file holds it all).
TEST_F(EditorFiles, AScriptStillGoingInIsNeverWritten) {
  std::string file;
  for (int i = 0; i < 30000; ++i) file += "-- 第" + std::to_string(i) + "行\n";  // a save writes CR CR LF
  const std::string path = folder_.File("长.txt");
  ASSERT_TRUE(TempFolder::WriteBytes(path, file));
  OpenOn(path);
  ASSERT_FALSE(IsWindowEnabled(editor_.hwnd()));
  EXPECT_TRUE(editor_.CloseSaving());
  EXPECT_EQ(TempFolder::ReadBytes(path), file);
}

}  // namespace
}  // namespace tora
