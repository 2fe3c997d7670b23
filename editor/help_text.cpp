#include "editor/help_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/text.h"

namespace tora {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// The code point at text[at], moving at past it; kReplacement (and one byte
// on) for a byte that starts no valid UTF-8 sequence. valid tells which.
uint32_t NextCodePoint(const std::string& text, size_t& at, bool& valid) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  valid = true;
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  size_t length = 0;
  uint32_t cp = 0;
  uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, cp = lead & 0x1F, least = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, cp = lead & 0x0F, least = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, cp = lead & 0x07, least = 0x10000;
  if (length == 0 || at + length > text.size()) {
    valid = false;
    ++at;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      valid = false;
      ++at;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(at + i) & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    valid = false;
    ++at;
    return kReplacement;
  }
  at += length;
  return cp;
}

bool IsValidUtf8(const std::string& text) {
  bool valid = true;
  for (size_t at = 0; at < text.size() && valid;) NextCodePoint(text, at, valid);
  return valid;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9'); }
bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Where needle (lower case) first starts at or after from, any case; npos
// when nowhere. The needles are a few letters long.
size_t FindNoCase(const std::string& text, size_t from, const char* needle) {
  const size_t length = std::strlen(needle);
  for (size_t at = from; at + length <= text.size(); ++at) {
    size_t i = 0;
    while (i < length && Lower(text[at + i]) == needle[i]) ++i;
    if (i == length) return at;
  }
  return std::string::npos;
}

struct NamedEntity {
  const char* name;
  uint32_t cp;
};
// The entities help pages write; others stay as they stand.
constexpr NamedEntity kEntities[] = {
    {"amp", '&'},      {"lt", '<'},        {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},     {"middot", 0xB7},   {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026},
    {"copy", 0xA9},    {"reg", 0xAE},      {"times", 0xD7},   {"rarr", 0x2192},  {"larr", 0x2190},
    {"ldquo", 0x201C}, {"rdquo", 0x201D},  {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"laquo", 0xAB},
    {"raquo", 0xBB},   {"bull", 0x2022},   {"yen", 0xA5},     {"deg", 0xB0},
};

// What an element does to the text around it.
enum class Role { kInline, kSkipContent, kBlock, kList, kRow, kCell, kCode, kBreak };

struct Element {
  const char* name;
  Role role;
  HelpBlockKind kind;
};
constexpr Element kElements[] = {
    {"h1", Role::kBlock, HelpBlockKind::kTitle},          {"h2", Role::kBlock, HelpBlockKind::kHeading},
    {"h3", Role::kBlock, HelpBlockKind::kSubheading},     {"h4", Role::kBlock, HelpBlockKind::kSubheading},
    {"h5", Role::kBlock, HelpBlockKind::kSubheading},     {"h6", Role::kBlock, HelpBlockKind::kSubheading},
    {"li", Role::kList, HelpBlockKind::kListItem},        {"tr", Role::kRow, HelpBlockKind::kTableRow},
    {"td", Role::kCell, HelpBlockKind::kTableRow},        {"th", Role::kCell, HelpBlockKind::kTableHead},
    {"pre", Role::kCode, HelpBlockKind::kCode},           {"br", Role::kBreak, HelpBlockKind::kParagraph},
    {"script", Role::kSkipContent, HelpBlockKind::kParagraph},
    {"style", Role::kSkipContent, HelpBlockKind::kParagraph},
    {"title", Role::kSkipContent, HelpBlockKind::kParagraph},
};
// Elements that end the block before them and start a paragraph.
constexpr const char* kParagraphElements[] = {
    "p",      "div",  "section", "article", "blockquote", "center", "form",  "header", "footer",
    "nav",    "main", "dl",      "dt",      "dd",         "caption", "body", "html",   "figure",
    "hr",     "ul",   "ol",      "table",   "tbody",      "thead",  "tfoot", "address", "aside",
    "figcaption", "details", "summary", "fieldset", "legend", "head"};

Element Classify(const std::string& name) {
  for (const Element& e : kElements)
    if (name == e.name) return e;
  for (const char* p : kParagraphElements)
    if (name == p) return Element{p, Role::kBlock, HelpBlockKind::kParagraph};
  return Element{"", Role::kInline, HelpBlockKind::kParagraph};
}

class HtmlReader {
 public:
  explicit HtmlReader(const std::string& html) : in_(html) {
    last_double_quote_ = in_.rfind('"');
    last_single_quote_ = in_.rfind('\'');
  }

  std::vector<HelpBlock> Read() {
    while (at_ < in_.size()) {
      const char c = in_[at_];
      if (c == '<') {
        Tag();
      } else if (c == '&') {
        Entity();
      } else {
        Char(static_cast<unsigned char>(c));
        ++at_;
      }
    }
    Flush();
    return std::move(blocks_);
  }

 private:
  // One byte of text (a UTF-8 sequence arrives byte by byte; only ASCII
  // bytes are spaces or controls).
  void Char(unsigned char c) {
    if (code_depth_ > 0) {
      CodeChar(c);
      return;
    }
    if (IsHtmlSpace(static_cast<char>(c))) {
      pending_space_ = true;
      pending_break_ = pending_break_ || c == '\n' || c == '\r';
      return;
    }
    if (c < 0x20 || c == 0x7F) return;
    if (pending_space_ && !text_.empty() && text_.back() != ' ') {
      // A line break between two Chinese characters (or their punctuation)
      // is no space in the text.
      const bool joins = pending_break_ && IsWideLead(LastLead()) && IsWideLead(c);
      if (!joins) text_ += ' ';
    }
    pending_space_ = pending_break_ = false;
    text_ += static_cast<char>(c);
  }

  // The first byte of the last character of the text.
  unsigned char LastLead() const {
    size_t at = text_.size() - 1;
    while (at > 0 && text_.size() - at < 4 && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80) --at;
    return static_cast<unsigned char>(text_[at]);
  }
  // A lead byte of U+3000 and above: CJK punctuation, kana, ideographs,
  // full-width forms.
  static bool IsWideLead(unsigned char b) { return b >= 0xE3 && b <= 0xEF; }

  void CodeChar(unsigned char c) {
    // A CR LF of the page is one line break; a CR that a character
    // reference gives stands alone (at_ is past the reference then).
    const bool cr_lf = c == '\r' && !in_reference_ && at_ + 1 < in_.size() && in_[at_ + 1] == '\n';
    if (skip_newline_) {
      skip_newline_ = false;
      if (c == '\n') return;
      if (c == '\r') {
        if (cr_lf) ++at_;
        return;
      }
    }
    if (c == '\r') {
      if (cr_lf) return;
      c = '\n';
    }
    if (c == '\t') {
      text_ += "    ";
      return;
    }
    if ((c < 0x20 && c != '\n') || c == 0x7F) return;
    text_ += static_cast<char>(c);
  }

  void Entity() {
    // "&#NNN;", "&#xHHH;" or "&name;"; anything else is a plain '&'.
    size_t end = at_ + 1;
    uint32_t cp = 0;
    bool known = false;
    if (end < in_.size() && in_[end] == '#') {
      ++end;
      const bool hex = end < in_.size() && (in_[end] == 'x' || in_[end] == 'X');
      if (hex) ++end;
      const size_t digits_start = end;
      uint64_t value = 0;
      while (end < in_.size()) {
        const char d = in_[end];
        int digit = -1;
        if (d >= '0' && d <= '9') digit = d - '0';
        else if (hex && Lower(d) >= 'a' && Lower(d) <= 'f') digit = Lower(d) - 'a' + 10;
        if (digit < 0) break;
        // Held just past the last code point, however many digits follow.
        value = std::min<uint64_t>(value * (hex ? 16 : 10) + static_cast<uint64_t>(digit), 0x110000);
        ++end;
      }
      if (end > digits_start) {
        known = true;
        cp = value == 0 || value > 0x10FFFF ? kReplacement : static_cast<uint32_t>(value);
        if (end < in_.size() && in_[end] == ';') ++end;
      }
    } else {
      std::string name;
      while (end < in_.size() && IsAsciiAlnum(in_[end]) && name.size() < 10) name += in_[end++];
      if (end < in_.size() && in_[end] == ';') {
        for (const NamedEntity& e : kEntities)
          if (name == e.name) {
            known = true;
            cp = e.cp;
          }
        ++end;
      }
    }
    if (!known) {
      Char('&');
      ++at_;
      return;
    }
    at_ = end;
    std::string bytes;
    AppendUtf8(bytes, cp);
    in_reference_ = true;
    for (char b : bytes) Char(static_cast<unsigned char>(b));
    in_reference_ = false;
  }

  void Tag() {
    const size_t next = at_ + 1;
    const char c = next < in_.size() ? in_[next] : '\0';
    if (c == '!') {
      // A comment runs to "-->", a declaration to '>'.
      const bool comment = in_.compare(next, 3, "!--") == 0;
      const size_t end = comment ? in_.find("-->", next + 3) : in_.find('>', next);
      at_ = end == std::string::npos ? in_.size() : end + (comment ? 3 : 1);
      return;
    }
    if (c == '?') {
      const size_t end = in_.find('>', next);
      at_ = end == std::string::npos ? in_.size() : end + 1;
      return;
    }
    const bool closing = c == '/';
    const size_t name_start = closing ? next + 1 : next;
    if (name_start >= in_.size() || !IsAsciiLetter(in_[name_start])) {
      // Not a tag: the '<' is text.
      Char('<');
      ++at_;
      return;
    }
    std::string name;
    size_t end = name_start;
    while (end < in_.size() && IsAsciiAlnum(in_[end])) {
      if (name.size() < 16) name += Lower(in_[end]);
      ++end;
    }
    at_ = TagEnd(end);
    const Element element = Classify(name);
    if (closing) {
      EndElement(element);
    } else {
      StartElement(element);
    }
  }

  // Where the tag whose attributes start at from ends: past its '>', a '>'
  // inside quotes not counting. A quote with no partner later in the page
  // counts as a plain character, so no tag reads the rest of the page twice.
  size_t TagEnd(size_t from) {
    size_t i = from;
    while (i < in_.size()) {
      const char c = in_[i];
      if (c == '>') return i + 1;
      if ((c == '"' && last_double_quote_ != std::string::npos && i < last_double_quote_) ||
          (c == '\'' && last_single_quote_ != std::string::npos && i < last_single_quote_)) {
        i = in_.find(c, i + 1) + 1;
        continue;
      }
      ++i;
    }
    return in_.size();
  }

  void StartElement(const Element& element) {
    if (code_depth_ > 0) {
      // Inside code only the line breaks and the code's own end count.
      if (element.role == Role::kBreak) text_ += '\n';
      if (element.role == Role::kCode) ++code_depth_;
      return;
    }
    switch (element.role) {
      case Role::kInline:
        return;
      case Role::kSkipContent: {
        const std::string close = std::string("</") + element.name;
        const size_t end = FindNoCase(in_, at_, close.c_str());
        at_ = end == std::string::npos ? in_.size() : TagEnd(end + close.size());
        return;
      }
      case Role::kBlock:
      case Role::kList:
      case Role::kRow:
        Open(element.kind);
        return;
      case Role::kCell:
        if (kind_ != HelpBlockKind::kTableRow && kind_ != HelpBlockKind::kTableHead) Open(HelpBlockKind::kTableRow);
        if (element.kind == HelpBlockKind::kTableHead) kind_ = HelpBlockKind::kTableHead;
        if (cells_++ > 0) {
          while (!text_.empty() && text_.back() == ' ') text_.pop_back();
          text_ += " | ";
        }
        pending_space_ = pending_break_ = false;
        return;
      case Role::kCode:
        Open(HelpBlockKind::kCode);
        ++code_depth_;
        skip_newline_ = true;
        return;
      case Role::kBreak:
        Flush();
        return;
    }
  }

  void EndElement(const Element& element) {
    if (code_depth_ > 0) {
      if (element.role == Role::kCode && --code_depth_ == 0) Open(HelpBlockKind::kParagraph);
      return;
    }
    if (element.role == Role::kBlock || element.role == Role::kList || element.role == Role::kRow)
      Open(HelpBlockKind::kParagraph);
  }

  void Open(HelpBlockKind kind) {
    Flush();
    kind_ = kind;
    cells_ = 0;
  }

  void Flush() {
    skip_newline_ = false;
    pending_space_ = pending_break_ = false;
    size_t end = text_.size();
    while (end > 0 && (text_[end - 1] == ' ' || text_[end - 1] == '\n')) --end;
    size_t start = 0;
    if (kind_ == HelpBlockKind::kCode) {
      // Blank lines before the code go; its first line's indent stays.
      for (size_t i = 0; i < end && (text_[i] == ' ' || text_[i] == '\n'); ++i)
        if (text_[i] == '\n') start = i + 1;
    } else {
      while (start < end && text_[start] == ' ') ++start;
    }
    if (start < end) blocks_.push_back(HelpBlock{kind_, text_.substr(start, end - start)});
    text_.clear();
  }

  const std::string& in_;
  size_t at_ = 0;
  size_t last_double_quote_;
  size_t last_single_quote_;
  std::vector<HelpBlock> blocks_;
  HelpBlockKind kind_ = HelpBlockKind::kParagraph;
  std::string text_;
  int code_depth_ = 0;
  int cells_ = 0;
  bool pending_space_ = false;
  bool pending_break_ = false;
  bool skip_newline_ = false;
  bool in_reference_ = false;
};

// A GBK font name inside the font table: its high bytes as hex escapes,
// the characters that would end the entry dropped.
std::string RtfFontName(const std::string& gbk) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : gbk) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      out += "\\'";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else if (b >= 0x20 && c != '\\' && c != '{' && c != '}' && c != ';') {
      out += c;
    }
  }
  return out.empty() ? std::string("SimSun") : out;
}

