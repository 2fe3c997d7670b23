// The "找颜色点" page: colour points and the calls that find them.
#pragma once

#include <cstdint>
#include <string>

#include "editor/find_code.h"
#include "editor/win32/editor_page.h"
#include "editor/win32/find_page_util.h"
#include "platform/win32/gdi.h"
#include "res/find_color_page.h"
#include "res/resource.h"
#include "tools/rect_picker.h"

namespace tora {

class FindColorPage : public EditorPage {
 public:
  // F11 on this page: a point at the position with the colour there.
  void TakePoint(const std::string& position, uint32_t colour);
  void OnEditorClosing() override;

  // Operations behind the controls, public for the tests that drive them.
  void AddColorPoint();
  void ClearPoints();
  void GenerateColorCondition();
  void GenerateColorAction();
  void FillColorActionChoices();
  void InsertColorActionRow();
  void TestCondition();
  void ShowRectPicker();
  RectPicker& rect_picker() { return picker_; }

 protected:
  int TemplateId() const override { return IDD_PAGE_FIND_COLOR; }
  void OnPageCreated() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  INT_PTR OnCommand(WORD id, WORD code);
  void OnModeChanged();
  // The form's fields (the repeat list too for an action); false after a
  // message when one holds a character GBK cannot hold.
  bool ReadForm(bool actions, ColorForm& form) const;

  GdiObject<HBRUSH> swatch_;
  RectPicker picker_;
  ConditionTrial trial_;
};

}  // namespace tora
