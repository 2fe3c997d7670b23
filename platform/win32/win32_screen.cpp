// Screen capture and the DIB renderer, over GDI.
#include <cstring>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/win32_ports.h"

namespace tora {

namespace {

// Anything larger is no picture a script could mean, and would only exhaust
// memory.
constexpr int64_t kMaxDimension = 1 << 16;
constexpr int64_t kMaxPixels = int64_t{1} << 25;

template <typename T>
T ReadLe(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// What the renderer will read of the caller's buffers, checked before GDI
// sees them: GDI trusts the header and would read past a short buffer.
struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;  // absolute
  size_t info_bytes = 0;  // header and colour table
};

bool CheckDib(const uint8_t* info, size_t info_size, size_t bits_size, DibLayout& layout) {
  if (!info || info_size < 12) return false;
  const uint32_t header_size = ReadLe<uint32_t>(info);
  int64_t width = 0, height = 0;
  uint32_t bit_count = 0, compression = BI_RGB, colours_used = 0, image_size = 0;
  size_t entry_size = 4;
  if (header_size == 12) {  // the old core header: 16-bit sizes, 3-byte colour entries
    width = ReadLe<uint16_t>(info + 4);
    height = ReadLe<uint16_t>(info + 6);
    if (ReadLe<uint16_t>(info + 8) != 1) return false;
    bit_count = ReadLe<uint16_t>(info + 10);
    entry_size = 3;
  } else if (header_size >= 40 && header_size <= info_size) {
    width = ReadLe<int32_t>(info + 4);
    height = ReadLe<int32_t>(info + 8);
    if (ReadLe<uint16_t>(info + 12) != 1) return false;
    bit_count = ReadLe<uint16_t>(info + 14);
    compression = ReadLe<uint32_t>(info + 16);
    image_size = ReadLe<uint32_t>(info + 20);
    colours_used = ReadLe<uint32_t>(info + 32);
  } else {
    return false;
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
      width * height > kMaxPixels)
    return false;

  switch (bit_count) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  // The colour table (or the three masks of a bit-field DIB with the plain
  // header) must lie inside the info buffer.
  uint64_t table = 0;
  if (bit_count <= 8) {
    const uint64_t max_entries = uint64_t{1} << bit_count;
    const uint64_t entries = colours_used == 0 ? max_entries : colours_used;
    if (entries > max_entries) return false;
    table = entries * entry_size;
  }
  switch (compression) {
    case BI_RGB: break;
    case BI_RLE8: if (bit_count != 8 || top_down) return false; break;
    case BI_RLE4: if (bit_count != 4 || top_down) return false; break;
    case BI_BITFIELDS:
      if (bit_count != 16 && bit_count != 32) return false;
      if (header_size == 40) table = 12;
      break;
    default: return false;  // embedded JPEG/PNG and the rest: no screen renderer draws them
  }
  if (header_size + table > info_size) return false;

  if (compression == BI_RLE8 || compression == BI_RLE4) {
    // A run-length stream is bounded only by its declared size.
    if (image_size == 0 || image_size > bits_size) return false;
  } else {
    const uint64_t stride = ((static_cast<uint64_t>(width) * bit_count + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(height) > bits_size) return false;
  }
  layout.width = static_cast<int32_t>(width);
  layout.height = static_cast<int32_t>(height);
  layout.info_bytes = static_cast<size_t>(header_size + table);
  return true;
}

}  // namespace

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

bool Win32Images::RenderDib(const uint8_t* info, size_t info_size, const uint8_t* bits, size_t bits_size,
                            Frame& out) {
  DibLayout layout;
  if (!bits || !CheckDib(info, info_size, bits_size, layout)) return false;
  // The header arrives at any offset of a file buffer; GDI gets an aligned copy.
  std::vector<uint32_t> header((layout.info_bytes + 3) / 4);
  std::memcpy(header.data(), info, layout.info_bytes);
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

}  // namespace tora
