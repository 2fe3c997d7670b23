// Any bytes as a help page: the reading ends, gives valid UTF-8 without
// control characters (line breaks only in code), grows the text by a
// bounded factor, and makes rich text whose groups balance.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/help_text.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void RequireUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t n = b < 0x80 ? 1 : b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    Require(n != 0 && i + n <= s.size());
    for (size_t k = 1; k < n; ++k) Require((static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80);
    i += n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  const std::vector<tora::HelpBlock> blocks = tora::ReadableHelp(html);
  size_t total = 0;
  for (const tora::HelpBlock& b : blocks) {
    Require(!b.text.empty());
    RequireUtf8(b.text);
    for (char c : b.text)
      Require(static_cast<unsigned char>(c) >= 0x20 || (c == '\n' && b.kind == tora::HelpBlockKind::kCode));
    total += b.text.size();
  }
  Require(total <= 3 * size);
  const std::string rtf = tora::HelpRtf(blocks, std::string(html, 0, size < 8 ? size : 8), "NSimSun");
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
      continue;
    }
    Require(static_cast<unsigned char>(rtf[i]) < 0x80);
    depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
    Require(depth > 0 || i + 1 == rtf.size());
  }
  Require(depth == 0);
  RequireUtf8(tora::HelpPlainText(blocks));
  return 0;
}
