// The texts of the windows' floor, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK): what the control helpers and the fault guard say.
#pragma once

namespace tora::ui_texts {

// A path that GBK (the program's text, and setup.ini's) cannot hold: said,
// never written with "?" in place of a character.
inline constexpr const char* kPathNotGbk = "这个文件的路径中有GBK编码无法表示的字符，不能使用：\r\n";

// An operation that failed inside the program (no memory left, or a fault
// of the program's own): its message is dropped, the program runs on.
inline constexpr const char* kFaultLine = "程序出错（%s），刚才的操作没有完成，程序继续运行。";
inline constexpr const char* kFaultNoMemory = "内存不足";
inline constexpr const char* kFaultOther = "内部错误";

// The menu of text a window shows itself (the help page without a browser).
inline constexpr const char* kCopy = "复制";
inline constexpr const char* kSelectAll = "全选";

}  // namespace tora::ui_texts
