// The editor's window page, the image tool and the magnifier on real
// windows: created in-process from their templates and driven with messages
// and synthetic input.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "editor/page_texts.h"
#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/window_page.h"
#include "editor/window_page_logic.h"
#include "engine/text_util.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "res/image_tool.h"
#include "res/magnifier.h"
#include "res/window_page.h"
#include "tests/native/bmp_builder.h"
#include "tests/win/page_host_stand_in.h"
#include "tests/win/win_test_util.h"
#include "tools/image_tool.h"
#include "tools/magnifier.h"
#include "tools/texts.h"
#include "ui/controls.h"
#include "ui/fault_guard.h"
#include "ui/messages.h"
#include "ui/texts.h"

namespace tora {
namespace {

using test::MessageBoxAnswer;
using test::PumpMessages;
using test::PumpUntil;
using test::TestWindow;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::string Text(HWND parent, int id) { return ControlText(GetDlgItem(parent, id)); }

TestWindow::Options Painted(const wchar_t* title, RECT rect, COLORREF colour) {
  TestWindow::Options o;
  o.title = title;
  o.class_name = L"ToraToolTarget";
  o.style = WS_POPUP | WS_VISIBLE;
  o.rect = rect;
  o.paint = [colour](HDC dc, const RECT& r) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
  };
  return o;
}

// The window page's item for a test window.
std::string ItemOf(HWND window, const char* title) {
  return WindowItemText(static_cast<ItemHandleValue>(reinterpret_cast<intptr_t>(window)), "ToraToolTarget", title);
}

// A stand-in for the editor: the code box and the interval box the page
// reads and writes, and a parent for the page.
class WindowPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 700, 500, 500, 250, nullptr, nullptr,
                              Instance(), nullptr);
    HWND code = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 0, 0, 10, 10,
                                editor_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CODE_BOX)), Instance(),
                                nullptr);
    HWND interval = CreateWindowExW(0, L"EDIT", L"3", WS_CHILD, 0, 0, 10, 10, editor_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1030)), Instance(), nullptr);
    host_.Use(code, nullptr, interval);
    ASSERT_TRUE(page_.CreatePage(Instance(), editor_, host_));
    ShowWindow(page_.hwnd(), SW_SHOW);
  }
  void TearDown() override {
    page_.Destroy();
    DestroyWindow(editor_);
  }
  HWND Page(int id) const { return GetDlgItem(page_.hwnd(), id); }
  void Choose(int combo, const std::string& item) {
    const LRESULT at = SendMessageW(Page(combo), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(Widen(item).c_str()));
    ASSERT_NE(at, CB_ERR) << item;
    SendMessageW(Page(combo), CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageW(page_.hwnd(), WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Page(combo)));
  }
  RECT Where(HWND window) {
    PumpMessages(30);
    RECT r{};
    GetWindowRect(window, &r);
    return r;
  }

  HWND editor_ = nullptr;
  test::PageHostStandIn host_;
  WindowPage page_;
};

