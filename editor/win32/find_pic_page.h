// The "找图像" page: picture conditions and actions.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class CFindPicDlg : public EditorPage {
 protected:
  int TemplateId() const override { return IDD_PAGE_FIND_PIC; }
};

}  // namespace tora
