#include "ui/window_base.h"

#include <map>
#include <string>

#include "ui/fault_guard.h"

namespace tora {

namespace {

std::map<std::wstring, WindowBase::Factory>& Factories() {
  static std::map<std::wstring, WindowBase::Factory> factories;
  return factories;
}

std::wstring ClassNameOf(HWND hwnd) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

WindowBase::~WindowBase() {
  if (hwnd_) {
    // The window's last messages must not reach a half-destroyed object.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool WindowBase::RegisterClass(HINSTANCE instance, const wchar_t* class_name, UINT style, HCURSOR cursor,
                               HBRUSH background) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, class_name, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &WindowBase::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = class_name;
  return RegisterClassExW(&wc) != 0;
}

bool WindowBase::RegisterSelfOwnedClass(HINSTANCE instance, const wchar_t* class_name, Factory factory,
                                        UINT style) {
  Factories()[class_name] = std::move(factory);
  return RegisterClass(instance, class_name, style);
}

bool WindowBase::Create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x,
                        int y, int width, int height, HWND parent, HINSTANCE instance) {
  if (hwnd_) return true;
  return CreateWindowExW(ex_style, class_name, title, style, x, y, width, height, parent, nullptr, instance,
                         this) != nullptr;
}

void WindowBase::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

WindowBase* WindowBase::FromWindow(HWND hwnd) {
  return hwnd ? reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return Dispatch(hwnd, message, wparam, lparam);
  } catch (...) {
    ReportFault("window procedure");
  }
  // The message whose handling failed gets the default answer.
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT WindowBase::Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowBase* self = FromWindow(hwnd);
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    self = static_cast<WindowBase*>(create->lpCreateParams);
    if (!self) {
      // Made from a dialog template: the class's factory makes the object.
      auto found = Factories().find(ClassNameOf(hwnd));
      if (found != Factories().end()) self = found->second(hwnd);
      if (self) self->self_owned_ = true;
    }
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // The window goes even when its last message failed: the object must
    // not stay behind pointing at it.
    if (message != WM_NCDESTROY) throw;
    ReportFault("window procedure");
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->self_owned_) delete self;
  }
  return result;
}

}  // namespace tora
