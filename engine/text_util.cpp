#include "engine/text_util.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tora {

std::vector<std::string> SplitString(const std::string& text, char separator) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  std::string piece;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsGbkPairAt(text, i)) {
      piece += text[i];
      piece += text[++i];
      continue;
    }
    if (text[i] == separator) {
      items.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += text[i];
    }
  }
  items.push_back(std::move(piece));
  return items;
}

int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

namespace {

// A double narrowed to single precision; values beyond the float range become
// infinities instead of the undefined result of a plain conversion.
float ToFloat(double value) {
  if (value > static_cast<double>(std::numeric_limits<float>::max())) return std::numeric_limits<float>::infinity();
  if (value < -static_cast<double>(std::numeric_limits<float>::max())) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

}  // namespace

int32_t SecondsToMs(double seconds) {
  const float s = ToFloat(seconds);
  // The product of a float and 1000 is exact in double; narrowing it rounds
  // once, as a single-precision multiply does. A plain float multiply may be
  // kept at x87 extended precision in the 32-bit build and truncated
  // unrounded (0.7 s would give 699 ms there).
  const float ms = ToFloat(static_cast<double>(s) * 1000.0);
  return TruncToInt32(static_cast<double>(ms));
}

double LeadingNumber(const std::string& text) {
  // strtod also takes "inf", "nan" and hexadecimal, like atof.
  const double v = std::strtod(text.c_str(), nullptr);
  return v;
}

int32_t PauseFieldToMs(const std::string& field) {
  const float ms = ToFloat(LeadingNumber(field) * 1000.0);
  return TruncToInt32(static_cast<double>(ms));
}

int32_t LeadingInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

namespace {

// Where the last character of the text starts, counting a two-byte GBK
// character as one, so that a name is never cut inside a character.
size_t LastCharacterStart(const std::string& text) {
  size_t last = 0;
  for (size_t i = 0; i < text.size(); i += IsGbkPairAt(text, i) ? 2 : 1) last = i;
  return last;
}

}  // namespace

std::string InnerName(const std::string& text) {
  if (text.empty()) return std::string();
  const size_t end = LastCharacterStart(text);
  const size_t open = text.find('(');  // never a GBK trail byte
  if (open == std::string::npos) return text.substr(0, end);
  if (open >= end) return std::string();
  return text.substr(open + 1, end - open - 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

}  // namespace tora
