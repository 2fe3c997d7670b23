// The "找颜色点" page: colour points and the calls that find them.
#pragma once

#include <cstdint>
#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class CFindColorDlg : public EditorPage {
 public:
  // F11 on this page: a point at the position with the colour there.
  void TakePoint(const std::string& position, uint32_t colour);

 protected:
  int TemplateId() const override { return IDD_PAGE_FIND_COLOR; }
};

}  // namespace tora
