#include "platform/ini_text.h"

#include <vector>

#include "platform/text.h"

namespace tora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One line of the text: content in [begin, end), the next line at next.
struct Line {
  size_t begin, end, next;
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back(Line{pos, end, next});
    pos = next;
  }
  return lines;
}

void Trim(const std::string& text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive for ASCII letters only: the second byte of a GBK
// character may look like a letter and must match exactly.
bool NameEquals(const std::string& text, size_t begin, size_t end, const std::string& name) {
  if (end - begin != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char a = text[begin + i];
    const char b = name[i];
    if (IsGbkLeadByte(static_cast<unsigned char>(a)) && i + 1 < name.size()) {
      if (a != b || text[begin + i + 1] != name[i + 1]) return false;
      ++i;
      continue;
    }
    if (AsciiLower(a) != AsciiLower(b)) return false;
  }
  return true;
}

// Position of the first ']' that is a character of its own, or npos.
size_t FindCloseBracket(const std::string& text, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < end) {
      ++i;
      continue;
    }
    if (text[i] == ']') return i;
  }
  return std::string::npos;
}

enum class LineKind { Other, Section, Key };

struct Parsed {
  LineKind kind = LineKind::Other;
  size_t name_begin = 0, name_end = 0;    // section or key name
  size_t value_begin = 0, value_end = 0;  // key lines: the value, blanks trimmed
  size_t after_equals = 0;                // key lines: first byte after '='
};

Parsed ParseLine(const std::string& text, const Line& line) {
  Parsed p;
  size_t begin = line.begin, end = line.end;
  Trim(text, begin, end);
  if (begin == end || text[begin] == ';') return p;
  if (text[begin] == '[') {
    size_t close = FindCloseBracket(text, begin + 1, end);
    p.kind = LineKind::Section;
    p.name_begin = begin + 1;
    p.name_end = close == std::string::npos ? end : close;
    Trim(text, p.name_begin, p.name_end);
    return p;
  }
  const size_t equals = text.find('=', begin);
  if (equals == std::string::npos || equals >= end) return p;
  p.kind = LineKind::Key;
  p.name_begin = begin;
  p.name_end = equals;
  Trim(text, p.name_begin, p.name_end);
  p.after_equals = equals + 1;
  p.value_begin = equals + 1;
  p.value_end = end;
  Trim(text, p.value_begin, p.value_end);
  return p;
}

bool HasLineBreakOrNul(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

bool HasOuterBlanks(const std::string& s) { return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back())); }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Quotes the value when reading it back would otherwise lose something.
std::string EncodeValue(const std::string& value) {
  const bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
  if (HasOuterBlanks(value) || quoted) return '"' + value + '"';
  return value;
}

std::string LineBreakOf(const std::string& text) {
  const size_t n = text.find('\n');
  if (n != std::string::npos && (n == 0 || text[n - 1] != '\r')) return "\n";
  return "\r\n";
}

// Where a key was found, or where its section ends.
struct Location {
  bool key_found = false;
  bool section_found = false;
  size_t value_from = 0, value_to = 0;  // the bytes a new value replaces
  size_t section_end = 0;               // end of the section's last non-blank line
};

Location Locate(const std::string& text, const std::string& section, const std::string& key) {
  Location loc;
  bool in_section = false;
  bool in_first_section = false;
  for (const Line& line : SplitLines(text)) {
    const Parsed p = ParseLine(text, line);
    if (p.kind == LineKind::Section) {
      in_section = NameEquals(text, p.name_begin, p.name_end, section);
      in_first_section = in_section && !loc.section_found;
      if (in_section && !loc.section_found) {
        loc.section_found = true;
        loc.section_end = line.end;
      }
      continue;
    }
    if (!in_section) continue;
    if (in_first_section && line.end > line.begin) {
      size_t b = line.begin, e = line.end;
      Trim(text, b, e);
      if (b < e) loc.section_end = line.end;
    }
    if (p.kind == LineKind::Key && NameEquals(text, p.name_begin, p.name_end, key)) {
      loc.key_found = true;
      loc.value_from = p.after_equals;
      loc.value_to = line.end;
      // keep the blank that followed '=' in a hand-written "key = value"
      size_t v = p.after_equals;
      while (v < line.end && IsBlank(text[v])) ++v;
      if (v < line.end) loc.value_from = v;
      return loc;
    }
  }
  return loc;
}

}  // namespace

std::optional<std::string> IniFindValue(const std::string& text, const std::string& section,
                                        const std::string& key) {
  bool in_section = false;
  for (const Line& line : SplitLines(text)) {
    const Parsed p = ParseLine(text, line);
    if (p.kind == LineKind::Section) {
      in_section = NameEquals(text, p.name_begin, p.name_end, section);
    } else if (in_section && p.kind == LineKind::Key && NameEquals(text, p.name_begin, p.name_end, key)) {
      size_t b = p.value_begin, e = p.value_end;
      if (e - b >= 2 && IsQuote(text[b]) && text[b] == text[e - 1]) {
        ++b;
        --e;
      }
      return text.substr(b, e - b);
    }
  }
  return std::nullopt;
}

bool IniSetValue(std::string& text, const std::string& section, const std::string& key,
                 const std::string& value) {
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
  if (key.empty() || key.find('=') != std::string::npos || HasOuterBlanks(key) || key[0] == '[' || key[0] == ';')
    return false;
  if (HasOuterBlanks(section) || FindCloseBracket(section, 0, section.size()) != std::string::npos) return false;

  const std::string encoded = EncodeValue(value);
  const std::string eol = LineBreakOf(text);
  const Location loc = Locate(text, section, key);
  if (loc.key_found) {
    text.replace(loc.value_from, loc.value_to - loc.value_from, encoded);
  } else if (loc.section_found) {
    text.insert(loc.section_end, eol + key + "=" + encoded);
  } else {
    if (!text.empty() && text.back() != '\n') text += eol;
    text += "[" + section + "]" + eol + key + "=" + encoded + eol;
  }
  return true;
}

}  // namespace tora
