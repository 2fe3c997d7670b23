#include "editor/win32/find_pic_page.h"

namespace tora {}  // namespace tora
