#include "editor/win32/mouse_page.h"

namespace tora {

void CMouse::TakePosition(const std::string& position) {}

void CMouse::ToggleMouseRecording() {}

void CMouse::StopRecordingByHotkey() {}

}  // namespace tora
