// The script file's text as the editor's code box holds it, and back.
#pragma once

#include <string>

namespace tora {

// The code box text for a file's decoded GBK text. The file is read as a C
// runtime text-mode stream reads it (CR LF becomes LF; 0x1A does not end it),
// then every line gets a CR LF break: a CR inside a line becomes CR LF, and
// a line that ends in such a CR gets no second break. So the CR CR LF breaks
// the editor writes come back as CR LF, and a last line without a break gets
// one. An empty text gives "". Each NUL byte becomes editor_texts::kNulStandIn
// (an edit control would cut the text there).
std::string CodeBoxTextFromFile(const std::string& gbk);

// The bytes a text-mode write stores for the code box text: every LF becomes
// CR LF, so the box's CR LF breaks are stored as CR CR LF.
std::string FileBytesFromCodeBox(const std::string& box);

}  // namespace tora