void AppendRtfText(std::string& out, const std::string& utf8) {
  for (size_t at = 0; at < utf8.size();) {
    bool valid = true;
    const uint32_t cp = NextCodePoint(utf8, at, valid);
    if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp == '\n') {
      out += "\\line ";
    } else if (cp == '\t') {
      out += "\\tab ";
    } else if (cp < 0x20 || cp == 0x7F) {
      continue;
    } else if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else {
      // \uN takes a signed 16-bit number; characters beyond the BMP go as
      // their two surrogates.
      const auto unit = [&out](uint32_t u) {
        out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(u))) + "?";
      };
      if (cp >= 0x10000) {
        unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        unit(cp);
      }
    }
  }
}

// The paragraph and character settings each kind of block starts with (sizes
// in half points, spaces and indents in twips) and what ends it.
const char* RtfStart(HelpBlockKind kind) {
  switch (kind) {
    case HelpBlockKind::kTitle: return "\\pard\\plain\\li80\\sb60\\sa120\\f0\\fs26\\b\\cf1 ";
    case HelpBlockKind::kHeading: return "\\pard\\plain\\li80\\sb240\\sa80\\f0\\fs22\\b\\cf1 ";
    case HelpBlockKind::kSubheading: return "\\pard\\plain\\li80\\sb160\\sa60\\f0\\fs20\\b ";
    case HelpBlockKind::kParagraph: return "\\pard\\plain\\li80\\sa100\\f0\\fs18 ";
    case HelpBlockKind::kListItem: return "\\pard\\plain\\fi-160\\li400\\sa60\\f0\\fs18 \\u8226? ";
    case HelpBlockKind::kTableHead: return "\\pard\\plain\\li240\\sa40\\f0\\fs18\\b ";
    case HelpBlockKind::kTableRow: return "\\pard\\plain\\li240\\sa40\\f0\\fs18 ";
    case HelpBlockKind::kCode: break;  // a paragraph per line, see HelpRtf
  }
  return "\\pard\\plain\\f0\\fs18 ";
}

