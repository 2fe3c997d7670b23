// RAII holders for the GDI objects and device contexts of screen captures,
// the screen tools and the windows: each one is released in the scope that
// made it. (Other handles: handles.h.)
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace tora {

// A 32-bit top-down DIB section selected into its own memory DC; both are
// released when it goes out of scope.
class DibCanvas {
 public:
  DibCanvas(int32_t width, int32_t height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_ || width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // row 0 at the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!bitmap_ || !bits_) return;
    old_ = SelectObject(dc_, bitmap_);
  }
  ~DibCanvas() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  bool ok() const { return old_ != nullptr; }
  HDC dc() const { return dc_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // The pixels, 0x00RRGGBB, row 0 first; valid after GdiFlush.
  const uint32_t* bits() const { return static_cast<const uint32_t*>(bits_); }
  uint32_t* bits() { return static_cast<uint32_t*>(bits_); }

  // Copies the canvas into the frame: the DIB holds 0x00RRGGBB, the program
  // works in 0x00BBGGRR.
  void ReadInto(Frame& out) const {
    GdiFlush();
    out.Resize(width_, height_);
    const uint32_t* src = bits();
    const size_t n = out.pixels.size();
    for (size_t i = 0; i < n; ++i) {
      const uint32_t p = src[i];
      out.pixels[i] = ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
  }

 private:
  int32_t width_;
  int32_t height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// A window's client-area device context, or the screen's for no window,
// released at the end of the scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The screen's device context, released at the end of the scope.
class ScreenDc : public WindowDc {
 public:
  ScreenDc() : WindowDc(nullptr) {}
};

// A GDI object (pen, brush, font, bitmap) deleted at the end of the scope.
template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T object = nullptr) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  T get() const { return object_; }
  void reset(T object) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_;
};

// Selects an object into a DC for the scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selected() {
    if (old_) SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace tora
