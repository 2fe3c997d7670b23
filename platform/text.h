// GBK text below the engine: the bytes of a GBK character, and conversion
// to and from UTF-8 for the tools that print or read UTF-8.
#pragma once

#include <string>

namespace tora {

// True for a byte that starts a two-byte GBK character.
inline bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
// True for a byte that can end a two-byte GBK character.
inline bool IsGbkTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
// True when a two-byte GBK character starts at text[i].
inline bool IsGbkPairAt(const std::string& text, size_t i) {
  return i + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[i])) &&
         IsGbkTrailByte(static_cast<unsigned char>(text[i + 1]));
}

// Invalid sequences become U+FFFD (GBK to UTF-8) or '?' (UTF-8 to GBK).
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

// UTF-8 to GBK (code page 936) that refuses instead of replacing: false when
// the input is not valid UTF-8 or holds a character GBK has no form for
// (gbk is then left empty).
bool Utf8ToGbkStrict(const std::string& utf8, std::string& gbk);

}  // namespace tora
