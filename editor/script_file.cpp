#include "editor/script_file.h"

#include "editor/texts.h"

namespace tora {

std::string CodeBoxTextFromFile(const std::string& gbk) {
  // Text-mode read: only a CR directly followed by LF is dropped.
  std::string text;
  text.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    if (gbk[i] == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') continue;
    text += gbk[i];
  }

  std::string box;
  box.reserve(text.size() + text.size() / 8);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line;
    for (size_t i = start; i < end; ++i) {
      if (text[i] == '\r') {
        line += "\r\n";
      } else if (text[i] == '\0') {
        line += editor_texts::kNulStandIn;
      } else {
        line += text[i];
      }
    }
    box += line;
    if (line.empty() || line.back() != '\n') box += "\r\n";
    start = end + 1;
  }
  return box;
}

std::string FileBytesFromCodeBox(const std::string& box) {
  std::string bytes;
  bytes.reserve(box.size() + box.size() / 8);
  for (char c : box) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

}  // namespace tora
