// The process: common controls, OLE and the rich-edit library, then the main
// window; the process ends with it.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "app/main_window.h"
#include "app/main_window_user.h"
#include "engine/registry.h"
#include "engine/script_host.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "res/resource.h"
#include "ui/fault_guard.h"
#include "ui/message_loop.h"
#include "ui/web_pane.h"

namespace tora {
namespace {

int RunProgram(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  // The link control is not in the standard set but the main window has one.
  controls.dwICC = ICC_WIN95_CLASSES | ICC_LINK_CLASS;
  InitCommonControlsEx(&controls);
  const OleSession ole;
  const LoadedLibrary rich_edit(L"Msftedit.dll");
  std::optional<LoadedLibrary> older_rich_edit;
  if (!rich_edit) older_rich_edit.emplace(L"Riched20.dll");
  WebPane::RegisterWindowClass(instance);

  int result = 0;
  {
    MainWindowUser user;
    Win32Platform win32(user);
    ActionRegistry registry;
    ScriptHost host(registry, win32.platform());
    MainWindow dialog(instance, user, registry, win32.platform(), host);
    SetFaultReporter([&user](const std::string& line) { user.InsertStatusTop(line); });
    if (!dialog.CreateModeless(instance, IDD_MAIN_WINDOW, nullptr)) {
      win32.platform().trace.Trace("warning: the main window could not be created");
      result = 1;
    } else {
      result = MessageLoop::Run();
    }
    SetFaultReporter(nullptr);
    // The host's end waits for any worker still finishing a step.
  }
  return result;
}

}  // namespace
}  // namespace tora

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return tora::RunProgram(instance);
}
