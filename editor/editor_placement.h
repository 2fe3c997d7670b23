// Where the editor window opens, relative to the main window.
#pragma once

#include "platform/geometry.h"

namespace tora {

// The editor's rectangle: beside the main window, level with its top, on
// the left where the work area has room (the main window sits at its right
// edge), else on the right; over the main window only when neither side has
// room, then as far to the side with more room as the work area allows.
// Always inside the work area, and no larger than it.
Rect EditorPlacement(const Rect& work_area, const Rect& main_window, Size editor);

}  // namespace tora
