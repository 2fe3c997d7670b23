// The editor's find-image page in the real program: a picture cut from the
// screen with the screen cut and turned into a fixed-mode condition gates
// an absolute click, which lands where the picture was cut when the saved
// script runs.
#include <gtest/gtest.h>
#include <windowsx.h>

#include <atomic>
#include <functional>

#include "res/page_find_pic.h"
#include "res/resource.h"
#include "tests/e2e/tora_harness.h"
#include "tools/texts.h"

namespace tora_e2e {
namespace {

// The painted picture: every pixel its own colour.
COLORREF PictureColour(int x, int y) { return RGB(20 + 3 * x, 240 - 5 * y, 90 + x + y); }

std::atomic<int> g_click_x{-1};
std::atomic<int> g_click_y{-1};

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) SetPixel(dc, x, y, PictureColour(x, y));
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_LBUTTONDOWN && g_click_x < 0) {
    g_click_y = GET_Y_LPARAM(lparam);
    g_click_x = GET_X_LPARAM(lparam);
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

struct Found {
  DWORD pid;
  std::function<bool(HWND)> wanted;
  HWND hwnd = nullptr;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != f->pid || !IsWindowVisible(hwnd) || !f->wanted(hwnd)) return TRUE;
  f->hwnd = hwnd;
  return FALSE;
}

// A visible top-level window of the program that passes the test.
HWND WaitWindow(DWORD pid, const std::function<bool(HWND)>& wanted, DWORD ms = 10000) {
  Found found{pid, wanted};
  WaitFor([&] {
    EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&found));
    return found.hwnd != nullptr;
  }, ms);
  return found.hwnd;
}

HWND ChildWith(HWND parent, int id) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgItem(child, id)) return child;
  return nullptr;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetText(HWND control, const std::string& gbk) { SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(gbk).c_str())); }

void Drag(POINT from, POINT to) {
  SetCursorPos(from.x, from.y);
  WaitFor([] { return false; }, 100);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  WaitFor([] { return false; }, 150);
  SetCursorPos(to.x, to.y);
  WaitFor([] { return false; }, 150);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

TEST(FindImagePage, CutPictureGatesAnAbsoluteClickWhereItWasCut) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PictureProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ToraE2EPicture";
  RegisterClassW(&wc);
  HWND picture = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 600, 420, 60, 40,
                                 nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(picture);
  g_click_x = -1;

  Folder folder;
  // The editor opens the default script; an empty one spares its notice.
  ASSERT_TRUE(WriteBytes(folder.File(W("默认脚本.txt")), ""));
  Tora tora(folder);
  ASSERT_TRUE(tora.Start());
  ASSERT_TRUE(tora.WaitMainWindow());
  tora.Click(IDC_SETUP_KEYS);
  const std::wstring caption = W("按键设置");
  HWND editor = WaitWindow(tora.pid(), [&](HWND w) { return WindowText(w) == caption; });
  ASSERT_TRUE(editor);
  HWND page = ChildWith(GetDlgItem(editor, 1082), IDC_FP_CUT);
  ASSERT_TRUE(page);

  Press(page, IDC_FP_CUT);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  HWND overlay = WaitWindow(tora.pid(), [&](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.left == 0 && r.top == 0 && r.right == screen_w && w != tora.main() && w != editor;
  });
  ASSERT_TRUE(overlay);
  WaitFor([] { return false; }, 300);
  Drag(POINT{630, 445}, POINT{610, 430});  // bottom-right to top-left: a 20 x 15 cut at (610, 430)
  HWND strip = WaitWindow(tora.pid(), [&](HWND w) { return GetWindow(w, GW_OWNER) == overlay; });
  ASSERT_TRUE(strip);
  PostMessageW(strip, WM_COMMAND, IDOK, 0);
  const std::wstring title = W(tora::tool_texts::kSaveCutTitle);
  HWND save = WaitWindow(tora.pid(), [&](HWND w) { return WindowText(w) == title; });
  ASSERT_TRUE(save);
  const std::wstring bmp = folder.File(W("切图.bmp"));
  HWND name = GetDlgItem(save, 0x47C);
  HWND name_edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
  SendMessageW(name_edit ? name_edit : name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bmp.c_str()));
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(page, IDC_FP_POSITION)) == L"610,430"; }));

  // What was saved is the undimmed picture, 20 x 15 at 24 bits.
  std::string file;
  ASSERT_TRUE(ReadBytes(bmp, file));
  ASSERT_EQ(file.size(), 54u + 15 * 60);
  const size_t top_left = 54 + 14 * 60;  // the last stored row is the top one
  EXPECT_EQ(static_cast<uint8_t>(file[top_left]), GetBValue(PictureColour(10, 10)));
  EXPECT_EQ(static_cast<uint8_t>(file[top_left + 2]), GetRValue(PictureColour(10, 10)));

  SetText(GetDlgItem(page, IDC_FP_NAME), "图");
  Press(page, IDC_FP_CONDITION);
  ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(editor, 1077)).find(W("找图像条件(\"图\",\"固定\",\"610,430\",50,\"")) == 0; }));
  // An absolute click in the picture, gated on the picture being there.
  SetText(GetDlgItem(editor, 1009), "{\"左键单击\",\"620,440,绝对,0\"},\r\n");
  SetText(GetDlgItem(editor, 1116), "找图像条件(图)");
  SetText(GetDlgItem(editor, 1030), "0.5");
  Press(editor, 1031);  // 添加代码
  ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(editor, 1009)).empty(); }));
  Press(editor, 1129);  // 保存脚本: the main window now runs this script
  WaitFor([] { return false; }, 500);

  tora.Click(IDC_START);
  EXPECT_TRUE(WaitFor([] { return g_click_x >= 0; }, 15000)) << "no click reached the picture";
  tora.Click(IDC_STOP);
  EXPECT_EQ(g_click_x, 20);
  EXPECT_EQ(g_click_y, 20);
  DestroyWindow(picture);
  EXPECT_TRUE(tora.Close());
}

}  // namespace
}  // namespace tora_e2e
