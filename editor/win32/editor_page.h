// What every page of the editor's tab control has in common: it is a child
// dialog of the tab control, Enter and Esc inside it do nothing, and it
// reaches the editor's repeat list through the editor's window.
#pragma once

#include <string>

#include "ui/dialog_base.h"

namespace tora {

// The editor's controls that the pages read and write.
constexpr int kIdRepeatList = 1009;
constexpr int kIdCodeBox = 1077;

// Process-wide state shared by the editor, its pages and the tools.
struct EditorShared {
  HWND editor = nullptr;   // the editor's window while it exists
  bool recording = false;  // the mouse recorder is on
};
EditorShared& SharedEditorState();

// A control's text as GBK, for a field whose text goes into the script.
// False, after telling the user in a box over owner which character of the
// field GBK cannot hold (it would come out as "?"), when there is one.
bool FieldText(HWND control, const char* field, HWND owner, std::string& gbk);
// The message for a character of a field that GBK cannot hold: the two
// parts with the character between them.
std::wstring NotGbkMessage(const std::string& before, const std::wstring& text, size_t bad_at, const char* after);

class EditorPage : public DialogBase {
 public:
  // Creates the page as a child of the tab control; editor is the editor's
  // window, through which the page reaches the repeat list.
  bool CreatePage(HINSTANCE instance, HWND tab, HWND editor);
  HWND editor() const { return editor_; }

  // The editor is about to be destroyed (its pages with it).
  virtual void OnEditorClosing() {}


 protected:
  virtual int TemplateId() const = 0;
  // Called once the page exists (its WM_INITDIALOG has run).
  virtual void OnPageCreated() {}

  // Adds the text at the very end of the repeat list, after whatever is
  // there, nothing between; the caret plays no part.
  void AppendToRepeatList(const std::string& gbk);

  // A message box over the editor with the program's title, OK only.
  void Tell(const std::string& gbk) const;
  void TellWide(const std::wstring& text) const;
  // A control's text for a field of the script (see FieldText).
  bool Field(int id, const char* field, std::string& gbk) const;
  // The same for a control of the editor's own.
  bool EditorField(int id, const char* field, std::string& gbk) const;

  // The default handling of a page: Enter and Esc do nothing.
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  HINSTANCE instance_ = nullptr;

 private:
  HWND editor_ = nullptr;
};

}  // namespace tora