TEST_F(WindowPageTest, ListedWindowIsMovedPinnedAndWrittenAsACall) {
  TestWindow target(Painted(L"窗口页 目标", RECT{300, 200, 700, 500}, RGB(1, 2, 3)));
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  SendMessageW(page_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WIN_WINDOW, CBN_DROPDOWN), 0);
  Choose(IDC_WIN_WINDOW, ItemOf(target.hwnd(), "窗口页 目标"));  // "左上角" from the start
  EXPECT_EQ(Where(target.hwnd()).left, 0);
  EXPECT_EQ(Where(target.hwnd()).top, 0);
  EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_WIDTH), "400");
  EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_HEIGHT), "300");
  Choose(IDC_WIN_CORNER, "右下角");
  EXPECT_EQ(Where(target.hwnd()).left, area.right - area.left - 400);
  EXPECT_EQ(Where(target.hwnd()).top, area.bottom - area.top - 300);

  SendMessageW(Page(IDC_WIN_TOPMOST), BM_CLICK, 0, 0);
  SendMessageW(Page(IDC_WIN_APPLY_TOPMOST), BM_CLICK, 0, 0);
  EXPECT_NE(GetWindowLongW(target.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SendMessageW(Page(IDC_WIN_TOPMOST), BM_CLICK, 0, 0);  // cleared: no longer pinned
  EXPECT_EQ(GetWindowLongW(target.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  SetControlText(GetDlgItem(editor_, IDC_CODE_BOX), "-- rest\r\n");
  SetControlText(Page(IDC_WIN_DESCRIPTION), "目标");
  SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
  EXPECT_EQ(ControlText(GetDlgItem(editor_, IDC_CODE_BOX)),
            "窗口操作(\"目标\",\"窗口页 目标\",\"右下角\",\"不置顶\",400,300,3)\r\n\r\n-- rest\r\n");
  for (int id : {IDC_WIN_WINDOW, IDC_WIN_DESCRIPTION, IDC_WIN_WIDTH, IDC_WIN_HEIGHT})
    EXPECT_EQ(Text(page_.hwnd(), id), "") << id;
}

// The handle of a closed window may be given to another window: it is
// neither moved nor pinned, and the user hears why.
TEST_F(WindowPageTest, ClosedWindowIsToldNotMoved) {
  auto target = std::make_unique<TestWindow>(Painted(L"窗口页 关闭", RECT{300, 200, 500, 300}, RGB(1, 2, 3)));
  const std::string item = ItemOf(target->hwnd(), "窗口页 关闭");
  SendMessageW(page_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WIN_WINDOW, CBN_DROPDOWN), 0);
  target.reset();
  MessageBoxAnswer answer;
  Choose(IDC_WIN_WINDOW, item);
  EXPECT_EQ(answer.Text(), editor_texts::kWindowGone);
}

// What the call cannot hold is said and nothing is written: a size pasted
// past the box's digits-only style, a title GBK cannot hold (its class can
// be taken instead).
TEST_F(WindowPageTest, SizesAndTitlesTheCallCannotHoldAreSaid) {
  HWND code = GetDlgItem(editor_, IDC_CODE_BOX);
  SetControlText(code, "-- rest\r\n");
  const std::wstring item =
      L"(ID:" + std::to_wstring(reinterpret_cast<intptr_t>(editor_)) + L"|ToraToolTarget) 标题\x0E01";
  SetWindowTextW(Page(IDC_WIN_WINDOW), item.c_str());
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    const std::wstring pasted = Widen("3秒");
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
  }
  SendMessageW(Page(IDC_WIN_WIDTH), WM_PASTE, 0, 0);
  ASSERT_EQ(Text(page_.hwnd(), IDC_WIN_WIDTH), "3秒");
  {
    MessageBoxAnswer answer;
    SendMessageW(Page(IDC_WIN_USE_CLASS), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
    EXPECT_EQ(answer.Text(), editor_texts::kBadWidth);
  }
  SetControlText(Page(IDC_WIN_WIDTH), "640");
  {
    MessageBoxAnswer answer;
    SendMessageW(Page(IDC_WIN_USE_CLASS), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
    EXPECT_EQ(answer.Text().rfind(editor_texts::kTitleNotGbkBefore, 0), 0u) << answer.Text();
  }
  SendMessageW(Page(IDC_WIN_USE_CLASS), BM_SETCHECK, BST_CHECKED, 0);
  // No item, only shaped like one: the call would take the text whole.
  SetWindowTextW(Page(IDC_WIN_WINDOW), L"(ID:0|ToraToolTarget) 标题\x0E01");
  {
    MessageBoxAnswer answer;
    SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
    EXPECT_EQ(answer.Text().rfind(Format(page_texts::kNotGbkBefore, editor_texts::kFieldWindowName), 0), 0u)
        << answer.Text();
  }
  SetWindowTextW(Page(IDC_WIN_WINDOW), item.c_str());
  SetWindowTextW(Page(IDC_WIN_DESCRIPTION), L"说明\x0E01");
  {
    MessageBoxAnswer answer;
    SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
    EXPECT_EQ(answer.Text().rfind(Format(page_texts::kNotGbkBefore, editor_texts::kFieldDescription), 0), 0u)
        << answer.Text();
  }
  EXPECT_EQ(ControlText(code), "-- rest\r\n");
  SetControlText(Page(IDC_WIN_DESCRIPTION), "");
  SendMessageW(Page(IDC_WIN_ADD), BM_CLICK, 0, 0);
  EXPECT_EQ(ControlText(code).rfind("窗口操作(\"2\",\"ToraToolTarget\",\"左上角\",\"不置顶\",640,", 0), 0u)
      << ControlText(code);
}

TEST_F(WindowPageTest, MousePickingTakesTheClickedWindow) {
  TestWindow target(Painted(L"点我", RECT{100, 100, 300, 200}, RGB(9, 9, 9)));
  SendMessageW(Page(IDC_WIN_PICK), BM_CLICK, 0, 0);
  ASSERT_TRUE(page_.picking());
  EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_PICK), editor_texts::kPickStop);
  SetCursorPos(150, 150);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  const std::string item = ItemOf(target.hwnd(), "点我");
  EXPECT_TRUE(PumpUntil([&] { return Text(page_.hwnd(), IDC_WIN_WINDOW) == item; }))
      << Text(page_.hwnd(), IDC_WIN_WINDOW);
  EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_PICK), editor_texts::kPickTaken);
  SendMessageW(Page(IDC_WIN_PICK), BM_CLICK, 0, 0);
  EXPECT_FALSE(page_.picking());
  EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_PICK), editor_texts::kPickWindow);
}

