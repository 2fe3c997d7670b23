// The "键盘" page: one key row for the repeat list. While one of its four key
// boxes has the focus, `key capture` (a low-level keyboard hook) writes the
// name of each key pressed into that box and keeps the press from every
// window.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

// The page's controls (template 137).
enum KeyPageControl : int {
  kIdKeyMain = 1026,
  kIdKeyCombo1 = 1027,
  kIdKeyCombo2 = 1028,
  kIdKeyCombo3 = 1029,
  kIdKeyMode = 1034,
  kIdKeyPause = 1043,
  kIdInsertKey = 1102,
  kIdClearKeys = 1131,
};

class KeyPage : public EditorPage {
 public:
  // "插入按键": the row from the boxes, appended to the repeat list; the key
  // boxes are emptied. Refused with a message when the main key is empty.
  void InsertKeyRow();
  // "删除": empties the four key boxes.
  void ClearKeys();
  // Whether key capture is installed now (it is exactly while a key box has
  // the focus), and the id of its box.
  static bool CaptureInstalled();
  static int CaptureTarget();

  void OnEditorClosing() override;

 protected:
  int TemplateId() const override { return IDD_PAGE_KEY; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace tora
