#include "editor/win32/editor_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "editor/codegen.h"
#include "editor/page_texts.h"
#include "editor/script_file.h"
#include "editor/texts.h"
#include "engine/script_text.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

namespace {

// "测试位置颜色" with "先移鼠标后取色": the pixel is read this long after the
// cursor moved, on a timer, so the interface thread keeps serving the
// system's hook calls meanwhile.
constexpr UINT kTestColourDelayMs = 1000;
// A long script goes into the code box a slice at a time, on a timer whose
// tick stops adding slices once this long has passed: the edit control takes
// its time measuring every line, and the program answers messages between
// the ticks.
constexpr DWORD kFillTickMs = 50;
constexpr size_t kFillSliceChars = 16384;

// The page rectangle inside the tab control's client area, in pixels.
constexpr int kPageInsetTop = 25;
constexpr int kPageInset = 5;

// Two paths naming the same file as the system compares them (case aside).
bool SamePath(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() &&
         CompareStringOrdinal(Widen(a).c_str(), -1, Widen(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A combo box, or the edit inside one, whose list is dropped down.
bool InDroppedCombo(HWND window) {
  for (HWND w = window; w; w = GetParent(w)) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (lstrcmpiW(name, L"ComboBox") == 0) return SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    if (GetWindowLongPtrW(w, GWL_STYLE) & WS_POPUP) break;
  }
  return false;
}

uint32_t ScreenPixel(int x, int y) {
  ScreenDc screen;
  if (!screen.get()) return CLR_INVALID;
  return GetPixel(screen.get(), x, y);
}

}  // namespace

bool EditorWindow::Open(HWND main_window) {
  if (exists()) {
    ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
  }
  if (!CreateModeless(instance_, IDD_EDITOR, main_window)) return false;
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

bool EditorWindow::CloseSaving() {
  if (!exists()) return true;
  if (!SaveForClose()) return false;
  Destroy();
  return true;
}

bool EditorWindow::SaveForSessionEnd() { return !exists() || !CodeBoxChanged() || SaveForClose(); }

INT_PTR EditorWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), HIWORD(wparam));
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lparam));
    case WM_HOTKEY:
      return OnHotKey(wparam);
    case WM_TIMER:
      return OnTimer(wparam);
    case WM_SIZE:
      return OnSize(wparam, LOWORD(lparam), HIWORD(lparam));
    case WM_CLOSE:
      CloseWithSave();
      return TRUE;
    case WM_QUERYENDSESSION:
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, SaveForSessionEnd() ? TRUE : FALSE);
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) SaveForSessionEnd();
      return TRUE;
    case kMsgScriptChosen:
      SwitchToChosenScript();
      return TRUE;
    case WM_SETCURSOR:
      if (!filling_) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_DESTROY:
      return OnDestroy();
    case WM_NCDESTROY:
      // The code box has gone with the window: its font goes too.
      code_font_.reset(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

// Opening: fills the boxes, loads the script the main window last chose,
// creates the seven pages and registers F11.
INT_PTR EditorWindow::OnInitDialog() {
  UseChineseFont();
  for (const char* item : editor_texts::kIntervalItems) AddComboItem(Item(IDC_REPEAT_INTERVAL), item);
  for (const char* item : editor_texts::kCountItems) AddComboItem(Item(IDC_REPEAT_COUNT), item);
  for (const char* item : editor_texts::kWindowStartItems) AddComboItem(Item(IDC_REPEAT_WINDOW), item);
  SendMessageW(Item(IDC_REPEAT_INTERVAL), CB_SELECTSTRING, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(Widen(editor_texts::kIntervalStart).c_str()));
  SendMessageW(Item(IDC_REPEAT_COUNT), CB_SETCURSEL, 0, 0);
  // Scripts and recordings of any length: the edit controls' default limit
  // would stop the user's typing at 32,767 characters.
  SendMessageW(Item(IDC_CODE_BOX), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(Item(IDC_REPEAT_LIST), EM_SETLIMITTEXT, 0, 0);

  // The font before the text: a font set afterwards has the edit control
  // measure every line of a long script a second time.
  const int height = -MulDiv(10, GetDeviceCaps(ScreenDc().get(), LOGPIXELSY), 72);
  code_font_.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                               Widen(editor_texts::kCodeFontFace).c_str()));
  if (code_font_.get())
    SendMessageW(Item(IDC_CODE_BOX), WM_SETFONT, reinterpret_cast<WPARAM>(code_font_.get()), TRUE);

  std::string path = platform_.files.ReadProfile(SetupIniPath(), texts::kSetupSection, texts::kSetupKeyScript);
  if (path.empty()) path = ProgramDir() + "\\" + texts::kDefaultScriptName;
  // The path goes into the box in any case, so that a later save creates
  // a missing file.
  SetItemText(IDC_SCRIPT_NAME, path);
  TellLoaded(LoadScript(path), path);

  CreatePages();
  RegisterHotKey(hwnd(), kF11HotkeyId, 0, VK_F11);

  RECT client;
  GetClientRect(hwnd(), &client);
  OnSize(SIZE_RESTORED, client.right, client.bottom);
  return TRUE;
}

