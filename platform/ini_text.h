// Reading and writing one key of an INI file held as GBK text. The file is
// kept byte for byte apart from the one value that changes, so that what
// the user or another program wrote into it survives.
#pragma once

#include <optional>
#include <string>

namespace tora {

// The value of key in section, or nothing when the file has no such key.
// Section and key names compare without regard to ASCII case; blanks around
// names and values are not part of them, and a value wrapped in a pair of
// quotes is read without them. The first occurrence of a key counts.
std::optional<std::string> IniFindValue(const std::string& text, const std::string& section,
                                        const std::string& key);

// Sets key in section to value, replacing the first occurrence of the key,
// or adding the key at the end of the section, or the section at the end of
// the text. Refuses (false, text unchanged) names and values that the file
// could not hold: line breaks or NUL bytes anywhere, an empty key, a key with
// '=' or leading or trailing blanks, a section with ']' or such blanks.
bool IniSetValue(std::string& text, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace tora