// A window that reports a title length of the test's choosing, and answers
// WM_GETTEXT with the same number whatever it copied.
LRESULT g_reported = 0;
LRESULT CALLBACK Misreporting(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETTEXTLENGTH) return g_reported;
  if (msg != WM_GETTEXT) return DefWindowProcW(hwnd, msg, wp, lp);
  if (wp > 0) lstrcpynW(reinterpret_cast<wchar_t*>(lp), L"怪窗", static_cast<int>(wp < 3 ? wp : 3));
  return g_reported;
}

bool Lists(HWND combo, const std::string& item) {
  const std::wstring text = Widen(item);
  return SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) != CB_ERR;
}

// No title length is trusted by the window page's list, its picking (which
// names the top-level window, not the control clicked in it) or the image
// tool's list.
TEST_F(WindowPageTest, WindowsThatMisreportTheirTitlesLengthAreListedAndPicked) {
  TestWindow odd(Painted(L"", RECT{100, 100, 300, 250}, RGB(1, 2, 3)));
  SetWindowLongPtrW(odd.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Misreporting));
  HWND child = CreateWindowExW(0, L"EDIT", L"里面", WS_CHILD | WS_VISIBLE, 20, 20, 100, 40, odd.hwnd(), nullptr,
                               Instance(), nullptr);
  ImageTool tool;
  ASSERT_TRUE(tool.Open(Instance()));
  SendMessageW(Page(IDC_WIN_PICK), BM_CLICK, 0, 0);
  const long long handle = reinterpret_cast<intptr_t>(odd.hwnd());
  for (const LRESULT reported : {LRESULT{-1}, LRESULT{0x7FFFFFFF}, LRESULT{1} << 40}) {
    g_reported = reported;
    SendMessageW(page_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_WIN_WINDOW, CBN_DROPDOWN), 0);
    EXPECT_TRUE(Lists(Page(IDC_WIN_WINDOW), ItemOf(odd.hwnd(), "怪窗"))) << reported;
    SendMessageW(tool.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_IMAGE_TARGET, CBN_DROPDOWN), 0);
    EXPECT_TRUE(Lists(GetDlgItem(tool.hwnd(), IDC_IMAGE_TARGET), Format(tool_texts::kTargetItem, handle, "怪窗")));
    SetControlText(Page(IDC_WIN_WINDOW), "");
    SendMessageW(page_.hwnd(), kMsgWindowPicked, 125, 125);  // inside the edit control
    EXPECT_EQ(Text(page_.hwnd(), IDC_WIN_WINDOW), ItemOf(odd.hwnd(), "怪窗")) << reported;
  }
  SendMessageW(Page(IDC_WIN_PICK), BM_CLICK, 0, 0);
  DestroyWindow(child);
}

// An exception in a window's handler ends in a status line; the window and
// the program go on.
TEST(FaultGuard, AnExceptionInAHandlerBecomesAStatusLine) {
  class Failing : public DialogBase {
   protected:
    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) override {
      if (message == WM_APP) throw std::bad_alloc();
      return FALSE;
    }
  } dialog;
  std::vector<std::string> lines;
  SetFaultReporter([&](const std::string& line) { lines.push_back(line); });
  ASSERT_TRUE(dialog.CreateModeless(Instance(), IDD_IMAGE_TOOL, nullptr));
  SendMessageW(dialog.hwnd(), WM_APP, 0, 0);
  SendMessageW(dialog.hwnd(), WM_APP, 0, 0);
  SetFaultReporter(nullptr);
  EXPECT_TRUE(IsWindow(dialog.hwnd()));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], Format(ui_texts::kFaultLine, ui_texts::kFaultNoMemory));
  dialog.Destroy();
}

