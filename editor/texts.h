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
// What the editor says beyond the fixed messages: a number that would stand
// bare in the call, and rows and links the script could not read as meant.
inline constexpr const char* kBadInterval = "重复间隔时间只能是数字（单位:秒），如3或0.5!";
inline constexpr const char* kBadCount = "重复次数只能是整数或“无限”!";
// The line's number, then the line.
inline constexpr const char* kBadRepeatLine = "重复动作列表第%d行不是完整的动作：%s";
// The line's number, its row kind, then the call.
inline constexpr const char* kRowNotForAction = "重复动作列表第%d行的“%s”不能用在%s里!";
// A condition or window typed by hand that is no call of a name; the text.
inline constexpr const char* kBadConditionForm =
    "条件判断“%s”不是条件的写法，请从列表中选择，或写成找颜色点条件(名字)、找图像条件(名字)!";
inline constexpr const char* kBadWindowForm = "对应窗口“%s”不是窗口操作的写法，请从列表中选择，或写成窗口操作(名字)!";
// The field, then the character a name cannot hold.
inline constexpr const char* kBadNameCharacter =
    "%s中的“%s”不能用在名字里（名字只能含汉字、字母、数字和下划线），请删除或换成别的字!";
// Asked before a relative click goes into a task whose condition finds no
// position: it would count from the screen's top-left corner.
inline constexpr const char* kRelativeWithoutCondition = "没有条件时相对坐标会从屏幕左上角算起，继续吗？";
inline constexpr const char* kRelativeWithFixedCondition = "固定方式的条件不给出位置，相对坐标会从屏幕左上角算起，继续吗？";

// Fields as the messages name them (by their labels).
inline constexpr const char* kFieldInterval = "重复间隔时间";
inline constexpr const char* kFieldCount = "重复次数";
inline constexpr const char* kFieldRepeatList = "重复动作列表";
inline constexpr const char* kFieldCondition = "条件判断";
inline constexpr const char* kFieldWindow = "对应窗口";
inline constexpr const char* kFieldDescription = "作用说明";
inline constexpr const char* kFieldWindowName = "窗口名称";
inline constexpr const char* kFieldWidth = "宽";
inline constexpr const char* kFieldHeight = "高";
inline constexpr const char* kFieldColourPosition = "位置";
inline constexpr const char* kFieldColour = "颜色值";
inline constexpr const char* kFieldPointList = "找色判断列表";
inline constexpr const char* kFieldTolerance = "颜色约等于误差值";
inline constexpr const char* kFieldRange = "活动范围";
inline constexpr const char* kFieldImagePath = "图像";
inline constexpr const char* kFieldFixedPosition = "固定位置";
inline constexpr const char* kFieldPercent = "减少颜色查找";

// Words of the generated code
inline constexpr const char* kEndless = "无限";
inline constexpr const char* kPriority = "优先";
inline constexpr const char* kActionTablePrefix = "动作_";
inline constexpr const char* kRepeatActionCall = "重复动作(\"%s\",%s,\"%s\",\"%s\",\"%s\",%s)";

// Lines the condition and window boxes offer
inline constexpr const char* kColourCondition = "找颜色点条件";
inline constexpr const char* kImageCondition = "找图像条件";
inline constexpr const char* kWindowOperation = "窗口操作";
// The find actions, whose conditions a task may name too
inline constexpr const char* kColourAction = "找颜色点动作";
inline constexpr const char* kImageAction = "找图像动作";

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
inline constexpr const char* kCaretLine = "%d";
// The caption while a long script goes into the code box.
inline constexpr const char* kLoadingCaption = "按键设置 - 正在读入脚本 %d%%";
// Tab captions, in tab order
inline constexpr const char* kTabCaptions[] = {"窗口", "键盘", "鼠标", "找颜色点", "找图像", "其它", "帮助"};
// The help page as text (the "帮助" tab and the main window's pane, where no
// browser engine renders it): its fonts, and what shows when it is missing,
// the full path looked at between the two lines.
inline constexpr const char* kHelpTextFont = "宋体";
inline constexpr const char* kHelpCodeFont = "新宋体";
inline constexpr const char* kHelpPageMissing = "找不到帮助页，或无法读取它。程序找的位置是：";
inline constexpr const char* kHelpPageWhereItBelongs = "请把程序带的 tora 文件夹（里面有 torasoft.htm）放回程序所在的文件夹。";
inline constexpr const char* kHelpPageCut = "……（帮助页太长，这里只显示它开头的部分。）";
// Interval and count choices, and where each box starts
inline constexpr const char* kIntervalItems[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "0.1", "0.5", "100"};
inline constexpr const char* kIntervalStart = "3";
inline constexpr const char* kCountItems[] = {"无限", "1", "5", "10", "100"};
// The first entries of the condition and window boxes: both write "0".
inline constexpr const char* kNoConditionItem = "0 (无条件)";
inline constexpr const char* kForegroundWindowItem = "0 (前台窗口)";

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
inline constexpr const char* kBadWidth = "宽只能是整数（单位:像素）!";
inline constexpr const char* kBadHeight = "高只能是整数（单位:像素）!";
// A title GBK cannot hold: the character stands between the two parts.
inline constexpr const char* kTitleNotGbkBefore = "窗口标题中有GBK编码无法表示的字符“";
inline constexpr const char* kTitleNotGbkAfter = "”，请勾选[插入窗口类名]，用窗口的类名!";

// What the editor says beyond the fixed messages: a save that did not
// happen, and a file the code box cannot show unchanged.
inline constexpr const char* kSaveFailed = "保存脚本失败，原来的文件没有改动：\r\n%s";
inline constexpr const char* kSaveNotGbk =
    "脚本中有GBK编码无法保存的字符（第%d行），没有保存。请删除或替换这些字符后再保存。";
