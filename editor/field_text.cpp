#include "editor/field_text.h"

#include "engine/text_util.h"

namespace tora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(const std::string& text, size_t from, size_t most) {
  const size_t digits = text.size() - from;
  if (digits == 0 || digits > most) return false;
  for (size_t i = from; i < text.size(); ++i)
    if (!IsDigit(text[i])) return false;
  return true;
}

}  // namespace

bool IsSeconds(const std::string& text) {
  size_t digits = 0, points = 0;
  for (char c : text) {
    if (IsDigit(c)) ++digits;
    else if (c == '.') ++points;
    else return false;
  }
  return digits > 0 && points <= 1;
}

bool IsWholeNumber(const std::string& text) { return AllDigits(text, !text.empty() && text[0] == '-' ? 1 : 0, 9); }

bool IsCountNumber(const std::string& text) { return AllDigits(text, 0, 9); }

bool IsWholeNumbers(const std::string& text, int count) {
  const std::vector<std::string> parts = SplitString(text, ',');
  if (static_cast<int>(parts.size()) != count) return false;
  for (const std::string& part : parts) {
    // Blanks around a number read as none, in the script and in the row.
    const size_t first = part.find_first_not_of(' ');
    if (first == std::string::npos || !IsWholeNumber(part.substr(first, part.find_last_not_of(' ') + 1 - first)))
      return false;
  }
  return true;
}

bool IsColourDigits(const std::string& text) {
  size_t first = 0;
  while (first + 1 < text.size() && text[first] == '0') ++first;
  if (text.empty() || text.size() - first > 8) return false;
  for (char c : text)
    if (!IsDigit(c) && !((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace tora
