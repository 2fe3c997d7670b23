// The editor's cursor-position and colour-test tools: F11, "测试位置颜色",
// and the image tool and magnifier it opens.
#include "editor/win32/editor_window.h"

#include "editor/codegen.h"
#include "editor/texts.h"
#include "platform/win32/gdi.h"
#include "platform/win32/wide.h"
#include "ui/messages.h"

namespace tora {

namespace {

// "测试位置颜色" with "先移鼠标后取色": the pixel is read this long after the
// cursor moved, on a timer, so the interface thread keeps serving the
// system's hook calls meanwhile.
constexpr UINT kTestColourDelayMs = 1000;

uint32_t ScreenPixel(int x, int y) {
  ScreenDc screen;
  if (!screen.get()) return CLR_INVALID;
  return GetPixel(screen.get(), x, y);
}

}  // namespace

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

void EditorWindow::FinishColourTest() {
  KillTimer(hwnd(), kTestColourTimer);
  PositionTarget target;
  target.x_text = pending_x_text_;
  target.y_text = pending_y_text_;
  SetItemText(IDC_TEST_RESULT, PositionColourResult(target, ScreenPixel(pending_x_, pending_y_)));
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
