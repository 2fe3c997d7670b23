// The editor's find pages in the real program: a picture cut from the
// screen and turned into a fixed-mode condition gates an absolute click
// where it was cut; colour points taken with F11 and turned into a 活动
// condition over the whole screen gate a click relative to where they are
// found. Both when the saved script runs.
#include <gtest/gtest.h>
#include <windowsx.h>

#include <atomic>
#include <cstdio>
#include <functional>

#include "engine/texts.h"
#include "res/find_color_page.h"
#include "res/find_image_page.h"
#include "res/main_window.h"
#include "tests/e2e/tora_harness.h"
#include "tools/texts.h"

namespace tora_e2e {
namespace {

// The painted picture: every pixel its own colour.
COLORREF PictureColour(int x, int y) { return RGB(20 + 3 * x, 240 - 5 * y, 90 + x + y); }

// Two marks on white, the second 2 pixels right of and below the first.
constexpr COLORREF kMark1 = RGB(0x13, 0x57, 0x9B);
constexpr COLORREF kMark2 = RGB(0x24, 0x68, 0xAC);

std::atomic<int> g_click_x{-1};
std::atomic<int> g_click_y{-1};

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const bool marks = GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 1;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) SetPixel(dc, x, y, marks ? RGB(255, 255, 255) : PictureColour(x, y));
    if (marks) {
      SetPixel(dc, 30, 20, kMark1);
      SetPixel(dc, 32, 22, kMark2);
    }
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

// A left-button drag between two screen points, as the system's input, on
// the window that must be under the start point, until done() holds: the X
// server may still show another window there for a moment after Wine has
// put the new one on top, so a drag that found no taker is repeated.
bool Drag(HWND on, POINT from, POINT to, const std::function<bool()>& done) {
  if (!WaitFor([&] { return WindowFromPoint(from) == on; })) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetCursorPos(from.x, from.y);
    WaitFor([] { return false; }, 100);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    WaitFor([] { return false; }, 150);
    SetCursorPos(to.x, to.y);
    WaitFor([] { return false; }, 150);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    if (WaitFor(done, 2500)) return true;
  }
  return false;
}

// A painted window of the test over everything, and the program with its
// editor open.
class FindPages : public ::testing::Test {
 protected:
  // marks: two colour marks on white; else the picture.
  void Open(RECT at, bool marks) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PictureProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ToraE2EPicture";
    RegisterClassW(&wc);
    target_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, at.left, at.top,
                              at.right - at.left, at.bottom - at.top, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(target_);
    SetWindowLongPtrW(target_, GWLP_USERDATA, marks ? 1 : 0);
    InvalidateRect(target_, nullptr, TRUE);
    g_click_x = -1;
    // The editor opens the default script; an empty one spares its notice.
    ASSERT_TRUE(WriteBytes(folder_.File(W("默认脚本.txt")), ""));
    ASSERT_TRUE(tora_.Start());
    ASSERT_TRUE(tora_.WaitMainWindow());
    tora_.Click(IDC_SETUP_KEYS);
    const std::wstring caption = W("按键设置");
    editor_ = WaitWindow(tora_.pid(), [&](HWND w) { return WindowText(w) == caption; });
    ASSERT_TRUE(editor_);
  }

  // Adds a task of the row gated on the condition, saves the script and
  // runs it until a click reaches the painted window.
  void RunGated(const std::string& row, const std::string& condition) {
    g_click_x = -1;  // a press of the drags that missed its window
    SetText(GetDlgItem(editor_, 1009), row);
    SetText(GetDlgItem(editor_, 1116), condition);
    SetText(GetDlgItem(editor_, 1030), "0.5");
    Press(editor_, 1031);  // 添加代码
    ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(editor_, 1009)).empty(); }));
    Press(editor_, 1129);  // 保存脚本: the main window now runs this script
    WaitFor([] { return false; }, 500);
    tora_.Click(IDC_START);
    EXPECT_TRUE(WaitFor([] { return g_click_x >= 0; }, 15000)) << "no click reached the painted window";
    tora_.Click(IDC_STOP);
  }

  void TearDown() override {
    if (target_) DestroyWindow(target_);
    EXPECT_TRUE(tora_.Close());
  }

  Folder folder_;
  Tora tora_{folder_};
  HWND target_ = nullptr;
  HWND editor_ = nullptr;
};