bool IsHeading(HelpBlockKind kind) {
  return kind == HelpBlockKind::kTitle || kind == HelpBlockKind::kHeading || kind == HelpBlockKind::kSubheading;
}

bool IsRowLike(HelpBlockKind kind) {
  return kind == HelpBlockKind::kListItem || kind == HelpBlockKind::kTableRow || kind == HelpBlockKind::kTableHead;
}

}  // namespace

std::vector<HelpBlock> ReadableHelp(const std::string& html) {
  const bool bom = html.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const std::string body = bom ? html.substr(3) : html;
  if (IsValidUtf8(body)) return HtmlReader(body).Read();
  const std::string utf8 = GbkToUtf8(body);
  return HtmlReader(utf8).Read();
}

std::string HelpRtf(const std::vector<HelpBlock>& blocks, const std::string& text_font,
                    const std::string& code_font) {
  std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 " + RtfFontName(text_font) +
                    ";}{\\f1\\fmodern\\fcharset134 " + RtfFontName(code_font) +
                    ";}}{\\colortbl ;\\red150\\green75\\blue0;\\red0\\green64\\blue128;}\\uc1\n";
  for (const HelpBlock& block : blocks) {
    if (block.kind != HelpBlockKind::kCode) {
      out += RtfStart(block.kind);
      AppendRtfText(out, block.text);
      out += "\\par\n";
      continue;
    }
    // A paragraph per line of code, so that a copied example keeps its line
    // ends; the space around the code goes before its first line and after
    // its last.
    for (size_t start = 0; start <= block.text.size();) {
      size_t end = block.text.find('\n', start);
      if (end == std::string::npos) end = block.text.size();
      out += "\\pard\\plain\\li440\\f1\\fs18\\cf2";
      if (start == 0) out += "\\sb60";
      if (end == block.text.size()) out += "\\sa140";
      out += ' ';
      AppendRtfText(out, block.text.substr(start, end - start));
      out += "\\par\n";
      start = end + 1;
    }
  }
  out += "}";
  return out;
}

std::string HelpPlainText(const std::vector<HelpBlock>& blocks) {
  std::string out;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const HelpBlock& block = blocks[i];
    if (i > 0) out += IsRowLike(block.kind) && IsRowLike(blocks[i - 1].kind) ? "\r\n" : "\r\n\r\n";
    if (IsHeading(block.kind)) {
      out += "\xE3\x80\x90" + block.text + "\xE3\x80\x91";
    } else if (block.kind == HelpBlockKind::kListItem) {
      out += "  \xC2\xB7 " + block.text;
    } else if (block.kind == HelpBlockKind::kTableHead || block.kind == HelpBlockKind::kTableRow) {
      out += "  " + block.text;
    } else if (block.kind == HelpBlockKind::kCode) {
      out += "    ";
      for (char c : block.text) out += c == '\n' ? std::string("\r\n    ") : std::string(1, c);
    } else {
      out += block.text;
    }
  }
  return out;
}

}  // namespace tora
