// The script editor window: the tab control with its seven pages, the
// repeat list and its settings, the code box and the file buttons. Modeless,
// at most one, owned by the main window; it edits one script file at a time
// and never runs it.
#pragma once

#include <string>

#include "editor/win32/find_color_page.h"
#include "editor/win32/find_image_page.h"
#include "editor/win32/help_page.h"
#include "editor/win32/key_page.h"
#include "editor/win32/mouse_page.h"
#include "editor/win32/other_page.h"
#include "editor/win32/window_page.h"
#include "platform/platform.h"
#include "res/editor_window.h"
#include "tools/image_tool.h"
#include "tools/magnifier.h"
#include "ui/dialog_base.h"

namespace tora {

// What the editor needs of the main window.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  // A script was saved: it becomes the main window's script choice.
  virtual void ScriptSaved(const std::string& path) = 0;
  // The image tool takes a screenshot: the main window (with the editor it
  // owns) leaves the screen; false when it was out of sight already. A host
  // without a window has nothing to hide.
  virtual bool LeaveScreenForShot() { return false; }
  virtual void ReturnAfterShot() {}
};

// Tab indexes of the pages.
enum EditorTab : int { kTabWindow, kTabKey, kTabMouse, kTabFindColor, kTabFindImage, kTabOther, kTabHelp, kTabCount };

class EditorWindow : public DialogBase, private PageHost, private ImageToolHost {
 public:
  EditorWindow(HINSTANCE instance, Platform& platform, EditorHost& host)
      : instance_(instance), platform_(platform), host_(host) {}

  // The main window's "设置按键": shows the editor, creating it when there
  // is none. False when it could not be created.
  bool Open(HWND main_window);
  // The program is closing: the editor closes as its close box closes it
  // (it saves). False when the save failed and the editor stays open.
  bool CloseSaving();
  // The session ends (logging off, shutting down): what the code box holds
  // and its file does not is saved as closing would save it. False when
  // that save failed (said to the user).
  bool SaveForSessionEnd();

  bool PreTranslate(MSG& msg) override;

  // What loading a script found.
  enum class Loaded { Yes, Missing, Unreadable };

  // Operations behind the controls, public for the tests that drive them.
  Loaded LoadScript(const std::string& path);
  bool SaveScript();
  void AddRepeatCode();
  void TakeCursorPosition();
  void TestPositionColour();

  KeyPage& key_page() { return key_; }
  MousePage& mouse_page() { return mouse_; }
  FindColorPage& find_color_page() { return find_color_; }
  ImageTool& image_tool() { return image_tool_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // The frame, tabs and layout (editor_window.cpp).
  INT_PTR OnInitDialog();
  INT_PTR OnCommand(WORD id, WORD code);
  INT_PTR OnNotify(const NMHDR* header);
  INT_PTR OnHotKey(WPARAM id);
  INT_PTR OnTimer(WPARAM id);
  INT_PTR OnSize(WPARAM type, int width, int height);
  INT_PTR OnDestroy();
  // Beside the main window on its monitor's work area, over it only when
  // there is no room.
  void PlaceBeside(HWND main_window);
  void CreatePages();
  EditorPage* Page(int tab);
  void ShowPage(int tab);
  void SelectTab(int tab);
  void ShowCaretLine();
  void Tell(const std::string& gbk);
  std::string ProgramDir();
  std::string SetupIniPath();

  // The script-file commands (editor_window_files.cpp).
  void CloseWithSave();
  void OpenScript();
  void NewScript();
  void CopyScript();
  void ListScripts();
  void SwitchToChosenScript();
  void TellLoaded(Loaded result, const std::string& path);
  bool SaveTo(const std::string& path);
  bool SaveForClose();
  // Before the code box takes another script: its changes are saved to the
  // file they belong to. False when that failed (said to the user).
  bool KeepEdits();
  bool CodeBoxChanged();
  std::string NamedScript();
  // The code box's whole text (a script still going in is put in whole
  // first), and setting it.
  std::wstring CodeBoxText();
  void SetCodeBoxText(const std::string& gbk);
  // Filling the code box with a loaded script, a slice at a time.
  void StartFill(std::wstring text);
  void FillTick();
  // Appends slices for up to ms; true when the whole text is in.
  bool FillSome(DWORD ms);
  void ShowFillProgress();
  void FinishFill();
  void CompleteFill();
  void StopFill();

  // The repeat list and the code box as "添加代码" and the pages use them
  // (editor_window_code.cpp).
  void FillChoices(int combo_id, bool conditions);
  std::string Code() override;
  void PrependCode(const std::string& gbk) override;
  bool RepeatListField(const char* field, std::string& gbk) override;
  bool IntervalField(const char* field, std::string& gbk) override;
  std::wstring RepeatListText() override;
  void AppendToRepeatList(const std::string& gbk) override;
  void ClearRepeatList() override;
  void CutRepeatList(size_t chars) override;
  void ShowRecording(bool recording) override;
  bool OnRecordButton(POINT at) override;
  void StayOnTop(bool on) override;

  // The cursor-position and colour-test tools (editor_window_tools.cpp).
  void FinishColourTest();
  void ShowImageTool();
  void ToggleMagnifier();
  bool LeaveScreenForShot() override { return host_.LeaveScreenForShot(); }
  void ReturnAfterShot() override { host_.ReturnAfterShot(); }
  void KeepAbovePicture(bool above) override { StayOnTop(above); }

  HINSTANCE instance_;
  Platform& platform_;
  EditorHost& host_;
  GdiObject<HFONT> code_font_;
  int current_tab_ = 0;
  bool told_unlisted_ = false;
  // The file the code box's text belongs to (loaded from, created by
  // "新建脚本", last saved to), and that text as it was then.
  std::string script_path_;
  std::wstring clean_text_;
  // A script that exists but could not be read: nothing is written over it.
  std::string unreadable_path_;
  // A choice of the script list, waiting to be carried out.
  std::string chosen_script_;
  bool choice_posted_ = false;
  bool switching_ = false;
  // The loaded script that goes into the code box, while it does.
  std::wstring fill_text_;
  bool filling_ = false;
  bool fill_failed_ = false;
  // The pixel read of "测试位置颜色" after the cursor has moved, when it
  // waits for the screen to follow.
  int pending_x_ = 0;
  int pending_y_ = 0;
  std::string pending_x_text_;
  std::string pending_y_text_;

  WindowPage windows_;
  KeyPage key_;
  MousePage mouse_;
  FindColorPage find_color_;
  FindImagePage find_image_;
  OtherPage other_;
  HelpPage help_;
  ImageTool image_tool_;
  Magnifier magnifier_;
};

}  // namespace tora
