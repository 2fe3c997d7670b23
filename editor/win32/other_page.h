// The "其它" page: paste-text and web-address rows.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class COther : public EditorPage {
 protected:
  int TemplateId() const override { return IDD_PAGE_OTHER; }
};

}  // namespace tora
