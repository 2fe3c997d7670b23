// The "其它" page: paste-text and web-address rows.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/other_page.h"
#include "res/resource.h"

namespace tora {

class OtherPage : public EditorPage {
 public:
  // "插入文字": the paste row and the Ctrl+V row after it; the text box is
  // emptied. "插入网址": the address row; the address box is emptied. Each
  // is refused with a message, nothing appended and no box emptied, for an
  // empty text or address and a missing or invalid pause.
  void InsertPasteText();
  void InsertWebAddress();

 protected:
  int TemplateId() const override { return IDD_PAGE_OTHER; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Insert(int text_id, bool paste);
};

}  // namespace tora
