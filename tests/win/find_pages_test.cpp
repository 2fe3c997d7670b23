// The find-colour and find-image pages and their screen tools, in-process:
// the forms as they start, and rectangles and cuts dragged with injected
// mouse input. (The round trips through the real program are e2e tests.)
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "editor/find_code.h"
#include "editor/condition_trial.h"
#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/find_color_page.h"
#include "editor/win32/find_image_page.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "res/find_color_page.h"
#include "res/find_image_page.h"
#include "tests/win/page_host_stand_in.h"
#include "tests/win/script_run_fixture.h"
#include "tests/win/win_test_util.h"
#include "tools/texts.h"
#include "ui/controls.h"
#include "vision/bmp.h"
#include "vision/bmp_writer.h"

// While set, memory given back is kept (never handed out again) and filled
// with this window's handle: an object used after it was freed then
// destroys this window when it destroys "its" window, which a test sees.
static HWND g_freed_fill = nullptr;

void operator delete(void* p) noexcept {
  if (p && g_freed_fill) {
    for (size_t i = 0; i < _msize(p) / sizeof(HWND); ++i) static_cast<HWND*>(p)[i] = g_freed_fill;
    return;
  }
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace tora {
namespace {

using test::PumpMessages;
using test::PumpUntil;
using test::TestWindow;


// The editor as the pages see it: a window holding the code box and the
// repeat list, with the page as its child.
class EditorStandIn : public test::PageHostStandIn {
 public:
  EditorStandIn() {
    TestWindow::Options o;
    o.title = L"按键设置";
    o.class_name = L"ToraEditorStandIn";
    o.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    o.rect = RECT{0, 0, 700, 300};
    window_ = std::make_unique<TestWindow>(o);
    for (int id : {IDC_CODE_BOX, IDC_REPEAT_LIST})
      CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0, 0, 10, 10, window_->hwnd(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    Use(GetDlgItem(hwnd(), IDC_CODE_BOX), GetDlgItem(hwnd(), IDC_REPEAT_LIST), nullptr);
  }
  HWND hwnd() const { return window_->hwnd(); }
  // Whether it leaves the screen while a page looks at it, as the editor does.
  bool hides_for_shots = false;
  bool LeaveScreenForShot() override {
    if (!hides_for_shots) return false;
    ShowWindow(hwnd(), SW_HIDE);
    return true;
  }
  void ReturnAfterShot() override { ShowWindow(hwnd(), SW_SHOW); }
  std::string Text(int id) const { return ControlText(GetDlgItem(hwnd(), id)); }
  void SetText(int id, const std::string& gbk) const { SetControlText(GetDlgItem(hwnd(), id), gbk); }

 private:
  std::unique_ptr<TestWindow> window_;
};

void Choose(HWND page, int combo, int index) {
  SendDlgItemMessageW(page, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(page, combo)));
}

// A left-button drag between two screen points, as the system's input, on
// the window that must be under the start point, until done() holds: the X
// server may still show another window there for a moment after Wine has
// put the new one on top, so a drag that found no taker is repeated.
bool Drag(HWND on, POINT from, POINT to, const std::function<bool()>& done) {
  if (!PumpUntil([&] { return WindowFromPoint(from) == on; })) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetCursorPos(from.x, from.y);
    PumpMessages(50);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    PumpMessages(80);
    SetCursorPos((from.x + to.x) / 2, (from.y + to.y) / 2);
    PumpMessages(80);
    SetCursorPos(to.x, to.y);
    PumpMessages(80);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    if (PumpUntil(done, 2500)) return true;
  }
  return false;
}

// A rectangle dragged on a screen cut's overlay: the tool strip it shows.
HWND DragCut(HWND overlay, POINT from, POINT to) {
  HWND strip = nullptr;
  EXPECT_TRUE(Drag(overlay, from, to, [&] {
    strip = FindWindowW(L"#32770", nullptr);
    while (strip && (GetWindow(strip, GW_OWNER) != overlay || !IsWindowVisible(strip)))
      strip = FindWindowExW(nullptr, strip, L"#32770", nullptr);
    return strip != nullptr;
  }));
  return strip;
}

// The rectangle box, its label and "鼠标取得" work only in "活动" mode.
TEST(FindPages, RectangleControlsFollowTheMode) {
  EditorStandIn editor;
  FindColorPage colour;
  FindImagePage picture;
  ASSERT_TRUE(colour.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  ASSERT_TRUE(picture.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  for (HWND page : {colour.hwnd(), picture.hwnd()}) {
    const int mode = page == colour.hwnd() ? IDC_FC_MODE : IDC_FI_MODE;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1102)));
    Choose(page, mode, 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1102)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1108)));
    Choose(page, mode, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1107)));
  }
}

