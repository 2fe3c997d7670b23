// The "找图像" page: picture conditions and actions.
#pragma once

#include <memory>
#include <string>

#include "editor/find_code.h"
#include "editor/win32/editor_page.h"
#include "editor/win32/find_page_util.h"
#include "res/find_image_page.h"
#include "res/resource.h"
#include "tools/rect_picker.h"
#include "tools/screen_cut.h"

namespace tora {

class FindImagePage : public EditorPage {
 public:
  ~FindImagePage() override;
  void OnEditorClosing() override;

  // Operations behind the controls, public for the tests that drive them.
  void OpenImageFile();
  void CutScreen();
  void ShowRectPicker();
  void GenerateImageCondition();
  void GenerateImageAction();
  void FillImageActionChoices();
  void InsertImageActionRow();
  void TestCondition();
  RectPicker& rect_picker() { return picker_; }
  // The screen cut opened last, while it is open.
  ScreenCut* screen_cut() { return cut_ && cut_->exists() ? cut_.get() : nullptr; }

 protected:
  int TemplateId() const override { return IDD_PAGE_FIND_IMAGE; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  INT_PTR OnCommand(WORD id, WORD code);
  void OnModeChanged();
  // The form's fields (the repeat list too for an action); false after a
  // message when one holds a character GBK cannot hold.
  bool ReadForm(bool actions, ImageForm& form) const;
  // Closes the screen cut, if one is open, and lets it go.
  void CloseCut();

  RectPicker picker_;
  ConditionTrial trial_;
  // Shared with the cut itself while its save asks for a file name.
  std::shared_ptr<ScreenCut> cut_;
};

}  // namespace tora
