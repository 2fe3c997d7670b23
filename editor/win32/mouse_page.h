// The "鼠标" page: one mouse row for the repeat list, and the mouse recorder.
#pragma once

#include <string>

#include "editor/win32/editor_page.h"
#include "res/resource.h"

namespace tora {

class CMouse : public EditorPage {
 public:
  // F11 on this page: the cursor position goes into the position box and
  // the row is inserted at once.
  void TakePosition(const std::string& position);
  // "录制鼠标动作" / "停止(Ctrl+F11)" on the editor, and its hotkey 900.
  void ToggleMouseRecording();
  void StopRecordingByHotkey();

 protected:
  int TemplateId() const override { return IDD_PAGE_MOUSE; }
};

}  // namespace tora
