// The screen tools' own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). Tests use these same constants.
#pragma once

namespace tora::tool_texts {

// The image tool
inline constexpr const char* kPicCaption = "图像工具";
inline constexpr const char* kWholeScreen = "全屏幕";
// A window of the target list: handle in decimal, title.
inline constexpr const char* kTargetItem = "(ID:%lld) %s";
inline constexpr const char* kReadFileError = "读取文件出错！";
inline constexpr const char* kOnlyBmp = "本程序仅读取BMP文件！";
inline constexpr const char* kBmpFilter = "BMP Files(*.bmp)|*.bmp|All Files|*.*|";
// The target window has closed since it was listed (or shows nothing to
// copy, as when it is minimized).
inline constexpr const char* kTargetGone =
    "所选的窗口已经关闭或没有可截取的区域，请重新选择窗口！";

// The magnifier
inline constexpr const char* kZoomPosition = "%d,%d";
inline constexpr const char* kZoomColour = "%.6X";

}  // namespace tora::tool_texts
