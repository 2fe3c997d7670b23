// Texts inside the script's string literals, both ways: every text the
// editor writes between quotes goes through LuaStringBody, and every literal
// it reads back out of the code (a declared name, a row of the repeat list)
// through ReadLuaString, which reads it as the interpreter does.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tora {

// The body of a double-quoted literal that the interpreter reads back as
// exactly these bytes. Backslash, double quote, line breaks and the other
// control characters are escaped byte by byte, so the second byte of a GBK
// character that happens to be a backslash (淺 is 9C 5C) is escaped too.
std::string LuaStringBody(const std::string& text);

// Reads the quoted literal ('"' or '\'') that starts at text[at] as the
// interpreter reads it, and moves at past its closing quote. Nothing when
// there is none there, or it is unfinished, holds a raw line break or an
// escape the interpreter refuses.
std::optional<std::string> ReadLuaString(const std::string& text, size_t& at);

// {"kind","fields"},CR LF: an action-table row as the pages write it.
std::string RowText(const std::string& kind, const std::string& fields);

// A line of the repeat list read as an action-table row: {"kind","fields"}
// with blanks anywhere between its parts and a ',' or ';' after it, which a
// row needs when another follows.
struct RowLine {
  std::string kind, fields;
  bool separated = false;
};
std::optional<RowLine> ReadRowLine(const std::string& line);

// The name a code line declares with call: the string literal that opens
// the argument list of a line starting with call and "(", when an argument
// follows it. Nothing for other lines.
std::optional<std::string> DeclaredName(const std::string& line, const char* call);

// The string literals that open the argument list of a line starting with
// call and "(", in order, up to the first argument that is none.
std::vector<std::string> CallLiterals(const std::string& line, const char* call);

// The names the code box's lines declare with any of the calls, in order.
std::vector<std::string> DeclaredNames(const std::string& code_box, const std::vector<const char*>& calls);

}  // namespace tora
