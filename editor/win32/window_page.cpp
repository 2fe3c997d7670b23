#include "editor/win32/window_page.h"

#include <utility>
#include <vector>

#include "editor/texts.h"
#include "engine/window_rules.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "res/window_page.h"
#include "ui/controls.h"
#include "ui/fault_guard.h"
#include "ui/messages.h"

namespace tora {

namespace {

namespace t = editor_texts;

std::string ClassOf(HWND window) {
  // A class name has at most 256 characters.
  wchar_t name[257] = {};
  const int got = GetClassNameW(window, name, 257);
  return got > 0 ? Narrow(std::wstring(name, static_cast<size_t>(got))) : std::string();
}

std::string ItemOf(HWND window, const std::string& title) {
  return WindowItemText(static_cast<ItemHandleValue>(reinterpret_cast<intptr_t>(window)), ClassOf(window), title);
}

// One window of the list refill: top-level, visible, titled, not the page.
BOOL CALLBACK AddListedWindow(HWND window, LPARAM param) {
  const auto* walk = reinterpret_cast<const std::pair<HWND, HWND>*>(param);
  if (GetParent(window) || !IsWindowVisible(window) || window == walk->first) return TRUE;
  return Guarded("window list", FALSE, [&] {
    const std::string title = WindowTitle(window);
    if (!title.empty())
      SendMessageW(walk->second, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(ItemOf(window, title)).c_str()));
    return TRUE;
  });
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

WindowPage::~WindowPage() { StopPicking(); }

void WindowPage::OnEditorClosing() { StopPicking(); }

void WindowPage::OnPageCreated() {
  HWND corner = Item(IDC_WIN_CORNER);
  for (const char* text : t::kCornerItems)
    AddComboItem(corner, text);
  SendMessageW(corner, CB_SETCURSEL, t::kCornerStartIndex, 0);
}

INT_PTR WindowPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), HIWORD(wparam));
    case kMsgWindowPicked:
      TakePickedWindow(POINT{static_cast<LONG>(static_cast<int>(wparam)), static_cast<LONG>(lparam)});
      return TRUE;
    case WM_DESTROY:
      StopPicking();
      return FALSE;
    default:
      return EditorPage::HandleMessage(message, wparam, lparam);
  }
}

INT_PTR WindowPage::OnCommand(WORD id, WORD code) {
  switch (id) {
    case IDC_WIN_WINDOW:
      if (code == CBN_DROPDOWN) RefillWindowList();
      if (code == CBN_SELCHANGE) PreviewChosenWindow();
      return TRUE;
    case IDC_WIN_CORNER:
      if (code == CBN_SELCHANGE) PreviewCorner();
      return TRUE;
    case IDC_WIN_TOPMOST:
      if (code == BN_CLICKED && !Checked(Item(IDC_WIN_TOPMOST))) ApplyTopmost(false);
      return TRUE;
    case IDC_WIN_APPLY_TOPMOST:
      if (code == BN_CLICKED) ApplyTopmost(Checked(Item(IDC_WIN_TOPMOST)));
      return TRUE;
    case IDC_WIN_PICK:
      if (code == BN_CLICKED) TogglePicking();
      return TRUE;
    case IDC_WIN_ADD:
      if (code == BN_CLICKED) AddWindowCall();
      return TRUE;
    default:
      return EditorPage::HandleMessage(WM_COMMAND, MAKEWPARAM(id, code), 0);
  }
}

// The open windows, each as an item text; the text being typed stays.
void WindowPage::RefillWindowList() {
  HWND combo = Item(IDC_WIN_WINDOW);
  const std::string kept = ControlText(combo);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  SetControlText(combo, kept);
  const std::pair<HWND, HWND> walk{hwnd(), combo};  // the page, the list
  EnumWindows(&AddListedWindow, reinterpret_cast<LPARAM>(&walk));
}

std::string WindowPage::SelectedText(int combo_id) const {
  HWND combo = Item(combo_id);
  const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return {};
  const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
  if (len == CB_ERR) return {};
  std::vector<wchar_t> text(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text.data()));
  return Narrow(text.data());
}

std::optional<HWND> WindowPage::ChosenWindow(const std::string& item_text) {
  const std::optional<WindowItem> item = ParseWindowItem(item_text);
  if (!item) return std::nullopt;
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(item->handle));
  // A closed window's handle may name another window by now: the class
  // must still be the one listed.
  if (!IsWindow(window) || ClassOf(window) != item->class_name) {
    Tell(t::kWindowGone);
    return std::nullopt;
  }
  return window;
}

// Moves the window to the corner with its current size, by the window
// rules' own corner table; "无" and other texts leave it where it is.
void WindowPage::MoveToCorner(HWND window, const std::string& corner) {
  Win32Windows windows;
  WindowRule rule;
  rule.window.Store(FromHwnd(window));
  rule.corner = corner;
  if (ComputePlacement(rule, windows) && rule.move)
    windows.Move(FromHwnd(window), rule.x, rule.y, rule.width, rule.height);
}