// A script that exists but cannot be read (too large, held by another
// program, no permission): said when it is opened, and no save writes the
// code box over it.
inline constexpr const char* kScriptUnreadable =
    "无法读取脚本文件（文件太大、被其它程序占用或没有读取权限）：\r\n%s\r\n编辑器不会把代码框的内容写进这个文件，以免覆盖它。";
inline constexpr const char* kSaveRefusedUnreadable =
    "这个脚本文件打开时无法读取，为了不覆盖它，没有保存：\r\n%s\r\n要保存代码框的内容，请用“新建脚本”另选一个文件名。";
inline constexpr const char* kLoadNotShownUnchanged =
    "脚本文件中有无法原样显示的字节（空字符或不合格的GBK编码），已用其它字符显示。"
    "保存时将按显示的内容写入，原来的这些字节会丢失。";

// The find-colour page ("找颜色点")
inline constexpr const char* kPositionPrompt = "按[F11]";
inline constexpr const char* kNoColourPosition = "请输入颜色位置！";
inline constexpr const char* kBadColourPosition = "请输入合法的颜色位置(x,y)如:50,100";
inline constexpr const char* kNoOperator = "请选择运算符";
inline constexpr const char* kNoColour = "请输入颜色值！";
inline constexpr const char* kEmptyPointList = "找色判断列表没内容";
inline constexpr const char* kBadRange = "输入活动范围不合格";
inline constexpr const char* kChooseColourAction = "请选择一个找颜色点动作！";
inline constexpr const char* kHintCaption = "提示";
inline constexpr const char* kPointRow = "{%s,\"%s\",0x%s},\r\n";
inline constexpr const char* kPointTablePrefix = "颜色点列表_";
inline constexpr const char* kActionListPrefix = "动作列表_";
inline constexpr const char* kActionListTable = "动作列表_%s={\r\n%s}\r\n";
inline constexpr const char* kColourConditionRect = "找颜色点条件(\"%s\",\"%s\",\"活动\",\"%s\",%s)\r\n\r\n";
inline constexpr const char* kColourConditionFixed = "找颜色点条件(\"%s\",\"%s\",\"固定\",%s)\r\n\r\n";
inline constexpr const char* kColourActionRect = "找颜色点动作(\"%s\",\"%s\",\"%s\",\"活动\",\"%s\",%s)\r\n\r\n";
inline constexpr const char* kColourActionFixed = "找颜色点动作(\"%s\",\"%s\",\"%s\",\"固定\",%s)\r\n\r\n";
inline constexpr const char* kDefaultTolerance = "10";
inline constexpr const char* kOperatorItems[] = {"==(等于)", "!=(不等于)", "~=(约等于)", "!~(不约等于)"};
inline constexpr const char* kToleranceItems[] = {"10", "20", "30", "40", "50"};
// What the page says beyond the fixed messages: a tolerance that is no
// whole number would stand bare in the call and stop the script loading.
inline constexpr const char* kBadTolerance = "颜色约等于误差值只能是整数!";
inline constexpr const char* kBadColour = "颜色值只能是十六进制数字，如ff00!";
// The line's number, then the line.
inline constexpr const char* kBadPointLine = "找色判断列表第%d行不是颜色点：%s";

// Both find pages
inline constexpr const char* kModeFixed = "固定";
inline constexpr const char* kModeMoving = "活动";
inline constexpr const char* kModeItems[] = {"固定", "活动"};
inline constexpr const char* kRangeItems[] = {"0,0,800,600", "0,0,1024,800", "全屏"};

// The find-image page ("找图像")
inline constexpr const char* kBadFixedPosition = "输入固定位置不合格";
inline constexpr const char* kChooseImageAction = "请选择一个找图像动作！";
inline constexpr const char* kImageReadError = "读取文件出错！";
inline constexpr const char* kOnlyBmp = "只支持BMP图像文件！";
inline constexpr const char* kBmpFilter = "BMP Files(*.bmp)|*.bmp|All Files|*.*||";
inline constexpr const char* kImageConditionRect = "找图像条件(\"%s\",\"活动\",\"%s\",%s,\"%s\")\r\n\r\n";
inline constexpr const char* kImageConditionFixed = "找图像条件(\"%s\",\"固定\",\"%s\",%s,\"%s\")\r\n\r\n";
inline constexpr const char* kImageActionRect = "找图像动作(\"%s\",\"%s\",\"活动\",\"%s\",%s,\"%s\")\r\n\r\n";
inline constexpr const char* kImageActionFixed = "找图像动作(\"%s\",\"%s\",\"固定\",\"%s\",%s,\"%s\")\r\n\r\n";
inline constexpr const char* kPercentItems[] = {"50", "60", "70", "80", "90"};
// What the page says beyond the fixed messages: the percentage stands bare
// in the call, where anything but a whole number stops the script loading.
inline constexpr const char* kBadPercent = "减少颜色查找只能是整数!";

// "测试条件" on both find pages
inline constexpr const char* kTrialNoPicture = "没有图像可测试，请先打开或截取一个BMP图像！";
// The script's own messages for a picture it cannot use, then the file.
inline constexpr const char* kTrialPictureUnreadable = "读取图像文件出错！\r\n%s";
inline constexpr const char* kTrialPictureNotBmp = "图像格式不是BMP文件！\r\n%s";
inline constexpr const char* kTrialNoCapture = "无法取得屏幕图像，没有测试";

}  // namespace tora::editor_texts
