#include "editor/win32/windows_page.h"

namespace tora {}  // namespace tora
