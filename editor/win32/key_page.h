// The "键盘" page: one key row for the repeat list.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class CKey : public EditorPage {
 protected:
  int TemplateId() const override { return IDD_PAGE_KEY; }
};

}  // namespace tora