constexpr COLORREF PicColour(int x, int y) { return RGB(10 + 3 * x, 20 + 2 * y, 200 - x - y); }

class ImageToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tool_.Open(Instance()));
    SetWindowPos(tool_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages(50);
  }
  ImageTool tool_;
};

TEST_F(ImageToolTest, BmpIsShownAtOneOneAndF11PointsArePicturePixels) {
  test::TempFolder folder;
  test::BmpRecipe recipe;
  recipe.width = 1000;
  recipe.height = 20;
  const std::string path = folder.File("图.bmp");
  ASSERT_TRUE(test::TempFolder::WriteBytes(
      path, test::BuildBmp(recipe, [](int32_t x, int32_t y) { return static_cast<uint32_t>(PicColour(x, y)); })));
  tool_.OpenPictureFile(path);
  ASSERT_TRUE(tool_.has_picture());
  EXPECT_EQ(Text(tool_.hwnd(), IDC_IMAGE_NAME), path);
  EXPECT_EQ(tool_.PictureSize().cx, 1000);
  tool_.Scroll(true, SB_LINERIGHT, 0);  // offset 10: picture column 10 at view column 1
  EXPECT_EQ(tool_.h_offset(), 10);
  UpdateWindow(tool_.hwnd());
  PumpMessages(50);

  HWND view = GetDlgItem(tool_.hwnd(), IDC_IMAGE_VIEW);
  POINT at{5, 7};
  ClientToScreen(view, &at);
  ScreenDc screen;
  EXPECT_EQ(GetPixel(screen.get(), at.x, at.y), PicColour(14, 6));
  POINT picture{};
  ASSERT_TRUE(tool_.PicturePoint(at, picture));
  EXPECT_EQ(picture.x, 14);
  EXPECT_EQ(picture.y, 6);
  // Not a BMP: said so, and the picture shown stays.
  const std::string other = folder.File("图.txt");
  ASSERT_TRUE(test::TempFolder::WriteBytes(other, "XY not a picture"));
  MessageBoxAnswer answer;
  tool_.OpenPictureFile(other);
  EXPECT_EQ(answer.Text(), tool_texts::kOnlyBmp);
  EXPECT_EQ(Text(tool_.hwnd(), IDC_IMAGE_NAME), other);
  EXPECT_EQ(tool_.PictureSize().cx, 1000);

  POINT button{2, 2};
  ClientToScreen(GetDlgItem(tool_.hwnd(), IDC_IMAGE_OPEN), &button);
  EXPECT_FALSE(tool_.PicturePoint(button, picture));
}

TEST_F(ImageToolTest, ScreenshotOfAListedWindowAndOfOneThatClosed) {
  auto target = std::make_unique<TestWindow>(Painted(L"截图目标", RECT{600, 300, 680, 350}, RGB(200, 100, 50)));
  SendMessageW(tool_.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_IMAGE_TARGET, CBN_DROPDOWN), 0);
  const std::string item =
      Format(tool_texts::kTargetItem, static_cast<long long>(reinterpret_cast<intptr_t>(target->hwnd())), "截图目标");
  ASSERT_NE(SendMessageW(GetDlgItem(tool_.hwnd(), IDC_IMAGE_TARGET), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(Widen(item).c_str())),
            CB_ERR);
  SetControlText(GetDlgItem(tool_.hwnd(), IDC_IMAGE_TARGET), item);
  tool_.TakeScreenshot();  // the tool hides itself and waits on a timer
  EXPECT_FALSE(IsWindowVisible(tool_.hwnd()));
  ASSERT_TRUE(PumpUntil([&] { return !tool_.shot_pending(); }));
  EXPECT_TRUE(IsWindowVisible(tool_.hwnd()));
  EXPECT_EQ(tool_.PictureSize().cx, 80);
  EXPECT_EQ(tool_.PictureSize().cy, 50);
  EXPECT_EQ(tool_.PicturePixel(40, 25), RGB(200, 100, 50));

  target.reset();
  CheckDlgButton(tool_.hwnd(), IDC_IMAGE_HIDE_MAIN, BST_UNCHECKED);
  MessageBoxAnswer answer;
  tool_.TakeScreenshot();
  EXPECT_EQ(answer.Text(), tool_texts::kTargetGone);
  EXPECT_EQ(tool_.PicturePixel(40, 25), RGB(200, 100, 50)) << "the last picture stays";
}

