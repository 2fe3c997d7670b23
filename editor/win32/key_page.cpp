#include "editor/win32/key_page.h"

namespace tora {}  // namespace tora