// The picker hands back the rectangle dragged from bottom-right to
// top-left, normalised, and goes away.
TEST(FindPages, RectanglePickerAnswersThePageThatShowedIt) {
  EditorStandIn editor;
  FindImagePage page;
  ASSERT_TRUE(page.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  Choose(page.hwnd(), IDC_FI_MODE, 1);
  page.ShowRectPicker();
  RectPicker& picker = page.rect_picker();
  ASSERT_TRUE(PumpUntil([&] { return picker.exists() && IsWindowVisible(picker.hwnd()); }));
  RECT covered{};
  GetWindowRect(picker.hwnd(), &covered);
  EXPECT_EQ(covered.left, 0);
  EXPECT_EQ(covered.right, GetSystemMetrics(SM_CXSCREEN));
  ASSERT_TRUE(Drag(picker.hwnd(), POINT{310, 220}, POINT{110, 60}, [&] { return !IsWindowVisible(picker.hwnd()); }));
  EXPECT_EQ(ControlText(GetDlgItem(page.hwnd(), IDC_FI_RANGE)), "110,60,310,220");
}

// The picker shows the screen as it was when it was shown, dimmed (as a
// black layer at 100 of 255 would), and the rectangle being dragged lit in
// a red frame just outside it; shown again, it shows the screen anew.
TEST(FindPages, RectanglePickerShowsTheScreenDimmedAndTheRectangleLit) {
  const auto shown = [](int x, int y) { return GetPixel(ScreenDc().get(), x, y); };
  const auto dim = [](COLORREF c) {
    return RGB(GetRValue(c) * 155 / 255, GetGValue(c) * 155 / 255, GetBValue(c) * 155 / 255);
  };
  const auto painted = [&](COLORREF colour) {
    TestWindow::Options o;
    o.rect = RECT{500, 300, 700, 450};
    o.paint = [colour](HDC dc, const RECT& r) { FillRect(dc, &r, GdiObject<HBRUSH>(CreateSolidBrush(colour)).get()); };
    auto window = std::make_unique<TestWindow>(o);
    EXPECT_TRUE(PumpUntil([&] { return shown(600, 400) == colour; }));
    return window;
  };
  EditorStandIn editor;
  FindImagePage page;
  ASSERT_TRUE(page.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  const COLORREF c = RGB(200, 100, 50);
  auto target = painted(c);
  page.ShowRectPicker();
  HWND picker = page.rect_picker().hwnd();
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(POINT{600, 400}) == picker && shown(600, 400) == dim(c); }));
  SetCursorPos(550, 350);
  PumpMessages(50);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  PumpMessages(50);
  SetCursorPos(650, 420);
  EXPECT_TRUE(PumpUntil([&] { return shown(649, 419) == c; }));
  EXPECT_EQ(shown(650, 400), RGB(250, 0, 0));
  EXPECT_EQ(shown(549, 400), RGB(250, 0, 0));
  EXPECT_EQ(shown(660, 400), dim(c));
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(picker); }));
  EXPECT_EQ(ControlText(GetDlgItem(page.hwnd(), IDC_FI_RANGE)), "550,350,650,420");

  target = painted(RGB(40, 220, 90));
  page.ShowRectPicker();
  EXPECT_TRUE(PumpUntil([&] { return shown(600, 400) == dim(RGB(40, 220, 90)); }));
  SendMessageW(picker, WM_COMMAND, IDCANCEL, 0);
}

