// The main window: script picker, start and stop, hotkeys, CPU priority,
// status list, web pane, tray icon. Closing it ends the program.
#pragma once

#include <string>

#include "app/main_window_user.h"
#include "editor/win32/editor_window.h"
#include "engine/registry.h"
#include "engine/script_host.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "ui/dialog_base.h"

namespace tora {

class MainWindow : public DialogBase, private EditorHost {
 public:
  MainWindow(HINSTANCE instance, MainWindowUser& user, ActionRegistry& registry, Platform& platform,
           ScriptHost& host)
      : instance_(instance), user_(user), registry_(registry), platform_(platform), host_(host),
        editor_(instance, platform, *this) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Message handlers.
  INT_PTR OnInitDialog();
  INT_PTR OnCommand(WORD id, WORD code);
  INT_PTR OnNotify(const NMHDR* header);
  INT_PTR OnHotKey(WPARAM id);
  INT_PTR OnTimer(WPARAM id);
  INT_PTR OnSysCommand(WPARAM command);
  INT_PTR OnPaint();
  INT_PTR OnQueryDragIcon();
  INT_PTR OnTrayNotify(LPARAM mouse_message);
  INT_PTR OnClose();
  INT_PTR OnDestroy();

  // Start-up steps.
  void FillChoiceLists();
  void SetIcons();
  void WarnIfProgramDirNotGbk();
  void PrepareDefaultScript();
  void ShowLastScript();
  void ClaimSingleInstance();
  void PlaceAtRightEdge();
  void AddTrayIcon();
  void RemoveTrayIcon();

  // Operations behind the events.
  void Start();
  void Stop();
  void SetHotkeys();
  void OpenEditor();
  void Browse();
  void RefillScriptList();
  void OpenUrlStep();
  void OpenHelpExternally();
  void ShowTrayMenu();
  void Close();
  void EndSession();

  // EditorHost
  void ScriptSaved(const std::string& path) override;
  bool LeaveScreenForShot() override;
  void ReturnAfterShot() override;

  std::string ExecutableDir();
  std::string SetupIniPath();
  std::string HelpPagePath();
  void RememberScript(const std::string& path);

  HINSTANCE instance_;
  MainWindowUser& user_;
  ActionRegistry& registry_;
  Platform& platform_;
  ScriptHost& host_;
  EditorWindow editor_;

  std::string default_script_;
  HICON icon_large_ = nullptr;
  HICON icon_small_ = nullptr;
  KernelHandle mutex_;
  bool tray_added_ = false;
  bool in_run_ = false;  // RunScript is on the stack (a script may open boxes)
  bool close_pending_ = false;
  bool told_unlisted_ = false;
};

}  // namespace tora
