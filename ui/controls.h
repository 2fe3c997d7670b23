// The control helpers every window uses: texts of controls and windows as
// GBK, combo-box lists, and the open and save dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tora {

// A window's or control's whole text as the system keeps it (no message is
// sent to a window of another process, so a hung program cannot stall the
// caller), as UTF-16 or as GBK; and setting it.
std::wstring ControlTextWide(HWND control);
std::string ControlText(HWND control);

// The title of any window, another program's included, as GBK: at most
// kWindowTitleMax characters, however long the window says it is (a window
// may answer anything to WM_GETTEXTLENGTH and WM_GETTEXT). No message is sent
// to a window of another process.
constexpr size_t kWindowTitleMax = 1023;
std::string WindowTitle(HWND window);
void SetControlText(HWND control, const std::string& gbk);

// Adds a GBK item to a combo box's list.
void AddComboItem(HWND combo, const std::string& gbk);
// Refills a combo box's list, keeping what its box shows.
void ReplaceItems(HWND combo, const std::vector<std::string>& items);
// Fills a combo box's list with the items and selects the first.
void FillCombo(HWND combo, const char* const* items, size_t count);
template <size_t N>
void FillCombo(HWND combo, const char* const (&items)[N]) {
  FillCombo(combo, items, N);
}
// The text of a combo box's selected item (empty when none): the list's new
// choice, which the box itself shows only once the notification is over.
std::string SelectedText(HWND combo);

// A path chosen by the user (a file dialog) as GBK; false, after telling the
// user in a box over owner, when GBK cannot hold it.
bool PathToGbk(HWND owner, const std::wstring& path, std::string& gbk);

// What an open or save dialog shows.
struct FileChoice {
  HWND owner = nullptr;
  const char* filter = nullptr;             // "name|pattern|name|pattern|" (GBK)
  const char* title = nullptr;              // nullptr: the dialog's own
  const char* default_extension = nullptr;  // without the dot
  std::string folder;                       // empty: the system's choice
  std::string name;                         // the file name offered
  DWORD flags = 0;                          // OFN_ flags beyond the explorer style
  bool save = false;
};

// Shows the dialog; the chosen path as GBK, or nothing when the user
// cancelled or chose a path GBK cannot hold (said in a box).
std::optional<std::string> ChooseFile(const FileChoice& choice);

// A file-dialog filter written "name|pattern|name|pattern|" (GBK) in the
// double-zero-terminated form the file dialogs take.
std::wstring FileDialogFilter(const char* gbk);

}  // namespace tora
