#include "editor/win32/other_page.h"

namespace tora {}  // namespace tora
