#include "ui/controls.h"

#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "ui/texts.h"

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

void FillCombo(HWND combo, const char* const* items, size_t count) {
  for (size_t i = 0; i < count; ++i)
    AddComboItem(combo, items[i]);
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

std::string SelectedText(HWND combo) {
  const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return {};
  const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
  if (len == CB_ERR) return {};
  std::wstring item(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<size_t>(len));
  return Narrow(item);
}

bool PathToGbk(HWND owner, const std::wstring& path, std::string& gbk) {
  if (NarrowStrict(path, gbk)) return true;
  MessageBoxW(owner, (Widen(ui_texts::kPathNotGbk) + path).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
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

}  // namespace tora
