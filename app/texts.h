// The main window's own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). The texts it shares with the script host and the
// editor (title, setup.ini, the scripts and the help page beside the
// program) are in engine/texts.h, those of every window in ui/texts.h.
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
// The help link and the tray's "帮助" when no program opens the page.
inline constexpr const char* kHelpNotOpened = "没有能打开帮助页的浏览器，帮助显示在下方。";
inline constexpr const char* kHelpMissing = "找不到帮助页，查找的位置显示在下方。";

// A program folder that GBK (the program's text, and setup.ini's) cannot
// hold: said at start, as nothing could be saved there.
inline constexpr const char* kProgramDirNotGbk =
    "Tora按键所在文件夹的路径中有GBK编码无法表示的字符，脚本和设置都无法保存。请把程序放到别的文件夹。";

}  // namespace tora::app_texts
