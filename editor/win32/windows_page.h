// The "窗口" page: window operations for the top of the code box.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class CWindowsDlg : public EditorPage {
 protected:
  int TemplateId() const override { return IDD_PAGE_WINDOWS; }
};

}  // namespace tora
