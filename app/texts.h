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

// Paths that GBK (the program's text, and setup.ini's) cannot hold: said,
// never written with "?" in place of a character.
inline constexpr const char* kPathNotGbk = "这个文件的路径中有GBK编码无法表示的字符，不能使用：\r\n";
inline constexpr const char* kScriptsUnlisted = "有%d个脚本文件的名称中有GBK编码无法表示的字符，没有列出。请给它们改名。";
inline constexpr const char* kProgramDirNotGbk =
    "Tora按键所在文件夹的路径中有GBK编码无法表示的字符，脚本和设置都无法保存。请把程序放到别的文件夹。";

// An operation that failed inside the program (no memory left, or a fault
// of the program's own): its message is dropped, the program runs on.
inline constexpr const char* kFaultLine = "程序出错（%s），刚才的操作没有完成，程序继续运行。";
inline constexpr const char* kFaultNoMemory = "内存不足";
inline constexpr const char* kFaultOther = "内部错误";

}  // namespace tora::app_texts
