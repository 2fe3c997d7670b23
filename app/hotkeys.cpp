#include "app/hotkeys.h"

#include <windows.h>

#include "app/texts.h"
#include "engine/texts.h"

namespace tora {

namespace {

// The function-key number after the prefix, 1 to 12, or 0.
int FunctionKeyAfter(const std::string& text, const std::string& prefix) {
  if (text.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::string digits = text.substr(prefix.size());
  if (digits.empty() || digits.size() > 2 || digits[0] == '0') return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= 12 ? n : 0;
}

}  // namespace

std::vector<std::string> HotkeyTexts() {
  std::vector<std::string> items;
  for (const char* prefix : {app_texts::kHotkeyAltPrefix, app_texts::kHotkeyCtrlPrefix})
    for (int n = 1; n <= 12; ++n) items.push_back(prefix + std::to_string(n));
  return items;
}

std::optional<HotkeyCombo> HotkeyFromText(const std::string& text) {
  if (int n = FunctionKeyAfter(text, app_texts::kHotkeyCtrlPrefix))
    return HotkeyCombo{MOD_CONTROL, static_cast<unsigned>(VK_F1 + n - 1)};
  if (int n = FunctionKeyAfter(text, app_texts::kHotkeyAltPrefix))
    return HotkeyCombo{MOD_ALT, static_cast<unsigned>(VK_F1 + n - 1)};
  return std::nullopt;
}

}  // namespace tora
