// GBK <-> UTF-8 conversion for the tools that print or read UTF-8.
#pragma once

#include <string>

namespace tora {

// Invalid sequences become U+FFFD (GBK to UTF-8) or '?' (UTF-8 to GBK).
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

// UTF-8 to GBK (code page 936) that refuses instead of replacing: false when
// the input is not valid UTF-8 or holds a character GBK has no form for
// (gbk is then left empty).
bool Utf8ToGbkStrict(const std::string& utf8, std::string& gbk);

}  // namespace tora
