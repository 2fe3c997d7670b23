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

}  // namespace tora::editor_texts
