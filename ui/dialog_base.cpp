#include "ui/dialog_base.h"

#include "ui/controls.h"
#include "ui/fault_guard.h"
#include "ui/message_loop.h"

namespace tora {

DialogBase::~DialogBase() {
  // A window that outlives its object would call into freed memory; its
  // last messages no longer reach the (already destroyed) derived class.
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    if (modeless_) MessageLoop::RemoveDialog(this);
    DestroyWindow(hwnd_);
  }
}

std::string DialogBase::ItemText(int id) const { return ControlText(Item(id)); }

void DialogBase::SetItemText(int id, const std::string& gbk) const { SetControlText(Item(id), gbk); }

void DialogBase::UseChineseFont() {
  LOGFONTW face{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof(face), &face)) return;
  face.lfCharSet = GB2312_CHARSET;
  HFONT font = CreateFontIndirectW(&face);
  if (!font) return;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  font_.reset(font);
}

INT_PTR DialogBase::RunModal(HINSTANCE instance, int template_id, HWND owner) {
  modeless_ = false;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, &DialogBase::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool DialogBase::CreateModeless(HINSTANCE instance, int template_id, HWND owner) {
  if (hwnd_) return true;
  modeless_ = true;
  HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id), owner, &DialogBase::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
  if (!hwnd) return false;
  MessageLoop::AddDialog(this);
  return true;
}

bool DialogBase::CreateChild(HINSTANCE instance, int template_id, HWND parent) {
  if (hwnd_) return true;
  modeless_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id), parent, &DialogBase::DialogProc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void DialogBase::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
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
  const INT_PTR result =
      Guarded("dialog procedure", INT_PTR{FALSE}, [&] { return self->HandleMessage(message, wparam, lparam); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    if (self->modeless_) MessageLoop::RemoveDialog(self);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace tora
