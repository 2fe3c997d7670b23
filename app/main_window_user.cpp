#include "app/main_window_user.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "res/main_window.h"
#include "ui/controls.h"
#include "ui/messages.h"

namespace tora {

namespace {

// Controls that are usable only while no run is active.
constexpr int kIdleControls[] = {IDC_SCRIPT_FILE, IDC_BROWSE,     IDC_START,        IDC_START_HOTKEY,
                                 IDC_STOP_HOTKEY, IDC_SET_HOTKEYS, IDC_SETUP_KEYS,  IDC_CPU_PRIORITY,
                                 IDC_WEB_LINK};

std::wstring ListLine(HWND list, int index) {
  const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (len == LB_ERR) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  return std::wstring(buffer.data());
}

// The room between the list's edge and its text, in pixels.
constexpr int kStatusMargin = 2;
// The tallest item a list box holds.
constexpr int kMaxItemHeight = 255;

// Where the text of the status list's lines has room: the list's width
// less the margins and the vertical scroll bar, taken as shown, so that a
// line keeps its rows when the bar comes with the lines that follow.
int StatusTextWidth(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  int width = client.right - 2 * kStatusMargin;
  if (!(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL)) width -= GetSystemMetrics(SM_CXVSCROLL);
  return std::max(width, 8);
}

// The rows of the tallest item a list holds.
size_t MostRows(int row_height) { return static_cast<size_t>(std::max(1, kMaxItemHeight / std::max(row_height, 1))); }

// Characters that close a phrase and so never begin a row.
bool NeverBeginsARow(wchar_t c) { return c != 0 && wcschr(L"，。、；：？！）》」』”’,.;:?!)]}", c) != nullptr; }

// Whether a row may end between text[at - 1] and text[at]: after a blank,
// or beside a Chinese character, but not before closing punctuation.
bool MayBreakAt(const std::wstring& text, size_t at) {
  if (NeverBeginsARow(text[at])) return false;
  const wchar_t before = text[at - 1], after = text[at];
  return before == L' ' || before >= 0x2E80 || after >= 0x2E80;
}

}  // namespace

std::vector<StatusRow> StatusRows(HDC dc, const std::wstring& line, int width, size_t most) {
  if (line.empty()) return {StatusRow{0, 0}};
  std::vector<StatusRow> rows;
  size_t begin = 0;
  do {
    if (rows.size() + 1 >= std::max<size_t>(most, 1)) {
      rows.push_back(StatusRow{begin, line.size()});
      break;
    }
    // No character is narrower than a pixel: a row never holds more than
    // width of them, however long the line.
    const size_t left = std::min(line.size() - begin, static_cast<size_t>(std::max(width, 1)));
    INT fit = 0;
    SIZE size{};
    GetTextExtentExPointW(dc, line.c_str() + begin, static_cast<int>(left), width, &fit, nullptr, &size);
    size_t end = begin + std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(std::max(fit, 0)), left));
    if (end < line.size()) {
      // Back to the last place a row may end; a word wider than the whole
      // row is cut where the row is full.
      size_t at = end;
      while (at > begin + 1 && !MayBreakAt(line, at)) --at;
      if (at > begin + 1 || MayBreakAt(line, at)) end = at;
    }
    rows.push_back(StatusRow{begin, end});
    begin = end;
  } while (begin < line.size());
  return rows;
}

void MainWindowUser::Attach(HWND dialog) {
  ui_thread_.store(GetCurrentThreadId());
  hwnd_.store(dialog);
}

void MainWindowUser::Detach() {
  FlushStatusRedraw();
  hwnd_.store(nullptr);
}

void MainWindowUser::Status(StatusOp op, const std::string& line) {
  HWND hwnd = hwnd_.load();
  if (!hwnd) return;
  if (GetCurrentThreadId() == ui_thread_.load()) {
    DoStatus(op, line);
  } else {
    // Synchronous, so the line is in the list when the worker goes on; the
    // request lives until then.
    LPARAM id = 0;
    {
      std::lock_guard<std::mutex> lock(requests_mutex_);
      // Never 0, so that a message without a number finds nothing.
      if (++next_request_ <= 0) next_request_ = 1;
      id = next_request_;
      requests_[id] = Request{op, &line};
    }
    SendMessageW(hwnd, kMsgStatusRequest, 0, id);
    std::lock_guard<std::mutex> lock(requests_mutex_);
    requests_.erase(id);
  }
}

