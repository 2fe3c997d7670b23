#include "tools/image_tool.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "engine/text_util.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "res/image_tool.h"
#include "tools/texts.h"
#include "tools/tool_logic.h"
#include "ui/controls.h"
#include "ui/fault_guard.h"
#include "ui/messages.h"
#include "vision/bmp.h"

namespace tora {

namespace {

namespace tt = tool_texts;

// Time for the main window to get out of the picture.
constexpr UINT kShotDelayMs = 1000;

constexpr int kAllControls[] = {IDC_IMAGE_NAME_LABEL, IDC_IMAGE_NAME,      IDC_IMAGE_OPEN,
                                IDC_IMAGE_TARGET_LABEL, IDC_IMAGE_TARGET,  IDC_IMAGE_FULL_SCREEN,
                                IDC_IMAGE_SHOT,       IDC_IMAGE_HIDE_MAIN, IDC_IMAGE_HINT,
                                IDC_IMAGE_HSCROLL,    IDC_IMAGE_VSCROLL};

// One window of the target list: top-level, visible, titled.
BOOL CALLBACK AddTargetWindow(HWND window, LPARAM combo) {
  if (GetParent(window) || !IsWindowVisible(window)) return TRUE;
  return Guarded("target window list", FALSE, [&] {
    const std::string title = WindowTitle(window);
    if (title.empty()) return TRUE;
    const std::string item =
        Format(tt::kTargetItem, static_cast<long long>(reinterpret_cast<intptr_t>(window)), title.c_str());
    SendMessageW(reinterpret_cast<HWND>(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    return TRUE;
  });
}

// A rendered picture (0x00BBGGRR) as a bitmap that GDI can copy from.
std::unique_ptr<DibCanvas> CanvasOf(const Frame& frame) {
  auto canvas = std::make_unique<DibCanvas>(frame.width, frame.height);
  if (!canvas->ok()) return nullptr;
  uint32_t* out = canvas->bits();
  for (size_t i = 0; i < frame.pixels.size(); ++i) {
    const uint32_t p = frame.pixels[i];
    out[i] = ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
  }
  return canvas;
}

}  // namespace

ImageTool::~ImageTool() {
  // The base destroys the window without telling this class any more.
  if (!exists()) return;
  KillTimer(hwnd(), kShotTimer);
  UnregisterHotKey(hwnd(), kShotHotkeyId);
  UnregisterHotKey(hwnd(), kFullScreenHotkeyId);
}

bool ImageTool::Open(HINSTANCE instance, ImageToolHost* host) {
  host_ = host;
  return CreateModeless(instance, IDD_IMAGE_TOOL, nullptr);
}

INT_PTR ImageTool::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_CLOSE:
      // The close box only hides the tool.
      ShowWindow(hwnd(), SW_HIDE);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), HIWORD(wparam));
    case WM_HOTKEY:
      if (wparam == kShotHotkeyId) TakeScreenshot();
      if (wparam == kFullScreenHotkeyId) ToggleFullScreen();
      return TRUE;
    case WM_TIMER:
      if (wparam != kShotTimer) return FALSE;
      FinishScreenshot();
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(reinterpret_cast<HWND>(lparam), SB_CTL, &info);
      Scroll(message == WM_HSCROLL, LOWORD(wparam), info.nTrackPos);
      return TRUE;
    }
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout(LOWORD(lparam), HIWORD(lparam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (wparam != IDC_IMAGE_VIEW) return FALSE;
      DrawView(*item);
      return TRUE;
    }
    case WM_DESTROY:
      KillTimer(hwnd(), kShotTimer);
      UnregisterHotKey(hwnd(), kShotHotkeyId);
      UnregisterHotKey(hwnd(), kFullScreenHotkeyId);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR ImageTool::OnInitDialog() {
  UseChineseFont();
  for (int bar : {IDC_IMAGE_HSCROLL, IDC_IMAGE_VSCROLL}) {
    SetScrollRange(Item(bar), SB_CTL, 0, 0, FALSE);
    SetScrollPos(Item(bar), SB_CTL, 0, TRUE);
  }
  SetItemText(IDC_IMAGE_TARGET, tt::kWholeScreen);
  RegisterHotKey(hwnd(), kShotHotkeyId, 0, VK_SNAPSHOT);
  RegisterHotKey(hwnd(), kFullScreenHotkeyId, 0, VK_F10);
  CheckDlgButton(hwnd(), IDC_IMAGE_HIDE_MAIN, BST_CHECKED);
  // The view loses its frame and paints the picture itself.
  HWND view = Item(IDC_IMAGE_VIEW);
  SetWindowLongPtrW(view, GWL_STYLE, (GetWindowLongPtrW(view, GWL_STYLE) & ~(SS_TYPEMASK | WS_BORDER)) | SS_OWNERDRAW);
  SetWindowLongPtrW(view, GWL_EXSTYLE,
                    GetWindowLongPtrW(view, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE));
  SetWindowPos(view, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT client;
  GetClientRect(hwnd(), &client);
  Layout(client.right, client.bottom);
  return TRUE;
}

INT_PTR ImageTool::OnCommand(WORD id, WORD code) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Enter and Esc neither close nor hide the tool.
      return TRUE;
    case IDC_IMAGE_OPEN:
      if (code == BN_CLICKED) OpenPicture();
      return TRUE;
    case IDC_IMAGE_SHOT:
      if (code == BN_CLICKED) TakeScreenshot();
      return TRUE;
    case IDC_IMAGE_FULL_SCREEN:
      if (code == BN_CLICKED) ToggleFullScreen();
      return TRUE;
    case IDC_IMAGE_TARGET:
      if (code == CBN_DROPDOWN) ListWindows();
      return TRUE;
    default:
      return FALSE;
  }
}

