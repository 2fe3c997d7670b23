// The editor as a page sees it, over edit boxes of a test's own window (any
// of them may be missing), for pages made without an editor.
#pragma once

#include <windows.h>

#include <string>

#include "editor/win32/editor_page.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace tora::test {

class PageHostStandIn : public PageHost {
 public:
  void Use(HWND code_box, HWND repeat_list, HWND interval) {
    code_box_ = code_box;
    repeat_list_ = repeat_list;
    interval_ = interval;
  }

  std::string Code() override { return ControlText(code_box_); }
  void PrependCode(const std::string& gbk) override {
    SendMessageW(code_box_, EM_SETSEL, 0, 0);
    SendMessageW(code_box_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
  }
  bool RepeatListField(const char* field, std::string& gbk) override {
    return FieldText(repeat_list_, field, GetAncestor(repeat_list_, GA_ROOT), gbk);
  }
  bool IntervalField(const char* field, std::string& gbk) override {
    return FieldText(interval_, field, GetAncestor(interval_, GA_ROOT), gbk);
  }
  std::wstring RepeatListText() override { return ControlTextWide(repeat_list_); }
  void AppendToRepeatList(const std::string& gbk) override {
    SetWindowTextW(repeat_list_, (ControlTextWide(repeat_list_) + Widen(gbk)).c_str());
  }
  void ClearRepeatList() override { SetWindowTextW(repeat_list_, L""); }
  void CutRepeatList(size_t chars) override {
    SetWindowTextW(repeat_list_, ControlTextWide(repeat_list_).substr(0, chars).c_str());
  }
  void ShowRecording(bool) override {}
  bool OnRecordButton(POINT) override { return false; }
  void StayOnTop(bool) override {}

 private:
  HWND code_box_ = nullptr;
  HWND repeat_list_ = nullptr;
  HWND interval_ = nullptr;
};

}  // namespace tora::test
