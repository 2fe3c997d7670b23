// Opening a multi-megabyte script in the editor, measured from outside: a
// copy of the given program starts with a 5.4 MB script of 5,000 tasks in
// setup.ini, "设置按键" is clicked, and a second thread of this bench asks
// the program's main window a question (WM_NULL) every 50 ms meanwhile.
// Prints how long the editor took to hold the whole script, and the longest
// time the program left a question unanswered. Then, in this process, the
// same text is put into a bare edit control of the code box's kind (same
// styles, same font) in one go: that is what the edit control costs by
// itself; and the program's own part of a load (decoding the file, its line
// ends, the conversion to UTF-16) is timed on the same bytes. A measurement,
// not a test:
//   scripts/wine-run.sh build/win64/tests/editor_load_bench.exe TORA_EXE
// TORA_EXE is a Unix path.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "editor/script_file.h"
#include "engine/script_text.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "res/main_window.h"
#include "tests/e2e/tora_harness.h"

using namespace tora_e2e;

namespace {

constexpr int kCodeBox = 1077;

// 5,000 tasks of 36 key and mouse rows each: about 5.4 MB, the size of the
// script that froze the program in a long run.
std::string Script() {
  std::string text;
  for (int task = 1; task <= 5000; ++task) {
    const std::string name = "动作_" + std::to_string(task);
    text += name + "={\r\r\n";
    for (int row = 0; row < 36; ++row)
      text += row % 2 ? "{\"按键\",\"Ctrl+A,1\"},\r\r\n" : "{\"左键单击\",\"" + std::to_string(100 + row) + ",200,绝对,1\"},\r\r\n";
    text += "  }\r\r\n重复动作(\"" + name + "\",3,\"0\",\"0\",\"0\",0)\r\r\n\r\r\n";
  }
  return text;
}

// The code box's text as the editor shows it: CR LF line ends.
std::wstring Shown(const std::string& file) {
  std::string box;
  box.reserve(file.size());
  for (size_t i = 0; i < file.size(); ++i)
    if (!(file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\r')) box += file[i];
  return W(box);
}

DWORD TimeBareEdit(const std::wstring& text) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                  ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL,
                              0, 0, 600, 500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                           FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           FIXED_PITCH | FF_MODERN, W("宋体").c_str());
  ReleaseDC(nullptr, screen);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  const DWORD start = GetTickCount();
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  UpdateWindow(edit);
  const DWORD took = GetTickCount() - start;
  DestroyWindow(edit);
  DeleteObject(font);
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_load_bench.exe TORA_EXE\n");
    return 2;
  }
  Folder folder;
  if (!CopyFileW(FromUnixPath(argv[1]).c_str(), folder.File(L"tora.exe").c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", argv[1]);
    return 1;
  }
  const std::string file = Script();
  const std::wstring shown = Shown(file);
  const std::wstring script = folder.File(W("大脚本.txt"));
  WriteBytes(script, file);
  WriteBytes(folder.File(L"setup.ini"), std::string("[") + tora::texts::kSetupSection + "]\r\n" +
                                            tora::texts::kSetupKeyScript + "=" + Gbk(script) + "\r\n");
  Tora tora(folder);
  if (!tora.Start() || !tora.WaitMainWindow()) {
    std::fprintf(stderr, "the program did not come up\n");
    return 1;
  }
  std::printf("script: %zu bytes, %zu characters in the code box\n", file.size(), shown.size());

  std::atomic<bool> done{false};
  std::atomic<DWORD> longest{0};
  HWND main = tora.main();
  std::thread prober([&] {
    while (!done) {
      const DWORD asked = GetTickCount();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
      const DWORD waited = GetTickCount() - asked;
      if (waited > longest) longest = waited;
      Sleep(50);
    }
  });
  const DWORD clicked = GetTickCount();
  tora.Click(IDC_SETUP_KEYS);
  HWND editor = nullptr;
  const bool whole = WaitFor(
      [&] {
        if (!editor) editor = tora.FindEditor();
        DWORD_PTR length = 0;
        return editor && SendMessageTimeoutW(GetDlgItem(editor, kCodeBox), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                                             120000, &length) &&
               length == shown.size();
      },
      300000);
  const DWORD loaded = GetTickCount() - clicked;
  done = true;
  prober.join();
  std::printf("program: whole script in the code box after %lu ms%s; longest unanswered question %lu ms\n",
              static_cast<unsigned long>(loaded), whole ? "" : " (NOT REACHED)",
              static_cast<unsigned long>(longest.load()));
  std::printf("bare edit control: the same text set in one go took %lu ms\n",
              static_cast<unsigned long>(TimeBareEdit(shown)));
  const DWORD decoding = GetTickCount();
  const std::wstring converted = tora::Widen(tora::CodeBoxTextFromFile(tora::DecodeScriptFile(file).gbk));
  std::printf("the program's own part (decode, line ends, UTF-16): %lu ms%s\n",
              static_cast<unsigned long>(GetTickCount() - decoding), converted == shown ? "" : " (TEXT DIFFERS)");
  std::fflush(stdout);
  if (editor) PostMessageW(GetDlgItem(editor, 1071), BM_CLICK, 0, 0);  // 关闭不保存
  return tora.Close(60000) ? 0 : 1;
}
