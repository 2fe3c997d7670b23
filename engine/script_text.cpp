#include "engine/script_text.h"

#include "engine/text_util.h"
#include "platform/text.h"

namespace tora {

bool IsValidGbk(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    if (!IsGbkPairAt(text, i)) return false;
    ++i;
  }
  return true;
}

std::string OneLineEndEach(const std::string& text) {
  // Whole stretches between CRs at a time: a script of many megabytes is
  // copied about as fast as memory goes.
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', from)) {
    out.append(text, from, cr - from);
    out += '\n';
    from = cr + (text.compare(cr, 3, "\r\r\n") == 0 ? 3 : text.compare(cr, 2, "\r\n") == 0 ? 2 : 1);
  }
  out.append(text, from, std::string::npos);
  return out;
}

namespace {

bool HasNonAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The 1-based line of the first character that does not convert to GBK.
int32_t FirstUnconvertibleLine(const std::string& utf8) {
  int32_t line = 1;
  size_t start = 0;
  for (;;) {
    const size_t end = utf8.find('\n', start);
    std::string gbk;
    if (!Utf8ToGbkStrict(utf8.substr(start, end == std::string::npos ? std::string::npos : end - start), gbk))
      return line;
    if (end == std::string::npos) return line;
    start = end + 1;
    ++line;
  }
}

}  // namespace

ScriptText DecodeScriptFile(const std::string& bytes) {
  static const std::string kBom = "\xEF\xBB\xBF";
  ScriptText out;
  out.had_bom = StartsWith(bytes, kBom);
  const std::string body = out.had_bom ? bytes.substr(kBom.size()) : bytes;
  // Pure ASCII reads the same either way; only a multi-byte character tells
  // UTF-8 from GBK when there is no mark.
  const bool try_utf8 = out.had_bom || HasNonAscii(body);
  bool utf8_lost = false;
  if (try_utf8 && Utf8ToGbkStrict(body, out.gbk)) {
    out.from_utf8 = true;
  } else {
    out.gbk = body;
    // Valid UTF-8 (or marked as UTF-8) that did not convert: some character
    // has no GBK form, and the kept bytes will not read as the user wrote them.
    if (try_utf8) {
      utf8_lost = out.had_bom || IsValidUtf8(body);
      if (utf8_lost) out.unconvertible_line = FirstUnconvertibleLine(OneLineEndEach(body));
    }
  }
  out.has_nul = out.gbk.find('\0') != std::string::npos;
  out.has_invalid = utf8_lost || !IsValidGbk(out.gbk);
  return out;
}

std::string ScriptFolder(const std::string& script_path) {
  size_t end = 0;
  for (size_t i = 0; i < script_path.size(); i += IsGbkPairAt(script_path, i) ? 2 : 1)
    if (script_path[i] == '\\' || script_path[i] == '/' || (i == 1 && script_path[i] == ':')) end = i + 1;
  return script_path.substr(0, end);
}

std::string ResolveBesideScript(const std::string& file, const std::string& folder) {
  const bool absolute = (!file.empty() && (file[0] == '\\' || file[0] == '/')) || (file.size() >= 2 && file[1] == ':');
  if (absolute || file.empty()) return file;
  return folder + file;
}

}  // namespace tora