EditorPage* EditorWindow::Page(int tab) {
  switch (tab) {
    case kTabWindow: return &windows_;
    case kTabKey: return &key_;
    case kTabMouse: return &mouse_;
    case kTabFindColor: return &find_color_;
    case kTabFindImage: return &find_image_;
    case kTabOther: return &other_;
    case kTabHelp: return &help_;
    default: return nullptr;
  }
}

void EditorWindow::CreatePages() {
  HWND tabs = Item(IDC_TABS);
  // The dialog manager walks into the tab control and its pages for Tab
  // and the arrow keys only when the control says it holds controls.
  SetWindowLongPtrW(tabs, GWL_EXSTYLE, GetWindowLongPtrW(tabs, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  int index = 0;
  for (const char* caption : editor_texts::kTabCaptions) {
    std::wstring text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
  }
  help_.SetAddress(ProgramDir() + "\\" + texts::kHelpPage);
  RECT page;
  GetClientRect(tabs, &page);
  page.top += kPageInsetTop;
  page.left += kPageInset;
  page.right -= kPageInset;
  page.bottom -= kPageInset;
  for (int tab = 0; tab < kTabCount; ++tab) {
    EditorPage* p = Page(tab);
    if (!p->CreatePage(instance_, tabs, *this)) continue;
    MoveWindow(p->hwnd(), page.left, page.top, page.right - page.left, page.bottom - page.top, FALSE);
    ShowWindow(p->hwnd(), SW_HIDE);
  }
  current_tab_ = kTabWindow;
  SendMessageW(tabs, TCM_SETCURSEL, kTabWindow, 0);
  ShowPage(kTabWindow);
}

void EditorWindow::ShowPage(int tab) {
  if (EditorPage* p = Page(tab); p && p->exists()) ShowWindow(p->hwnd(), SW_SHOW);
}

void EditorWindow::SelectTab(int tab) {
  if (EditorPage* old = Page(current_tab_); old && old->exists()) ShowWindow(old->hwnd(), SW_HIDE);
  SendMessageW(Item(IDC_TABS), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  current_tab_ = tab;
  ShowPage(tab);
}

INT_PTR EditorWindow::OnCommand(WORD id, WORD code) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      // Enter and Esc never close the editor.
      return TRUE;
    case IDC_ADD_CODE:
      if (code == BN_CLICKED) AddRepeatCode();
      return TRUE;
    case IDC_SAVE_SCRIPT:
      if (code == BN_CLICKED) SaveScript();
      return TRUE;
    case IDC_CLOSE_SAVE:
      if (code == BN_CLICKED) CloseWithSave();
      return TRUE;
    case IDC_CLOSE_NO_SAVE:
      if (code == BN_CLICKED) Destroy();
      return TRUE;
    case IDC_OPEN_SCRIPT:
      if (code == BN_CLICKED) OpenScript();
      return TRUE;
    case IDC_NEW_SCRIPT:
      if (code == BN_CLICKED) NewScript();
      return TRUE;
    case IDC_COPY_SCRIPT:
      if (code == BN_CLICKED) CopyScript();
      return TRUE;
    case IDC_IMAGE_TOOL_BUTTON:
      if (code == BN_CLICKED) ShowImageTool();
      return TRUE;
    case IDC_MAGNIFIER_BUTTON:
      if (code == BN_CLICKED) ToggleMagnifier();
      return TRUE;
    case IDC_RECORD_BUTTON:
      if (code == BN_CLICKED) mouse_.ToggleMouseRecording();
      return TRUE;
    case IDC_TEST_COLOUR:
      if (code == BN_CLICKED) TestPositionColour();
      return TRUE;
    case IDC_SCRIPT_NAME:
      if (code == CBN_DROPDOWN) {
        ListScripts();
      } else if (code == CBN_SELCHANGE) {
        // A click in the list, an arrow key or the mouse wheel: carried out
        // after the list has finished with its notification (it sets the
        // box's text afterwards, and a message box now would meet a list
        // still dropped down).
        const LRESULT sel = SendMessageW(Item(IDC_SCRIPT_NAME), CB_GETCURSEL, 0, 0);
        const LRESULT len = SendMessageW(Item(IDC_SCRIPT_NAME), CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
        if (sel != CB_ERR && len != CB_ERR) {
          std::vector<wchar_t> item(static_cast<size_t>(len) + 1, L'\0');
          SendMessageW(Item(IDC_SCRIPT_NAME), CB_GETLBTEXT, static_cast<WPARAM>(sel),
                       reinterpret_cast<LPARAM>(item.data()));
          chosen_script_ = Narrow(item.data());
          if (!choice_posted_) choice_posted_ = PostMessageW(hwnd(), kMsgScriptChosen, 0, 0) != FALSE;
        }
      }
      return TRUE;
    case IDC_REPEAT_CONDITION:
      if (code == CBN_DROPDOWN) FillChoices(IDC_REPEAT_CONDITION, true);
      return TRUE;
    case IDC_REPEAT_WINDOW:
      if (code == CBN_DROPDOWN) FillChoices(IDC_REPEAT_WINDOW, false);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR EditorWindow::OnNotify(const NMHDR* header) {
  if (header && header->idFrom == IDC_TABS && header->code == TCN_SELCHANGE) {
    if (EditorPage* old = Page(current_tab_); old && old->exists()) ShowWindow(old->hwnd(), SW_HIDE);
    current_tab_ = static_cast<int>(SendMessageW(Item(IDC_TABS), TCM_GETCURSEL, 0, 0));
    ShowPage(current_tab_);
    return TRUE;
  }
  return FALSE;
}

INT_PTR EditorWindow::OnHotKey(WPARAM id) {
  if (id == kF11HotkeyId) TakeCursorPosition();
  if (id == kRecordingStopHotkeyId) mouse_.StopRecordingByHotkey();
  return TRUE;
}

INT_PTR EditorWindow::OnTimer(WPARAM id) {
  if (id == kFillTimer) {
    // A message box over the editor meanwhile enables it again when it goes.
    if (IsWindowEnabled(hwnd())) EnableWindow(hwnd(), FALSE);
    if (FillSome(kFillTickMs))
      FinishFill();
    else
      ShowFillProgress();
    return TRUE;
  }
  if (id != kTestColourTimer) return FALSE;
  KillTimer(hwnd(), kTestColourTimer);
  PositionTarget target;
  target.x_text = pending_x_text_;
  target.y_text = pending_y_text_;
  SetItemText(IDC_TEST_RESULT, PositionColourResult(target, ScreenPixel(pending_x_, pending_y_)));
  return TRUE;
}

INT_PTR EditorWindow::OnSize(WPARAM type, int w, int h) {
  if (type == SIZE_MINIMIZED) return FALSE;
  // The code box and the test row follow the window's size; everything
  // else keeps its template place. The pixel numbers are made for a dialog
  // font of 1.5 pixels a dialog unit; where the font is larger (another
  // face, a higher DPI) they grow with it, so that the code box never covers
  // the controls beside and above it. A window narrower than the left half
  // leaves the code box empty rather than negative.
  RECT unit{0, 0, 400, 400};
  MapDialogRect(hwnd(), &unit);
  const double sx = unit.right > 600 ? unit.right / 600.0 : 1.0;
  const double sy = unit.bottom > 600 ? unit.bottom / 600.0 : 1.0;
  const auto X = [sx](int px) { return static_cast<int>(px * sx + 0.5); };
  const auto Y = [sy](int px) { return static_cast<int>(px * sy + 0.5); };
  const auto place = [&](int id, int x, int y, int width, int height) {
    if (HWND control = Item(id)) MoveWindow(control, x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
  };
  place(IDC_CODE_BOX, X(500), Y(80), w - X(500), h - Y(120));
  place(IDC_TEST_COLOUR, X(500), h - Y(35), X(85), Y(25));
  place(IDC_TEST_RESULT, X(590), h - Y(35), X(140), Y(23));
  place(IDC_MOVE_FIRST, X(740), h - Y(40), X(140), Y(15));
  place(IDC_TEST_HINT, X(740), h - Y(20), X(140), Y(15));
  return TRUE;
}

INT_PTR EditorWindow::OnDestroy() {
  KillTimer(hwnd(), kTestColourTimer);
  StopFill();
  for (int tab = 0; tab < kTabCount; ++tab) Page(tab)->OnEditorClosing();
  UnregisterHotKey(hwnd(), kF11HotkeyId);
  if (magnifier_.exists()) magnifier_.Close();
  SetItemText(IDC_MAGNIFIER_BUTTON, editor_texts::kMagnifierOpen);
  return FALSE;
}

bool EditorWindow::PreTranslate(MSG& msg) {
  if (msg.message == WM_LBUTTONUP && msg.hwnd == Item(IDC_CODE_BOX)) ShowCaretLine();
  // A multi-line edit passes Esc on to the dialog as a close request: the
  // editor would save and close. Esc does nothing here, but for closing a
  // drop-down list, which the list's own handling of the key does.
  if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) && msg.wParam == VK_ESCAPE)
    return !InDroppedCombo(msg.hwnd);
  return false;
}

void EditorWindow::ShowCaretLine() {
  const LRESULT line = SendMessageW(Item(IDC_CODE_BOX), EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
  SetItemText(IDC_CARET_LINE, Format(editor_texts::kCaretLine, static_cast<int>(line) + 1));
}

void EditorWindow::Tell(const std::string& gbk) {
  MessageBoxW(hwnd(), Widen(gbk).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
}

std::string EditorWindow::ProgramDir() { return platform_.files.ExecutableDir(); }

std::string EditorWindow::SetupIniPath() { return ProgramDir() + "\\" + texts::kSetupIni; }

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

void EditorWindow::FillChoices(int combo_id, bool conditions) {
  const std::string code = Narrow(CodeBoxText());
  ReplaceItems(Item(combo_id), conditions ? ConditionChoices(code) : WindowChoices(code));
}

void EditorWindow::AddRepeatCode() {
  RepeatCodeInput in;
  in.recording = mouse_.recording();
  namespace et = editor_texts;
  const struct {
    int id;
    const char* field;
    std::string* text;
  } fields[] = {{IDC_REPEAT_INTERVAL, et::kFieldInterval, &in.interval},   {IDC_REPEAT_COUNT, et::kFieldCount, &in.count},
                {IDC_REPEAT_LIST, et::kFieldRepeatList, &in.repeat_list}, {IDC_REPEAT_CONDITION, et::kFieldCondition, &in.condition},
                {IDC_REPEAT_WINDOW, et::kFieldWindow, &in.window},           {IDC_REPEAT_DESCRIPTION, et::kFieldDescription, &in.description}};
  for (const auto& f : fields)
    if (!FieldText(Item(f.id), f.field, hwnd(), *f.text)) return;
  in.code_box = Narrow(CodeBoxText());
  in.priority = SendMessageW(Item(IDC_REPEAT_PRIORITY), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const RepeatCodeResult result = tora::AddRepeatCode(in);
  if (!result.message.empty()) {
    Tell(result.message);
    return;
  }
  // Only the new code is added at the end, so that the rest of the code box
  // (and any character in it) is left exactly as it stands.
  const std::string added = result.code_box.substr(in.code_box.size());
  HWND box = Item(IDC_CODE_BOX);
  const LRESULT end = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(added).c_str()));
  for (int id : {IDC_REPEAT_LIST, IDC_REPEAT_DESCRIPTION, IDC_REPEAT_CONDITION, IDC_REPEAT_WINDOW})
    SetItemText(id, std::string());
}

std::string EditorWindow::Code() { return Narrow(CodeBoxText()); }

void EditorWindow::PrependCode(const std::string& gbk) {
  // The box's text goes whole before anything is put in front of it.
  CompleteFill();
  HWND box = Item(IDC_CODE_BOX);
  SendMessageW(box, EM_SETSEL, 0, 0);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

bool EditorWindow::RepeatListField(const char* field, std::string& gbk) {
  return FieldText(Item(IDC_REPEAT_LIST), field, hwnd(), gbk);
}

bool EditorWindow::IntervalField(const char* field, std::string& gbk) {
  return FieldText(Item(IDC_REPEAT_INTERVAL), field, hwnd(), gbk);
}

std::wstring EditorWindow::RepeatListText() { return ControlTextWide(Item(IDC_REPEAT_LIST)); }

void EditorWindow::AppendToRepeatList(const std::string& gbk) {
  HWND list = Item(IDC_REPEAT_LIST);
  if (!list) return;
  // Replacing an empty selection at the very end appends without rewriting
  // the whole list (a recording of thousands of clicks stays quick) and
  // without a round trip of the user's text through GBK.
  const LRESULT end = GetWindowTextLengthW(list);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(gbk).c_str()));
}

void EditorWindow::ClearRepeatList() { SetItemText(IDC_REPEAT_LIST, std::string()); }

void EditorWindow::CutRepeatList(size_t chars) {
  HWND list = Item(IDC_REPEAT_LIST);
  SendMessageW(list, EM_SETSEL, static_cast<WPARAM>(chars), -1);
  SendMessageW(list, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void EditorWindow::ShowRecording(bool recording) {
  SetItemText(IDC_RECORD_BUTTON, recording ? page_texts::kRecordStop : page_texts::kRecordStart);
  if (recording)
    RegisterHotKey(hwnd(), kRecordingStopHotkeyId, MOD_CONTROL, VK_F11);
  else
    UnregisterHotKey(hwnd(), kRecordingStopHotkeyId);
}

bool EditorWindow::OnRecordButton(POINT at) {
  HWND button = Item(IDC_RECORD_BUTTON);
  return button && WindowFromPoint(at) == button;
}

void EditorWindow::StayOnTop(bool on) {
  if (exists())
    SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void EditorWindow::TakeCursorPosition() {
  POINT at{};
  if (!GetCursorPos(&at)) return;
  POINT shown = at;
  if (image_tool_.exists()) image_tool_.PicturePoint(at, shown);
  const std::string position = PositionText(shown.x, shown.y);
  const uint32_t colour = ScreenPixel(at.x, at.y) & 0xFFFFFFu;
  if (current_tab_ == kTabMouse) mouse_.TakePosition(position);
  if (current_tab_ == kTabFindColor) find_color_.TakePoint(position, colour);
}

void EditorWindow::TestPositionColour() {
  SetItemText(IDC_TEST_RESULT, std::string());
  HWND box = Item(IDC_CODE_BOX);
  const LRESULT line = SendMessageW(box, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
  const LRESULT start = SendMessageW(box, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  const LRESULT length = SendMessageW(box, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  if (start < 0 || length < 0) return;
  // The caret's line, whole, whatever its length.
  const std::wstring text = CodeBoxText().substr(static_cast<size_t>(start), static_cast<size_t>(length));
  const std::optional<PositionTarget> target = ParsePositionLine(Narrow(text));
  if (!target) return;
  KillTimer(hwnd(), kTestColourTimer);
  if (SendMessageW(Item(IDC_MOVE_FIRST), BM_GETCHECK, 0, 0) == BST_CHECKED) {
    SetCursorPos(target->x, target->y);
    pending_x_ = target->x;
    pending_y_ = target->y;
    pending_x_text_ = target->x_text;
    pending_y_text_ = target->y_text;
    SetTimer(hwnd(), kTestColourTimer, kTestColourDelayMs, nullptr);
    return;
  }
  const uint32_t pixel = ScreenPixel(target->x, target->y);
  SetCursorPos(target->x, target->y);
  SetItemText(IDC_TEST_RESULT, PositionColourResult(*target, pixel));
}

void EditorWindow::ShowImageTool() {
  SelectTab(kTabFindColor);
  if (!image_tool_.exists() && !image_tool_.Open(instance_, this)) {
    Tell(editor_texts::kDialogCreateFailed);
    return;
  }
  ShowWindow(image_tool_.hwnd(), SW_SHOW);
}

void EditorWindow::ToggleMagnifier() {
  if (ItemText(IDC_MAGNIFIER_BUTTON) == editor_texts::kMagnifierOpen) {
    if (!magnifier_.Open(instance_)) {
      Tell(editor_texts::kDialogCreateFailed);
      return;
    }
    SetItemText(IDC_MAGNIFIER_BUTTON, editor_texts::kMagnifierClose);
    return;
  }
  SetItemText(IDC_MAGNIFIER_BUTTON, editor_texts::kMagnifierOpen);
  magnifier_.Close();
}

}  // namespace tora
