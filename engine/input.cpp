#include "engine/input.h"

namespace tora {
void SendKeys(const std::vector<int32_t>&, KeyMode, WindowHandle, Platform&) {}
void SendMouse(uint32_t, uint32_t, int32_t, int32_t, Platform&) {}
bool PutClipboardText(const std::string&, Platform&) { return false; }
}  // namespace tora
