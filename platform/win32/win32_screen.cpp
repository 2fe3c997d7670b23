// Screen capture and the DIB renderer, over GDI.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/win32_ports.h"
#include "vision/dib_header.h"

namespace tora {

Size Win32Screen::ScreenSize() {
  ScreenDc screen;
  if (!screen.get()) return Size{};
  return Size{GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), VERTRES)};
}

bool Win32Screen::CaptureScreen(Frame& out) {
  ScreenDc screen;
  if (!screen.get()) return false;
  const int32_t width = GetDeviceCaps(screen.get(), HORZRES);
  const int32_t height = GetDeviceCaps(screen.get(), VERTRES);
  if (width <= 0 || height <= 0) return false;
  DibCanvas canvas(width, height);
  if (!canvas.ok()) return false;
  if (!BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY)) return false;
  canvas.ReadInto(out);
  return true;
}

bool Win32Screen::CaptureArea(const Rect& area, Frame& out, Point& origin) {
  ScreenDc screen;
  if (!screen.get()) return false;
  const int32_t width = GetDeviceCaps(screen.get(), HORZRES);
  const int32_t height = GetDeviceCaps(screen.get(), VERTRES);
  if (width <= 0 || height <= 0) return false;
  // Clipped here, against the size read with this very capture, so that a
  // change of resolution between two calls cannot make the copy miss.
  const int32_t left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int32_t right = std::min(area.right, width), bottom = std::min(area.bottom, height);
  origin = Point{left, top};
  if (left >= right || top >= bottom) {
    out.Resize(0, 0);
    return true;
  }
  // Only the area crosses from the display into the DIB: the copy costs
  // its size, not the screen's.
  DibCanvas canvas(right - left, bottom - top);
  if (!canvas.ok()) return false;
  if (!BitBlt(canvas.dc(), 0, 0, right - left, bottom - top, screen.get(), left, top, SRCCOPY)) return false;
  canvas.ReadInto(out);
  return true;
}

bool Win32Images::RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                            Frame& out) {
  DibLayout layout;
  if (!bits || !CheckDib(info, info_size, bits_size, layout)) return false;
  // GDI gets an aligned copy of exactly what it will read.
  const std::vector<uint32_t> header = GdiHeaderCopy(info, layout);
  DibCanvas canvas(layout.width, layout.height);
  if (!canvas.ok()) return false;
  const int lines = SetDIBitsToDevice(canvas.dc(), 0, 0, static_cast<DWORD>(layout.width),
                                      static_cast<DWORD>(layout.height), 0, 0, 0,
                                      static_cast<UINT>(layout.height), bits,
                                      reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
  if (lines <= 0) return false;
  canvas.ReadInto(out);
  return true;
}

uint64_t Win32Images::MemoryAvailable() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  // A 32-bit program runs out of addresses long before a machine of many
  // gigabytes runs out of memory.
  return std::min<uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
}

}  // namespace tora