// File dialogs and message boxes are modal inside the operation that shows
// them: a timer answers them, typing the path into a file dialog (keeping
// the name it offered) and pressing OK, and keeps the texts of the boxes.
struct Answers {
  static void Start(const std::string& path) {
    typed = Widen(path);
    offered.clear();
    boxes.clear();
    timer = SetTimer(nullptr, 0, 100, &Tick);
  }
  static void Stop() { KillTimer(nullptr, timer); }
  // A window answered once is marked: a closing one is not answered again,
  // and a new one that gets a recycled handle is.
  static bool Answer(HWND window) {
    if (!window || !IsWindowVisible(window) || GetPropW(window, L"ToraAnswered")) return false;
    SetPropW(window, L"ToraAnswered", reinterpret_cast<HANDLE>(1));
    return true;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    for (HWND w = FindWindowW(L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
      HWND name = GetDlgItem(w, 0x47C);  // a file dialog's name box
      if (GetWindowThreadProcessId(w, nullptr) != GetCurrentThreadId() || !Answer(w)) continue;
      if (name) {
        HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
        offered = ControlText(edit ? edit : name);
        SetWindowTextW(edit ? edit : name, typed.c_str());
      } else if (HWND text = GetDlgItem(w, 0xFFFF)) {
        boxes.push_back(ControlText(w) + "|" + ControlText(text));
      } else {
        continue;
      }
      PostMessageW(w, WM_COMMAND, IDOK, 0);
      return;
    }
  }
  static inline std::wstring typed;
  static inline std::string offered;
  static inline std::vector<std::string> boxes;  // "caption|text"
  static inline UINT_PTR timer = 0;
};

class ScreenCutTest : public ::testing::Test {
 protected:
  ScreenCutTest() {
    TestWindow::Options o;
    o.title = L"切图目标";
    o.class_name = L"ToraCutTarget";
    o.ex_style = WS_EX_TOPMOST;
    o.rect = RECT{400, 300, 440, 330};
    o.paint = [](HDC dc, const RECT& client) {
      for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) SetPixel(dc, x, y, RGB(10 + 5 * x, 200 - 4 * y, 77));
    };
    target_ = std::make_unique<TestWindow>(o);
    PumpMessages(200);
    // The editor comes up after the target and is the active window, as
    // when the user presses "截图" in it.
    editor_ = std::make_unique<EditorStandIn>();
  }
  ~ScreenCutTest() override { Answers::Stop(); }

  // Cuts from (410, 305) to (400, 300), bottom-right to top-left, and saves
  // to the path; returns the tool strip's place.
  RECT CutAndSave(const std::string& path) {
    RECT at{};
    EXPECT_TRUE(page_.CreatePage(GetModuleHandleW(nullptr), editor_->hwnd(), *editor_));
    page_.CutScreen();
    ScreenCut* cut = page_.screen_cut();
    if (!cut) return at;
    PumpMessages(200);
    HWND strip = DragCut(cut->hwnd(), POINT{410, 305}, POINT{400, 300});
    if (!strip) return at;
    GetWindowRect(strip, &at);
    Answers::Start(path);
    SendMessageW(strip, WM_COMMAND, IDOK, 0);
    return at;
  }

  std::unique_ptr<TestWindow> target_;
  std::unique_ptr<EditorStandIn> editor_;
  FindImagePage page_;
  test::TempFolder folder_;
};

