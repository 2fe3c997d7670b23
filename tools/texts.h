// The screen tools' own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). Tests use these same constants.
#pragma once

namespace tora::tool_texts {

// The screen cut
inline constexpr const char* kCutHint = "按下鼠标左键拖动来选取切图范围";
inline constexpr const char* kCutSave = "保存";
inline constexpr const char* kCutQuit = "退出";
inline constexpr const char* kNoCut = "不能保存,没有切图!";
inline constexpr const char* kNoCutCaption = "提示";
inline constexpr const char* kSaveCutTitle = "保存切图";
inline constexpr const char* kBmpFilter = "BMP Files(*.bmp)|*.bmp|All Files|*.*||";
inline constexpr const char* kBmpExtension = "bmp";
inline constexpr const char* kOverwriteQuestion = ",文件已存在，你确定盖这个文件吗";
inline constexpr const char* kOverwriteCaption = "警告";
// What the cut says beyond the fixed messages: a file it could not write,
// instead of closing as if it had saved.
inline constexpr const char* kCutSaveFailed = "切图没有保存，无法写入文件：\r\n%s";

}  // namespace tora::tool_texts
