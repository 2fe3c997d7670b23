// Reading a BMP file into colour samples for the find-image functions: the
// file bytes are checked here, the pixels are drawn by the platform's DIB
// renderer, and the rendered picture is thinned into ColorPoint samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

// Largest picture we agree to render: a side of 16384 pixels and 16 Mpixel
// in all. At no thinning the samples of such a picture already take 256 MiB,
// which is as much as a 32-bit process can spare; and a picture bigger than
// the screen can never be found on it anyway.
constexpr int32_t kMaxBmpSide = 16384;
constexpr int64_t kMaxBmpPixels = int64_t{1} << 24;

// Paths the file functions accept: MAX_PATH - 1 bytes.
constexpr size_t kMaxBmpPathBytes = 259;

enum class BmpError {
  kNone,
  kReadError,  // missing, unreadable, truncated, absurd sizes, undrawable
  kNotBmp,     // the first two bytes are not "BM"
};

// Where the parts of a checked file lie.
struct BmpLayout {
  uint32_t bits_offset = 0;  // file offset of the pixel data
  int32_t width = 0;
  int32_t height = 0;  // negative for a top-down picture
  uint32_t header_size = 0;
};

// Checks the bytes of a whole file: "BM", a complete file header and info
// header, a pixel-data offset inside the file, width and height not 0 and
// within the caps. Nothing is allocated.
BmpError CheckBmp(const uint8_t* data, size_t size, BmpLayout& layout);

// Checks the file bytes and hands the info header (with what follows it) and
// the pixel data to the renderer. A renderer that refuses the format gives a
// read error: an undrawn picture must not turn into samples.
BmpError RenderBmp(const std::string& file, ImagePort& images, Frame& picture);

// Reads the file at path and checks its bytes; nothing is rendered yet.
BmpError ReadBmp(const std::string& path, FilePort& files, std::string& file, BmpLayout& layout);

// Reads the file at path and renders it.
BmpError LoadBmp(const std::string& path, FilePort& files, ImagePort& images, Frame& picture);

// The thinning draw of the find-image functions: the C runtime's rand()
// sequence, never seeded, with one state per thread that carries over from
// call to call.
int32_t ThinningRand();
// Puts this thread's generator into a known state (it starts at 1). The
// program only puts back a state it saved (ThinningRandState) after drawing
// outside a script run; tests set it.
void SetThinningRandState(uint32_t state);
uint32_t ThinningRandState();

// Which draws drop a pixel: r < P for the action, r <= P for the condition.
enum class ThinningRule { kDropBelow, kDropAtOrBelow };

// How many pixels of a width x height picture SamplePicture would keep
// with the thinning generator as it is now; the generator is left as it was.
int64_t CountSamples(int64_t width, int64_t height, int32_t percent, ThinningRule rule);

// Visits the picture column by column, top to bottom, and keeps the first
// five pixels and those the thinning lets through; percent <= 0 keeps all.
// Each sample is stored at origin + its picture position (origin (0, 0) for
// a rectangle search, the fixed position otherwise), op "==", with the
// rendered colour, in the picture form of the list. Trace lines go to trace
// when it is given.
PointList SamplePicture(const Frame& picture, int32_t percent, ThinningRule rule, Point origin, TracePort* trace);

// Bytes that reading a checked picture of this size into samples takes at
// its peak: the rendered picture twice over (the renderer's bitmap and the
// frame it is read into) and the samples.
uint64_t BytesToSample(int64_t width, int64_t height, int64_t samples);

}  // namespace tora
