// The "鼠标" page: one mouse row for the repeat list, and the mouse recorder,
// which writes a row for every left or right click made anywhere while it
// records.
#pragma once

#include <string>
#include <vector>

#include "editor/page_rows.h"
#include "editor/win32/editor_page.h"
#include "res/mouse_page.h"
#include "res/resource.h"
#include "ui/low_level_hook.h"

namespace tora {

class MousePage : public EditorPage {
 public:
  // "插入鼠标": the row from the boxes, appended to the repeat list. Refused
  // with a message while recording and for an empty or untouched field;
  // the boxes keep their values.
  void InsertMouseRow();
  // F11 on this page: the cursor position goes into the position box and
  // the row is inserted at once.
  void TakePosition(const std::string& position);
  // "录制鼠标动作" / "停止(Ctrl+F11)" on the editor, and its hotkey 900.
  void ToggleMouseRecording();
  void StopRecordingByHotkey();
  // A recording runs: its hook, the editor's hotkey and button follow.
  bool recording() const { return recording_; }

  // Whether the recorder's mouse hook is installed now.
  bool recording_hook_installed() const { return recorder_hook_.installed(); }

  // Closing the editor stops a recording: hook and hotkey go with it.
  void OnEditorClosing() override;

 protected:
  int TemplateId() const override { return IDD_PAGE_MOUSE; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void StartRecording();
  void StopRecording(bool touch_list);
  // Writes the clicks the hook has seen so far into the repeat list.
  void WriteRecordedClicks();

  struct SeenClick {
    bool right;
    POINT at;
    DWORD tick;
  };
  bool recording_ = false;
  MouseRecorder recorder_;
  // Releases the hook has seen that wait to be written.
  std::vector<SeenClick> seen_;
  bool write_posted_ = false;
  bool stopped_by_hotkey_ = false;
  // A click of this recording has opened a row that the stop closes.
  bool row_open_ = false;
  // The last click written was a left click on the recording button: the
  // stop click, when the button was clicked with the mouse.
  bool last_on_button_ = false;
  // Last, so that it goes first: its handler uses the members above.
  LowLevelHook recorder_hook_;
};

}  // namespace tora
