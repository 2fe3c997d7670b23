// The editor window's frame: opening and closing, the messages, the tabs
// and their pages, the layout.
#include "editor/win32/editor_window.h"

#include <commctrl.h>

#include "editor/editor_placement.h"
#include "editor/texts.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

namespace {

// The page rectangle inside the tab control's client area, in pixels.
constexpr int kPageInsetTop = 25;
constexpr int kPageInset = 5;

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

}  // namespace

bool EditorWindow::Open(HWND main_window) {
  if (exists()) {
    ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
  }
  if (!CreateModeless(instance_, IDD_EDITOR, main_window)) return false;
  PlaceBeside(main_window);
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

void EditorWindow::PlaceBeside(HWND main_window) {
  RECT main{}, editor{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!main_window || !GetWindowRect(main_window, &main) || !GetWindowRect(hwnd(), &editor) ||
      !GetMonitorInfoW(MonitorFromWindow(main_window, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  const RECT& work = monitor.rcWork;
  const Rect place = EditorPlacement(Rect{work.left, work.top, work.right, work.bottom},
                                     Rect{main.left, main.top, main.right, main.bottom},
                                     Size{editor.right - editor.left, editor.bottom - editor.top});
  SetWindowPos(hwnd(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
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
  // Before the first drop-down the boxes offer the entry that writes "0".
  AddComboItem(Item(IDC_REPEAT_CONDITION), editor_texts::kNoConditionItem);
  AddComboItem(Item(IDC_REPEAT_WINDOW), editor_texts::kForegroundWindowItem);
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
    FillTick();
    return TRUE;
  }
  if (id != kTestColourTimer) return FALSE;
  FinishColourTest();
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

}  // namespace tora