// The cut comes from the screen as it was before the overlay dimmed it;
// saved through the real save dialog, it is read back by the program's own
// reader, and the page gets its doubled path and its corner.
TEST_F(ScreenCutTest, SavesTheUndimmedPictureAndTellsThePage) {
  const std::string path = folder_.File("切图.bmp");
  const RECT strip = CutAndSave(path);
  EXPECT_EQ(strip.left, 410);  // under the start point, two pixels below the end
  EXPECT_EQ(strip.top, 302);
  ASSERT_TRUE(PumpUntil([&] { return page_.screen_cut() == nullptr; }, 10000));

  std::string saved = test::TempFolder::ReadBytes(path);
  ASSERT_EQ(saved.size(), 54u + 5 * 32);  // 10 x 5 at 24 bits: rows of 30 bytes padded to 32
  Frame back;
  Win32Images images;
  ASSERT_EQ(RenderBmp(saved, images, back), BmpError::kNone);
  ASSERT_EQ(back.width, 10);
  ASSERT_EQ(back.height, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(back.At(x, y), RGB(10 + 5 * x, 200 - 4 * y, 77)) << x << "," << y;
  EXPECT_EQ(ControlText(GetDlgItem(page_.hwnd(), IDC_FI_POSITION)), "400,300");
  EXPECT_EQ(ControlText(GetDlgItem(page_.hwnd(), IDC_FI_PATH)), DoubledBackslashes(path));
  EXPECT_EQ(Answers::offered, "400_300");
  EXPECT_TRUE(Answers::boxes.empty());
}

// A file that cannot be replaced (another program holds it): after the
// overwrite question the cut says so and stays open, and the page is not
// told of a picture.
TEST_F(ScreenCutTest, AFileThatCannotBeWrittenIsSaidAndTheCutStays) {
  const std::string path = folder_.File("占用.bmp");
  ASSERT_TRUE(test::TempFolder::WriteBytes(path, "old"));
  HANDLE held = CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CutAndSave(path);
  ASSERT_TRUE(PumpUntil([&] { return Answers::boxes.size() == 2; }, 10000));
  PumpMessages(200);
  EXPECT_EQ(Answers::boxes[0], tool_texts::kOverwriteCaption + ("|" + OverwriteQuestion(path)));
  EXPECT_EQ(Answers::boxes[1], tool_texts::kNoCutCaption + ("|" + Format(tool_texts::kCutSaveFailed, path.c_str())));
  EXPECT_NE(page_.screen_cut(), nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(page_.hwnd(), IDC_FI_PATH)), "");
  CloseHandle(held);
  EXPECT_EQ(test::TempFolder::ReadBytes(path), "old");
  if (ScreenCut* cut = page_.screen_cut()) SendMessageW(cut->hwnd(), WM_CLOSE, 0, 0);
}

HWND CutSaveDialog() {
  HWND w = FindWindowW(L"#32770", Widen(tool_texts::kSaveCutTitle).c_str());
  return w && IsWindowVisible(w) ? w : nullptr;
}

// While the cut's save dialog is up: once, what the user does meanwhile,
// and whether the dialog outlived it; such a dialog is then cancelled, so
// that the test ends.
std::function<void()> g_meanwhile;
bool g_outlived = false;
void CALLBACK Meanwhile(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = CutSaveDialog();
  if (!dialog) return;
  if (!g_meanwhile) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  std::exchange(g_meanwhile, nullptr)();
  g_outlived = g_outlived || CutSaveDialog();
}

class CutInEditor : public test::ScriptRunFixture, private EditorHost {
 protected:
  CutInEditor() : editor_(GetModuleHandleW(nullptr), platform_.platform(), *this) {}
  void ScriptSaved(const std::string&) override {}
  // "截图" on the editor's page: the overlay, which the editor owns.
  HWND PressCut(HWND page) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FI_CUT, BN_CLICKED), 0);
    HWND overlay = nullptr;
    PumpUntil([&] { return GetWindow(overlay = WindowFromPoint(POINT{700, 500}), GW_OWNER) == editor_.hwnd(); });
    return overlay;
  }
  EditorWindow editor_;
};

