#include "tools/screen_overlay.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/messages.h"
#include "vision/bmp_writer.h"

namespace tora {

namespace {

constexpr COLORREF kFrameColour = RGB(250, 0, 0);
// What a black layer at alpha 100 of 255 leaves of each channel.
constexpr uint32_t kDimKept = 255 - 100;

RECT Normalized(POINT a, POINT b) {
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The red frame lies one pixel around the area, on no pixel of it.
RECT FrameOf(const RECT& area) { return RECT{area.left - 1, area.top - 1, area.right + 1, area.bottom + 1}; }

}  // namespace

void CoverScreen(HWND window) {
  ScreenDc screen;
  const int width = GetDeviceCaps(screen.get(), HORZRES);
  const int height = GetDeviceCaps(screen.get(), VERTRES);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, width, height, SWP_NOACTIVATE);
}

POINT CursorIn(HWND window) {
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(window, &at);
  return at;
}

bool Backdrop::Take() {
  Drop();
  ScreenDc screen;
  if (!screen.get()) return false;
  const int width = GetDeviceCaps(screen.get(), HORZRES);
  const int height = GetDeviceCaps(screen.get(), VERTRES);
  auto bright = std::make_unique<DibCanvas>(width, height);
  auto dim = std::make_unique<DibCanvas>(width, height);
  if (!bright->ok() || !dim->ok() || !BitBlt(bright->dc(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY))
    return false;
  GdiFlush();
  uint8_t kept[256];
  for (uint32_t v = 0; v < 256; ++v) kept[v] = static_cast<uint8_t>(v * kDimKept / 255);
  const uint32_t* from = bright->bits();
  uint32_t* to = dim->bits();
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = from[i];
    to[i] = (uint32_t{kept[(p >> 16) & 0xFF]} << 16) | (uint32_t{kept[(p >> 8) & 0xFF]} << 8) | kept[p & 0xFF];
  }
  bright_ = std::move(bright);
  dim_ = std::move(dim);
  return true;
}

void Backdrop::Drop() {
  bright_.reset();
  dim_.reset();
}

void Backdrop::Paint(HDC dc, const RECT& area, const RECT& bright) const {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (!ok()) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  BitBlt(dc, area.left, area.top, width, height, dim_->dc(), area.left, area.top, SRCCOPY);
  RECT lit{};
  if (IntersectRect(&lit, &area, &bright))
    BitBlt(dc, lit.left, lit.top, lit.right - lit.left, lit.bottom - lit.top, bright_->dc(), lit.left, lit.top,
           SRCCOPY);
}

Frame Backdrop::Cut(int32_t left, int32_t top, int32_t width, int32_t height) const {
  if (!ok()) return Frame();
  Frame screen;
  bright_->ReadInto(screen);
  return CropFrame(screen, left, top, width, height);
}

void DragOverlay::ShowArea(POINT a, POINT b) {
  const RECT area = Normalized(a, b);
  if (area_shown_ && EqualRect(&area, &area_)) return;
  if (area_shown_) InvalidateFramed(area_);
  area_ = area;
  area_shown_ = true;
  InvalidateFramed(area_);
}

void DragOverlay::HideArea() {
  if (area_shown_) InvalidateFramed(area_);
  area_shown_ = false;
}

void DragOverlay::InvalidateFramed(const RECT& area) {
  const RECT frame = FrameOf(area);
  InvalidateRect(hwnd(), &frame, FALSE);
}

void DragOverlay::BeginDrag(POINT at) {
  start_ = at;
  dragging_ = true;
  SetCapture(hwnd());
  SetTimer(hwnd(), kDragTimer, kDragTimerMs, nullptr);
  ShowArea(at, at);
  // What is painted only while no rectangle is dragged goes.
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void DragOverlay::EndDrag() {
  KillTimer(hwnd(), kDragTimer);
  if (dragging_) ReleaseCapture();
  dragging_ = false;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

INT_PTR DragOverlay::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      dragging_ = false;
      CoverScreen(hwnd());
      return TRUE;
    case WM_ERASEBKGND:
      // Every pixel is painted: nothing to erase, and no black flash.
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_LBUTTONDOWN:
      OnButtonDown(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return TRUE;
    case WM_LBUTTONUP:
      OnButtonUp(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return TRUE;
    case WM_TIMER:
      if (wparam != kDragTimer) return FALSE;
      if (dragging_) ShowArea(start_, CursorIn(hwnd()));
      return TRUE;
    case WM_PAINT:
      Paint();
      return TRUE;
    default:
      return HandleOther(message, wparam, lparam);
  }
}

void DragOverlay::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  const RECT& part = ps.rcPaint;
  // Composed off the screen and copied at once: the rectangle never shows
  // dimmed for a moment while it follows the cursor.
  DibCanvas buffer(part.right - part.left, part.bottom - part.top);
  if (dc && buffer.ok()) {
    SetViewportOrgEx(buffer.dc(), -part.left, -part.top, nullptr);
    const RECT none{};
    backdrop_.Paint(buffer.dc(), part, area_shown_ ? area_ : none);
    if (area_shown_) {
      GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kFrameColour));
      Selected use_pen(buffer.dc(), pen.get());
      Selected use_brush(buffer.dc(), GetStockObject(NULL_BRUSH));
      const RECT frame = FrameOf(area_);
      Rectangle(buffer.dc(), frame.left, frame.top, frame.right, frame.bottom);
    }
    if (!dragging_) PaintIdle(buffer.dc());
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, buffer.dc(), part.left, part.top,
           SRCCOPY);
  }
  EndPaint(hwnd(), &ps);
}

}  // namespace tora
