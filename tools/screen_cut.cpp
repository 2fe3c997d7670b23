#include "tools/screen_cut.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "engine/text_util.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"
#include "tools/screen_cut_strip.h"
#include "tools/screen_overlay.h"
#include "tools/texts.h"
#include "tools/tool_logic.h"
#include "ui/controls.h"
#include "ui/messages.h"
#include "vision/bmp_writer.h"

namespace tora {

namespace t = tool_texts;

bool ScreenCut::Open(HINSTANCE instance, HWND owner, Saved saved) {
  instance_ = instance;
  saved_ = std::move(saved);
  // The overlay shows this capture, taken before it exists, and the cut
  // comes from it: the file holds exactly the pixels the user saw lit.
  backdrop_.Take();
  if (!CreateModeless(instance, IDD_SCREEN_CUT, owner)) return false;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  return true;
}

INT_PTR ScreenCut::HandleOther(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
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

void ScreenCut::OnButtonDown(POINT at) {
  if (!dragging_) BeginDrag(at);
}

void ScreenCut::OnButtonUp(POINT at) {
  if (!dragging_) return;
  EndDrag();
  end_ = at;
  // The rectangle stays lit while the strip asks what to do with it.
  ShowArea(start_, end_);
  // The strip may outlive this object only as a window owned by the overlay,
  // which goes with it: the answer finds the cut through a weak pointer.
  const std::weak_ptr<ScreenCut> cut = weak_from_this();
  strip_.Serve(instance_, hwnd(), start_.x, end_.y + 2, [cut](bool save) {
    const std::shared_ptr<ScreenCut> self = cut.lock();
    if (!self || !self->exists()) return;
    if (save)
      self->Save();
    else
      self->Destroy();
  });
}

void ScreenCut::PaintIdle(HDC dc) {
  const std::wstring hint = Widen(t::kCutHint);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TextOutW(dc, 1, 1, hint.c_str(), static_cast<int>(hint.size()));
  if (old) SelectObject(dc, old);
}

void ScreenCut::Save() {
  // The file dialog and the boxes below run the message loop: the editor,
  // the program or a new cut may close this cut meanwhile. The object
  // lives on until the save returns; the closed window says that nothing
  // may be written any more.
  const std::shared_ptr<ScreenCut> keep = weak_from_this().lock();
  const int x1 = std::min(start_.x, end_.x), x2 = std::max(start_.x, end_.x);
  const int y1 = std::min(start_.y, end_.y), y2 = std::max(start_.y, end_.y);
  // The end point itself is not part of the cut.
  const Frame cut = backdrop_.Cut(x1, y1, x2 - x1, y2 - y1);
  if (cut.pixels.empty()) {
    MessageBoxW(hwnd(), Widen(t::kNoCut).c_str(), Widen(t::kNoCutCaption).c_str(), MB_OK);
    return;
  }
  SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const std::string path = AskPath(CutFileName(x1, y1));
  if (!exists()) return;
  if (path.empty()) {
    Destroy();
    return;
  }
  Win32Files files;
  if (files.FileSize(path) &&
      (MessageBoxW(hwnd(), Widen(OverwriteQuestion(path)).c_str(), Widen(t::kOverwriteCaption).c_str(),
                   MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK ||
       !exists()))
    return;
  if (!files.WriteFile(path, EncodeBmp24(cut))) {
    // Said, and the cut stays open so that it can be saved elsewhere.
    MessageBoxW(hwnd(), Widen(Format(t::kCutSaveFailed, path.c_str())).c_str(), Widen(t::kNoCutCaption).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (saved_) saved_(path, Point{x1, y1});
  Destroy();
}

std::string ScreenCut::AskPath(const std::string& default_name) {
  FileChoice choice;
  // Owned by the overlay, the dialog goes with it whoever closes the cut.
  choice.owner = hwnd();
  choice.filter = t::kBmpFilter;
  choice.title = t::kSaveCutTitle;
  choice.default_extension = t::kBmpExtension;
  choice.name = default_name;
  choice.save = true;
  return ChooseFile(choice).value_or(std::string());
}

}  // namespace tora