void WindowPage::PreviewChosenWindow() {
  const std::optional<HWND> window = ChosenWindow(SelectedText(IDC_WIN_WINDOW));
  if (!window) return;
  const std::string corner = ItemText(IDC_WIN_CORNER);
  if (corner.empty()) return;
  RECT rect{};
  if (!GetWindowRect(*window, &rect)) return;
  SetItemText(IDC_WIN_HEIGHT, std::to_string(rect.bottom - rect.top));
  SetItemText(IDC_WIN_WIDTH, std::to_string(rect.right - rect.left));
  MoveToCorner(*window, corner);
}

void WindowPage::PreviewCorner() {
  // The list's new choice: the box's own text follows only later.
  const std::string corner = SelectedText(IDC_WIN_CORNER);
  if (corner.empty()) return;
  if (const std::optional<HWND> window = ChosenWindow(ItemText(IDC_WIN_WINDOW))) MoveToCorner(*window, corner);
}

void WindowPage::ApplyTopmost(bool topmost) {
  if (const std::optional<HWND> window = ChosenWindow(ItemText(IDC_WIN_WINDOW)))
    Win32Windows().SetTopmost(FromHwnd(*window), topmost);
}

void WindowPage::TogglePicking() {
  if (ItemText(IDC_WIN_PICK) != t::kPickWindow) {
    StopPicking();
    return;
  }
  if (picker_hook_.installed()) return;
  // The hook only hands the point over; the window is looked at afterwards,
  // outside the hook, where a slow program cannot hold up the system's mouse.
  const auto hand_over = [this](WPARAM message, LPARAM event) {
    if (message == WM_LBUTTONUP) {
      const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(event);
      PostMessageW(hwnd(), kMsgWindowPicked, static_cast<WPARAM>(info->pt.x), info->pt.y);
    }
    return false;
  };
  if (!picker_hook_.Install(WH_MOUSE_LL, "window picking hook", hand_over)) return;
  // The editor stays in sight while the user clicks into other windows.
  host().StayOnTop(true);
  SetItemText(IDC_WIN_PICK, t::kPickStop);
}

void WindowPage::StopPicking() {
  if (!picker_hook_.installed()) return;
  picker_hook_.Remove();
  if (exists()) {
    host().StayOnTop(false);
    SetItemText(IDC_WIN_PICK, t::kPickWindow);
  }
}

void WindowPage::TakePickedWindow(POINT at) {
  if (!picker_hook_.installed()) return;
  // The top-level window under the cursor, not the control in it: a rule
  // finds windows by the title or class of top-level windows. The editor
  // itself (whose button stops the picking) is no choice.
  HWND under = WindowFromPoint(at);
  HWND window = under ? GetAncestor(under, GA_ROOT) : nullptr;
  if (!window || window == GetAncestor(hwnd(), GA_ROOT) || !IsWindowVisible(window)) return;
  SetItemText(IDC_WIN_WINDOW, ItemOf(window, WindowTitle(window)));
  SetItemText(IDC_WIN_PICK, t::kPickTaken);
}

bool WindowPage::ReadWindowBox(bool use_class, std::string& gbk) const {
  const std::wstring wide = ControlTextWide(Item(IDC_WIN_WINDOW));
  size_t bad_at = 0;
  if (NarrowStrict(wide, gbk, &bad_at)) return true;
  // In an item "(ID:n|class) title" the title starts after the first ") "
  // behind the "|"; a title GBK cannot hold does no harm when the call
  // takes the class. A text only shaped like an item goes into the call
  // whole, so all of it must be GBK.
  const size_t bar = wide.rfind(L"(ID:", 0) == 0 ? wide.find(L'|') : std::wstring::npos;
  const size_t class_end = bar == std::wstring::npos ? bar : wide.find(L") ", bar);
  std::string item;
  if (class_end != std::wstring::npos && bad_at >= class_end + 2 &&
      NarrowStrict(wide.substr(0, class_end + 2), item) && ParseWindowItem(item)) {
    if (use_class) {
      gbk = item;
      return true;
    }
    TellWide(NotGbkMessage(t::kTitleNotGbkBefore, wide, bad_at, t::kTitleNotGbkAfter));
    return false;
  }
  Field(IDC_WIN_WINDOW, t::kFieldWindowName, gbk);
  return false;
}

void WindowPage::AddWindowCall() {
  WindowCallInput in;
  in.use_class = Checked(Item(IDC_WIN_USE_CLASS));
  if (!ReadWindowBox(in.use_class, in.window_text) || !Field(IDC_WIN_DESCRIPTION, t::kFieldDescription, in.description) ||
      !Field(IDC_WIN_WIDTH, t::kFieldWidth, in.width) || !Field(IDC_WIN_HEIGHT, t::kFieldHeight, in.height) ||
      !host().IntervalField(t::kFieldInterval, in.interval))
    return;
  in.corner = ItemText(IDC_WIN_CORNER);
  in.topmost = Checked(Item(IDC_WIN_TOPMOST));
  in.keep_size = Checked(Item(IDC_WIN_KEEP_SIZE));
  in.code_box = host().Code();
  const WindowCallResult result = WindowOperationCall(in);
  if (!result.message.empty()) Tell(result.message);
  if (result.call.empty()) return;
  // Window rules go first in the script, before the repeat tasks that name
  // them.
  host().PrependCode(result.call);
  for (int id : {IDC_WIN_DESCRIPTION, IDC_WIN_WINDOW, IDC_WIN_HEIGHT, IDC_WIN_WIDTH}) SetItemText(id, std::string());
}

}  // namespace tora
