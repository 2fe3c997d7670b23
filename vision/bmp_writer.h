// Writing a picture as a BMP file, the form the screen cut saves and the
// find-image functions read back.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tora {

// The whole file for the frame: a 14-byte file header, a 40-byte info
// header, then the rows bottom-up, three bytes blue-green-red a pixel, each
// row padded to a multiple of four bytes; no colour table. Every display
// gets 24 bits: the colours are kept exactly and no colour table is needed,
// whatever the display's depth. An empty frame gives an empty text.
std::string EncodeBmp24(const Frame& frame);

// The part of the frame from (left, top), width x height, clipped to it.
Frame CropFrame(const Frame& frame, int32_t left, int32_t top, int32_t width, int32_t height);

}  // namespace tora
