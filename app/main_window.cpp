#include "app/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "app/about_box.h"
#include "app/hotkeys.h"
#include "app/texts.h"
#include "editor/texts.h"
#include "editor/win32/help_view.h"
#include "engine/text_util.h"
#include "engine/texts.h"
#include "platform/win32/wide.h"
#include "res/main_window.h"
#include "res/resource.h"
#include "ui/controls.h"
#include "ui/messages.h"
#include "ui/web_pane.h"

namespace tora {

INT_PTR MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
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
    case WM_SYSCOMMAND:
      return OnSysCommand(wparam);
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      return OnQueryDragIcon();
    case kMsgTrayNotify:
      return OnTrayNotify(lparam);
    case WM_MEASUREITEM:
      if (wparam != IDC_STATUS_LIST) return FALSE;
      user_.MeasureStatusItem(Item(IDC_STATUS_LIST), *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_DRAWITEM:
      if (wparam != IDC_STATUS_LIST) return FALSE;
      user_.DrawStatusItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case kMsgStatusRequest:
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, user_.ServeStatusRequest(wparam, lparam));
      return TRUE;
    case kMsgOpenUrlRequest:
      SetTimer(hwnd(), kOpenUrlTimer, 0, nullptr);
      return TRUE;
    case WM_CLOSE:
      return OnClose();
    case WM_QUERYENDSESSION:
      // The editor answers for its own text; the main window has nothing
      // that a session's end would lose.
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) EndSession();
      return TRUE;
    case WM_DESTROY:
      return OnDestroy();
    default:
      return FALSE;
  }
}

INT_PTR MainWindow::OnInitDialog() {
  UseChineseFont();
  FillChoiceLists();
  HMENU system_menu = GetSystemMenu(hwnd(), FALSE);
  if (system_menu) {
    AppendMenuW(system_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system_menu, MF_STRING, IDM_ABOUT_BOX, Widen(app_texts::kAboutMenuItem).c_str());
  }
  SendMessageW(Item(IDC_CPU_PRIORITY), CB_SETCURSEL, 1, 0);
  user_.Attach(hwnd());
  SetIcons();
  WarnIfProgramDirNotGbk();
  PrepareDefaultScript();
  ShowLastScript();
  if (WebPane* pane = WebPane::FromWindow(Item(IDC_WEB_PANE))) ShowHelpPage(*pane, HelpPagePath());
  ClaimSingleInstance();
  PlaceAtRightEdge();
  AddTrayIcon();
  return TRUE;
}

void MainWindow::FillChoiceLists() {
  for (const std::string& text : HotkeyTexts()) {
    AddComboItem(Item(IDC_START_HOTKEY), text);
    AddComboItem(Item(IDC_STOP_HOTKEY), text);
  }
  for (const char* text : {texts::kPriorityHigh, texts::kPriorityNormal, texts::kPriorityLow, texts::kPriorityLowest})
    AddComboItem(Item(IDC_CPU_PRIORITY), text);
}

void MainWindow::SetIcons() {
  icon_large_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  icon_small_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_large_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_));
}

std::string MainWindow::ExecutableDir() { return platform_.files.ExecutableDir(); }

std::string MainWindow::SetupIniPath() { return ExecutableDir() + "\\" + texts::kSetupIni; }

std::string MainWindow::HelpPagePath() { return ExecutableDir() + "\\" + texts::kHelpPage; }

void MainWindow::RememberScript(const std::string& path) {
  platform_.files.WriteProfile(SetupIniPath(), texts::kSetupSection, texts::kSetupKeyScript, path);
}

void MainWindow::WarnIfProgramDirNotGbk() {
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  std::string gbk;
  if (!NarrowStrict(module, gbk))
    MessageBoxW(hwnd(), Widen(app_texts::kProgramDirNotGbk).c_str(), Widen(texts::kAppTitle).c_str(), MB_OK);
}

