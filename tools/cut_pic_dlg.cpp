#include "tools/cut_pic_dlg.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/messages.h"
#include "editor/codegen.h"
#include "editor/find_code.h"
#include "engine/text_util.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "tools/cut_tools_dlg.h"
#include "tools/screen_overlay.h"
#include "tools/texts.h"
#include "vision/bmp_writer.h"

namespace tora {

namespace t = tool_texts;

bool CCutPicDlg::Open(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  // The cut comes from this capture, taken before the overlay exists, so
  // the saved picture never holds the dimming.
  Win32Screen().CaptureScreen(screen_);
  if (!CreateModeless(instance, IDD_CUT_PIC, owner)) return false;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  return true;
}

INT_PTR CCutPicDlg::HandleOther(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kMsgCutSave:
      Save();
      return TRUE;
    case WM_COMMAND:
      // Enter and Esc close the cut without saving.
      if (LOWORD(wparam) != IDOK && LOWORD(wparam) != IDCANCEL) return FALSE;
      Destroy();
      return TRUE;
    case WM_CLOSE:
      Destroy();
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd(), kDragTimer);
      return FALSE;
    default:
      return FALSE;
  }
}

void CCutPicDlg::OnButtonDown(POINT at) {
  if (dragging_) return;
  start_ = at;
  dragging_ = true;
  SetCapture(hwnd());
  SetTimer(hwnd(), kDragTimer, kDragTimerMs, nullptr);
}

void CCutPicDlg::OnButtonUp(POINT at) {
  if (!dragging_) return;
  KillTimer(hwnd(), kDragTimer);
  ReleaseCapture();
  end_ = at;
  // One pixel of margin, so that the frame lies around what is cut.
  if (HDC dc = GetDC(hwnd())) {
    DrawDragRect(dc, start_.x - 1, start_.y - 1, end_.x + 1, end_.y + 1);
    ReleaseDC(hwnd(), dc);
  }
  CCutToolsDlg::Instance().Serve(instance_, hwnd(), start_.x, end_.y + 2);
  dragging_ = false;
}

void CCutPicDlg::PaintIdle(HDC dc) {
  const std::wstring hint = Widen(t::kCutHint);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TextOutW(dc, 1, 1, hint.c_str(), static_cast<int>(hint.size()));
  if (old) SelectObject(dc, old);
}

void CCutPicDlg::Save() {
  const int x1 = std::min(start_.x, end_.x), x2 = std::max(start_.x, end_.x);
  const int y1 = std::min(start_.y, end_.y), y2 = std::max(start_.y, end_.y);
  // The end point itself is not part of the cut.
  const Frame cut = CropFrame(screen_, x1, y1, x2 - x1, y2 - y1);
  if (cut.pixels.empty()) {
    MessageBoxW(hwnd(), Widen(t::kNoCut).c_str(), Widen(t::kNoCutCaption).c_str(), MB_OK);
    return;
  }
  SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const std::string path = AskPath(CutFileName(x1, y1));
  if (path.empty()) {
    Destroy();
    return;
  }
  Win32Files files;
  if (files.FileSize(path) &&
      MessageBoxW(hwnd(), Widen(OverwriteQuestion(path)).c_str(), Widen(t::kOverwriteCaption).c_str(),
                  MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
    return;
  if (!files.WriteFile(path, EncodeBmp24(cut))) {
    // Said, and the cut stays open so that it can be saved elsewhere.
    MessageBoxW(hwnd(), Widen(Format(t::kCutSaveFailed, path.c_str())).c_str(), Widen(t::kNoCutCaption).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  saved_path_text_ = DoubledBackslashes(path);
  position_text_ = PositionText(x1, y1);
  if (owner_ && IsWindow(owner_)) SendMessageW(owner_, kMsgPictureSaved, 0, reinterpret_cast<LPARAM>(this));
  Destroy();
}

std::string CCutPicDlg::AskPath(const std::string& default_name) {
  FileChoice choice;
  choice.owner = GetForegroundWindow();
  choice.filter = t::kBmpFilter;
  choice.title = t::kSaveCutTitle;
  choice.default_extension = t::kBmpExtension;
  choice.name = default_name;
  choice.save = true;
  return ChooseFile(choice).value_or(std::string());
}

}  // namespace tora
