// The texts of the two hotkey lists and what each one registers.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tora {

struct HotkeyCombo {
  unsigned modifiers = 0;  // MOD_ALT or MOD_CONTROL
  unsigned vk = 0;         // VK_F1 ... VK_F12
};

// "Alt+F1" ... "Alt+F12", then "Ctrl+F1" ... "Ctrl+F12".
std::vector<std::string> HotkeyTexts();

// Nothing for a text that is not one of the list's items (no selection).
std::optional<HotkeyCombo> HotkeyFromText(const std::string& text);

}  // namespace tora
