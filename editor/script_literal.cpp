#include "editor/script_literal.h"

#include "editor/codegen.h"
#include "engine/text_util.h"

namespace tora {

namespace {

// What the interpreter's lexer takes for blank space between tokens.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

size_t SkipBlanks(const std::string& text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A line break in the source: CR, LF, or either pair of them, counted once.
size_t SkipLineBreak(const std::string& text, size_t at) {
  const char first = text[at++];
  if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != first) ++at;
  return at;
}

}  // namespace

std::string LuaStringBody(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (b < 0x20 && c != '\t') {
      // Three digits, so that a digit after it cannot join the escape.
      out += Format("\\%03u", static_cast<unsigned>(b));
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> ReadLuaString(const std::string& text, size_t& at) {
  if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::nullopt;
  const char quote = text[at];
  std::string value;
  size_t i = at + 1;
  while (i < text.size()) {
    const char c = text[i];
    if (c == quote) {
      at = i + 1;
      return value;
    }
    if (c == '\r' || c == '\n') return std::nullopt;  // unfinished string
    if (c != '\\') {
      value += c;
      ++i;
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    const char e = text[i];
    switch (e) {
      case 'a': value += '\a'; ++i; break;
      case 'b': value += '\b'; ++i; break;
      case 'f': value += '\f'; ++i; break;
      case 'n': value += '\n'; ++i; break;
      case 'r': value += '\r'; ++i; break;
      case 't': value += '\t'; ++i; break;
      case 'v': value += '\v'; ++i; break;
      case '\\': case '"': case '\'': value += e; ++i; break;
      case '\r': case '\n': value += '\n'; i = SkipLineBreak(text, i); break;
      case 'x': {
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        value += static_cast<char>(high * 16 + low);
        i += 3;
        break;
      }
      case 'z':
        i = SkipBlanks(text, i + 1);
        break;
      default: {
        if (e < '0' || e > '9') return std::nullopt;
        unsigned code = 0;
        for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '9'; ++digits, ++i)
          code = code * 10 + static_cast<unsigned>(text[i] - '0');
        if (code > 255) return std::nullopt;
        value += static_cast<char>(code);
        break;
      }
    }
  }
  return std::nullopt;
}

std::string RowText(const std::string& kind, const std::string& fields) {
  return "{\"" + LuaStringBody(kind) + "\",\"" + LuaStringBody(fields) + "\"},\r\n";
}

std::optional<RowLine> ReadRowLine(const std::string& line) {
  size_t at = SkipBlanks(line, 0);
  if (at >= line.size() || line[at] != '{') return std::nullopt;
  at = SkipBlanks(line, at + 1);
  RowLine row;
  std::optional<std::string> kind = ReadLuaString(line, at);
  if (!kind) return std::nullopt;
  at = SkipBlanks(line, at);
  if (at >= line.size() || line[at] != ',') return std::nullopt;
  at = SkipBlanks(line, at + 1);
  std::optional<std::string> fields = ReadLuaString(line, at);
  if (!fields) return std::nullopt;
  at = SkipBlanks(line, at);
  if (at >= line.size() || line[at] != '}') return std::nullopt;
  at = SkipBlanks(line, at + 1);
  if (at < line.size() && (line[at] == ',' || line[at] == ';')) {
    row.separated = true;
    at = SkipBlanks(line, at + 1);
  }
  if (at != line.size()) return std::nullopt;
  row.kind = std::move(*kind);
  row.fields = std::move(*fields);
  return row;
}

std::optional<std::string> DeclaredName(const std::string& line, const char* call) {
  const std::string open = std::string(call) + "(";
  if (!StartsWith(line, open)) return std::nullopt;
  size_t at = SkipBlanks(line, open.size());
  std::optional<std::string> name = ReadLuaString(line, at);
  at = SkipBlanks(line, at);
  // A call with nothing after its name declares nothing that runs.
  if (!name || at >= line.size() || line[at] != ',') return std::nullopt;
  return name;
}

std::vector<std::string> CallLiterals(const std::string& line, const char* call) {
  std::vector<std::string> literals;
  const std::string open = std::string(call) + "(";
  if (!StartsWith(line, open)) return literals;
  size_t at = open.size();
  for (;;) {
    at = SkipBlanks(line, at);
    std::optional<std::string> literal = ReadLuaString(line, at);
    if (!literal) break;
    literals.push_back(std::move(*literal));
    at = SkipBlanks(line, at);
    if (at >= line.size() || line[at] != ',') break;
    ++at;
  }
  return literals;
}

std::vector<std::string> DeclaredNames(const std::string& code_box, const std::vector<const char*>& calls) {
  std::vector<std::string> names;
  for (const std::string& line : BoxLines(code_box))
    for (const char* call : calls)
      if (std::optional<std::string> name = DeclaredName(line, call)) names.push_back(std::move(*name));
  return names;
}

}  // namespace tora
