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
// The file dialogs of the cut, the image tool and the find-image page
inline constexpr const char* kBmpFilter = "BMP Files(*.bmp)|*.bmp|All Files|*.*||";
inline constexpr const char* kBmpExtension = "bmp";
inline constexpr const char* kOverwriteQuestion = ",文件已存在，你确定盖这个文件吗";
inline constexpr const char* kOverwriteCaption = "警告";
// What the cut says beyond the fixed messages: a file it could not write,
// instead of closing as if it had saved.
inline constexpr const char* kCutSaveFailed = "切图没有保存，无法写入文件：\r\n%s";

// The image tool
inline constexpr const char* kImageToolCaption = "图像工具";
inline constexpr const char* kWholeScreen = "全屏幕";
// A window of the target list: handle in decimal, title.
inline constexpr const char* kTargetItem = "(ID:%lld) %s";
inline constexpr const char* kReadFileError = "读取文件出错！";
inline constexpr const char* kOnlyBmp = "本程序仅读取BMP文件！";
// The target window has closed since it was listed (or shows nothing to
// copy, as when it is minimized).
inline constexpr const char* kTargetGone =
    "所选的窗口已经关闭或没有可截取的区域，请重新选择窗口！";

// The magnifier
inline constexpr const char* kMagnifierPosition = "%d,%d";
inline constexpr const char* kMagnifierColour = "%.6X";

}  // namespace tora::tool_texts
