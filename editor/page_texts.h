// Texts of the key, mouse and other pages and of the mouse recorder, GBK
// (the sources are UTF-8, compiled with -fexec-charset=GBK). The page
// windows and the tests use these same constants.
#pragma once

namespace tora::page_texts {

// Key page ("键盘", template 137)
inline constexpr const char* kKeyModeItems[] = {"按键", "按下", "弹起"};
inline constexpr const char* kKeyPauseItems[] = {"0", "0.5", "1", "2", "3", "4", "5", "10"};
inline constexpr const char* kNoKey = "没输入按键!";
// The four key boxes by their column titles.
inline constexpr const char* kKeyBoxNames[] = {"按键", "组合键1", "组合键2", "组合键3"};
// What key capture writes for a held modifier.
inline constexpr const char* kCaptureShift = "Shift";
inline constexpr const char* kCaptureCtrl = "Ctrl";
inline constexpr const char* kCaptureAlt = "Alt";

// Mouse page ("鼠标", template 138), in list order
inline constexpr const char* kMouseKindItems[] = {"左键单击", "中键单击", "右键单击", "左键双击",
                                                  "鼠标移动", "左键按下", "中键按下", "右键按下",
                                                  "左键弹起", "中键弹起", "右键弹起"};
inline constexpr const char* kCoordAbsoluteItem = "绝对";
inline constexpr const char* kCoordRelativeItem = "相对(条件返回)";
inline constexpr const char* kCoordRelativeWord = "相对";
inline constexpr const char* kMousePauseItems[] = {"1", "2", "3", "4", "5", "0.5", "10"};
inline constexpr const char* kPositionStart = "按[F11]";
inline constexpr const char* kRelativePosition = "0,0";
inline constexpr const char* kStopMouseFirst = "请先停止制止鼠标";
inline constexpr const char* kNoMouseKind = "请输入鼠标动作！";
inline constexpr const char* kNoMousePosition = "请输入鼠标位置！";
inline constexpr const char* kBadMousePosition = "请输入合法的鼠标位置(x,y)如:50,100";
inline constexpr const char* kNoMousePause = "请输入停顿时间！如果只有一个鼠标动作,输入0即可";

// The mouse recorder: the editor's button 1102, and the rows it writes.
inline constexpr const char* kRecordStart = "录制鼠标动作";
inline constexpr const char* kRecordStop = "停止(Ctrl+F11)";
inline constexpr const char* kRecordedLeft = "{\"左键单击\",\"%d,%d,绝对,";
inline constexpr const char* kRecordedRight = "{\"右键单击\",\"%d,%d,绝对,";
inline constexpr const char* kRecordedClose = "%d\"},\r\n";
inline constexpr const char* kRecordedCloseByHotkey = "0\"},\r\n";

// Other page ("其它", template 167)
inline constexpr const char* kOtherPauseItems[] = {"0", "1", "2"};
inline constexpr const char* kNoPasteText = "没输入粘贴文字!";
inline constexpr const char* kNoAddress = "没输入网址!";
inline constexpr const char* kNoPause = "没输入停顿时间!";
inline constexpr const char* kBadPause = "停顿时间无效!";
inline constexpr const char* kPasteKind = "粘贴文字";
inline constexpr const char* kPasteKeyRow = "{\"按键\",\"Ctrl+V,1\"},\r\n";
inline constexpr const char* kAddressKind = "刷新网址";
inline constexpr const char* kFullWidthComma = "，";
inline constexpr const char* kFullWidthQuote = "”";
inline constexpr const char* kFullWidthApostrophe = "’";

// What the pages say beyond the fixed messages: a field that the script
// could not hold as typed.
// Fields as the messages name them (by their labels).
inline constexpr const char* kFieldKeyMode = "类型";
inline constexpr const char* kFieldKeyPause = "按键间隔";
inline constexpr const char* kFieldMouseKind = "类型";
inline constexpr const char* kFieldMousePosition = "坐标位置";
inline constexpr const char* kFieldPause = "停顿时间";
inline constexpr const char* kFieldPasteText = "粘贴文字";
inline constexpr const char* kFieldWebAddress = "刷新网址";
// A character GBK cannot hold, shown between the two parts (field name in
// the first).
inline constexpr const char* kNotGbkBefore = "%s中有GBK编码无法表示的字符“";
inline constexpr const char* kNotGbkAfter = "”，请删除或换成别的字!";
inline constexpr const char* kBadKeyMode = "类型只能是按键、按下或弹起!";
// A key box's name, then the key.
inline constexpr const char* kKeyNotWritable = "%s的“%s”写不进按键动作（“+”用来连接键名，“,”用来分开停顿时间），请换一个键!";
// A key box's name, then what the script would make of the key.
inline constexpr const char* kKeyNotAKey = "%s：%s!";
inline constexpr const char* kBadKeyPause = "按键间隔只能是数字（单位:秒），如0.5!";
inline constexpr const char* kBadMouseKind = "类型“%s”不是鼠标动作，请从列表中选择!";
inline constexpr const char* kBadMousePause = "停顿时间只能是数字（单位:秒），如0.5!";
inline constexpr const char* kPasteTypedLineBreak = "粘贴文字中有“\\r\\n”这四个字符，粘贴时它们会变成换行。请改写后再插入!";

}  // namespace tora::page_texts
