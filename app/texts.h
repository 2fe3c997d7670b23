// The main window's own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). The texts it shares with the script host (title,
// setup.ini) are in engine/texts.h.
#pragma once

namespace tora::app_texts {

inline constexpr const char* kMutexName = "velm";
inline constexpr const char* kSecondInstance = "你多开Tora按键，请手工设置快捷键！";
inline constexpr const char* kNoticeCaption = "提示";
inline constexpr const char* kAboutMenuItem = "关于 Velm(&A)...";
inline constexpr const char* kHotkeyAltPrefix = "Alt+F";
inline constexpr const char* kHotkeyCtrlPrefix = "Ctrl+F";
inline constexpr const char* kDefaultStartHotkey = "Alt+F1";
inline constexpr const char* kDefaultStopHotkey = "Alt+F2";
inline constexpr const char* kScriptFilterName = "脚本文件(*.txt)";
inline constexpr const char* kScriptPattern = "*.txt";
inline constexpr const char* kHelpPage = "tora\\torasoft.htm";

}  // namespace tora::app_texts
