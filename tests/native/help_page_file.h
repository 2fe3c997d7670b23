// The help page beside the program, as the tests that read it need it: its
// bytes, and a piece of it with the page's entities read back.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace tora::testing {

inline std::string ReadHelpPage() {
  std::ifstream in(TORA_HELP_PAGE, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The entities the page writes; &amp; last, so that "&amp;lt;" stays "&lt;".
inline std::string UnescapeHelpText(std::string text) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : entities) {
    const std::string from = entity;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, from.size(), plain);
  }
  return text;
}

}  // namespace tora::testing
