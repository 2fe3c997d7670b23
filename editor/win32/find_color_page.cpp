#include "editor/win32/find_color_page.h"

namespace tora {

void CFindColorDlg::TakePoint(const std::string& position, uint32_t colour) {}

}  // namespace tora
