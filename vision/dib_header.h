// The check in front of the system's DIB renderer. GDI trusts a BMP's info
// header: it reads as many colour entries and masks as the header names and
// as many pixel rows as it declares, past the end of a short buffer. Every
// picture is checked here first, and GDI gets a copy of exactly the bytes it
// will read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tora {

struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;     // absolute
  size_t info_bytes = 0;  // header, colour table and masks as the renderer reads them
};

// True when the header (info, info_size bytes: the header, its colour table
// or masks, possibly followed by more) and the pixel data (bits_size bytes)
// make a picture the renderer can draw without reading past either buffer.
bool CheckDib(const uint8_t* info, size_t info_size, size_t bits_size, DibLayout& layout);

// The header and table of a checked picture as handed to GDI: aligned, and
// with a colour-count field that makes GDI read no entries at depths above
// 8 bits (it would read that many as an optional palette).
std::vector<uint32_t> GdiHeaderCopy(const uint8_t* info, const DibLayout& layout);

// How many bytes of a header copy GDI reads: the header, the colour entries
// it names (at every depth) and the three masks of a bit-field picture,
// which it takes from offset 40 whatever the header's size. The fuzzer
// holds this to the copy's size.
size_t GdiHeaderReads(const uint8_t* header, size_t size);

}  // namespace tora
