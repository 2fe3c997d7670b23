// A thin base for our dialogs: the dialog procedure keeps `this` from
// WM_INITDIALOG on and hands every message to the derived class, which
// routes each one to a named handler. A dialog runs modal, modeless (served
// by the program's message loop) or as a child page of another window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tora {

class DialogBase {
 public:
  DialogBase() = default;
  virtual ~DialogBase();
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // Runs the dialog template as a modal dialog; returns what EndDialog was
  // given, or -1 when the dialog could not be created.
  INT_PTR RunModal(HINSTANCE instance, int template_id, HWND owner);

  // Creates the template as a modeless top-level dialog owned by owner,
  // served by the message loop until it is destroyed. False when it could
  // not be created.
  bool CreateModeless(HINSTANCE instance, int template_id, HWND owner);

  // Creates the template (a child template: WS_CHILD | DS_CONTROL) as a
  // child window of parent, such as a page of a tab control.
  bool CreateChild(HINSTANCE instance, int template_id, HWND parent);

  // Destroys a modeless or child dialog (nothing when there is none).
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  bool exists() const { return hwnd_ != nullptr; }

  // A message about to be dispatched to a window of this (modeless)
  // dialog; true when it was taken here and must go no further.
  virtual bool PreTranslate(MSG& msg) { return false; }

 protected:
  // One message; returns TRUE when handled (the dialog manager then does
  // nothing more), FALSE for the default handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // A control's whole text, GBK; and setting it.
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& gbk) const;

  // Re-creates the dialog's font with the Chinese character set and gives it
  // to every control: where the template's face is missing (an English
  // system) the font mapper then picks a face that has the glyphs.
  void UseChineseFont();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  bool modeless_ = false;
};

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