TEST_F(FindPages, CutPictureGatesAnAbsoluteClickWhereItWasCut) {
  Open(RECT{600, 420, 660, 460}, false);
  HWND page = ChildWith(GetDlgItem(editor_, 1082), IDC_FI_CUT);
  ASSERT_TRUE(page);
  Tora& tora = tora_;
  HWND editor = editor_;
  Folder& folder = folder_;

  Press(page, IDC_FI_CUT);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  HWND overlay = WaitWindow(tora.pid(), [&](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.left == 0 && r.top == 0 && r.right == screen_w && w != tora.main() && w != editor;
  });
  ASSERT_TRUE(overlay);
  // The cut comes from the capture taken before the overlay showed; the
  // painted window (topmost itself) goes below it now, so that the drag
  // reaches the overlay whatever the window manager's order of the two.
  SetWindowPos(target_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(target_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Bottom-right to top-left: a 20 x 15 cut at (610, 430).
  HWND strip = nullptr;
  ASSERT_TRUE(Drag(overlay, POINT{630, 445}, POINT{610, 430}, [&] {
    strip = WaitWindow(tora.pid(), [&](HWND w) { return GetWindow(w, GW_OWNER) == overlay; }, 0);
    return strip != nullptr;
  }));
  PostMessageW(strip, WM_COMMAND, IDOK, 0);
  const std::wstring title = W(tora::tool_texts::kSaveCutTitle);
  HWND save = WaitWindow(tora.pid(), [&](HWND w) { return WindowText(w) == title; });
  ASSERT_TRUE(save);
  const std::wstring bmp = folder.File(W("切图.bmp"));
  HWND name = GetDlgItem(save, 0x47C);
  HWND name_edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
  SendMessageW(name_edit ? name_edit : name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bmp.c_str()));
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(page, IDC_FI_POSITION)) == L"610,430"; }));

  SetText(GetDlgItem(page, IDC_FI_NAME), "图");
  Press(page, IDC_FI_CONDITION);
  ASSERT_TRUE(WaitFor([&] {
    return WindowText(GetDlgItem(editor, 1077)).find(W("找图像条件(\"图\",\"固定\",\"610,430\",50,\"")) == 0;
  }));
  // An absolute click in the picture, gated on the picture being there.
  SetWindowPos(target_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // 测试条件 looks at the screen with the program out of the way, answers,
  // and the program is back.
  Press(page, IDC_FI_TEST);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(tora.main()) != FALSE; }, 3000));
  HWND box = tora.WaitMessageBox(10000);
  ASSERT_TRUE(box);
  char holds[64];
  std::snprintf(holds, sizeof holds, tora::texts::kCheckHolds, tora::texts::kCheckUnitSample);
  EXPECT_EQ(Tora::MessageBoxText(box), W(holds));
  EXPECT_FALSE(IsIconic(tora.main()));
  Tora::Dismiss(box);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 3000));
  RunGated("{\"左键单击\",\"620,440,绝对,0\"},\r\n", "找图像条件(图)");
  EXPECT_EQ(g_click_x, 20);
  EXPECT_EQ(g_click_y, 20);
}

TEST_F(FindPages, PointsTakenWithF11GateAClickRelativeToWhereTheyAreFound) {
  Open(RECT{300, 500, 400, 560}, true);
  HWND page = ChildWith(GetDlgItem(editor_, 1082), IDC_FC_POINTS);
  ASSERT_TRUE(page);
  // "图像工具" brings the find-colour tab to the front, where F11 takes points.
  Press(editor_, 1083);
  HWND points = GetDlgItem(page, IDC_FC_POINTS);
  const std::wstring expected = W("{330,520,\"==\",0x9b5713},\r\n{332,522,\"==\",0xac6824},\r\n");
  // Wine may still report an older pointer position to the program right
  // after the test moved it: a point taken at the wrong place starts the
  // two points again (全删 empties the list).
  for (int round = 0; round < 3 && WindowText(points) != expected; ++round) {
    Press(page, IDC_FC_CLEAR);
    ASSERT_TRUE(WaitFor([&] { return WindowText(points).empty(); }, 3000));
    for (POINT mark : {POINT{330, 520}, POINT{332, 522}}) {
      const size_t before = WindowText(points).size();
      SetCursorPos(mark.x, mark.y);
      // Wine's focus follows the window manager with a lag: a press that did
      // not arrive is repeated.
      bool taken = false;
      for (int attempt = 0; attempt < 3 && !taken; ++attempt) {
        Focus(editor_);
        keybd_event(VK_F11, 0, 0, 0);
        keybd_event(VK_F11, 0, KEYEVENTF_KEYUP, 0);
        taken = WaitFor([&] { return WindowText(points).size() > before; }, 2500);
      }
      ASSERT_TRUE(taken) << "F11 took no point";
    }
  }
  EXPECT_EQ(WindowText(points), expected);
  SendDlgItemMessageW(page, IDC_FC_MODE, CB_SETCURSEL, 1, 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FC_MODE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_FC_MODE)));
  SendDlgItemMessageW(page, IDC_FC_RANGE, CB_SETCURSEL, 2, 0);  // 全屏
  SetText(GetDlgItem(page, IDC_FC_NAME), "色");
  Press(page, IDC_FC_CONDITION);
  ASSERT_TRUE(WaitFor([&] { return WindowText(points).empty(); }));
  RunGated("{\"左键单击\",\"5,7,相对(条件返回),0\"},\r\n", "找颜色点条件(色)");
  EXPECT_EQ(g_click_x, 35);
  EXPECT_EQ(g_click_y, 27);
}

}  // namespace
}  // namespace tora_e2e
