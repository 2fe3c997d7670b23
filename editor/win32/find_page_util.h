// What the two find pages do alike with their boxes and refusals.
#pragma once

#include <windows.h>

#include <string>

#include "editor/find_code.h"

namespace tora {

// The label, the rectangle box and "鼠标取得" work only in "活动" mode.
void EnableRangeControls(HWND page, bool moving, int label, int box, int button);
// Shows a refusal: the application's box over owner (the editor), or the
// owner-less "提示" box. True when the edit was not refused.
bool AcceptEdit(const PageEdit& edit, HWND owner);

}  // namespace tora
