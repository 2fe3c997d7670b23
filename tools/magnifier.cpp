#include "tools/magnifier.h"

#include "engine/text_util.h"
#include "platform/win32/wide.h"
#include "res/magnifier.h"
#include "tools/texts.h"
#include "tools/tool_logic.h"
#include "ui/messages.h"

namespace tora {

namespace {

constexpr UINT kFollowMs = 100;
// The window stands this far right of the cursor, out of the area it shows.
constexpr int kBesideCursor = 23;
constexpr COLORREF kMarkerColour = RGB(255, 0, 0);

void MakeOwnerDrawn(HWND control) {
  SetWindowLongPtrW(control, GWL_STYLE,
                    (GetWindowLongPtrW(control, GWL_STYLE) & ~(SS_TYPEMASK | WS_BORDER)) | SS_OWNERDRAW);
}

}  // namespace

void DrawCursorMarker(HDC dc, int x, int y) {
  // Arms from 3 to 8 pixels out: the pixel under the cursor and its
  // neighbours stay visible.
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kMarkerColour));
  Selected use(dc, pen.get());
  const int cx = x + kCursorMarkerHotspot.x;
  const int cy = y + kCursorMarkerHotspot.y;
  for (int sign : {-1, 1}) {
    MoveToEx(dc, cx + sign * 3, cy, nullptr);
    LineTo(dc, cx + sign * 9, cy);
    MoveToEx(dc, cx, cy + sign * 3, nullptr);
    LineTo(dc, cx, cy + sign * 9);
  }
}

void DrawMagnifiedArea(HDC screen, int screen_width, int screen_height, POINT cursor, HDC target, int view_width,
                       int view_height) {
  const Point hotspot{kCursorMarkerHotspot.x, kCursorMarkerHotspot.y};
  const MagnifierArea area =
      MagnifierSource(Point{cursor.x, cursor.y}, hotspot, view_width, view_height, screen_width, screen_height);
  const Rect& s = area.source;
  DibCanvas copy(s.right - s.left, s.bottom - s.top);  // a new DIB section is black
  if (!copy.ok()) return;
  const Rect on = OnScreenPart(s, screen_width, screen_height);
  if (on.right > on.left && on.bottom > on.top) {
    BitBlt(copy.dc(), on.left - s.left, on.top - s.top, on.right - on.left, on.bottom - on.top, screen, on.left,
           on.top, SRCCOPY);
    // The marker is part of the screen's picture: it does not reach into
    // the black beyond the edge.
    SaveDC(copy.dc());
    IntersectClipRect(copy.dc(), on.left - s.left, on.top - s.top, on.right - s.left, on.bottom - s.top);
    DrawCursorMarker(copy.dc(), area.marker.x - s.left, area.marker.y - s.top);
    RestoreDC(copy.dc(), -1);
  }
  SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, 0, 0, view_width, view_height, copy.dc(), 0, 0, copy.width(), copy.height(), SRCCOPY);
}

Magnifier::~Magnifier() { StopHookAndTimer(); }

bool Magnifier::Open(HINSTANCE instance) {
  if (!CreateModeless(instance, IDD_MAGNIFIER, nullptr)) return false;
  // Shown without taking the focus from the window the user works in.
  ShowWindow(hwnd(), SW_SHOWNA);
  return true;
}

void Magnifier::Close() {
  StopHookAndTimer();
  Destroy();
}

void Magnifier::StartHookAndTimer() {
  arrow_keys_.Install(WH_KEYBOARD_LL, "magnifier hook", [](WPARAM message, LPARAM event) {
    return MoveCursorByArrow(message, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(event));
  });
  SetTimer(hwnd(), kFollowTimer, kFollowMs, nullptr);
}

void Magnifier::StopHookAndTimer() {
  arrow_keys_.Remove();
  if (exists()) KillTimer(hwnd(), kFollowTimer);
}

INT_PTR Magnifier::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_TIMER:
      if (wparam != kFollowTimer) return FALSE;
      Follow();
      return TRUE;
    case WM_DRAWITEM:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_WINDOWPOSCHANGED: {
      // However it is hidden or shown (an owner minimised hides its owned
      // windows this way too).
      const UINT flags = reinterpret_cast<const WINDOWPOS*>(lparam)->flags;
      if (flags & SWP_HIDEWINDOW) StopHookAndTimer();
      if (flags & SWP_SHOWWINDOW) StartHookAndTimer();
      return FALSE;
    }
    case WM_COMMAND:
      // Enter and Esc do not close it.
      return LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL;
    case WM_DESTROY:
      StopHookAndTimer();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR Magnifier::OnInitDialog() {
  UseChineseFont();
  MakeOwnerDrawn(Item(IDC_MAGNIFIER_VIEW));
  MakeOwnerDrawn(Item(IDC_MAGNIFIER_SWATCH));
  StartHookAndTimer();
  POINT at{};
  GetCursorPos(&at);
  SetWindowPos(hwnd(), HWND_TOPMOST, at.x + kBesideCursor, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

void Magnifier::Follow() {
  POINT at{};
  if (!GetCursorPos(&at)) return;
  SetWindowPos(hwnd(), nullptr, at.x + kBesideCursor, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetItemText(IDC_MAGNIFIER_POSITION,
              Format(tool_texts::kMagnifierPosition, static_cast<int>(at.x), static_cast<int>(at.y)));
  ScreenDc screen;
  if (!screen.get()) return;
  colour_ = GetPixel(screen.get(), at.x, at.y);
  SetItemText(IDC_MAGNIFIER_COLOUR, MagnifierColourText(colour_ & 0xFFFFFFu));
  RECT view{};
  GetClientRect(Item(IDC_MAGNIFIER_VIEW), &view);
  if (!view_ || view_->width() != view.right || view_->height() != view.bottom)
    view_ = std::make_unique<DibCanvas>(view.right, view.bottom);
  if (view_->ok())
    DrawMagnifiedArea(screen.get(), GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), VERTRES), at,
                      view_->dc(), view.right, view.bottom);
  InvalidateRect(Item(IDC_MAGNIFIER_SWATCH), nullptr, FALSE);
  InvalidateRect(Item(IDC_MAGNIFIER_VIEW), nullptr, FALSE);
}

void Magnifier::Draw(const DRAWITEMSTRUCT& item) const {
  const RECT& r = item.rcItem;
  if (item.CtlID == IDC_MAGNIFIER_VIEW) {
    if (view_ && view_->ok())
      BitBlt(item.hDC, r.left, r.top, view_->width(), view_->height(), view_->dc(), 0, 0, SRCCOPY);
    else
      FillRect(item.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  if (item.CtlID == IDC_MAGNIFIER_SWATCH) {
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour_ & 0xFFFFFFu));
    FillRect(item.hDC, &inner, brush.get());
  }
}

// Arrow keys move the cursor by one pixel and reach no program while the
// magnifier is open (their key-ups neither, so that no program sees half a
// key stroke). Only the cursor is read and set here.
bool Magnifier::MoveCursorByArrow(WPARAM message, const KBDLLHOOKSTRUCT& key) {
  if (message != WM_KEYDOWN && message != WM_KEYUP) return false;
  int dx = 0;
  int dy = 0;
  switch (key.vkCode) {
    case VK_LEFT: dx = -1; break;
    case VK_RIGHT: dx = 1; break;
    case VK_UP: dy = -1; break;
    case VK_DOWN: dy = 1; break;
    default: return false;
  }
  POINT at{};
  if (message == WM_KEYDOWN && GetCursorPos(&at)) SetCursorPos(at.x + dx, at.y + dy);
  return true;
}

}  // namespace tora