void ImageTool::Tell(const char* gbk) { MessageBoxW(nullptr, Widen(gbk).c_str(), L"", MB_OK); }

void ImageTool::OpenPicture() {
  FileChoice choice;
  choice.owner = hwnd();
  choice.filter = tt::kBmpFilter;
  choice.flags = OFN_HIDEREADONLY;
  if (const std::optional<std::string> path = ChooseFile(choice)) OpenPictureFile(*path);
}

void ImageTool::OpenPictureFile(const std::string& path) {
  std::string bytes;
  if (!Win32Files().ReadFile(path, bytes)) {
    Tell(tt::kReadFileError);
    return;
  }
  SetItemText(IDC_IMAGE_NAME, path);
  Frame frame;
  Win32Images images;
  switch (RenderBmp(bytes, images, frame)) {
    case BmpError::kNotBmp:
      Tell(tt::kOnlyBmp);
      return;
    case BmpError::kReadError:
      // Damaged or cut short: the picture shown stays.
      Tell(tt::kReadFileError);
      return;
    case BmpError::kNone:
      break;
  }
  std::unique_ptr<DibCanvas> picture = CanvasOf(frame);
  if (!picture) {
    Tell(tt::kReadFileError);
    return;
  }
  ShowPicture(std::move(picture));
}

void ImageTool::TakeScreenshot() {
  if (shot_pending_) return;
  shot_target_ = ItemHandle(ItemText(IDC_IMAGE_TARGET));
  if (IsDlgButtonChecked(hwnd(), IDC_IMAGE_HIDE_MAIN) != BST_CHECKED) {
    CaptureTarget(shot_target_);
    return;
  }
  // The tool and the program's windows leave the screen; the copy is taken
  // on a timer, so that the interface thread keeps serving messages and
  // hooks while they go.
  shot_pending_ = true;
  hid_for_shot_ = IsWindowVisible(hwnd()) != FALSE;
  host_hidden_ = host_ && host_->LeaveScreenForShot();
  if (hid_for_shot_) ShowWindow(hwnd(), SW_HIDE);
  SetTimer(hwnd(), kShotTimer, kShotDelayMs, nullptr);
}