void MainWindow::PrepareDefaultScript() {
  default_script_ = ExecutableDir() + "\\" + texts::kDefaultScriptName;
  // A read-only folder: the path is still offered; starting it reports the
  // missing file then.
  if (!platform_.files.CreateFileIfMissing(default_script_))
    platform_.trace.Trace("default script cannot be created: " + default_script_);
}

void MainWindow::ShowLastScript() {
  std::string path = platform_.files.ReadProfile(SetupIniPath(), texts::kSetupSection, texts::kSetupKeyScript);
  if (path.empty()) path = default_script_;
  SetControlText(Item(IDC_SCRIPT_FILE), path);
}

void MainWindow::ClaimSingleInstance() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(app_texts::kMutexName).c_str());
  const DWORD error = GetLastError();
  mutex_.reset(mutex);
  if (mutex_ && error != ERROR_ALREADY_EXISTS) {
    SendMessageW(Item(IDC_START_HOTKEY), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(Widen(app_texts::kDefaultStartHotkey).c_str()));
    SendMessageW(Item(IDC_STOP_HOTKEY), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(Widen(app_texts::kDefaultStopHotkey).c_str()));
    SetHotkeys();
    return;
  }
  MessageBoxW(nullptr, Widen(app_texts::kSecondInstance).c_str(), Widen(app_texts::kNoticeCaption).c_str(), MB_OK);
}

