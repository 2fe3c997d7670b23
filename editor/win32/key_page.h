// The "键盘" page: one key row for the repeat list. While one of its four key
// boxes has the focus, `key capture` (a low-level keyboard hook) writes the
// name of each key pressed into that box and keeps the press from every
// window.
#pragma once

#include <string>

#include "editor/page_rows.h"
#include "editor/win32/editor_page.h"
#include "res/key_page.h"
#include "res/resource.h"
#include "ui/low_level_hook.h"

namespace tora {

class KeyPage : public EditorPage {
 public:
  // "插入按键": the row from the boxes, appended to the repeat list; the key
  // boxes are emptied. Refused with a message when the main key is empty.
  void InsertKeyRow();
  // "删除": empties the four key boxes.
  void ClearKeys();
  // Whether key capture is installed now (it is exactly while a key box has
  // the focus), and the id of its box.
  bool capture_installed() const { return capture_.installed(); }
  int capture_target() const { return target_; }

  void OnEditorClosing() override;

 protected:
  int TemplateId() const override { return IDD_PAGE_KEY; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void InstallCapture(int box);
  void RemoveCapture();
  // One key event while a key box has the focus: its name into the box;
  // true when the press is kept from every window.
  bool CaptureKey(WPARAM message, const KBDLLHOOKSTRUCT& info);

  int target_ = 0;      // the key box with the focus, 0 when none
  HeldModifiers held_;  // modifiers pressed since the hook was installed
  // Last, so that it goes first: its handler uses the members above.
  LowLevelHook capture_;
};

}  // namespace tora
