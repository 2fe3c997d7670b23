// The same idiom as DialogBase for plain windows (overlays, the magnifier,
// the picture viewer, the web pane): the window procedure keeps `this` from
// WM_NCCREATE on and hands every message to the derived class.
#pragma once

#include <windows.h>

#include <functional>

namespace tora {

class WindowBase {
 public:
  WindowBase() = default;
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  // Registers a window class whose procedure is ours (once per name; later
  // calls only succeed).
  static bool RegisterClass(HINSTANCE instance, const wchar_t* class_name, UINT style = 0,
                            HCURSOR cursor = nullptr, HBRUSH background = nullptr);

  // For a class whose windows are made by others (a dialog template names
  // it): makes the object for each new window; the window owns and deletes
  // it when it is destroyed.
  using Factory = std::function<WindowBase*(HWND)>;
  static bool RegisterSelfOwnedClass(HINSTANCE instance, const wchar_t* class_name, Factory factory,
                                     UINT style = 0);

  // Creates a window of a class registered above, with this object.
  bool Create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x, int y,
              int width, int height, HWND parent, HINSTANCE instance);
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  bool exists() const { return hwnd_ != nullptr; }

  // The object of one of our windows, or nullptr.
  static WindowBase* FromWindow(HWND hwnd);

 protected:
  // One message; return Default(...) for the default handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  bool self_owned_ = false;
};

}  // namespace tora