LRESULT MainWindowUser::ServeStatusRequest(WPARAM, LPARAM request) {
  Request found{};
  {
    std::lock_guard<std::mutex> lock(requests_mutex_);
    auto it = requests_.find(request);
    if (it == requests_.end()) return 0;
    found = it->second;
    // Served once: a copy of the message with the same number does nothing.
    requests_.erase(it);
  }
  // The worker is still waiting in SendMessage, so its line is alive.
  DoStatus(found.op, *found.line);
  return 1;
}

int MainWindowUser::RowHeight(HWND list) {
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  if (row_height_ > 0 && font == row_font_) return row_height_;
  WindowDc dc(list);
  if (!dc.get()) return 16;
  Selected selected(dc.get(), font ? reinterpret_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  row_font_ = font;
  row_height_ = metrics.tmHeight > 0 ? static_cast<int>(metrics.tmHeight) : 16;
  return row_height_;
}

void MainWindowUser::FitRows(HWND list, int index, const std::wstring& line) {
  if (index < 0 || !(GetWindowLongW(list, GWL_STYLE) & LBS_OWNERDRAWVARIABLE)) return;
  WindowDc dc(list);
  if (!dc.get()) return;
  Selected font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const int row_height = RowHeight(list);
  const size_t rows = StatusRows(dc.get(), line, StatusTextWidth(list), MostRows(row_height)).size();
  // Most lines fit: the list's own measure gave them their one row.
  if (rows > 1)
    SendMessageW(list, LB_SETITEMHEIGHT, static_cast<WPARAM>(index),
                 MAKELPARAM(static_cast<int>(rows) * row_height, 0));
}

void MainWindowUser::MeasureStatusItem(HWND list, MEASUREITEMSTRUCT& item) {
  item.itemHeight = static_cast<UINT>(RowHeight(list));
}

void MainWindowUser::DrawStatusItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  HDC dc = item.hDC;
  const RECT& rect = item.rcItem;
  if (item.itemAction == ODA_FOCUS) {
    DrawFocusRect(dc, &rect);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const std::wstring line = ListLine(item.hwndItem, static_cast<int>(item.itemID));
  Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const int row_height = RowHeight(item.hwndItem);
  // A line longer than the tallest item a list holds ends with an ellipsis
  // in its last row.
  const std::vector<StatusRow> rows = StatusRows(dc, line, StatusTextWidth(item.hwndItem), MostRows(row_height));
  for (size_t i = 0; i < rows.size(); ++i) {
    RECT row{rect.left + kStatusMargin, rect.top + static_cast<LONG>(i) * row_height, rect.right,
             rect.top + static_cast<LONG>(i + 1) * row_height};
    DrawTextW(dc, line.c_str() + rows[i].begin, static_cast<int>(rows[i].end - rows[i].begin), &row,
              DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

void MainWindowUser::DoStatus(StatusOp op, const std::string& line) {
  HWND list = GetDlgItem(hwnd_.load(), IDC_STATUS_LIST);
  if (!list) return;
  const std::wstring wide = Widen(line);
  switch (op) {
    case kClear:
      SendMessageW(list, LB_RESETCONTENT, 0, 0);
      top_lines_ = 0;
      break;
    case kAppend:
      FitRows(list, static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()))),
              wide);
      break;
    case kInsertTop:
      DeferRedraw(list);
      FitRows(list, static_cast<int>(SendMessageW(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()))),
              wide);
      // An hours-long run with every key shown keeps the newest lines only;
      // the oldest top line is the one just above the appended ones (the
      // script's and the running lines), which always stay.
      if (++top_lines_ > kMaxTopLines) {
        SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(kMaxTopLines), 0);
        top_lines_ = kMaxTopLines;
      }
      break;
    case kDeleteWithPrefix: {
      // Compared as GBK bytes, exactly: the list's own search ignores case.
      const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
      for (int i = 0; i < count; ++i) {
        if (Narrow(ListLine(list, i)).compare(0, line.size(), line) == 0) {
          SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
          if (i < top_lines_) --top_lines_;
          break;
        }
      }
      break;
    }
  }
}

