// The "帮助" page: the program's own help page in a web pane, as text where
// no browser engine renders it.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/help_page.h"
#include "res/resource.h"

namespace tora {

class HelpPage : public EditorPage {
 public:
  // The help page's full path, before the page is made.
  void SetAddress(const std::string& address) { address_ = address; }

 protected:
  int TemplateId() const override { return IDD_PAGE_HELP; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  std::string address_;
};

}  // namespace tora
