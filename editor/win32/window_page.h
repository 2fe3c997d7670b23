// The "窗口" page: window operations for the top of the code box. The user
// picks a window from the list of open windows or by clicking on it,
// previews its corner on the real window, and adds a 窗口操作 call.
#pragma once

#include <optional>
#include <string>

#include "editor/win32/editor_page.h"
#include "editor/window_page_logic.h"
#include "res/resource.h"
#include "res/window_page.h"
#include "ui/low_level_hook.h"

namespace tora {

class WindowPage : public EditorPage {
 public:
  ~WindowPage() override;

  void OnEditorClosing() override;

  // Operations behind the controls, public for the tests that drive them.
  void RefillWindowList();
  void PreviewChosenWindow();
  void PreviewCorner();
  void ApplyTopmost(bool topmost);
  void TogglePicking();
  void AddWindowCall();
  bool picking() const { return picker_hook_.installed(); }

 protected:
  int TemplateId() const override { return IDD_PAGE_WINDOW; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  INT_PTR OnCommand(WORD id, WORD code);
  void StopPicking();
  void TakePickedWindow(POINT at);
  // The window an item text names, when it is still the window that was
  // listed; a message when it has closed meanwhile. Nothing for a text that
  // is no item (typed by hand).
  std::optional<HWND> ChosenWindow(const std::string& item_text);
  void MoveToCorner(HWND window, const std::string& corner);
  std::string SelectedText(int combo_id) const;
  // The window box's text with the part the call takes (the class or the
  // title of an item, a typed text whole) held to GBK; false after a
  // message when GBK cannot hold that part.
  bool ReadWindowBox(bool use_class, std::string& gbk) const;

  LowLevelHook picker_hook_;
};

}  // namespace tora