void MainWindow::PlaceAtRightEdge() {
  RECT window{};
  RECT work{};
  GetWindowRect(hwnd(), &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int work_width = work.right - work.left;
  const int work_height = work.bottom - work.top;
  MoveWindow(hwnd(), work_width - width, (work_height - height) / 2, width, height, TRUE);
}

void MainWindow::AddTrayIcon() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd();
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kMsgTrayNotify;
  data.hIcon = icon_small_;
  const std::wstring tip = Widen(texts::kAppTitle);
  tip.copy(data.szTip, sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
  tray_added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void MainWindow::RemoveTrayIcon() {
  if (!tray_added_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd();
  data.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  tray_added_ = false;
}

INT_PTR MainWindow::OnCommand(WORD id, WORD code) {
  switch (id) {
    case IDC_START:
      if (code == BN_CLICKED && !host_.Running()) Start();
      return TRUE;
    case IDC_STOP:
      if (code == BN_CLICKED && host_.Running()) Stop();
      return TRUE;
    case IDC_SET_HOTKEYS:
      if (code == BN_CLICKED) SetHotkeys();
      return TRUE;
    case IDC_SETUP_KEYS:
      if (code == BN_CLICKED) OpenEditor();
      return TRUE;
    case IDC_BROWSE:
      if (code == BN_CLICKED) Browse();
      return TRUE;
    case IDC_SCRIPT_FILE:
      if (code == CBN_DROPDOWN) RefillScriptList();
      return TRUE;
    case IDC_SHOW_ACTIONS:
      if (code == BN_CLICKED)
        user_.SetShowActions(SendMessageW(Item(IDC_SHOW_ACTIONS), BM_GETCHECK, 0, 0) == BST_CHECKED);
      return TRUE;
    case ID_TRAY_HELP:
      OpenHelpExternally();
      return TRUE;
    case ID_TRAY_SHOW:
      ShowWindow(hwnd(), SW_RESTORE);
      return TRUE;
    case ID_TRAY_EXIT:
      Close();
      return TRUE;
    case IDOK:
    case IDCANCEL:
      // Enter and Esc in the script box must not end the program.
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR MainWindow::OnNotify(const NMHDR* header) {
  if (header && header->idFrom == IDC_WEB_LINK && (header->code == NM_CLICK || header->code == NM_RETURN)) {
    OpenHelpExternally();
    return TRUE;
  }
  return FALSE;
}

INT_PTR MainWindow::OnHotKey(WPARAM id) {
  // A message box of the script dispatches the stop hotkey here instead of
  // leaving it queued for the script's own look: keep it for that look.
  if (id == kStopHotkeyId && in_run_) user_.NoteStopRequest();
  if (id == kStartHotkeyId && !host_.Running()) Start();
  if (id == kStopHotkeyId && host_.Running()) Stop();
  return TRUE;
}

INT_PTR MainWindow::OnTimer(WPARAM id) {
  if (id == kStatusRedrawTimer) {
    user_.FlushStatusRedraw();
    return TRUE;
  }
  if (id != kOpenUrlTimer) return FALSE;
  OpenUrlStep();
  return TRUE;
}

INT_PTR MainWindow::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != IDM_ABOUT_BOX) return FALSE;
  AboutBox about;
  about.RunModal(instance_, IDD_ABOUT_BOX, hwnd());
  return TRUE;
}

INT_PTR MainWindow::OnPaint() {
  if (!IsIconic(hwnd())) return FALSE;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT client;
  GetClientRect(hwnd(), &client);
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, icon_large_);
  EndPaint(hwnd(), &ps);
  return TRUE;
}

INT_PTR MainWindow::OnQueryDragIcon() { return reinterpret_cast<INT_PTR>(icon_small_); }

INT_PTR MainWindow::OnTrayNotify(LPARAM mouse_message) {
  switch (static_cast<UINT>(mouse_message)) {
    case WM_LBUTTONUP:
      SetForegroundWindow(hwnd());
      ShowWindow(hwnd(), SW_RESTORE);
      break;
    case WM_RBUTTONDOWN:
      ShowTrayMenu();
      break;
    default:
      break;
  }
  return TRUE;
}

void MainWindow::ShowTrayMenu() {
  SetForegroundWindow(hwnd());
  const LoadedMenu menu(instance_, IDR_TRAY_MENU);
  if (!menu.get()) return;
  POINT at{};
  GetCursorPos(&at);
  if (HMENU popup = GetSubMenu(menu.get(), 0)) TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  // Lets the menu close when the user clicks elsewhere.
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

INT_PTR MainWindow::OnClose() {
  Close();
  return TRUE;
}

INT_PTR MainWindow::OnDestroy() {
  KillTimer(hwnd(), kOpenUrlTimer);
  RemoveTrayIcon();
  UnregisterHotKey(hwnd(), kStartHotkeyId);
  UnregisterHotKey(hwnd(), kStopHotkeyId);
  user_.Detach();
  // The process lives as long as the main window.
  PostQuitMessage(0);
  return FALSE;
}

void MainWindow::Start() {
  // A script may open message boxes, whose loops deliver clicks and
  // hotkeys: a second start from inside the first is refused.
  if (in_run_) return;
  in_run_ = true;
  user_.ForgetStopRequest();
  host_.RunScript();
  in_run_ = false;
  if (close_pending_) Close();
}

void MainWindow::Stop() { host_.StopScript(); }

void MainWindow::Close() {
  if (in_run_) {
    // The script ends at its next look at the stop request; the close
    // follows when RunScript has returned.
    close_pending_ = true;
    user_.SetClosePending();
    return;
  }
  // An open editor closes as its close box closes it: it saves. When the
  // save fails the program stays, with the user's text in the editor, and
  // works on as before: a close that waited for a script is over.
  if (!editor_.CloseSaving()) {
    close_pending_ = false;
    user_.ClearClosePending();
    return;
  }
  if (host_.Running()) host_.StopScript();
  host_.JoinWorkers();
  RemoveTrayIcon();
  DestroyWindow(hwnd());
}

void MainWindow::EndSession() {
  // The process ends when this returns: what closing would save is saved,
  // and the workers and the tray icon go, whether or not the save worked.
  editor_.SaveForSessionEnd();
  if (host_.Running()) host_.StopScript();
  RemoveTrayIcon();
  if (in_run_) {
    close_pending_ = true;
    user_.SetClosePending();
    return;
  }
  host_.JoinWorkers();
  DestroyWindow(hwnd());
}

void MainWindow::SetHotkeys() {
  const struct {
    int id;
    int list;
  } hotkeys[] = {{kStartHotkeyId, IDC_START_HOTKEY}, {kStopHotkeyId, IDC_STOP_HOTKEY}};
  for (const auto& hotkey : hotkeys) {
    // A changed choice replaces the earlier combination instead of adding
    // to it, so one action never answers to two keys.
    UnregisterHotKey(hwnd(), hotkey.id);
    if (std::optional<HotkeyCombo> combo = HotkeyFromText(ControlText(Item(hotkey.list))))
      RegisterHotKey(hwnd(), hotkey.id, combo->modifiers, combo->vk);
  }
}

void MainWindow::OpenEditor() {
  std::string path = user_.ScriptPath();
  if (path.empty()) path = default_script_;
  // The editor opens the script the main window shows; the choice is
  // remembered whether or not the editor is open already.
  RememberScript(path);
  if (!editor_.Open(hwnd())) MessageBoxW(hwnd(), Widen(editor_texts::kDialogCreateFailed).c_str(),
                                         Widen(texts::kAppTitle).c_str(), MB_OK);
}

void MainWindow::ScriptSaved(const std::string& path) { SetControlText(Item(IDC_SCRIPT_FILE), path); }

bool MainWindow::LeaveScreenForShot() {
  // A main window already out of sight (in the notification area) stays so.
  if (!exists() || !IsWindowVisible(hwnd()) || IsIconic(hwnd())) return false;
  ShowWindow(hwnd(), SW_MINIMIZE);
  return true;
}

void MainWindow::ReturnAfterShot() {
  if (!exists()) return;
  ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
}

void MainWindow::Browse() {
  FileChoice choice;
  choice.owner = hwnd();
  const std::string filter = std::string(app_texts::kScriptFilterName) + "|" + texts::kScriptPattern + "|";
  choice.filter = filter.c_str();
  choice.folder = ExecutableDir();
  choice.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  const std::optional<std::string> path = ChooseFile(choice);
  if (!path) return;
  SetControlText(Item(IDC_SCRIPT_FILE), *path);
  RememberScript(*path);
}

void MainWindow::RefillScriptList() {
  const std::string dir = ExecutableDir();
  size_t unlisted = 0;
  std::vector<std::string> paths;
  for (const std::string& name : platform_.files.ListFiles(dir, texts::kScriptPattern, &unlisted))
    paths.push_back(dir + "\\" + name);
  ReplaceItems(Item(IDC_SCRIPT_FILE), paths);
  // Said once: the list drops down often.
  if (unlisted > 0 && !told_unlisted_) {
    told_unlisted_ = true;
    MessageBoxW(hwnd(), Widen(Format(texts::kScriptsUnlisted, static_cast<int>(unlisted))).c_str(),
                Widen(texts::kAppTitle).c_str(), MB_OK);
  }
}

void MainWindow::OpenUrlStep() {
  KillTimer(hwnd(), kOpenUrlTimer);
  const OpenUrlHandOver::Snapshot request = registry_.open_url.Get();
  WebPane* pane = WebPane::FromWindow(Item(IDC_WEB_PANE));
  if (request.requested_id == request.last_opened_id) {
    if (pane) pane->Refresh();
    return;
  }
  if (pane) pane->Navigate(request.url);
  registry_.open_url.MarkOpened(request.requested_id);
}

void MainWindow::OpenHelpExternally() {
  const std::string path = HelpPagePath();
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteW(hwnd(), L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (opened > 32) return;
  // No program opens the page (or it is missing): the pane shows it, or
  // where it was looked for, in a window brought into sight, and the status
  // list says why no browser came up.
  ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  if (WebPane* pane = WebPane::FromWindow(Item(IDC_WEB_PANE))) ShowHelpPage(*pane, path);
  user_.InsertStatusTop(HelpPageExists(path) ? app_texts::kHelpNotOpened : app_texts::kHelpMissing);
}

}  // namespace tora
