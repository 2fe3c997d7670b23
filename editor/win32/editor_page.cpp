#include "editor/win32/editor_page.h"

#include "editor/page_texts.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"

namespace tora {

std::wstring NotGbkMessage(const std::string& before, const std::wstring& text, size_t bad_at, const char* after) {
  const size_t length = bad_at + 1 < text.size() && IS_HIGH_SURROGATE(text[bad_at]) ? 2 : 1;
  return Widen(before) + text.substr(bad_at, length) + Widen(after);
}

bool FieldText(HWND control, const char* field, HWND owner, std::string& gbk) {
  const std::wstring wide = ControlTextWide(control);
  size_t bad_at = 0;
  if (NarrowStrict(wide, gbk, &bad_at)) return true;
  const std::wstring message =
      NotGbkMessage(Format(page_texts::kNotGbkBefore, field), wide, bad_at, page_texts::kNotGbkAfter);
  MessageBoxW(owner, message.c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
  return false;
}

bool EditorPage::CreatePage(HINSTANCE instance, HWND parent, PageHost& host) {
  instance_ = instance;
  host_ = &host;
  if (!CreateChild(instance, TemplateId(), parent)) return false;
  UseChineseFont();
  OnPageCreated();
  return true;
}

HWND EditorPage::BoxOwner() const { return GetAncestor(hwnd(), GA_ROOT); }

void EditorPage::Tell(const std::string& gbk) const { TellWide(Widen(gbk)); }

void EditorPage::TellWide(const std::wstring& text) const {
  MessageBoxW(BoxOwner(), text.c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
}

bool EditorPage::Field(int id, const char* field, std::string& gbk) const {
  return FieldText(Item(id), field, BoxOwner(), gbk);
}

INT_PTR EditorPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) return TRUE;
  return FALSE;
}

}  // namespace tora
