// The program's own texts, GBK (the sources are UTF-8, compiled with
// -fexec-charset=GBK). Tests use these same constants.
#pragma once

namespace tora::texts {

// Script function names, in the order they are registered.
inline constexpr const char* kFnRepeatAction = "重复动作";
inline constexpr const char* kFnSum = "中文";
inline constexpr const char* kFnWait = "等待";
inline constexpr const char* kFnWindowOperation = "窗口操作";
inline constexpr const char* kFnFindColorCondition = "找颜色点条件";
inline constexpr const char* kFnFindColorAction = "找颜色点动作";
inline constexpr const char* kFnFindImageAction = "找图像动作";
inline constexpr const char* kFnFindImageCondition = "找图像条件";

// setup.ini
inline constexpr const char* kSetupIni = "setup.ini";
inline constexpr const char* kSetupSection = "设置";
inline constexpr const char* kSetupKeyScript = "默认脚本";
inline constexpr const char* kDefaultScriptName = "默认脚本.txt";

// Beside the program: the scripts that the main window's and the editor's
// lists offer, and the help page.
inline constexpr const char* kScriptPattern = "*.txt";
inline constexpr const char* kScriptsUnlisted = "有%d个脚本文件的名称中有GBK编码无法表示的字符，没有列出。请给它们改名。";
inline constexpr const char* kHelpPage = "tora\\torasoft.htm";

// Window titles
inline constexpr const char* kAppTitle = "Tora按键";
inline constexpr const char* kRunningTitle = "运行中...";

// Script host messages and status lines
inline constexpr const char* kNoScriptPath = "请选择一个运行脚本文件！";
inline constexpr const char* kScriptNotFound = "无法打开按键脚本文件或不存在！";
inline constexpr const char* kScriptEmpty = "按键脚本文件没有内容，请先在[设置按键]中添加按键脚本";
inline constexpr const char* kSyntaxError = "脚本出错:";
inline constexpr const char* kRuntimeError = "脚本运行出错:";
inline constexpr const char* kErrorLinePrefix = "出错附近行号->";
inline constexpr const char* kNothingRuns = "无按键运行，可能按键脚本代码有错!";
inline constexpr const char* kRunningPrefix = "按键运行中";
inline constexpr const char* kRunningLine = "按键运行中...................................................";
inline constexpr const char* kHintLine = "提示：";
inline constexpr const char* kHintTargetLine = "如果没返应，请把光标放在目标窗口上！";
inline constexpr const char* kStoppedLine = "已停止!!!!!!!";
inline constexpr const char* kSumCaption = "求和";
inline constexpr const char* kSumFirstNotNumber = "warning first isn't number";
inline constexpr const char* kSumSecondNotNumber = "warning second isn't number";
inline constexpr const char* kStopRequestedError = "脚本已被用户停止";
inline constexpr const char* kNotInScripts = "%s is not available to scripts";
inline constexpr const char* kNotGbkLine =
    "%d: 这一行有GBK编码无法表示的字符（脚本文件是UTF-8编码），请换成别的字，或把脚本另存为GBK编码";
inline constexpr const char* kScriptTimedOut = "脚本运行超过时间限制，已被终止";

// Warnings: mistakes that do not stop a script, shown after its own lines.
inline constexpr const char* kWarnAtLine = "警告：第%d行 %s：%s";
inline constexpr const char* kWarnNoLine = "警告：%s：%s";
inline constexpr const char* kWarnMore = "……另有%d条警告未列出";
inline constexpr const char* kExcerptCut = "…";
inline constexpr const char* kWarnRowPlace = "动作表\"%s\"第%s行{\"%s\",\"%s\"}：";
inline constexpr const char* kWarnUnknownRow = "没有\"%s\"这种动作，这一行不执行";
inline constexpr const char* kWarnRowNotHere = "%s的动作表里不能有\"%s\"，这一行不执行";
inline constexpr const char* kWarnNoKeys = "没有写键名，这一行不按键";
inline constexpr const char* kWarnKeyEmpty = "有一个键名是空的（两个+之间，或+在头尾），这个键按不出来";
inline constexpr const char* kWarnKeyNoName = "\"%s\"不是键名，这个键按不出来";
inline constexpr const char* kWarnKeyLowerCase = "\"%s\"按的是%s键；字母键要写大写的\"%c\"";
inline constexpr const char* kWarnKeyOtherName = "\"%s\"不是键名，按的是%s键";
inline constexpr const char* kWarnKeyOtherCode = "\"%s\"不是键名，按的是代码为%d的键";
inline constexpr const char* kWarnTooManyKeys = "键名多于5个，只按前5个";
inline constexpr const char* kWarnPauseNotNumber = "停顿\"%s\"不是数字，按0秒算";
inline constexpr const char* kWarnPasteCut = "文字在第一个逗号处结束，只粘贴\"%s\"（文字里的逗号请写成全角的\"，\"）";
inline constexpr const char* kWarnUrlCut = "网址在第一个逗号处结束，只打开\"%s\"";
inline constexpr const char* kWarnMouseFields = "鼠标动作要写\"x,y,绝对或相对,停顿\"四项，这里是%d项，这一行不执行";
inline constexpr const char* kWarnMouseMode = "第3项\"%s\"既不是\"绝对\"也不是\"相对\"，按相对算";
inline constexpr const char* kWarnBranchMissing = "前面没有登记名为\"%s\"的找颜色点动作或找图像动作，这一行不执行";
inline constexpr const char* kWarnNoTable = "第1个参数不是动作表的名字，这个任务没有动作";
inline constexpr const char* kWarnConditionMissing = "条件\"%s\"：没有名为\"%s\"的找颜色点条件或找图像条件，这个任务不会运行";
inline constexpr const char* kWarnConditionForm =
    "条件\"%s\"要写成 找颜色点条件(名称) 或 找图像条件(名称)，这个任务不会运行";
inline constexpr const char* kWarnWindowMissing = "窗口\"%s\"：没有名为\"%s\"的窗口操作，这个任务不会运行";
inline constexpr const char* kWarnWindowForm = "窗口\"%s\"要写成 窗口操作(名称)，这个任务不会运行";
inline constexpr const char* kWarnRelativeWithoutPoint =
    "动作表\"%s\"有相对坐标的鼠标动作，但这个任务的条件不找位置（没有条件，或是固定方式），相对坐标不会从找到的位置算起（开始时是0,0）";
inline constexpr const char* kWarnRelativeFixed =
    "动作表\"%s\"有相对坐标的鼠标动作，但固定方式只看不找，不给出找到的位置，相对坐标不会从这里算起";
inline constexpr const char* kWarnInterval = "间隔\"%s\"不是数字（秒），按0算：这个任务每一轮都运行";
inline constexpr const char* kWarnCountNegative = "次数%d小于0，这个任务一次也不会运行";
inline constexpr const char* kWarnCorner = "位置\"%s\"不是 无、左上角、左下角、右上角、右下角、居中 之一，窗口不会移动";
inline constexpr const char* kWarnTopmost = "\"%s\"既不是\"置顶\"也不是\"不置顶\"，按不置顶算";
inline constexpr const char* kWarnPointRow = "颜色点表\"%s\"第%s行要写成{x,y,\"比较\",颜色}，缺的按0算";
inline constexpr const char* kWarnPointOp = "颜色点表\"%s\"第%s行的比较\"%s\"不是 ==、!=、~=、!~ 之一，这个点总算相符";
inline constexpr const char* kWarnMode = "方式\"%s\"不是\"活动\"或\"固定\"，按\"固定\"算";
inline constexpr const char* kWarnRange = "范围\"%s\"要写成\"全屏\"或\"左,上,右,下\"，这样只看颜色点本身的位置";
inline constexpr const char* kWarnTolerance = "容差\"%s\"不是数字，按%d算";
inline constexpr const char* kWarnFixedTolerance = "固定方式的第%d个参数就是容差，\"%s\"不是数字，按%d算";
inline constexpr const char* kWarnPictureUnreadable = "读不了图像文件\"%s\"，这个条件没有登记";
inline constexpr const char* kWarnPictureNotBmp = "图像文件\"%s\"不是BMP文件，这个条件没有登记";
inline constexpr const char* kWarnPictureTooBig =
    "图像文件\"%s\"有%d×%d个点，取样要用%dMB内存，可用的只有%dMB，这个条件没有登记";
inline constexpr const char* kWaitingMore = "……另有%d个窗口还没有找到";
inline constexpr const char* kWaitingForWindow =
    "窗口操作\"%s\"：还没有找到窗口\"%s\"，找到后再摆放，发给它的按键也等它出现";

// CPU priority box
inline constexpr const char* kPriorityHigh = "高";
inline constexpr const char* kPriorityNormal = "标准";
inline constexpr const char* kPriorityLow = "低";
inline constexpr const char* kPriorityLowest = "最低";

// Action-table row kinds
inline constexpr const char* kRowPress = "按键";
inline constexpr const char* kRowDown = "按下";
inline constexpr const char* kRowUp = "弹起";
inline constexpr const char* kRowPasteText = "粘贴文字";
inline constexpr const char* kRowOpenUrl = "刷新网址";
inline constexpr const char* kRowMouseMove = "鼠标移动";
inline constexpr const char* kRowLeftClick = "左键单击";
inline constexpr const char* kRowRightClick = "右键单击";
inline constexpr const char* kRowMiddleClick = "中键单击";
inline constexpr const char* kRowLeftDouble = "左键双击";
inline constexpr const char* kRowLeftDown = "左键按下";
inline constexpr const char* kRowLeftUp = "左键弹起";
inline constexpr const char* kRowRightDown = "右键按下";
inline constexpr const char* kRowRightUp = "右键弹起";
inline constexpr const char* kRowMiddleDown = "中键按下";
inline constexpr const char* kRowMiddleUp = "中键弹起";
inline constexpr const char* kCoordAbsolute = "绝对";
inline constexpr const char* kCoordRelative = "相对";
inline constexpr const char* kPriorityTask = "优先";
// Window texts of 重复动作 that name no rule (the editor offers them).
inline constexpr const char* kWindowForeground = "前台";
inline constexpr const char* kWindowBackground = "后台";

// Script errors of the action-table reader (lua_pushfstring formats; the
// interpreter puts the script position in front)
inline constexpr const char* kErrMissingTable = "attempt to index global '%s' (a %s value)";
inline constexpr const char* kErrMissingFirstRow = "attempt to index row 1 of action table '%s' (a %s value)";
inline constexpr const char* kErrTableNotTable = "bad action table '%s' (table expected, got %s)";
inline constexpr const char* kErrRowNotTable = "bad row %s of action table '%s' (table expected, got %s)";
inline constexpr const char* kErrRowEntryCount = "bad row %s of action table '%s' (2 entries expected, got %d)";
inline constexpr const char* kErrRowEntryType = "bad entry #%d in row %s of action table '%s' (string expected, got %s)";

// Screen conditions
inline constexpr const char* kModeRect = "活动";
inline constexpr const char* kModeFixed = "固定";
inline constexpr const char* kFullScreen = "全屏";
inline constexpr const char* kImageReadError = "读取图像文件出错！";
inline constexpr const char* kImageNotBmp = "图像格式不是BMP文件！";
inline constexpr const char* kErrPointTableNotTable = "bad point table '%s' (table expected, got %s)";

// Find-image functions: refused area texts and the developer trace.
inline constexpr const char* kImageRectAreaBad = "找图像的活动范围不合格，应为\"全屏\"或\"左,上,右,下\"";
inline constexpr const char* kImageFixedAreaBad = "找图像的固定位置不合格，应为\"x,y\"";
inline constexpr const char* kTraceImageSample = "%d,%d,%d\n";
inline constexpr const char* kTraceImageSamplesAdded = "加入颜色点:%d,总大小：%d\n";

// Colour conditions: developer trace lines of ColorTest
inline constexpr const char* kTracePointCount = "颜色点总数：%d\n";
inline constexpr const char* kTraceSearchStart = "开始找色\n";
inline constexpr const char* kTraceFound = "找到：%d,%d\n";
inline constexpr const char* kTraceSearchEnd = "找色结束！\n";

// A condition tested on a given screen: what it found, or where it came
// nearest and what differs there.
inline constexpr const char* kCheckFoundAt = "找到了，在(%d,%d)";
inline constexpr const char* kCheckHolds = "成立，每个%s都相符";
inline constexpr const char* kCheckHoldsWithoutPoints = "成立：没有颜色点，不用看屏幕";
inline constexpr const char* kCheckStopped = "没有查完：已停止";
inline constexpr const char* kCheckNoCandidate = "没找到：查找范围是空的（右要大于左，下要大于上）";
inline constexpr const char* kCheckNearest = "没找到；最接近的是(%d,%d)，%d个%s里有%d个相符";
inline constexpr const char* kCheckFixedMiss = "不成立，%d个%s里有%d个相符";
inline constexpr const char* kCheckUnitPoint = "颜色点";
inline constexpr const char* kCheckUnitSample = "取样点";
inline constexpr const char* kCheckDifference = "第%d个%s(%lld,%lld)：要 %s 0x%06X，屏幕上是 0x%06X";
inline constexpr const char* kCheckDifferenceOffScreen = "第%d个%s(%lld,%lld)：要 %s 0x%06X，这里在屏幕外";
inline constexpr const char* kCheckMoreDifferences = "……另有%d个%s不相符";
inline constexpr const char* kCheckToleranceFinds = "容差从%d改为%d，这里就能找到";
inline constexpr const char* kCheckToleranceHolds = "容差从%d改为%d就能成立";

// A task whose condition never holds, said once a run.
inline constexpr const char* kNeverHeldAtLine =
    "第%d行 重复动作：条件\"%s\"查了%d秒，一次也没有成立，可以用 tora-check --screenshot 或编辑器的 测试条件 查看原因";
inline constexpr const char* kNeverHeld =
    "重复动作：条件\"%s\"查了%d秒，一次也没有成立，可以用 tora-check --screenshot 或编辑器的 测试条件 查看原因";

// Window rules
inline constexpr const char* kCornerNone = "无";
inline constexpr const char* kCornerTopLeft = "左上角";
inline constexpr const char* kCornerBottomLeft = "左下角";
inline constexpr const char* kCornerTopRight = "右上角";
inline constexpr const char* kCornerBottomRight = "右下角";
inline constexpr const char* kCornerCentre = "居中";
inline constexpr const char* kTopmost = "置顶";
inline constexpr const char* kNotTopmost = "不置顶";

// Input synthesis: status trace lines (prefix + key name + suffix) and the
// developer trace formats.
inline constexpr const char* kTraceDown = "按下[";
inline constexpr const char* kTraceUp = "弹起[";
inline constexpr const char* kTraceComboDown = "组合键按下[";
inline constexpr const char* kTraceComboUp = "组合键弹起[";
inline constexpr const char* kTraceForeground = "](前台)";
inline constexpr const char* kTraceBackground = "](后台)";
inline constexpr const char* kTracePosition = "(位置:";
inline constexpr const char* kTracePositionSeparator = ",";
inline constexpr const char* kTracePositionEnd = ")";
inline constexpr const char* kDevKeyDown = "keybd_event(%d,0,0,0);\n";
inline constexpr const char* kDevKeyUp = "\tkeybd_event(%d, 0 , KEYEVENTF_KEYUP, 0);\n";
inline constexpr const char* kDevPostKeyDown = "PostMessage(%x,WM_KEYDOWN,%d,0);\n";
inline constexpr const char* kDevPostSysKeyDown = "PostMessage(%x,WM_SYSKEYDOWN,%d,0);\n";
inline constexpr const char* kDevPostKeyUp = "PostMessage(%x,WM_KEYUP,%d,0);\n";
inline constexpr const char* kDevPostSysKeyUp = "PostMessage(%x,WM_SYSKEYUP,%d,0);\n";

}  // namespace tora::texts