void ImageTool::FinishScreenshot() {
  KillTimer(hwnd(), kShotTimer);
  if (!shot_pending_) return;
  shot_pending_ = false;
  CaptureTarget(shot_target_);
}

void ImageTool::CaptureTarget(long long target) {
  HWND window = target ? reinterpret_cast<HWND>(static_cast<intptr_t>(target)) : nullptr;
  std::unique_ptr<DibCanvas> picture;
  if (!window || IsWindow(window)) {
    RECT client{};
    GetClientRect(window ? window : GetDesktopWindow(), &client);
    if (client.right > 0 && client.bottom > 0) {
      // The window's client area, or the whole screen.
      WindowDc source(window);
      auto canvas = std::make_unique<DibCanvas>(client.right, client.bottom);
      if (canvas->ok() && BitBlt(canvas->dc(), 0, 0, client.right, client.bottom, source.get(), 0, 0, SRCCOPY))
        picture = std::move(canvas);
    }
  }
  if (host_hidden_) {
    host_hidden_ = false;
    host_->ReturnAfterShot();
  }
  if (hid_for_shot_) {
    hid_for_shot_ = false;
    ShowWindow(hwnd(), SW_SHOW);
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  // A window closed since it was listed: no picture of whatever now lies
  // where it was, and the last picture stays.
  if (!picture) {
    MessageBoxW(hwnd(), Widen(tt::kTargetGone).c_str(), Widen(tt::kImageToolCaption).c_str(), MB_OK);
    return;
  }
  ShowPicture(std::move(picture));
}

void ImageTool::ShowPicture(std::unique_ptr<DibCanvas> picture) {
  // The last picture's bitmap and drawing context go with it.
  picture_ = std::move(picture);
  RECT view{};
  GetClientRect(Item(IDC_IMAGE_VIEW), &view);
  h_offset_ = v_offset_ = 0;
  h_max_ = picture_->width() - view.right;
  v_max_ = picture_->height() - view.bottom;
  SetScrollRange(Item(IDC_IMAGE_HSCROLL), SB_CTL, 0, std::max(h_max_, 0), FALSE);
  SetScrollRange(Item(IDC_IMAGE_VSCROLL), SB_CTL, 0, std::max(v_max_, 0), FALSE);
  SetScrollPos(Item(IDC_IMAGE_HSCROLL), SB_CTL, 0, TRUE);
  SetScrollPos(Item(IDC_IMAGE_VSCROLL), SB_CTL, 0, TRUE);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void ImageTool::ListWindows() {
  HWND combo = Item(IDC_IMAGE_TARGET);
  const std::string kept = ControlText(combo);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  AddComboItem(combo, tt::kWholeScreen);
  EnumWindows(&AddTargetWindow, reinterpret_cast<LPARAM>(combo));
  SetControlText(combo, kept);
}

void ImageTool::Scroll(bool horizontal, int request, int thumb) {
  HWND bar = Item(horizontal ? IDC_IMAGE_HSCROLL : IDC_IMAGE_VSCROLL);
  SetFocus(bar);
  int& offset = horizontal ? h_offset_ : v_offset_;
  offset = ScrollOffset(static_cast<ScrollRequest>(request), offset, horizontal ? h_max_ : v_max_, thumb);
  SetScrollPos(bar, SB_CTL, offset, TRUE);
  InvalidateRect(Item(IDC_IMAGE_VIEW), nullptr, FALSE);
}

void ImageTool::Layout(int w, int h) {
  if (full_screen_) {
    MoveWindow(Item(IDC_IMAGE_VIEW), -1, -1, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), TRUE);
    return;
  }
  const auto place = [this](int id, int x, int y, int width, int height) {
    MoveWindow(Item(id), x, y, std::max(width, 0), std::max(height, 0), TRUE);
  };
  place(IDC_IMAGE_VIEW, 10, 100, w - 35, h - 120);
  place(IDC_IMAGE_HSCROLL, 10, h - 20, w - 40, 20);
  place(IDC_IMAGE_VSCROLL, w - 20, 100, 20, h - 100);
}

// Picture pixel (offsets) lands at view position (1, 1); the rest of the
// view shows the window's face. Drawn off-screen first, so that scrolling
// does not flicker.
void ImageTool::DrawView(const DRAWITEMSTRUCT& item) const {
  const RECT& r = item.rcItem;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  DibCanvas frame(w, h);
  HDC dc = frame.ok() ? frame.dc() : item.hDC;
  RECT all{0, 0, w, h};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (picture_) {
    const int copy_w = std::min(w + h_offset_, picture_->width());
    const int copy_h = std::min(h + v_offset_, picture_->height());
    if (copy_w > 0 && copy_h > 0)
      BitBlt(dc, 1 - h_offset_, 1 - v_offset_, copy_w, copy_h, picture_->dc(), 0, 0, SRCCOPY);
  }
  if (frame.ok()) BitBlt(item.hDC, r.left, r.top, w, h, frame.dc(), 0, 0, SRCCOPY);
}

void ImageTool::ToggleFullScreen() {
  if (!full_screen_) {
    saved_style_ = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    saved_ex_style_ = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
    GetWindowRect(hwnd(), &saved_rect_);
    SetWindowLongPtrW(hwnd(), GWL_STYLE, saved_style_ & ~static_cast<LONG_PTR>(WS_CAPTION));
    // No edge of the frame may show around the picture either.
    SetWindowLongPtrW(hwnd(), GWL_EXSTYLE,
                      saved_ex_style_ & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE |
                                                               WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    full_screen_ = true;
    ShowWindow(hwnd(), SW_MAXIMIZE);
    for (int id : kAllControls) ShowWindow(Item(id), SW_HIDE);
    // Covers the screen whatever size the system gave the maximized window.
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(hwnd(), nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_FRAMECHANGED);
    MoveWindow(Item(IDC_IMAGE_VIEW), -1, -1, cx, cy, TRUE);
    if (host_) host_->KeepAbovePicture(true);
    return;
  }
  if (host_) host_->KeepAbovePicture(false);
  full_screen_ = false;
  if (IsZoomed(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetWindowLongPtrW(hwnd(), GWL_STYLE, saved_style_);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, saved_ex_style_);
  for (int id : kAllControls) ShowWindow(Item(id), SW_SHOW);
  const RECT& r = saved_rect_;
  SetWindowPos(hwnd(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  RECT client;
  GetClientRect(hwnd(), &client);
  Layout(client.right, client.bottom);
}

bool ImageTool::PicturePoint(POINT screen, POINT& picture) const {
  if (!exists() || !IsWindowVisible(hwnd())) return false;
  HWND view = Item(IDC_IMAGE_VIEW);
  HWND under = WindowFromPoint(screen);
  // The picture area counts as the tool; its buttons and boxes do not.
  if (under != hwnd() && under != view) return false;
  POINT client = screen;
  ScreenToClient(view, &client);
  RECT r{};
  GetClientRect(view, &r);
  const Point p = PictureFromView(Point{client.x, client.y}, r.right, r.bottom, h_offset_, v_offset_);
  picture = POINT{p.x, p.y};
  return true;
}

COLORREF ImageTool::PicturePixel(int x, int y) const {
  if (!picture_ || x < 0 || y < 0 || x >= picture_->width() || y >= picture_->height()) return CLR_INVALID;
  GdiFlush();
  const uint32_t p = picture_->bits()[static_cast<size_t>(y) * static_cast<size_t>(picture_->width()) + x];
  return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

SIZE ImageTool::PictureSize() const {
  return picture_ ? SIZE{picture_->width(), picture_->height()} : SIZE{0, 0};
}

}  // namespace tora
