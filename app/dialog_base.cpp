#include "app/dialog_base.h"

#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

#include "app/fault_guard.h"
#include "app/message_loop.h"
#include "app/texts.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"

namespace tora {

std::wstring ControlTextWide(HWND control) {
  const int len = GetWindowTextLengthW(control);
  if (len <= 0 || len == INT_MAX) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(control, buffer.data(), len + 1);
  return std::wstring(buffer.data(), got > 0 && got <= len ? static_cast<size_t>(got) : wcsnlen(buffer.data(), len));
}

std::string WindowTitle(HWND window) {
  // Whatever length the window reports, or answers with, is ignored: the
  // text is what it wrote into the buffer, up to its first NUL, and the
  // buffer is the most that is taken.
  std::vector<wchar_t> buffer(kWindowTitleMax + 1, L'\0');
  GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
  return Narrow(std::wstring(buffer.data(), wcsnlen(buffer.data(), kWindowTitleMax)));
}

std::string ControlText(HWND control) { return Narrow(ControlTextWide(control)); }

void SetControlText(HWND control, const std::string& gbk) { SetWindowTextW(control, Widen(gbk).c_str()); }

void AddComboItem(HWND combo, const std::string& gbk) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
}

void ReplaceItems(HWND combo, const std::vector<std::string>& items) {
  const std::string kept = ControlText(combo);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) AddComboItem(combo, item);
  SetControlText(combo, kept);
}

bool PathToGbk(HWND owner, const std::wstring& path, std::string& gbk) {
  if (NarrowStrict(path, gbk)) return true;
  MessageBoxW(owner, (Widen(app_texts::kPathNotGbk) + path).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
  return false;
}

std::wstring FileDialogFilter(const char* gbk) {
  std::wstring filter = Widen(gbk);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  return filter;
}

std::optional<std::string> ChooseFile(const FileChoice& choice) {
  const std::wstring filter = FileDialogFilter(choice.filter ? choice.filter : "");
  const std::wstring title = choice.title ? Widen(choice.title) : std::wstring();
  const std::wstring extension = choice.default_extension ? Widen(choice.default_extension) : std::wstring();
  const std::wstring folder = Widen(choice.folder);
  // Paths of any length the system allows.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring name = Widen(choice.name);
  std::copy(name.begin(), name.begin() + static_cast<ptrdiff_t>(std::min(name.size(), file.size() - 1)), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = choice.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
  if (choice.title) ofn.lpstrTitle = title.c_str();
  if (choice.default_extension) ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_EXPLORER | choice.flags;
  if (!(choice.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
  std::string path;
  if (!PathToGbk(choice.owner, file.data(), path)) return std::nullopt;
  return path;
}

DialogBase::~DialogBase() {
  // A window that outlives its object would call into freed memory; its
  // last messages no longer reach the (already destroyed) derived class.
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    if (modeless_) MessageLoop::RemoveDialog(this);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

std::string DialogBase::ItemText(int id) const { return ControlText(Item(id)); }

void DialogBase::SetItemText(int id, const std::string& gbk) const { SetControlText(Item(id), gbk); }

void DialogBase::UseChineseFont() {
  LOGFONTW face{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof(face), &face)) return;
  face.lfCharSet = GB2312_CHARSET;
  HFONT font = CreateFontIndirectW(&face);
  if (!font) return;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (font_) DeleteObject(font_);
  font_ = font;
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int template_id, HWND owner) {
  modeless_ = false;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, &DialogBase::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool DialogBase::CreateModeless(HINSTANCE instance, int template_id, HWND owner) {
  if (hwnd_) return true;
  modeless_ = true;
  HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id), owner, &DialogBase::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
  if (!hwnd) return false;
  MessageLoop::AddDialog(this);
  return true;
}

bool DialogBase::CreateChild(HINSTANCE instance, int template_id, HWND parent) {
  if (hwnd_) return true;
  modeless_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id), parent, &DialogBase::DialogProc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void DialogBase::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DialogBase* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<DialogBase*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) have no object yet.
  if (!self) return FALSE;
  const INT_PTR result =
      Guarded("dialog procedure", INT_PTR{FALSE}, [&] { return self->HandleMessage(message, wparam, lparam); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    if (self->modeless_) MessageLoop::RemoveDialog(self);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace tora
