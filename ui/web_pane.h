// The web pane: the system's web-browser control embedded in a child window
// of our own class. Where the control cannot be created the pane stays an
// empty white area and every request to navigate is a no-op; text the
// program renders itself can be shown instead, in a read-only rich edit
// control the user can scroll, select and copy from.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_base.h"

struct IOleObject;
struct IWebBrowser2;

namespace tora {

class WebPane : public WindowBase {
 public:
  // Registers the pane's window class; the main window's template names it.
  static bool RegisterWindowClass(HINSTANCE instance);
  // The pane living in the given child window, or nullptr.
  static WebPane* FromWindow(HWND pane);

  // Shows the page at the address (a URL or a file path, GBK).
  void Navigate(const std::string& address);
  void Refresh();
  bool HasBrowser() const { return browser_ != nullptr; }

  // Shows rich text (RTF) over the whole pane until the next navigation;
  // plain (UTF-16) where the system has no rich edit control.
  void ShowText(const std::string& rtf, const std::wstring& plain);
  // The control showing that text, or nullptr.
  HWND TextView() const { return text_view_; }

  ~WebPane() override;

 private:
  class Site;
  WebPane() = default;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  void Embed();
  void Resize();
  void Unembed();
  void OnPaint();
  bool MakeTextView();
  void ShowTextMenu(LPARAM at);

  Site* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  HWND text_view_ = nullptr;
  bool text_view_rich_ = false;
};

}  // namespace tora
