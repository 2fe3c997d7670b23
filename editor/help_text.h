// The help page as text the program shows itself where no browser engine
// can render it: headings, paragraphs, list items, table rows and the
// examples' code, each a block of its own. Any bytes are taken: unclosed
// tags, unknown entities and binary junk come out as readable text in time
// linear in the input.
#pragma once

#include <string>
#include <vector>

namespace tora {

enum class HelpBlockKind { kTitle, kHeading, kSubheading, kParagraph, kListItem, kTableHead, kTableRow, kCode };

struct HelpBlock {
  HelpBlockKind kind;
  // UTF-8, never empty; only code holds line breaks ('\n').
  std::string text;
};

// The blocks of an HTML page in UTF-8 (with or without a byte-order mark)
// or, when it is not valid UTF-8, GBK.
std::vector<HelpBlock> ReadableHelp(const std::string& html);

// The blocks as rich text for the system's rich edit control. The font names
// are GBK; code is set in code_font, indented.
std::string HelpRtf(const std::vector<HelpBlock>& blocks, const std::string& text_font,
                    const std::string& code_font);

// The blocks as plain UTF-8 text with CR LF line ends, for a plain edit
// control: headings framed by 【】, code indented by four blanks.
std::string HelpPlainText(const std::vector<HelpBlock>& blocks);

}  // namespace tora
