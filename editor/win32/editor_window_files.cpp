// The editor's script-file commands: loading a script into the code box a
// slice at a time, saving it, switching, opening, creating and copying
// scripts, and the script list.
#include "editor/win32/editor_window.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "editor/script_file.h"
#include "editor/texts.h"
#include "engine/script_text.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

namespace {

// A long script goes into the code box a slice at a time, on a timer whose
// tick stops adding slices once this long has passed: the edit control takes
// its time measuring every line, and the program answers messages between
// the ticks.
constexpr DWORD kFillTickMs = 50;
constexpr size_t kFillSliceChars = 16384;

// Two paths naming the same file as the system compares them (case aside).
bool SamePath(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() &&
         CompareStringOrdinal(Widen(a).c_str(), -1, Widen(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring EditorWindow::CodeBoxText() {
  // Whoever reads the code box gets the whole script.
  CompleteFill();
  return ControlTextWide(Item(IDC_CODE_BOX));
}

void EditorWindow::StartFill(std::wstring text) {
  StopFill();
  if (!exists()) return;
  SetWindowTextW(Item(IDC_CODE_BOX), L"");
  fill_text_ = std::move(text);
  // A short script is in at once.
  if (FillSome(kFillTickMs)) {
    FinishFill();
    return;
  }
  // A long one: the editor is busy, and says so, until it is in. The user
  // cannot type into half a script meanwhile; the program answers. Hidden,
  // the code box skips the drawing it would do for every slice.
  filling_ = true;
  EnableWindow(hwnd(), FALSE);
  ShowWindow(Item(IDC_CODE_BOX), SW_HIDE);
  ShowFillProgress();
  SetTimer(hwnd(), kFillTimer, USER_TIMER_MINIMUM, nullptr);
}

void EditorWindow::FillTick() {
  // A message box over the editor meanwhile enables it again when it goes.
  if (IsWindowEnabled(hwnd())) EnableWindow(hwnd(), FALSE);
  if (FillSome(kFillTickMs))
    FinishFill();
  else
    ShowFillProgress();
}

bool EditorWindow::FillSome(DWORD ms) {
  HWND box = Item(IDC_CODE_BOX);
  const DWORD start = GetTickCount();
  for (;;) {
    const size_t at = static_cast<size_t>(GetWindowTextLengthW(box));
    if (at >= fill_text_.size()) return true;
    size_t end = std::min(at + kFillSliceChars, fill_text_.size());
    // Slices end after a line break where there is one.
    if (end < fill_text_.size()) {
      const size_t line_end = fill_text_.rfind(L'\n', end - 1);
      if (line_end != std::wstring::npos && line_end >= at) end = line_end + 1;
    }
    const std::wstring slice = fill_text_.substr(at, end - at);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(at), static_cast<LPARAM>(at));
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(slice.c_str()));
    if (static_cast<size_t>(GetWindowTextLengthW(box)) != end) {
      // The box did not take the slice (no memory left): the script is
      // treated as one that cannot be read, never as the part that went in.
      fill_failed_ = true;
      return true;
    }
    if (GetTickCount() - start >= ms) return end >= fill_text_.size();
  }
}

void EditorWindow::ShowFillProgress() {
  const size_t at = static_cast<size_t>(GetWindowTextLengthW(Item(IDC_CODE_BOX)));
  const int percent = fill_text_.empty() ? 100 : static_cast<int>(at * 100 / fill_text_.size());
  SetWindowTextW(hwnd(), Widen(Format(editor_texts::kLoadingCaption, percent)).c_str());
}

void EditorWindow::FinishFill() {
  KillTimer(hwnd(), kFillTimer);
  fill_text_.clear();
  fill_text_.shrink_to_fit();
  HWND box = Item(IDC_CODE_BOX);
  SendMessageW(box, EM_SETSEL, 0, 0);
  if (filling_) {
    filling_ = false;
    ShowWindow(box, SW_SHOW);
    SetWindowTextW(hwnd(), Widen(editor_texts::kEditorCaption).c_str());
    EnableWindow(hwnd(), TRUE);
  }
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
  if (fill_failed_) {
    fill_failed_ = false;
    SetWindowTextW(box, L"");
    clean_text_.clear();
    unreadable_path_ = script_path_;
    Tell(Format(editor_texts::kScriptUnreadable, script_path_.c_str()));
    return;
  }
  clean_text_ = CodeBoxText();
}

void EditorWindow::CompleteFill() {
  if (!filling_) return;
  FillSome(INFINITE);
  FinishFill();
}

void EditorWindow::StopFill() {
  KillTimer(hwnd(), kFillTimer);
  fill_text_.clear();
  fill_failed_ = false;
  if (!filling_) return;
  filling_ = false;
  ShowWindow(Item(IDC_CODE_BOX), SW_SHOW);
  SetWindowTextW(hwnd(), Widen(editor_texts::kEditorCaption).c_str());
  EnableWindow(hwnd(), TRUE);
}

void EditorWindow::SetCodeBoxText(const std::string& gbk) { SetItemText(IDC_CODE_BOX, gbk); }

EditorWindow::Loaded EditorWindow::LoadScript(const std::string& path) {
  script_path_ = path;
  StopFill();
  SetCodeBoxText(std::string());
  clean_text_.clear();
  if (!platform_.files.FileSize(path)) return Loaded::Missing;
  std::string bytes;
  if (!platform_.files.ReadFile(path, bytes)) {
    unreadable_path_ = path;
    return Loaded::Unreadable;
  }
  if (SamePath(path, unreadable_path_)) unreadable_path_.clear();
  const ScriptText decoded = DecodeScriptFile(bytes);
  bytes = std::string();
  // Said at once, so that nobody saves over those bytes unknowingly.
  if (decoded.has_nul || decoded.has_invalid) Tell(editor_texts::kLoadNotShownUnchanged);
  StartFill(Widen(CodeBoxTextFromFile(decoded.gbk)));
  return Loaded::Yes;
}

void EditorWindow::TellLoaded(Loaded result, const std::string& path) {
  if (result == Loaded::Missing) Tell(editor_texts::kScriptMissing);
  if (result == Loaded::Unreadable) Tell(Format(editor_texts::kScriptUnreadable, path.c_str()));
}

bool EditorWindow::CodeBoxChanged() {
  // Nobody can have typed into a script still going in.
  return exists() && !filling_ && CodeBoxText() != clean_text_;
}

std::string EditorWindow::NamedScript() {
  std::string path = ItemText(IDC_SCRIPT_NAME);
  if (path.empty()) path = ProgramDir() + "\\" + texts::kDefaultScriptName;
  return path;
}

bool EditorWindow::SaveScript() { return SaveTo(NamedScript()); }

bool EditorWindow::SaveTo(const std::string& path) {
  // An editor closed while one of its boxes was up has no text to save.
  if (!exists()) return false;
  if (SamePath(path, unreadable_path_)) {
    Tell(Format(editor_texts::kSaveRefusedUnreadable, path.c_str()));
    return false;
  }
  const std::wstring text = CodeBoxText();
  std::string gbk;
  size_t bad_at = 0;
  if (!NarrowStrict(text, gbk, &bad_at)) {
    // A "?" in place of the character would change the script silently.
    int line = 1;
    for (size_t i = 0; i < bad_at && i < text.size(); ++i)
      if (text[i] == L'\n') ++line;
    Tell(Format(editor_texts::kSaveNotGbk, line));
    return false;
  }
  if (!platform_.files.WriteFile(path, FileBytesFromCodeBox(gbk))) {
    Tell(Format(editor_texts::kSaveFailed, path.c_str()));
    return false;
  }
  script_path_ = path;
  clean_text_ = text;
  platform_.files.WriteProfile(SetupIniPath(), texts::kSetupSection, texts::kSetupKeyScript, path);
  host_.ScriptSaved(path);
  return true;
}

bool EditorWindow::SaveForClose() {
  // The empty box of a script that could not be read closes without a
  // word: writing it would destroy the file.
  const std::string path = NamedScript();
  if (SamePath(path, unreadable_path_) && !CodeBoxChanged()) return true;
  // Nor is a script written while it still goes into the box: the file
  // holds it already.
  if (filling_) return true;
  return SaveTo(path);
}

void EditorWindow::CloseWithSave() {
  // A save that failed keeps the editor open with everything the user typed.
  if (SaveForClose()) Destroy();
}

bool EditorWindow::KeepEdits() { return !CodeBoxChanged() || SaveTo(script_path_); }

void EditorWindow::SwitchToChosenScript() {
  choice_posted_ = false;
  // A choice still queued while the box of a failed save is up waits for
  // nothing: the box's end puts the list right.
  if (switching_) return;
  switching_ = true;
  const std::string path = chosen_script_;
  if (KeepEdits()) {
    SetItemText(IDC_SCRIPT_NAME, path);
    TellLoaded(LoadScript(path), path);
  } else {
    // The edits could not be kept: the editor stays on their script.
    SendMessageW(Item(IDC_SCRIPT_NAME), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetItemText(IDC_SCRIPT_NAME, script_path_);
  }
  switching_ = false;
}

void EditorWindow::OpenScript() {
  FileChoice choice;
  choice.owner = hwnd();
  choice.filter = editor_texts::kOpenFilter;
  choice.folder = ProgramDir();
  choice.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  const std::optional<std::string> path = ChooseFile(choice);
  if (!path || !exists() || !KeepEdits()) return;
  SetItemText(IDC_SCRIPT_NAME, *path);
  TellLoaded(LoadScript(*path), *path);
}

void EditorWindow::NewScript() {
  FileChoice choice;
  choice.owner = hwnd();
  choice.filter = editor_texts::kNewFilter;
  choice.folder = ProgramDir();
  choice.default_extension = editor_texts::kNewDefaultExtension;
  choice.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
  choice.save = true;
  const std::optional<std::string> path = ChooseFile(choice);
  if (!path || !exists() || !KeepEdits()) return;
  // The dialog asked before an existing file was chosen: the user means to
  // replace it, readable or not.
  if (SamePath(*path, unreadable_path_)) unreadable_path_.clear();
  SetItemText(IDC_SCRIPT_NAME, *path);
  StopFill();
  SetCodeBoxText(std::string());
  clean_text_.clear();
  script_path_ = *path;
}

void EditorWindow::CopyScript() {
  const std::wstring text = CodeBoxText();
  if (!OpenClipboard(hwnd())) return;
  EmptyClipboard();
  // The text as GBK plain text, and as Unicode beside it so that programs
  // reading Unicode get every character whatever the system's code page.
  const std::string gbk = Narrow(text);
  const auto place = [](UINT format, const void* data, size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return;
    if (void* p = GlobalLock(block)) {
      memcpy(p, data, bytes);
      GlobalUnlock(block);
      if (SetClipboardData(format, block)) return;
    }
    GlobalFree(block);
  };
  place(CF_TEXT, gbk.c_str(), gbk.size() + 1);
  place(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
}

void EditorWindow::ListScripts() {
  const std::string dir = ProgramDir();
  size_t unlisted = 0;
  std::vector<std::string> paths;
  for (const std::string& name : platform_.files.ListFiles(dir, texts::kScriptPattern, &unlisted))
    paths.push_back(dir + "\\" + name);
  ReplaceItems(Item(IDC_SCRIPT_NAME), paths);
  if (unlisted > 0 && !told_unlisted_) {
    told_unlisted_ = true;
    Tell(Format(texts::kScriptsUnlisted, static_cast<int>(unlisted)));
  }
}

}  // namespace tora
