// What the two find pages do alike with the editor's boxes and their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "editor/find_code.h"

namespace tora {

// The label, the rectangle box and "鼠标取得" work only in "活动" mode.
void EnableRangeControls(HWND page, bool moving, int label, int box, int button);
// Puts the text in front of the editor's code box, leaving the rest of it
// exactly as it stands.
void PrependToCodeBox(HWND editor, const std::string& gbk);
// Shows a refusal: the application's box over the editor, or the owner-less
// "提示" box. True when the edit was not refused.
bool AcceptEdit(const PageEdit& edit, HWND editor);

}  // namespace tora