// The cut's save dialog goes with its cut and never outlives it: "截图"
// pressed again while it is up leaves the new cut open, and the editor
// closed from a timer closes that one; the program runs on.
TEST_F(CutInEditor, TheSaveDialogGoesWithItsCut) {
  const std::string script = folder_.File("脚本.txt");
  ASSERT_TRUE(test::TempFolder::WriteBytes(script, "-- 切图\r\n"));
  WritePrivateProfileStringW(Widen(texts::kSetupSection).c_str(), Widen(texts::kSetupKeyScript).c_str(),
                             Widen(script).c_str(), ini_.c_str());
  ASSERT_TRUE(editor_.Open(nullptr));
  HWND page = GetWindow(GetDlgItem(editor_.hwnd(), IDC_TABS), GW_CHILD);
  while (page && !GetDlgItem(page, IDC_FI_CUT)) page = GetWindow(page, GW_HWNDNEXT);
  TestWindow::Options hidden;
  hidden.style = WS_POPUP;
  TestWindow watch(hidden);
  g_freed_fill = watch.hwnd();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &Meanwhile);

  HWND first = PressCut(page), second = nullptr;
  g_meanwhile = [&] { second = PressCut(page); };
  SendMessageW(DragCut(first, POINT{700, 500}, POINT{720, 530}), WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(g_meanwhile);
  EXPECT_FALSE(IsWindow(first));
  ASSERT_TRUE(second && second != first);
  EXPECT_TRUE(IsWindowVisible(second));

  g_meanwhile = [&] { SendMessageW(editor_.hwnd(), WM_CLOSE, 0, 0); };
  SendMessageW(DragCut(second, POINT{700, 500}, POINT{720, 530}), WM_COMMAND, IDOK, 0);
  KillTimer(nullptr, timer);
  g_freed_fill = nullptr;
  EXPECT_TRUE(IsWindow(watch.hwnd())) << "a freed cut was used";
  EXPECT_FALSE(g_meanwhile);
  EXPECT_FALSE(g_outlived);
  EXPECT_FALSE(editor_.exists());
  EXPECT_FALSE(IsWindow(second));
  ASSERT_TRUE(editor_.Open(nullptr));
  editor_.Destroy();
}

// "打开" takes only files that begin with "BM", and says so with an
// owner-less box without caption; a picture's path is put in the box ready
// for a script's string.
TEST(FindPages, OpenImageFileTakesOnlyBmpFiles) {
  test::TempFolder folder;
  EditorStandIn editor;
  FindImagePage page;
  ASSERT_TRUE(page.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  const std::string text = folder.File("不是图.bmp");
  const std::string picture = folder.File("图.bmp");
  ASSERT_TRUE(test::TempFolder::WriteBytes(text, "PK not a picture"));
  ASSERT_TRUE(test::TempFolder::WriteBytes(picture, "BM"));
  Answers::Start(text);
  page.OpenImageFile();
  Answers::Stop();
  EXPECT_EQ(Answers::boxes, std::vector<std::string>{std::string("|") + editor_texts::kOnlyBmp});
  EXPECT_EQ(ControlText(GetDlgItem(page.hwnd(), IDC_FI_PATH)), "");
  Answers::Start(picture);
  page.OpenImageFile();
  Answers::Stop();
  EXPECT_TRUE(Answers::boxes.empty());
  EXPECT_EQ(ControlText(GetDlgItem(page.hwnd(), IDC_FI_PATH)), DoubledBackslashes(picture));
}

}  // namespace
}  // namespace tora

namespace tora {
namespace {

// "测试条件" on both pages against what a window of ours puts on the
// screen: found and where, or the nearest miss and what differs there.
TEST(FindPages, TestConditionAnswersFromTheLiveScreen) {
  namespace t = editor_texts;
  // A picture with no two pixels alike, shown at (1000, 600) beside a
  // block of one colour at (900, 500).
  Frame picture;
  picture.Resize(8, 6);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) picture.Set(x, y, static_cast<uint32_t>(0x203040 + x * 0x0B + y * 0x0D00));
  TestWindow::Options o;
  o.rect = RECT{900, 500, 1008, 606};
  o.paint = [&picture](HDC dc, const RECT& r) {
    FillRect(dc, &r, GdiObject<HBRUSH>(CreateSolidBrush(RGB(0x12, 0x34, 0x56))).get());
    for (int32_t y = 0; y < picture.height; ++y)
      for (int32_t x = 0; x < picture.width; ++x) SetPixel(dc, 100 + x, 100 + y, picture.At(x, y));
  };
  TestWindow target(o);
  ASSERT_TRUE(PumpUntil([&] { return GetPixel(ScreenDc().get(), 1007, 605) == picture.At(7, 5); }));
  // A colour the editor covers until it leaves the screen.
  o.rect = RECT{600, 200, 680, 280};
  o.paint = [](HDC dc, const RECT& r) {
    FillRect(dc, &r, GdiObject<HBRUSH>(CreateSolidBrush(RGB(0x65, 0x43, 0x21))).get());
  };
  TestWindow covered(o);
  ASSERT_TRUE(PumpUntil([&] { return GetPixel(ScreenDc().get(), 640, 240) == RGB(0x65, 0x43, 0x21); }));
  const auto answer = [](const std::function<void()>& press) {
    test::MessageBoxAnswer box;
    press();
    PumpUntil([&] { return box.answered(); }, 4000);
    return box.Text();
  };

