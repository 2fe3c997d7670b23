// Reading a script file's bytes into the program's GBK text. The editor and
// the script host both read scripts through here, so a file means the same
// text to both.
#pragma once

#include <cstdint>
#include <string>

namespace tora {

// A script file's text and what the reader noticed on the way.
struct ScriptText {
  std::string gbk;          // the whole text, GBK; never cut short
  bool from_utf8 = false;   // the file was UTF-8 and was converted
  bool had_bom = false;     // the file began with a UTF-8 byte-order mark (dropped)
  bool has_nul = false;     // the text holds a NUL byte
  // The text is not clean GBK: it holds a broken GBK sequence, or the file
  // was UTF-8 with a character GBK has no form for (its bytes were kept
  // unconverted). Either way the user should be warned.
  bool has_invalid = false;
  // When the file was UTF-8 but a character has no GBK form: the 1-based
  // line of the first such character (0 otherwise).
  int32_t unconvertible_line = 0;
};

// Decodes a script file. A UTF-8 byte-order mark means UTF-8. Without one the
// bytes are taken as UTF-8 when they are valid UTF-8 with at least one
// multi-byte character and all of it converts to GBK; otherwise they are GBK
// as they stand. Nothing is cut: NUL and 0x1A bytes stay in the text.
ScriptText DecodeScriptFile(const std::string& bytes);

// The text with one LF for every line end the editor shows: CR CR LF (what
// the editor writes), CR LF, LF and a lone CR each become one LF. The
// interpreter would count CR CR LF as two lines, and every line number it
// reports for a file the editor saved would be off.
std::string OneLineEndEach(const std::string& text);

// True when every byte is ASCII or part of a two-byte GBK character (lead
// 0x81-0xFE, trail 0x40-0xFE but 0x7F); a lone 0x80 or 0xFF, or a lead byte
// without its trail, is invalid.
bool IsValidGbk(const std::string& text);

// The folder part of a script path, with its separator ("" when the path
// has none). A backslash or a slash separates, but not a backslash that is
// the second byte of a GBK character.
std::string ScriptFolder(const std::string& script_path);

// A file named by a script: a relative name is taken from the script's
// folder; an absolute one (a drive letter and colon, or a leading backslash
// or slash) stays as written.
std::string ResolveBesideScript(const std::string& file, const std::string& folder);

}  // namespace tora
