// What every page of the editor's tab control has in common: it is a child
// dialog of the tab control, Enter and Esc inside it do nothing, and it
// reaches the editor only through the PageHost the editor hands it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/dialog_base.h"

namespace tora {

// The editor as its pages see it: the code box, the repeat list, the
// interval box and the recording button. Texts are GBK.
class PageHost {
 public:
  // The code box's whole text.
  virtual std::string Code() = 0;
  // Puts the text in front of the code box's text (window rules and
  // conditions go first in a script), leaving the rest exactly as it stands.
  virtual void PrependCode(const std::string& gbk) = 0;

  // The repeat list's text for a field of the script, and the interval
  // box's: false, after telling the user which character GBK cannot hold,
  // when there is one.
  virtual bool RepeatListField(const char* field, std::string& gbk) = 0;
  virtual bool IntervalField(const char* field, std::string& gbk) = 0;
  // The repeat list as the user sees it.
  virtual std::wstring RepeatListText() = 0;
  // Adds the text at the very end of the repeat list, after whatever is
  // there, nothing between; the caret plays no part.
  virtual void AppendToRepeatList(const std::string& gbk) = 0;
  virtual void ClearRepeatList() = 0;
  // Keeps the first chars characters of the repeat list, drops the rest.
  virtual void CutRepeatList(size_t chars) = 0;

  // The recording button shows what a click on it does next, and the
  // recording stop hotkey exists while a recording runs.
  virtual void ShowRecording(bool recording) = 0;
  // Whether the screen point lies on the recording button.
  virtual bool OnRecordButton(POINT at) = 0;
  // Keeps the editor in sight above every window, or lets it go back.
  virtual void StayOnTop(bool on) = 0;
  // A page looks at the screen: the editor leaves it first, as for the
  // image tool's screenshot; false when it was out of sight already (and
  // then does not come back either).
  virtual bool LeaveScreenForShot() { return false; }
  virtual void ReturnAfterShot() {}

 protected:
  ~PageHost() = default;
};

// A control's text as GBK, for a field whose text goes into the script.
// False, after telling the user in a box over owner which character of the
// field GBK cannot hold (it would come out as "?"), when there is one.
bool FieldText(HWND control, const char* field, HWND owner, std::string& gbk);
// The message for a character of a field that GBK cannot hold: the two
// parts with the character between them.
std::wstring NotGbkMessage(const std::string& before, const std::wstring& text, size_t bad_at, const char* after);

class EditorPage : public DialogBase {
 public:
  // Creates the page as a child of parent (the tab control), seeing the
  // editor through host, which outlives it.
  bool CreatePage(HINSTANCE instance, HWND parent, PageHost& host);

  // The editor is about to be destroyed (its pages with it).
  virtual void OnEditorClosing() {}

 protected:
  virtual int TemplateId() const = 0;
  // Called once the page exists (its WM_INITDIALOG has run).
  virtual void OnPageCreated() {}

  PageHost& host() const { return *host_; }
  // The window that owns the page's message boxes: the top-level window
  // the page sits in.
  HWND BoxOwner() const;
  // A message box over the editor with the program's title, OK only.
  void Tell(const std::string& gbk) const;
  void TellWide(const std::wstring& text) const;
  // A control's text for a field of the script (see FieldText).
  bool Field(int id, const char* field, std::string& gbk) const;

  // The default handling of a page: Enter and Esc do nothing.
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  HINSTANCE instance_ = nullptr;

 private:
  PageHost* host_ = nullptr;
};

}  // namespace tora