  EditorStandIn editor;
  ASSERT_TRUE(PumpUntil([&] { return GetPixel(ScreenDc().get(), 640, 240) != RGB(0x65, 0x43, 0x21); }));
  FindColorPage colour;
  ASSERT_TRUE(colour.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  HWND page = colour.hwnd();
  EXPECT_EQ(answer([&] { colour.TestCondition(); }), t::kEmptyPointList);
  SetControlText(GetDlgItem(page, IDC_FC_POINTS), "{900,500,\"==\",0x563412},\r\n{907,505,\"==\",0x563412},\r\n");
  Choose(page, IDC_FC_MODE, 1);
  SetControlText(GetDlgItem(page, IDC_FC_RANGE), "850,450,1280,800");
  EXPECT_EQ(answer([&] { colour.TestCondition(); }), Format(texts::kCheckFoundAt, 900, 500));
  SetControlText(GetDlgItem(page, IDC_FC_POINTS), "{901,501,\"~=\",0x563420},\r\n");
  Choose(page, IDC_FC_MODE, 0);
  EXPECT_EQ(answer([&] { colour.TestCondition(); }),
            Format(texts::kCheckFixedMiss, 1, texts::kCheckUnitPoint, 0) + "\r\n" +
                Format(texts::kCheckDifference, 1, texts::kCheckUnitPoint, 901LL, 501LL, "~=", 0x563420u, 0x563412u) +
                "\r\n" + Format(texts::kCheckToleranceHolds, 10, 15));
  SetControlText(GetDlgItem(page, IDC_FC_POINTS), "{640,240,\"==\",0x214365},\r\n");
  editor.hides_for_shots = true;
  EXPECT_EQ(answer([&] { colour.TestCondition(); }), Format(texts::kCheckHolds, texts::kCheckUnitPoint));
  EXPECT_TRUE(IsWindowVisible(editor.hwnd()));
  editor.hides_for_shots = false;

  FindImagePage image;
  ASSERT_TRUE(image.CreatePage(GetModuleHandleW(nullptr), editor.hwnd(), editor));
  page = image.hwnd();
  EXPECT_EQ(answer([&] { image.TestCondition(); }), t::kTrialNoPicture);
  test::TempFolder folder;
  const std::string path = folder.File("图.bmp");
  SetControlText(GetDlgItem(page, IDC_FI_PATH), DoubledBackslashes(path));
  SetControlText(GetDlgItem(page, IDC_FI_POSITION), "1000,600");
  EXPECT_EQ(answer([&] { image.TestCondition(); }), Format(t::kTrialPictureUnreadable, path.c_str()));
  ASSERT_TRUE(test::TempFolder::WriteBytes(path, EncodeBmp24(picture)));
  EXPECT_EQ(answer([&] { image.TestCondition(); }), Format(texts::kCheckHolds, texts::kCheckUnitSample));
  Choose(page, IDC_FI_MODE, 1);
  SetControlText(GetDlgItem(page, IDC_FI_RANGE), "全屏");
  EXPECT_EQ(answer([&] { image.TestCondition(); }), Format(texts::kCheckFoundAt, 1000, 600));
  Choose(page, IDC_FI_MODE, 0);
  SetControlText(GetDlgItem(page, IDC_FI_POSITION), "1001,600");
  const std::string miss = answer([&] { image.TestCondition(); });
  EXPECT_EQ(miss.rfind("不成立", 0), 0u) << miss;
  EXPECT_NE(miss.find(Format(texts::kCheckDifference, 1, texts::kCheckUnitSample, 1001LL, 600LL, "==",
                             picture.At(0, 0), picture.At(1, 0))),
            std::string::npos)
      << miss;
}

}  // namespace
}  // namespace tora