void MainWindowUser::DeferRedraw(HWND list) {
  // Action traces can come hundreds a second; drawing the list (and its
  // scroll bar) for each one costs far more than the line itself. The list
  // is drawn when a burst has passed (the timer), and at least every
  // kStatusRedrawAtMostMs while lines keep coming: a steady stream would
  // never leave the queue empty long enough for the timer's turn.
  const uint32_t now = tick_();
  if (redraw_deferred_) {
    if (now - deferred_since_ < kStatusRedrawAtMostMs) return;
    FlushStatusRedraw();
  }
  redraw_deferred_ = true;
  deferred_since_ = now;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SetTimer(hwnd_.load(), kStatusRedrawTimer, kStatusRedrawMs, nullptr);
}

void MainWindowUser::FlushStatusRedraw() {
  HWND main = hwnd_.load();
  if (main) KillTimer(main, kStatusRedrawTimer);
  if (!redraw_deferred_) return;
  redraw_deferred_ = false;
  HWND list = GetDlgItem(main, IDC_STATUS_LIST);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  // Drawn now, not by a queued paint: a line handled before that paint
  // would turn drawing off again, and the paint would then only erase the
  // list, leaving it blank until the next draw.
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void MainWindowUser::ClearStatus() { Status(kClear, std::string()); }
void MainWindowUser::AppendStatus(const std::string& line) { Status(kAppend, line); }
void MainWindowUser::InsertStatusTop(const std::string& line) { Status(kInsertTop, line); }
void MainWindowUser::DeleteFirstStatusWithPrefix(const std::string& prefix) { Status(kDeleteWithPrefix, prefix); }

void MainWindowUser::ShowMessage(const std::string& text, const std::string& caption, MessageOwner owner) {
  HWND parent = owner == MessageOwner::MainWindow ? hwnd_.load() : nullptr;
  MessageBoxW(parent, Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
}

void MainWindowUser::SetTitle(const std::string& title) {
  if (HWND hwnd = hwnd_.load()) SetWindowTextW(hwnd, Widen(title).c_str());
}

void MainWindowUser::SetRunningControls(bool running) {
  HWND hwnd = hwnd_.load();
  if (!hwnd) return;
  for (int id : kIdleControls) EnableWindow(GetDlgItem(hwnd, id), running ? FALSE : TRUE);
  EnableWindow(GetDlgItem(hwnd, IDC_STOP), running ? TRUE : FALSE);
}

std::string MainWindowUser::ScriptPath() { return ControlText(GetDlgItem(hwnd_.load(), IDC_SCRIPT_FILE)); }

std::string MainWindowUser::CpuPriorityText() { return ControlText(GetDlgItem(hwnd_.load(), IDC_CPU_PRIORITY)); }

void MainWindowUser::RequestOpenUrl() {
  // The web pane must be driven on the window's own thread; the request
  // reaches it as a posted message, which starts timer 5 there.
  if (HWND hwnd = hwnd_.load()) PostMessageW(hwnd, kMsgOpenUrlRequest, 0, 0);
}

bool MainWindowUser::CloseGestureQueued() {
  HWND main = hwnd_.load();
  if (!main) return false;
  MSG msg;
  if (PeekMessageW(&msg, main, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE) && msg.wParam == HTCLOSE) {
    PeekMessageW(&msg, main, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE);
    return true;
  }
  if (PeekMessageW(&msg, main, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE) && (msg.wParam & 0xFFF0) == SC_CLOSE) {
    PeekMessageW(&msg, main, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE);
    return true;
  }
  // Alt+F4 goes to whichever control of the window has the focus.
  if (PeekMessageW(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) && msg.wParam == VK_F4 &&
      (msg.hwnd == main || GetAncestor(msg.hwnd, GA_ROOT) == main)) {
    PeekMessageW(&msg, msg.hwnd, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    return true;
  }
  return false;
}

bool MainWindowUser::StopRequested() {
  if (stop_seen_ || close_pending_) return true;
  MSG msg;
  // The stop hotkey is taken from the queue (the start that follows the
  // script stops the run itself); a start hotkey meanwhile means nothing.
  while (PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    if (msg.wParam == kStopHotkeyId) {
      stop_seen_ = true;
      return true;
    }
  }
  // A close request stays queued, so the window closes once the script ends.
  if (PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) return true;
  // The close box, Alt+F4 and the system menu's close reach a busy window as
  // other messages, which would turn into a close only once the script
  // ended: taken here as the close request they are.
  if (CloseGestureQueued()) {
    PostMessageW(hwnd_.load(), WM_CLOSE, 0, 0);
    return true;
  }
  if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return true;
  return false;
}

}  // namespace tora