TEST_F(ImageToolTest, FullScreenViewComesBackToTheSavedLook) {
  const LONG_PTR style = GetWindowLongPtrW(tool_.hwnd(), GWL_STYLE);
  const LONG_PTR ex_style = GetWindowLongPtrW(tool_.hwnd(), GWL_EXSTYLE);
  RECT before{};
  GetWindowRect(tool_.hwnd(), &before);
  SetForegroundWindow(tool_.hwnd());
  keybd_event(VK_F10, 0, 0, 0);  // the tool's hotkey, wherever the focus is
  keybd_event(VK_F10, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([&] { return tool_.full_screen(); }));
  PumpMessages(100);
  EXPECT_EQ(GetWindowLongPtrW(tool_.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(tool_.hwnd(), IDC_IMAGE_OPEN)));
  RECT view{};
  GetWindowRect(GetDlgItem(tool_.hwnd(), IDC_IMAGE_VIEW), &view);
  EXPECT_EQ(view.right - view.left, GetSystemMetrics(SM_CXSCREEN));
  tool_.ToggleFullScreen();
  PumpMessages(100);
  EXPECT_EQ(GetWindowLongPtrW(tool_.hwnd(), GWL_STYLE), style);
  EXPECT_EQ(GetWindowLongPtrW(tool_.hwnd(), GWL_EXSTYLE), ex_style);
  RECT after{};
  GetWindowRect(tool_.hwnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(tool_.hwnd(), IDC_IMAGE_OPEN)));
}

TEST(Magnifier, ShowsTheColourAndArrowKeysMoveTheCursorOnly) {
  TestWindow target(Painted(L"放大镜目标", RECT{200, 200, 400, 400}, RGB(18, 52, 86)));
  ASSERT_TRUE(target.Focus());
  SetCursorPos(300, 300);
  Magnifier zoom;
  ASSERT_TRUE(zoom.Open(Instance()));
  zoom.Follow();
  EXPECT_EQ(Text(zoom.hwnd(), IDC_MAGNIFIER_COLOUR), "563412");
  EXPECT_EQ(Text(zoom.hwnd(), IDC_MAGNIFIER_POSITION), "300,300");
  // (the window manager may give a new window the focus: it goes back)
  ASSERT_TRUE(target.Focus());

  target.ClearMessages();
  keybd_event(VK_LEFT, 0, 0, 0);
  keybd_event(VK_LEFT, 0, KEYEVENTF_KEYUP, 0);
  keybd_event('A', 0, 0, 0);
  keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([&] { return target.Messages({WM_KEYUP}).size() == 1; }));
  POINT at{};
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 299);
  EXPECT_EQ(at.y, 300);
  for (const test::LoggedMessage& m : target.Messages({WM_KEYDOWN, WM_KEYUP})) EXPECT_EQ(m.wparam, WPARAM{'A'});

  zoom.Close();
  target.ClearMessages();
  keybd_event(VK_LEFT, 0, 0, 0);
  keybd_event(VK_LEFT, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(PumpUntil([&] { return target.Messages({WM_KEYUP}).size() == 1; })) << "the arrow keys are back";
}

// At the screen's right edge the view's area reaches 5 pixels past it: they
// show black, and only that small area is read from the screen.
TEST(Magnifier, AreaPastTheScreenEdgeIsBlack) {
  const int w = GetSystemMetrics(SM_CXSCREEN);
  TestWindow edge(Painted(L"右边", RECT{w - 100, 300, w, 400}, RGB(0, 200, 0)));
  DibCanvas view(81, 63);  // a 27 x 21 area
  ScreenDc screen;
  DrawMagnifiedArea(screen.get(), w, GetSystemMetrics(SM_CYSCREEN), POINT{w - 1, 350}, view.dc(), 81, 63);
  GdiFlush();
  const auto pixel = [&](int x, int y) { return view.bits()[y * 81 + x] & 0xFFFFFFu; };
  EXPECT_EQ(pixel(0, 0), 0x00C800u) << "0x00RRGGBB: the window's green";
  EXPECT_EQ(pixel(60, 60), 0x00C800u);
  EXPECT_EQ(pixel(66, 0), 0u);
  EXPECT_EQ(pixel(80, 62), 0u);
}

}  // namespace
}  // namespace tora
