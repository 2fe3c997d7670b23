// Input synthesis: one step of an action list turned into synthetic input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "platform/platform.h"

namespace tora {

// Presses and/or releases the keys, to the foreground (window 0) or posted
// to the window, with a 10 ms gap between the two phases.
void SendKeys(const std::vector<int32_t>& codes, KeyMode mode, WindowHandle window, Platform& platform);

// Moves the cursor, sends the press word, waits 10 ms, sends the release word.
void SendMouse(uint32_t press, uint32_t release, int32_t x, int32_t y, Platform& platform);

// Places the text on the clipboard; false when the clipboard cannot be opened.
bool PutClipboardText(const std::string& text, Platform& platform);

}  // namespace tora
