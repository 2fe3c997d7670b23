#include "app/dialog_base.h"

namespace tora {

DialogBase::~DialogBase() {
  if (font_) DeleteObject(font_);
}

void DialogBase::UseChineseFont() {
  LOGFONTW face{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof(face), &face)) return;
  face.lfCharSet = GB2312_CHARSET;
  HFONT font = CreateFontIndirectW(&face);
  if (!font) return;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (font_) DeleteObject(font_);
  font_ = font;
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int template_id, HWND owner) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, &DialogBase::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DialogBase* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<DialogBase*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) have no object yet.
  if (!self) return FALSE;
  const INT_PTR result = self->HandleMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace tora
