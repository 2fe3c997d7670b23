// The editor's own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). Tests use these same constants.
#pragma once

namespace tora::editor_texts {

// Messages of the repeat-code button
inline constexpr const char* kStopRecordingFirst = "请先停止录制鼠标动作！";
inline constexpr const char* kNoInterval = "没有输入重复间隔时间!";
inline constexpr const char* kNoCount = "没有输入重复次数!";
inline constexpr const char* kEmptyActionList = "动作列表没内容";
inline constexpr const char* kBadDescription = "作用说明只能含汉字、字母、数字和下划线!";

// Words of the generated code
inline constexpr const char* kEndless = "无限";
inline constexpr const char* kPriority = "优先";
inline constexpr const char* kActionTablePrefix = "动作_";
inline constexpr const char* kRepeatActionCall = "重复动作(\"%s\",%s,\"%s\",\"%s\",\"%s\",%s)";

// Lines the condition and window boxes offer
inline constexpr const char* kColourCondition = "找颜色点条件";
inline constexpr const char* kImageCondition = "找图像条件";
inline constexpr const char* kWindowOperation = "窗口操作";

// Shown in the code box where the file holds a NUL byte: an edit control
// would end the text at the NUL. A white square reads as "a character that
// cannot be shown" and is plain GBK (A1 F5).
inline constexpr const char* kNulStandIn = "□";

// The editor window
inline constexpr const char* kEditorCaption = "按键设置";
inline constexpr const char* kScriptMissing = "无法打开脚本文件或不存在！";
inline constexpr const char* kDialogCreateFailed = "创建对话框失败";
inline constexpr const char* kMagnifierOpen = "放大镜";
inline constexpr const char* kMagnifierClose = "关闭放大镜";
inline constexpr const char* kCodeFontFace = "宋体";
inline constexpr const char* kOpenFilter = "txt Files (*.txt)|*.txt|";
inline constexpr const char* kNewFilter = "Txt Files (*.txt)|*.txt|All Files (*.*)|*.*||";
inline constexpr const char* kNewDefaultExtension = "txt";
inline constexpr const char* kScriptPattern = "*.txt";
inline constexpr const char* kCaretLine = "%d";
// Tab captions, in tab order
inline constexpr const char* kTabCaptions[] = {"窗口", "键盘", "鼠标", "找颜色点", "找图像", "其它", "帮助"};
// Interval and count choices, and where each box starts
inline constexpr const char* kIntervalItems[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "0.1", "0.5", "100"};
inline constexpr const char* kIntervalStart = "3";
inline constexpr const char* kCountItems[] = {"无限", "1", "5", "10", "100"};
inline constexpr const char* kWindowStartItems[] = {"前台", "后台"};

// The "窗口" page
// A window of the list: handle in decimal (every handle value of the 64-bit
// build), class name, title.
inline constexpr const char* kWindowItem = "(ID:%lld|%s) %s";
inline constexpr const char* kWindowOperationCall = "窗口操作(\"%s\",\"%s\",\"%s\",\"%s\",%s,%s,%s)\r\n\r\n";
inline constexpr const char* kCornerItems[] = {"无", "左上角", "左下角", "右上角", "右下角", "居中"};
inline constexpr int kCornerStartIndex = 1;  // "左上角"
inline constexpr const char* kTopmostText = "置顶";
inline constexpr const char* kNotTopmostText = "不置顶";
inline constexpr const char* kPickWindow = "鼠标选择窗口";
inline constexpr const char* kPickStop = "停止";
inline constexpr const char* kPickTaken = "已取得";
// The chosen window has closed since it was listed or picked (its handle
// may name another window by now).
inline constexpr const char* kWindowGone = "所选的窗口已经关闭，请重新选择窗口！";

// What the editor says beyond the fixed messages: a save that did not
// happen, and a file the code box cannot show unchanged.
inline constexpr const char* kSaveFailed = "保存脚本失败，原来的文件没有改动：\r\n%s";
inline constexpr const char* kSaveNotGbk =
    "脚本中有GBK编码无法保存的字符（第%d行），没有保存。请删除或替换这些字符后再保存。";
inline constexpr const char* kLoadNotShownUnchanged =
    "脚本文件中有无法原样显示的字节（空字符或不合格的GBK编码），已用其它字符显示。"
    "保存时将按显示的内容写入，原来的这些字节会丢失。";

}  // namespace tora::editor_texts
